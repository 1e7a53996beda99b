// Copying a listing's values without showing them: the window's Ctrl keys
// and the grid's row menu, and what reaches the clipboard.
#include "gui/listings/frm_edit.h"
#include "gui/listings/frm_which.h"
#include "gui/listings/listfixture.h"
#include "gui/listings/rowcommands.h"
#include "gui/ui/clipboardguard.h"
#include "gui/ui/msgbox.h"

#include <QAction>
#include <QClipboard>
#include <QContextMenuEvent>
#include <QGuiApplication>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMimeData>
#include <QPushButton>
#include <QTest>

namespace {

class ListCopyTest : public ListWindowTest {
protected:
    void SetUp() override
    {
        ListWindowTest::SetUp();
        QGuiApplication::clipboard()->setText(before);
    }
    void TearDown() override
    {
        QGuiApplication::clipboard()->clear();
        ListWindowTest::TearDown();
    }
    static QString clipboardText() { return QGuiApplication::clipboard()->text(); }
    static QByteArray secretHint()
    {
        const QMimeData* data = QGuiApplication::clipboard()->mimeData();
        return data ? data->data(ClipboardGuard::kSecretHintType) : QByteArray();
    }
    // Opens the list with rows of the given (site, user, password) cells.
    void openWithRows(const QList<std::array<QString, 3>>& rows)
    {
        openWithListings(0);
        for (const auto& r : rows)
            grid()->AddItem({QString::number(grid()->Rows()), r[0], r[1], r[2]});
    }
    // A right-click on the cell, as the mouse gives it.
    void rightClick(QWidget* viewport, const QPoint& pos)
    {
        QContextMenuEvent event(QContextMenuEvent::Mouse, pos, viewport->mapToGlobal(pos));
        QCoreApplication::sendEvent(viewport, &event);
    }
    QPoint cellCentre(int row, int column) const
    {
        return grid()->visualRect(grid()->model()->index(row - 1, column)).center();
    }
    QMenu* rowMenu() const { return list->rowCommands()->mnu_row_menu; }
    QStringList visibleEntries() const
    {
        QStringList entries;
        for (QAction* action : rowMenu()->actions()) {
            if (action->isVisible())
                entries.append(action->isSeparator() ? "-" : action->text());
        }
        return entries;
    }

