#include "gui/ui/clipboardguard.h"
#include "support/guifixture.h"

#include <QClipboard>
#include <QGuiApplication>
#include <QMimeData>
#include <QSignalSpy>
#include <QTest>

namespace {

using namespace std::chrono_literals;

class ClipboardGuardTest : public GuiTest {
protected:
    void TearDown() override
    {
        QGuiApplication::clipboard()->clear();
        GuiTest::TearDown();
    }
    static QString clipboardText() { return QGuiApplication::clipboard()->text(); }
    // Waits for the guard's timed look at the clipboard; what it found.
    bool timedClear(ClipboardGuard& guard)
    {
        QSignalSpy done(&guard, &ClipboardGuard::timedClearDone);
        EXPECT_TRUE(done.wait(5000));
        return !done.isEmpty() && done.first().first().toBool();
    }
};

TEST_F(ClipboardGuardTest, SecretCopiesCarryTheHint)
{
    ClipboardGuard guard;
    for (const bool secret : {true, false}) {
        guard.copy("value", secret);
        const QMimeData* data = QGuiApplication::clipboard()->mimeData();
        ASSERT_NE(data, nullptr);
        EXPECT_EQ(data->text(), QStringLiteral("value"));
        EXPECT_EQ(data->hasFormat("x-kde-passwordManagerHint"), secret);
        EXPECT_EQ(data->data("x-kde-passwordManagerHint"), secret ? QByteArray("secret") : QByteArray());
    }
}

// After the delay the clipboard is emptied only while it still holds the
// copied text, whoever put it there.
TEST_F(ClipboardGuardTest, TimedClearOnlyWhileTheClipboardHoldsTheCopy)
{
    const struct {
        const char* what;
        std::function<void()> meanwhile;
        bool cleared;
        QString left;
    } cases[] = {
        {"untouched", [] {}, true, QString()},
        {"the same text copied again elsewhere", [] { QGuiApplication::clipboard()->setText("pw1"); }, true, QString()},
        {"something else copied", [] { QGuiApplication::clipboard()->setText("mine"); }, false, "mine"},
        {"emptied", [] { QGuiApplication::clipboard()->clear(); }, false, QString()},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        ClipboardGuard guard;
        guard.setDelay(1ms);
        guard.copy("pw1", true);
        EXPECT_TRUE(guard.clearPending());
        c.meanwhile();
        EXPECT_EQ(timedClear(guard), c.cleared);
        EXPECT_EQ(clipboardText(), c.left);
        EXPECT_FALSE(guard.clearPending());
    }
}

TEST_F(ClipboardGuardTest, ANewCopyRestartsTheDelayForItsOwnText)
{
    ClipboardGuard guard;
    guard.setDelay(1ms);
    guard.copy("first", true);
    guard.copy("second", false);
    EXPECT_TRUE(timedClear(guard));
    EXPECT_EQ(clipboardText(), QString());
}

TEST_F(ClipboardGuardTest, ZeroDelayNeverClearsByTime)
{
    ClipboardGuard guard;
    guard.setDelay(0ms);
    guard.copy("pw", true);
    EXPECT_FALSE(guard.clearPending());
    EXPECT_EQ(clipboardText(), QStringLiteral("pw"));
    // Turning the delay off stops a clear already counting down too.
    guard.setDelay(1h);
    guard.copy("pw", true);
    EXPECT_TRUE(guard.clearPending());
    guard.setDelay(0ms);
    EXPECT_FALSE(guard.clearPending());
    // Locking still takes it off.
    EXPECT_TRUE(guard.clearIfStillOurs());
    EXPECT_EQ(clipboardText(), QString());
}

TEST_F(ClipboardGuardTest, ClearNowLeavesWhatTheUserCopiedSince)
{
    ClipboardGuard guard;
    guard.setDelay(1h);
    EXPECT_FALSE(guard.clearIfStillOurs()) << "nothing copied yet";
    guard.copy("pw", true);
    QGuiApplication::clipboard()->setText("mine");
    EXPECT_FALSE(guard.clearIfStillOurs());
    EXPECT_EQ(clipboardText(), QStringLiteral("mine"));
    EXPECT_FALSE(guard.clearPending());

    guard.copy("pw", true);
    EXPECT_TRUE(guard.clearIfStillOurs());
    EXPECT_EQ(clipboardText(), QString());
    QGuiApplication::clipboard()->setText("pw");
    EXPECT_FALSE(guard.clearIfStillOurs()) << "a copy is cleared once";
    EXPECT_EQ(clipboardText(), QStringLiteral("pw"));
}

} // namespace
