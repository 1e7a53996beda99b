#include "gui/listings/passwordgrid.h"
#include "support/guifixture.h"

#include <QHeaderView>
#include <QHelpEvent>
#include <QScrollBar>
#include <QSignalSpy>
#include <QTest>
#include <QToolTip>

namespace {

class PasswordGridTest : public GuiTest {
protected:
    void SetUp() override
    {
        GuiTest::SetUp();
        grid = new PasswordGrid;
        grid->resize(400, 200);
        grid->setRow(0);
        const char* headers[] = {"#", "Web Site/Program", "Username", "Password"};
        for (int column = 0; column < 4; ++column) {
            grid->setCol(column);
            grid->setText(headers[column]);
        }
        for (int i = 1; i <= 3; ++i)
            grid->AddItem({QString::number(i), QStringLiteral("site%1").arg(i), "user", "pw"});
    }
    QString cell(int row, int column)
    {
        grid->setRow(row);
        grid->setCol(column);
        return grid->Text();
    }
    PasswordGrid* grid = nullptr; // deleted with the other windows
};

TEST_F(PasswordGridTest, HeaderRowAndCellsGoThroughTheCurrentCell)
{
    EXPECT_EQ(grid->Rows(), 4);
    EXPECT_EQ(cell(0, 1), QStringLiteral("Web Site/Program"));
    EXPECT_EQ(grid->model()->headerData(1, Qt::Horizontal).toString(), QStringLiteral("Web Site/Program"));
    EXPECT_EQ(cell(2, 0), QStringLiteral("2"));
    EXPECT_EQ(cell(2, 1), QStringLiteral("site2"));
    grid->setRow(3);
    grid->setCol(2);
    grid->setText("changed");
    EXPECT_EQ(cell(3, 2), QStringLiteral("changed"));
    EXPECT_EQ(grid->currentIndex().row(), 2);
}

TEST_F(PasswordGridTest, CellsTakeTheirTextsWhole)
{
    grid->AddItem({"4", "a\tb", "", "  padded  "});
    EXPECT_EQ(grid->Rows(), 5);
    EXPECT_EQ(cell(4, 1), QStringLiteral("a\tb"));
    EXPECT_EQ(cell(4, 3), QStringLiteral("  padded  "));
}

TEST_F(PasswordGridTest, RemovingARowMovesTheRowsBelowUp)
{
    grid->RemoveItem(1);
    EXPECT_EQ(grid->Rows(), 3);
    EXPECT_EQ(cell(1, 1), QStringLiteral("site2"));
    grid->RemoveItem(2);
    grid->RemoveItem(1);
    EXPECT_EQ(grid->Rows(), 1);
    EXPECT_EQ(cell(0, 0), QStringLiteral("#"));
}

TEST_F(PasswordGridTest, ClickingACellMakesItCurrentAndDoubleClickReportsIt)
{
    grid->show();
    QSignalSpy doubleClicks(grid, &PasswordGrid::DblClick);
    const QRect target = grid->visualRect(grid->model()->index(1, 2));
    QTest::mouseClick(grid->viewport(), Qt::LeftButton, {}, target.center());
    EXPECT_EQ(grid->Row(), 2);
    EXPECT_EQ(grid->Col(), 2);

    const QRect other = grid->visualRect(grid->model()->index(2, 1));
    // A real double-click starts with a press, which the view relies on.
    QTest::mouseClick(grid->viewport(), Qt::LeftButton, {}, other.center());
    QTest::mouseDClick(grid->viewport(), Qt::LeftButton, {}, other.center());
    EXPECT_EQ(doubleClicks.count(), 1);
    EXPECT_EQ(grid->Row(), 3);
    EXPECT_EQ(grid->Col(), 1);
}

TEST_F(PasswordGridTest, NumberColumnStaysInPlaceAndInLine)
{
    grid->resize(200, 90);
    grid->setColWidth(0, 552);
    grid->setColWidth(1, 2486);
    grid->appendListings(QList<Listing>(40, Listing {"www.site.com", "user", "pw"}), 4);
    grid->show();
    auto* numbers = grid->findChild<QTableView*>("grd_password_numbers");
    ASSERT_NE(numbers, nullptr);

    // A cell far right, then one in "Web Site/Program": it is not left
    // under the number column.
    grid->setRow(30);
    grid->setCol(3);
    grid->setCol(1);
    EXPECT_GE(grid->visualRect(grid->model()->index(29, 1)).left(), numbers->columnWidth(0));
    EXPECT_EQ(numbers->geometry().left(), grid->frameWidth());
    EXPECT_EQ(numbers->horizontalHeader()->height(), grid->horizontalHeader()->height());
    EXPECT_EQ(numbers->verticalScrollBar()->value(), grid->verticalScrollBar()->value());
    EXPECT_EQ(numbers->rowViewportPosition(29), grid->rowViewportPosition(29));

    // Double-clicking a number reports the "#" column.
    QSignalSpy doubleClicks(grid, &PasswordGrid::DblClick);
    const QPoint at = numbers->visualRect(numbers->model()->index(29, 0)).center();
    QTest::mouseClick(numbers->viewport(), Qt::LeftButton, {}, at);
    QTest::mouseDClick(numbers->viewport(), Qt::LeftButton, {}, at);
    EXPECT_EQ(doubleClicks.count(), 1);
    EXPECT_EQ(grid->Row(), 30);
    EXPECT_EQ(grid->Col(), 0);
}

TEST_F(PasswordGridTest, ListingsAreAppendedNumberedAndReadBack)
{
    grid->appendListings({{"s4", "u4", "p4"}, {"s5", "u5", "p5"}}, 4);
    EXPECT_EQ(grid->Rows(), 6);
    EXPECT_EQ(cell(5, 0), QStringLiteral("5"));
    const QList<Listing> all = grid->listings();
    ASSERT_EQ(all.size(), 5);
    EXPECT_EQ(all[0], (Listing {"site1", "user", "pw"}));
    EXPECT_EQ(all[4], (Listing {"s5", "u5", "p5"}));
}

TEST_F(PasswordGridTest, HeaderStaysAndCellsAreNotEditedInPlace)
{
    EXPECT_TRUE(grid->horizontalHeader()->isVisibleTo(grid));
    EXPECT_EQ(grid->editTriggers(), QAbstractItemView::NoEditTriggers);
}

} // namespace