    const QString before = QStringLiteral("copied by the user before");
};

struct KeyCase {
    Qt::Key key;
    int column;
    bool secret;
};
const KeyCase kKeys[] = {
    {Qt::Key_C, 3, true},
    {Qt::Key_B, 2, true},
    {Qt::Key_U, 1, false},
};

// The keys act whichever control has the focus, and the grid's own copy of
// the current cell gives way to them.
TEST_F(ListCopyTest, CtrlKeysCopyTheCurrentRowsValues)
{
    openWithRows({{"  www.one.com  ", " ann ", "  pass word  "}, {"Mail", "bob", "pw2"}});
    QApplication::setActiveWindow(list);
    const QString expected[] = {QString(), "www.one.com", "ann", "pass word"};
    for (QWidget* focus : std::initializer_list<QWidget*> {grid(), list->cmd_add, list->cmd_nothing}) {
        for (const KeyCase& k : kKeys) {
            SCOPED_TRACE(qPrintable(focus->objectName() + " " + QKeySequence(k.key).toString()));
            QGuiApplication::clipboard()->setText(before);
            grid()->setRow(1);
            grid()->setCol(k.column == 3 ? 1 : 3); // never the copied cell itself
            focus->setFocus();
            QTest::keyClick(focus, k.key, Qt::ControlModifier);
            EXPECT_EQ(clipboardText(), expected[k.column]);
            EXPECT_EQ(secretHint(), k.secret ? QByteArray("secret") : QByteArray());
        }
    }
    EXPECT_TRUE(messages.isEmpty());
}

TEST_F(ListCopyTest, CopiedTextIsCutAtANulAndTrimmedOfSpacesOnly)
{
    openWithRows({{QString::fromUtf16(u"  www.a.com\0 hidden", 19), QString::fromUtf16(u"\tuser\t  "),
                   QString::fromUtf16(u" p\u00e9 w \0rest", 11)}});
    const struct {
        int column;
        QString expected;
    } cases[] = {{1, "www.a.com"}, {2, "\tuser\t"}, {3, QString::fromUtf16(u"p\u00e9 w")}};
    for (const auto& c : cases) {
        grid()->setRow(1);
        ASSERT_TRUE(list->rowCommands()->copyCell(c.column));
        EXPECT_EQ(clipboardText(), c.expected) << c.column;
    }
}

TEST_F(ListCopyTest, WithNoListingsTheKeysDoNothing)
{
    openWithListings(0);
    QApplication::setActiveWindow(list);
    for (const KeyCase& k : kKeys)
        QTest::keyClick(list->cmd_add, k.key, Qt::ControlModifier);
    EXPECT_EQ(clipboardText(), before);
    EXPECT_FALSE(list->clipboard()->clearPending());
}

// A right-click makes the row current and offers the same three copies,
// and the web site to open where a double-click would open it.
TEST_F(ListCopyTest, RowMenuCopiesFromTheClickedRow)
{
    openWithRows({{"www.one.com", "ann", "pw1"}, {"Mail program", "bob", "pw2"}, {"WWW.three.org ", "cy", "pw3"}});
    const struct {
        int row;
        int column;
        bool opens;
    } clicks[] = {{2, 3, false}, {1, 2, true}, {3, 1, true}, {2, 0, false}};
    const char* const names[] = {"mnu_copypassword", "mnu_copyuser", "mnu_copysite"};
    const QString values[3][3] = {
        {"pw1", "ann", "www.one.com"}, {"pw2", "bob", "Mail program"}, {"pw3", "cy", "WWW.three.org"}};
    for (const auto& c : clicks) {
        SCOPED_TRACE(testing::Message() << "row " << c.row << " column " << c.column);
        grid()->setRow(c.row == 1 ? 3 : 1);
        if (c.column == 0) {
            // The "#" column is drawn by a view of its own on top.
            auto* numbers = grid()->findChild<QTableView*>("grd_password_numbers");
            ASSERT_NE(numbers, nullptr);
            rightClick(numbers->viewport(), numbers->visualRect(numbers->model()->index(c.row - 1, 0)).center());
        } else {
            rightClick(grid()->viewport(), cellCentre(c.row, c.column));
        }
        EXPECT_EQ(grid()->Row(), c.row);
        EXPECT_EQ(grid()->Col(), c.column);
        ASSERT_TRUE(rowMenu()->isVisible());
        const QStringList copies {"Copy Password", "Copy User Name", "Copy Web Site/Program"};
        const QStringList acts {"-", "Edit This Listing...", "Delete This Listing..."};
        const QStringList expected = (c.opens ? copies + QStringList {"-", "Open Web Site"} : copies) + acts;
        EXPECT_EQ(visibleEntries(), expected);
        for (int i = 0; i < 3; ++i) {
            auto* action = list->findChild<QAction*>(names[i]);
            ASSERT_NE(action, nullptr);
            action->trigger();
            EXPECT_EQ(clipboardText(), values[c.row - 1][i]) << names[i];
            EXPECT_EQ(secretHint(), i < 2 ? QByteArray("secret") : QByteArray()) << names[i];
        }
        rowMenu()->hide();
    }
}

TEST_F(ListCopyTest, OpenWebSiteHandsTheAddressOver)
{
    openWithRows({{" www.Open.me ", "u", "p"}});
    rightClick(grid()->viewport(), cellCentre(1, 3));
    list->rowCommands()->mnu_opensite->trigger();
    rowMenu()->hide();
    EXPECT_EQ(handedOver, QStringList {"https://www.Open.me"});
    EXPECT_TRUE(messages.isEmpty());
}

// "Edit This Listing..." opens the change dialog on the row asked about,
// without the question for its number.
TEST_F(ListCopyTest, RowMenuEditsThatListing)
{
    openWithRows({{"www.one.com", "ann", "pw1"}, {"Mail program", "bob", "pw2"}, {"www.three.org", "cy", "pw3"}});
    for (const int row : {2, 3, 1}) {
        SCOPED_TRACE(row);
        rightClick(grid()->viewport(), cellCentre(row, 2));
        ASSERT_TRUE(rowMenu()->isVisible());
        list->rowCommands()->mnu_editrow->trigger();
        rowMenu()->hide();
        settle();
        EXPECT_EQ(window<frm_which>("frm_which"), nullptr) << "no number asked";
        auto* edit = window<frm_edit>("frm_edit");
        ASSERT_NE(edit, nullptr);
        EXPECT_EQ(edit->lbl_list->text(), QString::number(row));
        EXPECT_EQ(edit->txt_user->text(), grid()->listingModel()->cell(row - 1, 2));
    }
    auto* edit = window<frm_edit>("frm_edit");
    edit->txt_user->setText("changed");
    edit->cmd_change->click();
    settle();
    EXPECT_EQ(grid()->listingModel()->cell(0, 2), QStringLiteral("changed"));
    EXPECT_EQ(grid()->listingModel()->cell(1, 2), QStringLiteral("bob"));
}

// "Delete This Listing..." names the site, No the default; Yes deletes that
// row and renumbers the rest.
TEST_F(ListCopyTest, RowMenuDeletesThatListingOnlyOnYes)
{
    openWithRows({{"www.one.com ", "ann", "pw1"}, {"", "bob", "pw2"}, {"www.three.org", "cy", "pw3"}});
    const struct {
        int row;
        bool yes;
        QString question;
        QStringList sitesAfter;
    } cases[] = {
        {1, false, "Delete listing 1, \"www.one.com\"?", {"www.one.com ", "", "www.three.org"}},
        {1, true, "Delete listing 1, \"www.one.com\"?", {"", "www.three.org"}},
        {1, true, "Delete listing 1?", {"www.three.org"}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(qPrintable(c.question));
        messages.clear();
        MsgBox::setAnswerForTesting(c.yes);
        rightClick(grid()->viewport(), cellCentre(c.row, 3));
        list->rowCommands()->mnu_deleterow->trigger();
        rowMenu()->hide();
        EXPECT_EQ(messages, (QList<Message> {{c.question, "Delete This Listing"}}));
        EXPECT_EQ(MsgBox::lastDefaultForTesting(), MsgBox::Default::No);
        QStringList sites;
        for (int row = 1; row < grid()->Rows(); ++row) {
            sites.append(grid()->listingModel()->cell(row - 1, 1));
            EXPECT_EQ(grid()->listingModel()->cell(row - 1, 0), QString::number(row)) << "renumbered";
        }
        EXPECT_EQ(sites, c.sitesAfter);
    }
    MsgBox::setAnswerForTesting(false);
}

TEST_F(ListCopyTest, RightClickOffTheRowsOffersNothing)
{
    openWithRows({{"www.one.com", "ann", "pw1"}});
    rightClick(grid()->viewport(), QPoint(5, grid()->viewport()->height() - 3));
    EXPECT_FALSE(rowMenu()->isVisible());
}

TEST_F(ListCopyTest, MenuKeyOffersTheCurrentRowsMenu)
{
    openWithRows({{"www.one.com", "ann", "pw1"}, {"x", "bob", "pw2"}});
    grid()->setRow(2);
    grid()->setCol(1);
    QContextMenuEvent event(QContextMenuEvent::Keyboard, QPoint(1, 1), grid()->mapToGlobal(QPoint(1, 1)));
    QCoreApplication::sendEvent(grid(), &event);
    ASSERT_TRUE(rowMenu()->isVisible());
    EXPECT_EQ(grid()->Row(), 2);
    list->rowCommands()->mnu_copyuser->trigger();
    rowMenu()->hide();
    EXPECT_EQ(clipboardText(), QStringLiteral("bob"));
}

} // namespace
