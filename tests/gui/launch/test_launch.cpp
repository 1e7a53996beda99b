#include "gui/launch/frm_about.h"
#include "gui/launch/websitelaunch.h"
#include "gui/listings/listfixture.h"
#include "support/formchecks.h"
#include "support/webaddresscases.h"

#include <QLabel>
#include <QPushButton>
#include <QTest>

namespace {

class LaunchTest : public ListWindowTest {
protected:
    // Puts text in row 1, column `column`, and double-clicks that cell.
    void doubleClick(int column, const QString& text)
    {
        grid()->setRow(1);
        grid()->setCol(column);
        grid()->setText(text);
        const QRect cellRect = grid()->visualRect(grid()->model()->index(0, column));
        QTest::mouseClick(grid()->viewport(), Qt::LeftButton, {}, cellRect.center());
        QTest::mouseDClick(grid()->viewport(), Qt::LeftButton, {}, cellRect.center());
    }
    const Message notAWebsite {"Sorry the cell you clicked on doesn't seem\rto contain a website.\r"
                               "The website's format should be 'www.example.com.'",
                               "Oops"};
};

TEST_F(LaunchTest, DoubleClickedWebSiteCellsOpenTheirAddressOrSayWhyNot)
{
    openWithListings(1);
    for (const WebAddressCase& c : webAddressCases()) {
        messages.clear();
        handedOver.clear();
        doubleClick(1, c.cell);
        EXPECT_EQ(handedOver, c.address.isEmpty() ? QStringList {} : QStringList {c.address}) << qPrintable(c.cell);
        EXPECT_EQ(messages, c.address.isEmpty() ? QList<Message> {notAWebsite} : QList<Message> {})
            << qPrintable(c.cell);
    }
    EXPECT_EQ(grid()->Rows(), 2);
}

TEST_F(LaunchTest, OtherColumnsOpenNothingAndSayNothing)
{
    openWithListings(1);
    for (const int column : {0, 2, 3}) {
        doubleClick(column, "www.example.com");
        EXPECT_TRUE(handedOver.isEmpty()) << column;
        EXPECT_TRUE(messages.isEmpty()) << column;
    }
}

TEST_F(LaunchTest, HelpHandsOverTheHelpFileAndSaysNothing)
{
    openWithListings(1);
    for (const bool present : {true, false}) {
        if (present)
            writeFile("help.html", "<html></html>");
        else
            QFile::remove(path("help.html"));
        handedOver.clear();
        list->mnu_help2->trigger();
        EXPECT_EQ(handedOver, QStringList {dir.path() + "/help.html"});
        EXPECT_TRUE(messages.isEmpty());
        EXPECT_TRUE(list->isVisible());
    }
}

TEST_F(LaunchTest, AboutBoxLooksAndItsOneInstance)
{
    openWithListings(1);
    list->mnu_about->trigger();
    settle();
    auto* about = window<frm_About>("frm_About");
    ASSERT_NE(about, nullptr);
    EXPECT_TRUE(about->Label1->font().bold());
    EXPECT_EQ(about->Label1->font().pointSize(), 12);
    EXPECT_EQ(about->Image1->pixmap().size(), QSize(48, 48));
    for (QLabel* line : {about->Label2, about->Label3, about->Label4, about->Label5, about->Label6}) {
        EXPECT_FALSE(line->text().isEmpty());
        EXPECT_LE(line->fontMetrics().horizontalAdvance(line->text()), line->width()) << qPrintable(line->text());
    }
    EXPECT_EQ(about->focusWidget(), about->Command1);

    list->mnu_about->trigger();
    EXPECT_EQ(openWindowCount("frm_About"), 1);

    // The listing window keeps working beside it.
    list->cmd_nothing->click();
    EXPECT_EQ(messages.size(), 1);

    QPointer<frm_About> first(about);
    about->Command1->click();
    settle();
    EXPECT_TRUE(first.isNull());
    list->mnu_about->trigger();
    settle();
    auto* fresh = window<frm_About>("frm_About");
    ASSERT_NE(fresh, nullptr);
    EXPECT_EQ(fresh->Label1->text(), QStringLiteral("Vellamar V1.0.1"));
}

} // namespace
