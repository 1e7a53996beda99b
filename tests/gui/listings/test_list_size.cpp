// The listing window grows by its border: the grid takes the room, the
// label and buttons keep their places around it, and the size is kept for
// the next start.
#include "core/options/optionsstore.h"
#include "gui/listings/listfixture.h"
#include "gui/ui/twips.h"

#include <QGuiApplication>
#include <QLabel>
#include <QPushButton>
#include <QScreen>

namespace {

class ListSizeTest : public ListWindowTest {
protected:
    QWidget* client() const { return list->centralWidget(); }
    // Grows the window so that its client area gains extra pixels.
    void grow(QSize extra)
    {
        list->resize(list->size() + extra);
        settle();
    }
    const QSize described = Twips::size(5535, 3090);
};

TEST_F(ListSizeTest, OpensAtTheDescribedSizeAndNeverGetsSmaller)
{
    openWithListings(1);
    EXPECT_EQ(client()->size(), described);
    EXPECT_FALSE(list->windowFlags() & Qt::WindowMaximizeButtonHint);
    EXPECT_FALSE(list->windowFlags() & Qt::WindowMinimizeButtonHint);
    EXPECT_NE(list->minimumSize(), list->maximumSize()) << "resizable";
    list->resize(50, 50);
    settle();
    EXPECT_EQ(client()->size(), described);
}

TEST_F(ListSizeTest, TheGridTakesTheNewRoom)
{
    openWithListings(3);
    const QRect label = list->Label1->geometry();
    const QRect gridRect = grid()->geometry();
    const int widths[] = {grid()->ColWidth(0), grid()->ColWidth(1), grid()->ColWidth(2), grid()->ColWidth(3)};
    const QSize extra(300, 200);
    grow(extra);
    ASSERT_EQ(client()->size(), described + extra);

    EXPECT_EQ(list->Label1->geometry(), label);
    EXPECT_EQ(grid()->geometry(), gridRect.adjusted(0, 0, extra.width(), extra.height()));
    // The extra width goes to the three text columns (checked apart below).
    EXPECT_EQ(grid()->ColWidth(0), widths[0]);
    EXPECT_GT(grid()->ColWidth(1), widths[1]);
    EXPECT_GT(grid()->ColWidth(3), widths[3]);

    // The buttons keep their two rows of three below the grid.
    const QPushButton* rows[2][3] = {{list->cmd_add, list->cmd_edit, list->cmd_delete},
                                     {list->cmd_lock, list->cmd_pword, list->cmd_nothing}};
    for (int r = 0; r < 2; ++r) {
        for (int c = 0; c < 3; ++c) {
            const QRect button = rows[r][c]->geometry();
            EXPECT_GT(button.top(), grid()->geometry().bottom()) << qPrintable(rows[r][c]->objectName());
            EXPECT_LE(button.bottom(), client()->height());
            EXPECT_EQ(button.size(), Twips::size(1455, 375));
            if (c > 0) {
                EXPECT_GT(button.left(), rows[r][c - 1]->geometry().right());
            }
            if (r > 0) {
                EXPECT_GT(button.top(), rows[r - 1][c]->geometry().bottom());
            }
        }
    }
    // And back: the described layout again.
    list->resize(list->size() - extra);
    settle();
    EXPECT_EQ(grid()->geometry(), gridRect);
    EXPECT_EQ(list->cmd_add->geometry(), Twips::rect(360, 2040, 1455, 375));
    for (int column = 0; column < 4; ++column)
        EXPECT_EQ(grid()->ColWidth(column), widths[column]) << column;
}

// Site, user name and password share the extra width in proportion to their
// described widths (2:1:1), so the grid's columns fill it exactly.
TEST_F(ListSizeTest, ExtraWidthIsSharedInProportion)
{
    openWithListings(1);
    const int widths[] = {grid()->ColWidth(0), grid()->ColWidth(1), grid()->ColWidth(2), grid()->ColWidth(3)};
    const int described = widths[1] + widths[2] + widths[3];
    for (const int wider : {1, 7, 300, 1001}) {
        SCOPED_TRACE(wider);
        grow({wider, 0});
        ASSERT_EQ(client()->width(), Twips::size(5535, 3090).width() + wider);
        const int extra = Twips::fromPixels(wider);
        int given = 0;
        for (int column = 1; column < 4; ++column) {
            const int share = grid()->ColWidth(column) - widths[column];
            given += share;
            EXPECT_NEAR(double(share), double(extra) * widths[column] / described, 1.0) << column;
        }
        EXPECT_EQ(given, extra) << "nothing lost to rounding";
        EXPECT_EQ(grid()->ColWidth(0), widths[0]);
        EXPECT_NEAR(grid()->columnWidth(1), 2 * grid()->columnWidth(2), 2);
        EXPECT_NEAR(grid()->columnWidth(2), grid()->columnWidth(3), 1);
        list->resize(list->size() - QSize(wider, 0));
        settle();
        for (int column = 0; column < 4; ++column)
            EXPECT_EQ(grid()->ColWidth(column), widths[column]) << "back at the described size: " << column;
    }
}

TEST_F(ListSizeTest, TheSizeIsRememberedOnClose)
{
    openWithListings(1);
    list->close();
    settle();
    EXPECT_FALSE(exists("vellamar.ini")) << "the described size needs no file";

    openWithListings(1);
    grow({150, 90});
    list->close();
    settle();
    const Options stored = OptionsStore::read(path("vellamar.ini"));
    EXPECT_EQ(stored.listSize, QSize(5535 + 150 * 15, 3090 + 90 * 15));

    openWithListings(1);
    EXPECT_EQ(client()->size(), described + QSize(150, 90));
}

TEST_F(ListSizeTest, NeverOpensLargerThanTheScreen)
{
    writeFile("vellamar.ini", "[Window]\nListWidthTwips=250000\nListHeightTwips=250000\n");
    openWithListings(1);
    const QSize screen = QGuiApplication::primaryScreen()->availableGeometry().size();
    EXPECT_LE(list->width(), screen.width());
    EXPECT_LE(list->height(), screen.height());
    EXPECT_GE(client()->width(), described.width());
    EXPECT_GE(client()->height(), described.height());
}

TEST_F(ListSizeTest, AStoredSizeBelowTheDescribedOneGivesTheDescribedOne)
{
    writeFile("vellamar.ini", "[Window]\nListWidthTwips=1000\nListHeightTwips=99999\n");
    openWithListings(1);
    EXPECT_EQ(client()->width(), described.width());
    EXPECT_GT(client()->height(), described.height());
}

} // namespace
