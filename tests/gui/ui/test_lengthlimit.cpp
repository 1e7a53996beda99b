#include "gui/ui/lengthlimit.h"
#include "support/guifixture.h"

#include <QApplication>
#include <QClipboard>
#include <QLineEdit>
#include <QTest>

namespace {

class LengthLimitTest : public GuiTest { };

// Whatever way text comes in, more than the limit is refused whole, and
// said, never cut to fit.
TEST_F(LengthLimitTest, RefusesWhatWouldPassTheLimitAndSaysSo)
{
    const struct {
        const char* name;
        QString before;
        std::function<void(QLineEdit*)> edit;
        QString after;
        bool told;
    } cases[] = {
        {"typing up to the limit", "", [](QLineEdit* box) { QTest::keyClicks(box, "abcde"); }, "abcde", false},
        {"typing past the limit", "abcde", [](QLineEdit* box) { QTest::keyClicks(box, "f"); }, "abcde", true},
        {"pasting what fits", "ab",
         [](QLineEdit* box) {
             QApplication::clipboard()->setText("cde");
             box->paste();
         },
         "abcde", false},
        {"pasting too much", "ab",
         [](QLineEdit* box) {
             QApplication::clipboard()->setText("cdefghij");
             box->paste();
         },
         "ab", true},
        {"replacing a selection", "abcde",
         [](QLineEdit* box) {
             box->selectAll();
             QTest::keyClicks(box, "z");
         },
         "z", false},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        QLineEdit box;
        box.setEchoMode(QLineEdit::Password);
        LimitLength(&box, 5);
        box.show();
        box.setText(c.before);
        box.end(false);
        messages.clear();
        c.edit(&box);
        settle();
        EXPECT_EQ(box.text(), c.after);
        ASSERT_EQ(messages.size(), c.told ? 1 : 0);
        if (c.told) {
            EXPECT_TRUE(messages[0].text.contains("at most 5 characters")) << qPrintable(messages[0].text);
            EXPECT_EQ(messages[0].caption, "Password Not Accepted");
        }
    }
    QApplication::clipboard()->clear();
}

} // namespace
