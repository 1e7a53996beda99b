// The Tools menu: hidden passwords, finding a listing, the options, and the
// password generator of the add and change dialogs.
#include "core/listings/passwordgenerator.h"
#include "core/options/optionsstore.h"
#include "gui/listings/frm_add.h"
#include "gui/listings/frm_edit.h"
#include "gui/listings/frm_find.h"
#include "gui/listings/frm_which.h"
#include "gui/listings/listfixture.h"
#include "gui/listings/rowcommands.h"
#include "gui/listings/statusline.h"
#include "gui/options/frm_options.h"
#include "gui/ui/clipboardguard.h"
#include "gui/ui/idlewatch.h"

#include <QAction>
#include <QCheckBox>
#include <QClipboard>
#include <QGuiApplication>
#include <QLineEdit>
#include <QMenu>
#include <QPushButton>
#include <QScrollBar>
#include <QSpinBox>
#include <QTest>

namespace {

using namespace std::chrono_literals;

class ListToolsTest : public ListWindowTest {
protected:
    QString shownPassword(int row) const { return grid()->model()->index(row - 1, 3).data(Qt::DisplayRole).toString(); }
    frm_find* openFind()
    {
        list->mnu_find->trigger();
        settle();
        auto* find = window<frm_find>("frm_find");
        EXPECT_NE(find, nullptr);
        return find;
    }
    // Types text into the find box, presses Find Next; the current row.
    int findNext(frm_find* find, const QString& text)
    {
        find->txt_find->setText(text);
        find->cmd_findnext->click();
        return grid()->Row();
    }
    const QString bullets = QString(8, QChar(0x2022));
};

// Every password cell shows eight bullets whatever its length, an empty one
// too; the cells keep their passwords.
TEST_F(ListToolsTest, HiddenPasswordsShowEightBulletsForEveryLength)
{
    openWithListings(0);
    for (int length = 0; length <= 15; ++length)
        grid()->AddItem({QString::number(length + 1), "site", "user", QString(length, 'x')});
    grid()->AddItem({"17", "site", "user", QString("pw").leftJustified(15)});
    list->mnu_showpasswords->trigger();
    EXPECT_FALSE(list->mnu_showpasswords->isChecked());
    for (int row = 1; row < grid()->Rows(); ++row) {
        EXPECT_EQ(shownPassword(row), bullets) << row;
        EXPECT_EQ(cell(row, 1), QStringLiteral("site")) << "other columns show as before";
        EXPECT_EQ(grid()->model()->index(row - 1, 2).data().toString(), QStringLiteral("user"));
    }
    EXPECT_EQ(cell(5, 3), QStringLiteral("xxxx"));
    list->mnu_showpasswords->trigger();
    EXPECT_EQ(shownPassword(5), QStringLiteral("xxxx"));
    EXPECT_EQ(shownPassword(1), QString());
    EXPECT_EQ(shownPassword(17), QStringLiteral("pw")) << "pad spaces are not drawn";
}

TEST_F(ListToolsTest, HiddenPasswordsStillCopyAndEditInClear)
{
    openWithListings(2);
    list->mnu_showpasswords->trigger();
    grid()->setRow(2);
    list->rowCommands()->mnu_copypassword->trigger();
    EXPECT_EQ(QGuiApplication::clipboard()->text(), QStringLiteral("pw2"));
    QGuiApplication::clipboard()->clear();

    list->cmd_edit->click();
    settle();
    auto* which = window<frm_which>("frm_which");
    ASSERT_NE(which, nullptr);
    which->txt_change->setText("1");
    which->Command1->click();
    settle();
    auto* edit = window<frm_edit>("frm_edit");
    ASSERT_NE(edit, nullptr);
    EXPECT_EQ(edit->txt_password->text(), padded("pw1", 15));
    EXPECT_EQ(edit->txt_password->echoMode(), QLineEdit::Normal);
    edit->txt_password->setText("changed");
    edit->cmd_change->click();
    EXPECT_EQ(cell(1, 3), QStringLiteral("changed"));
    EXPECT_EQ(shownPassword(1), bullets);

    list->cmd_add->click();
    settle();
    auto* add = window<frm_add>("frm_add");
    ASSERT_NE(add, nullptr);
    EXPECT_EQ(add->txt_password->echoMode(), QLineEdit::Normal);
}

// The choice outlives the window; a write that fails changes nothing else.
TEST_F(ListToolsTest, ShowPasswordsIsRemembered)
{
    openWithListings(1);
    EXPECT_FALSE(exists("vellamar.ini")) << "the default needs no file";
    list->mnu_showpasswords->trigger();
    ASSERT_TRUE(exists("vellamar.ini"));
    EXPECT_FALSE(OptionsStore::read(path("vellamar.ini")).showPasswords);
    delete list;
    settle();

    list = frm_list::open(session);
    ASSERT_NE(list, nullptr);
    EXPECT_FALSE(list->mnu_showpasswords->isChecked());
    EXPECT_EQ(shownPassword(1), bullets);
    delete list;
    settle();

    setWritable({}, false);
    list = frm_list::open(session);
    list->mnu_showpasswords->trigger();
    EXPECT_TRUE(list->mnu_showpasswords->isChecked()) << "shown for this run";
    EXPECT_EQ(shownPassword(1), QStringLiteral("pw1"));
    EXPECT_TRUE(messages.isEmpty()) << "a failed write is not reported";
    setWritable({}, true);
    EXPECT_FALSE(OptionsStore::read(path("vellamar.ini")).showPasswords);
}

TEST_F(ListToolsTest, FindWrapsIgnoresCaseAndSkipsPasswords)
{
    openWithListings(0);
    const std::array<QString, 3> rows[] = {
        {"www.Bank.com", "alice", "pw"},
        {"Mail", "BankUser", "mail"},
        {"Games", "carol", "bank"},
        {"www.bank.org", "dave", "x"},
    };
    for (const auto& r : rows)
        grid()->AddItem({QString::number(grid()->Rows()), r[0], r[1], r[2]});
    grid()->setRow(1);
    frm_find* find = openFind();
    ASSERT_NE(find, nullptr);
    EXPECT_EQ(findNext(find, "BANK"), 2);
    EXPECT_EQ(grid()->Col(), 2) << "the cell that holds it";
    EXPECT_EQ(findNext(find, "BANK"), 4) << "row 3 holds it only in its password";
    EXPECT_EQ(grid()->Col(), 1);
    EXPECT_EQ(findNext(find, "bank"), 1) << "wraps past the end";
    EXPECT_EQ(findNext(find, "carol"), 3);
    EXPECT_EQ(findNext(find, "carol"), 3) << "the only match is found again";
    EXPECT_TRUE(messages.isEmpty());
}

TEST_F(ListToolsTest, FindWithNothingOrNoMatch)
{
    openWithListings(3);
    grid()->setRow(2);
    frm_find* find = openFind();
    ASSERT_NE(find, nullptr);
    EXPECT_EQ(findNext(find, ""), 2) << "an empty box does nothing";
    EXPECT_EQ(findNext(find, "   "), 2);
    EXPECT_TRUE(messages.isEmpty());
    EXPECT_EQ(findNext(find, "pw1"), 2) << "passwords are never searched";
    EXPECT_EQ(messages, (QList<Message> {{"No listing holds \"pw1\".", "Find A Listing"}}));
    EXPECT_TRUE(find->isVisible());
}

TEST_F(ListToolsTest, FindStartsAtRowOneWithNoListingCurrent)
{
    openWithListings(0);
    grid()->AddItem({"1", "site", "u", "p"});
    grid()->AddItem({"2", "site", "u", "p"});
    grid()->setRow(0);
    frm_find* find = openFind();
    EXPECT_EQ(findNext(find, "site"), 1);
}

TEST_F(ListToolsTest, FindScrollsTheListingIntoView)
{
    openWithListings(300);
    grid()->setRow(1);
    grid()->scrollToTop();
    frm_find* find = openFind();
    EXPECT_EQ(findNext(find, "user250"), 250);
    const QRect shown = grid()->visualRect(grid()->model()->index(249, 2));
    EXPECT_TRUE(grid()->viewport()->rect().contains(shown)) << shown.y();
    EXPECT_GT(grid()->verticalScrollBar()->value(), 0);
}

// Return and Enter press "Close", which leaves the found row current;
// Escape closes too; F3 finds the next one.
TEST_F(ListToolsTest, FindDialogKeysAndItsOneInstance)
{
    openWithListings(3);
    frm_find* find = openFind();
    ASSERT_NE(find, nullptr);
    EXPECT_EQ(openFind(), find);
    EXPECT_EQ(openWindowCount("frm_find"), 1);
    EXPECT_TRUE(find->cmd_close->isDefault());
    const struct {
        Qt::Key key;
        Qt::KeyboardModifiers modifiers;
    } closers[] = {{Qt::Key_Return, {}}, {Qt::Key_Enter, Qt::KeypadModifier}, {Qt::Key_Escape, {}}};
    for (const auto& c : closers) {
        SCOPED_TRACE(c.key);
        find = openFind();
        ASSERT_NE(find, nullptr);
        QApplication::setActiveWindow(find);
        find->txt_find->setFocus();
        grid()->setRow(3);
        QTest::keyClicks(find->txt_find, "site");
        EXPECT_EQ(grid()->Row(), 1) << "the first one as typed";
        QTest::keyClick(find->txt_find, Qt::Key_F3);
        EXPECT_EQ(grid()->Row(), 2);
        QPointer<frm_find> guard(find);
        QTest::keyClick(find->txt_find, c.key, c.modifiers);
        settle();
        EXPECT_TRUE(guard.isNull() || !guard->isVisible());
        EXPECT_EQ(grid()->Row(), 2) << "the found row stays current";
    }
}

// Each letter typed moves the current row to the first listing that holds
// the text so far; text no listing holds leaves the row and says so on the
// dialog's line, with no message box.
TEST_F(ListToolsTest, FindAsYouTypeGoesToTheFirstMatch)
{
    openWithListings(0);
    const std::array<QString, 3> rows[] = {
        {"www.mail.com", "ann", "pw"},
        {"www.market.org", "bob", "pw"},
        {"Games", "marta", "pw"},
        {"www.marketing.net", "dan", "pw"},
    };
    for (const auto& r : rows)
        grid()->AddItem({QString::number(grid()->Rows()), r[0], r[1], r[2]});
    grid()->setRow(4);
    frm_find* find = openFind();
    ASSERT_NE(find, nullptr);
    QApplication::setActiveWindow(find);
    find->txt_find->setFocus();
    const struct {
        const char* key;
        int row;
        int column;
        bool none;
    } typed[] = {
        {"m", 1, 1, false}, {"a", 1, 1, false},  {"r", 2, 1, false}, {"t", 3, 2, false},
        {"x", 3, 2, true},  {"\b", 3, 2, false}, {"a", 3, 2, false},
    };
    for (const auto& t : typed) {
        SCOPED_TRACE(qPrintable(find->txt_find->text() + t.key));
        if (QLatin1String(t.key) == QLatin1String("\b"))
            QTest::keyClick(find->txt_find, Qt::Key_Backspace);
        else
            QTest::keyClicks(find->txt_find, t.key);
        EXPECT_EQ(grid()->Row(), t.row);
        EXPECT_EQ(grid()->Col(), t.column);
        EXPECT_EQ(find->lbl_status->text().isEmpty(), !t.none);
    }
    EXPECT_TRUE(messages.isEmpty());
    EXPECT_TRUE(find->isVisible());
}

// "Find Next" after the last match goes on from the top and says so; the
// only match found again says that.
TEST_F(ListToolsTest, FindNextSaysWhenItWraps)
{
    openWithListings(0);
    for (const char* site : {"www.bank.com", "Mail", "www.bank.org", "Games"})
        grid()->AddItem({QString::number(grid()->Rows()), site, "u", "p"});
    frm_find* find = openFind();
    ASSERT_NE(find, nullptr);
    QApplication::setActiveWindow(find);
    find->txt_find->setFocus();
    QTest::keyClicks(find->txt_find, "bank");
    EXPECT_EQ(grid()->Row(), 1);
    const struct {
        int row;
        const char* status;
    } presses[] = {{3, ""}, {1, "Went on from the top of the list."}, {3, ""}};
    for (const auto& p : presses) {
        find->cmd_findnext->click();
        EXPECT_EQ(grid()->Row(), p.row);
        EXPECT_EQ(find->lbl_status->text(), QString::fromLatin1(p.status));
    }
    find->txt_find->selectAll();
    QTest::keyClicks(find->txt_find, "games");
    EXPECT_EQ(grid()->Row(), 4);
    QTest::keyClick(find->txt_find, Qt::Key_F3);
    EXPECT_EQ(grid()->Row(), 4);
    EXPECT_EQ(find->lbl_status->text(), QStringLiteral("This is the only listing that holds it."));
    EXPECT_TRUE(messages.isEmpty());
}

// F3 in the list window goes on with what Find was last given, also once
// its dialog closed; before any search it opens Find.
TEST_F(ListToolsTest, F3InTheListWindowFindsOnAfterFindClosed)
{
    openWithListings(0);
    for (const char* site : {"www.bank.com", "Mail", "www.bank.org"})
        grid()->AddItem({QString::number(grid()->Rows()), site, "u", "p"});
    QApplication::setActiveWindow(list);
    grid()->setFocus();
    QTest::keyClick(grid(), Qt::Key_F3);
    frm_find* find = frm_find::instance();
    ASSERT_NE(find, nullptr) << "nothing searched yet: Find opens";
    QApplication::setActiveWindow(find);
    QTest::keyClicks(find->txt_find, "bank");
    EXPECT_EQ(grid()->Row(), 1);
    QTest::keyClick(find->txt_find, Qt::Key_Return);
    settle();
    ASSERT_TRUE(!frm_find::instance() || !frm_find::instance()->isVisible()) << "Return closed it";

    QApplication::setActiveWindow(list);
    grid()->setFocus();
    const struct {
        int row;
        const char* status;
    } presses[] = {{3, ""}, {1, "Went on from the top of the list."}};
    for (const auto& p : presses) {
        QTest::keyClick(grid(), Qt::Key_F3);
        EXPECT_EQ(grid()->Row(), p.row);
        EXPECT_EQ(list->statusLine()->currentMessage(), QString::fromLatin1(p.status));
        EXPECT_TRUE(!frm_find::instance() || !frm_find::instance()->isVisible());
    }
    // Opened again, Find shows the text it goes on with.
    list->mnu_find->trigger();
    settle();
    ASSERT_NE(frm_find::instance(), nullptr);
    EXPECT_EQ(frm_find::instance()->txt_find->text(), QStringLiteral("bank"));
    EXPECT_TRUE(frm_find::instance()->txt_find->hasSelectedText()) << "typing replaces it";
    QTest::keyClicks(frm_find::instance()->txt_find, "nowhere");
    frm_find::instance()->close();
    settle();
    EXPECT_TRUE(messages.isEmpty());
    QApplication::setActiveWindow(list);
    QTest::keyClick(grid(), Qt::Key_F3);
    ASSERT_EQ(messages.size(), 1);
    EXPECT_EQ(messages[0].text, QStringLiteral("No listing holds \"nowhere\"."));
}

// Wherever the dialog stands, it moves off the row it found; the grid does
// not move for it.
TEST_F(ListToolsTest, FindNeverCoversTheRowItFound)
{
    openWithListings(40);
    grid()->setRow(1);
    grid()->scrollToTop();
    frm_find* find = openFind();
    ASSERT_NE(find, nullptr);
    QApplication::setActiveWindow(find);
    find->txt_find->setFocus();
    auto rowOnScreen = [this](int row) {
        const QRect cell = grid()->visualRect(grid()->model()->index(row - 1, 1));
        return QRect(grid()->viewport()->mapToGlobal(QPoint(0, cell.top())),
                     QSize(grid()->viewport()->width(), cell.height()));
    };
    for (const char* text : {"user3", "user2", "user1"}) {
        SCOPED_TRACE(text);
        // Put the dialog right over the row it will find.
        const int row = QString::fromLatin1(text).mid(4).toInt();
        find->move(rowOnScreen(row).topLeft() - QPoint(0, find->frameGeometry().height() / 2));
        ASSERT_TRUE(find->frameGeometry().intersects(rowOnScreen(row)));
        const int scrolled = grid()->verticalScrollBar()->value();
        find->txt_find->selectAll();
        QTest::keyClicks(find->txt_find, text);
        EXPECT_EQ(grid()->Row(), row);
        EXPECT_EQ(grid()->verticalScrollBar()->value(), scrolled) << "the grid stays";
        EXPECT_FALSE(find->frameGeometry().intersects(rowOnScreen(row)))
            << "dialog " << find->frameGeometry().y() << " row " << rowOnScreen(row).y();
    }
}

// Copying the password of one site among fifty takes Ctrl+F, the letters
// that make the site unique, Return and Ctrl+C, each sent where the focus is.
TEST_F(ListToolsTest, FindThenCopyFromTheKeyboardAlone)
{
    openWithListings(0);
    for (int i = 1; i <= 50; ++i)
        grid()->AddItem(
            {QString::number(i), QStringLiteral("www.site%1.example").arg(i), "u", QStringLiteral("pw%1").arg(i)});
    grid()->setRow(1);
    QApplication::setActiveWindow(list);
    list->cmd_add->setFocus();
    QGuiApplication::clipboard()->clear();

    QTest::keyClick(static_cast<QWidget*>(nullptr), Qt::Key_F, Qt::ControlModifier);
    settle();
    auto* find = window<frm_find>("frm_find");
    ASSERT_NE(find, nullptr);
    ASSERT_EQ(QApplication::focusWidget(), find->txt_find) << "typing goes to the find box";
    QTest::keyClicks(static_cast<QWidget*>(nullptr), "site37");
    QTest::keyClick(static_cast<QWidget*>(nullptr), Qt::Key_Return);
    settle();
    EXPECT_EQ(window<frm_find>("frm_find"), nullptr);
    ASSERT_NE(QApplication::focusWidget(), nullptr);
    EXPECT_EQ(QApplication::focusWidget()->window(), list) << "back in the list window";
    QTest::keyClick(static_cast<QWidget*>(nullptr), Qt::Key_C, Qt::ControlModifier);
    EXPECT_EQ(grid()->Row(), 37);
    EXPECT_EQ(QGuiApplication::clipboard()->text(), QStringLiteral("pw37"));

    // Ctrl+F again, back in the list with the dialog still open: the same
    // dialog, and the letters typed replace the last search.
    QTest::keyClick(static_cast<QWidget*>(nullptr), Qt::Key_F, Qt::ControlModifier);
    settle();
    QTest::keyClicks(static_cast<QWidget*>(nullptr), "site4");
    find = window<frm_find>("frm_find");
    ASSERT_NE(find, nullptr);
    QApplication::setActiveWindow(list);
    grid()->setFocus();
    QTest::keyClick(static_cast<QWidget*>(nullptr), Qt::Key_F, Qt::ControlModifier);
    settle();
    EXPECT_EQ(window<frm_find>("frm_find"), find);
    ASSERT_EQ(QApplication::focusWidget(), find->txt_find);
    QTest::keyClicks(static_cast<QWidget*>(nullptr), "site42");
    EXPECT_EQ(find->txt_find->text(), QStringLiteral("site42"));
    QTest::keyClick(static_cast<QWidget*>(nullptr), Qt::Key_Return);
    settle();
    QTest::keyClick(static_cast<QWidget*>(nullptr), Qt::Key_C, Qt::ControlModifier);
    EXPECT_EQ(QGuiApplication::clipboard()->text(), QStringLiteral("pw42"));
}

TEST_F(ListToolsTest, FindDialogClosesWithTheList)
{
    openWithListings(1);
    QPointer<frm_find> find = openFind();
    list->close();
    settle();
    EXPECT_TRUE(find.isNull());
}

TEST_F(ListToolsTest, FindKeyOpensTheDialog)
{
    openWithListings(1);
    QApplication::setActiveWindow(list);
    QTest::keyClick(list->cmd_add, Qt::Key_F, Qt::ControlModifier);
    settle();
    EXPECT_NE(window<frm_find>("frm_find"), nullptr);
}

TEST_F(ListToolsTest, OptionsDialogShowsAppliesAndStores)
{
    writeFile("vellamar.ini", "[Options]\nClipboardClearSeconds=25\nIdleLockMinutes=3\n");
    openWithListings(1);
    EXPECT_EQ(list->clipboard()->delay(), 25s);
    EXPECT_EQ(list->idleWatch()->interval(), 3min);
    list->setScreenLockSeen(true);

    for (const bool confirm : {false, true}) {
        list->mnu_options->trigger();
        settle();
        auto* options = window<frm_options>("frm_options");
        ASSERT_NE(options, nullptr);
        EXPECT_EQ(options->txt_clipboard->value(), 25);
        EXPECT_EQ(options->txt_idle->value(), 3);
        EXPECT_EQ(options->txt_clipboard->maximum(), 86400);
        EXPECT_EQ(options->txt_idle->maximum(), 1440);
        options->txt_clipboard->setValue(0);
        options->txt_idle->setValue(1440);
        EXPECT_TRUE(options->chk_screenlock->isChecked());
        options->chk_screenlock->setChecked(false);
        (confirm ? options->Command1 : options->Command2)->click();
        settle();
        EXPECT_EQ(window<frm_options>("frm_options"), nullptr);
        if (!confirm) {
            EXPECT_EQ(list->clipboard()->delay(), 25s) << "Cancel changes nothing";
            EXPECT_EQ(OptionsStore::read(path("vellamar.ini")).clipboardSeconds, 25);
        }
    }
    EXPECT_EQ(list->clipboard()->delay(), 0s);
    EXPECT_EQ(list->idleWatch()->interval(), 1440min);
    const Options stored = OptionsStore::read(path("vellamar.ini"));
    EXPECT_EQ(stored.clipboardSeconds, 0);
    EXPECT_EQ(stored.idleMinutes, 1440);
    EXPECT_FALSE(stored.lockOnScreenLock);
    EXPECT_FALSE(list->optionsStore().options().lockOnScreenLock);
    EXPECT_TRUE(stored.showPasswords);
}

// A count of one reads in the singular, also while it is being typed.
TEST_F(ListToolsTest, OptionsCountsReadInTheRightNumber)
{
    openWithListings(1);
    list->mnu_options->trigger();
    settle();
    auto* options = window<frm_options>("frm_options");
    ASSERT_NE(options, nullptr);
    const struct {
        int value;
        const char* seconds;
        const char* minutes;
    } cases[] = {
        {1, "1 second", "1 minute"}, {2, "2 seconds", "2 minutes"},    {0, "Never", "Never"},
        {1, "1 second", "1 minute"}, {21, "21 seconds", "21 minutes"},
    };
    for (const auto& c : cases) {
        options->txt_clipboard->setValue(c.value);
        options->txt_idle->setValue(c.value);
        EXPECT_EQ(options->txt_clipboard->text(), QString::fromLatin1(c.seconds));
        EXPECT_EQ(options->txt_idle->text(), QString::fromLatin1(c.minutes));
    }
    QApplication::setActiveWindow(options);
    options->txt_idle->setFocus();
    options->txt_idle->selectAll();
    QTest::keyClicks(options->txt_idle, "15");
    EXPECT_EQ(options->txt_idle->value(), 15);
    EXPECT_EQ(options->txt_idle->text(), QStringLiteral("15 minutes"));
    options->Command2->click();
    settle();
}

TEST_F(ListToolsTest, DamagedOptionsFileGivesTheDefaults)
{
    writeFile("vellamar.ini", QByteArray("\xff\xfe[Options]\nClipboardClearSeconds=-3\nIdleLockMinutes=x\n"));
    openWithListings(1);
    EXPECT_EQ(list->clipboard()->delay(), 10s);
    EXPECT_FALSE(list->idleWatch()->counting()) << "never locks by default";
    EXPECT_TRUE(list->mnu_showpasswords->isChecked());
    EXPECT_TRUE(messages.isEmpty());
}

// Ctrl+G and the context menu's entry fill the password box with a new
// password of the generator's kind.
TEST_F(ListToolsTest, PasswordBoxesOfTheListingDialogsGenerate)
{
    openWithListings(1);
    list->cmd_add->click();
    settle();
    auto* add = window<frm_add>("frm_add");
    ASSERT_NE(add, nullptr);
    list->cmd_edit->click();
    settle();
    auto* which = window<frm_which>("frm_which");
    which->txt_change->setText("1");
    which->Command1->click();
    settle();
    auto* edit = window<frm_edit>("frm_edit");
    ASSERT_NE(edit, nullptr);

    for (QLineEdit* box : {add->txt_password, edit->txt_password}) {
        SCOPED_TRACE(qPrintable(box->window()->objectName()));
        QApplication::setActiveWindow(box->window());
        box->setFocus();
        box->setText("old");
        QTest::keyClick(box, Qt::Key_G, Qt::ControlModifier);
        const QString first = box->text();
        EXPECT_TRUE(PasswordGenerator::meetsRules(first)) << qPrintable(first);
        box->undo();
        EXPECT_EQ(box->text(), QStringLiteral("old")) << "the old text comes back";
        box->redo();
        EXPECT_EQ(box->text(), first);

        auto* generate = box->findChild<QAction*>("mnu_generate");
        ASSERT_NE(generate, nullptr);
        EXPECT_EQ(generate->text(), QStringLiteral("Generate Password"));
        emit box->customContextMenuRequested(QPoint(2, 2));
        auto* menu = box->findChild<QMenu*>("mnu_password_menu");
        ASSERT_NE(menu, nullptr);
        EXPECT_TRUE(menu->actions().contains(generate));
        EXPECT_GT(menu->actions().size(), 3) << "the box's usual entries stay";
        generate->trigger();
        menu->close();
        EXPECT_TRUE(PasswordGenerator::meetsRules(box->text()));
        EXPECT_NE(box->text(), first);
    }
    // Only the password boxes generate.
    EXPECT_EQ(add->txt_user->findChild<QAction*>("mnu_generate"), nullptr);
}

} // namespace