namespace {

// What the user sees: a loaded cell's pad spaces are kept but not drawn, so
// a short value is never cut off with an ellipsis; the "#" column looks like
// part of the frame.
TEST_F(PasswordGridTest, CellsAreDrawnWithoutTheirPadSpaces)
{
    grid->setColWidth(1, 2486);
    grid->appendListings(
        {{QString("www.a.com").leftJustified(75), QString("ann").leftJustified(20), QString("pw").leftJustified(15)}},
        4);
    grid->show();
    EXPECT_EQ(cell(4, 1).size(), 75) << "the cell keeps its padding";
    const QModelIndex site = grid->model()->index(3, 1);
    const QString shown = site.data(Qt::DisplayRole).toString();
    EXPECT_EQ(shown, QStringLiteral("www.a.com"));
    EXPECT_EQ(grid->fontMetrics().elidedText(shown, Qt::ElideRight, grid->columnWidth(1) - 8), shown)
        << "nothing is cut off";
    // Spaces inside a value are drawn; only the trailing ones are not.
    grid->setRow(4);
    grid->setCol(2);
    grid->setText(" a b  ");
    EXPECT_EQ(grid->model()->index(3, 2).data(Qt::DisplayRole).toString(), QStringLiteral(" a b"));
}

TEST_F(PasswordGridTest, NumberColumnLooksLikeTheFrame)
{
    grid->setColWidth(0, 552);
    grid->setColWidth(1, 2486);
    grid->show();
    auto* numbers = grid->findChild<QTableView*>("grd_password_numbers");
    ASSERT_NE(numbers, nullptr);
    grid->setRow(3);
    grid->setCol(1); // the current cell elsewhere, so no highlight on row 1
    const QImage image = grid->grab().toImage();
    const QRect number =
        numbers->visualRect(numbers->model()->index(0, 0)).translated(numbers->viewport()->mapTo(grid, QPoint(0, 0)));
    const QRect site =
        grid->visualRect(grid->model()->index(0, 1)).translated(grid->viewport()->mapTo(grid, QPoint(0, 0)));
    // Sampled right of the text, where only the cell's background shows.
    const QColor numberBackground = image.pixelColor(number.right() - 3, number.center().y());
    const QColor siteBackground = image.pixelColor(site.right() - 3, site.center().y());
    EXPECT_EQ(numberBackground, grid->palette().color(QPalette::Button));
    EXPECT_EQ(siteBackground, grid->palette().color(QPalette::Base));
    EXPECT_NE(numberBackground, siteBackground);
}

// A grid torn down with the window must not run its own code on itself
// half-destroyed (the sanitizer build checks it).
// A cell too narrow for its text shows the whole text when the pointer
// rests on it; a hidden password never does.
TEST_F(PasswordGridTest, NarrowCellsShowTheirWholeTextAsATip)
{
    const QString longSite = QStringLiteral("www.a-rather-long-web-site-name-that-does-not-fit.example.com/login");
    const QString longText = QStringLiteral("a-user-name-far-too-long-for-its-column");
    grid->appendListings({{QString("www.a.com").leftJustified(75), "ann", "pw"}, {longSite, longText, longText}}, 4);
    for (int column = 0; column < 4; ++column)
        grid->setColWidth(column, 1200);
    grid->resize(800, 200);
    grid->show();
    settle();
    auto tipAt = [this](int row, int column) {
        return grid->toolTipAt(grid->visualRect(grid->model()->index(row - 1, column)).center());
    };
    const struct {
        int row;
        int column;
        bool passwordsShown;
        QString tip;
    } cases[] = {
        {4, 1, true, {}}, // fits once its pad spaces are left out
        {4, 2, true, {}}, // fits
        {5, 1, true, longSite}, // too narrow: the whole text
        {5, 2, true, longText}, //
        {5, 3, true, longText}, // a shown password
        {5, 3, false, {}}, // a hidden one: nothing
        {5, 2, false, longText}, // only the password is hidden
        {5, 1, false, longSite}, //
    };
    for (const auto& c : cases) {
        grid->listingModel()->setPasswordsShown(c.passwordsShown);
        EXPECT_EQ(tipAt(c.row, c.column), c.tip) << c.row << "," << c.column << " shown " << c.passwordsShown;
    }
    grid->setColWidth(1, 20000);
    EXPECT_EQ(tipAt(5, 1), QString()) << "wide enough now";

    // The pointer resting there shows it.
    grid->listingModel()->setPasswordsShown(true);
    const QPoint at = grid->visualRect(grid->model()->index(4, 2)).center();
    QHelpEvent help(QEvent::ToolTip, at, grid->viewport()->mapToGlobal(at));
    QApplication::sendEvent(grid->viewport(), &help);
    EXPECT_EQ(QToolTip::text(), longText);
    QToolTip::hideText();
}

TEST_F(PasswordGridTest, DestroyingAShownGridRunsNoSlotOnIt)
{
    auto* parent = new QWidget;
    auto* shown = new PasswordGrid(parent);
    shown->appendListings(QList<Listing>(20, Listing {"www.x.com", "u", "p"}), 1);
    parent->show();
    settle();
    QPointer<PasswordGrid> guard(shown);
    delete parent;
    EXPECT_TRUE(guard.isNull());
}

} // namespace
