#include "gui/launch/frm_about.h"
#include "gui/launch/websitelaunch.h"
#include "gui/listings/listfixture.h"
#include "support/formchecks.h"

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
    const Message notAWebsite{"Sorry the cell you clicked on doesn't seem\rto contain a website.\r"
                              "The website's format should be 'www.example.com.'",
                              "Oops"};
};

TEST_F(LaunchTest, DoubleClickedCellsAndWhatTheyOpen)
{
    const struct {
        int column;
        QString text;
        QString handedOver; // empty: nothing handed over
        bool refused;
    } cases[] = {
        {1, "www.example.com", "http://www.example.com", false},
        {1, "WWW.Example.COM/Path?q=a b", "http://WWW.Example.COM/Path?q=a b", false},
        {1, "Www.x.org", "http://Www.x.org", false},
        {1, "www.", "http://www.", false},
        {1, QString("  www.padded.net").leftJustified(75), "http://www.padded.net", false},
        {1, QString::fromUtf16(u"www.cut.com\0ignored", 19), "http://www.cut.com", false},
        {1, QString::fromUtf16(u"www.caf\u00e9.fr"), QString::fromUtf16(u"http://www.caf\u00e9.fr"), false},
        {1, "http://www.example.com", {}, true},
        {1, "example.com", {}, true},
        {1, "", {}, true},
        {1, "\twww.tab.com", {}, true},
        {1, "ww.short", {}, true},
        {0, "www.number.com", {}, false},
        {2, "www.user.com", {}, false},
        {3, "www.password.com", {}, false},
    };
    openWithListings(1);
    for (const auto& c : cases) {
        messages.clear();
        handedOver.clear();
        doubleClick(c.column, c.text);
        EXPECT_EQ(handedOver, c.handedOver.isEmpty() ? QStringList{} : QStringList{c.handedOver})
            << c.column << " " << qPrintable(c.text);
        EXPECT_EQ(messages, c.refused ? QList<Message>{notAWebsite} : QList<Message>{})
            << c.column << " " << qPrintable(c.text);
    }
    EXPECT_EQ(grid()->Rows(), 2);
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
        EXPECT_EQ(handedOver, QStringList{dir.path() + "/help.html"});
        EXPECT_TRUE(messages.isEmpty());
        EXPECT_TRUE(list->isVisible());
    }
}

TEST_F(LaunchTest, AboutBoxLayoutAndItsOneInstance)
{
    openWithListings(1);
    list->mnu_about->trigger();
    settle();
    auto* about = window<frm_About>("frm_About");
    ASSERT_NE(about, nullptr);
    expectWindowBasics(about, "About Vellamar V1.0", 4680, 2430);
    expectLayout(about, {
                            {"Image1", {}, 120, 120, 720, 720},
                            {"Label1", "Vellamar V1.0.1", 960, 120, 3135, 375},
                            {"Label2", {}, 960, 480, 3615, 255},
                            {"Label3", {}, 960, 840, 3615, 255},
                            {"Label4", {}, 960, 1080, 3375, 255},
                            {"Label5", {}, 960, 1320, 3135, 255},
                            {"Label6", {}, 960, 1560, 3375, 255},
                            {"Command1", "O.K.", 1800, 1920, 1215, 375},
                        });
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

TEST(WebAddressOf, TestsOnlyTheFirstFourCharacters)
{
    EXPECT_EQ(WebAddressOf("www.a b\tc"), std::optional<QString>("http://www.a b\tc"));
    EXPECT_EQ(WebAddressOf("wWw."), std::optional<QString>("http://wWw."));
    EXPECT_FALSE(WebAddressOf("www").has_value());
    EXPECT_FALSE(WebAddressOf(QString::fromUtf16(u"\u00a0www.x")).has_value());
}

} // namespace
