#include "gui/ui/idlewatch.h"
#include "support/guifixture.h"

#include <QKeyEvent>
#include <QMouseEvent>
#include <QPushButton>
#include <QSignalSpy>
#include <QWheelEvent>

#include <memory>

namespace {

using namespace std::chrono_literals;

class IdleWatchTest : public GuiTest {
protected:
    void SetUp() override
    {
        GuiTest::SetUp();
        target = new QPushButton("target");
        target->show();
    }
    QPushButton* target = nullptr; // deleted with the other windows
};

// Each kind of input starts the countdown afresh, wherever it goes.
TEST_F(IdleWatchTest, InputStartsTheCountdownAgain)
{
    const QPointF at(5, 5);
    const struct {
        const char* what;
        std::function<std::unique_ptr<QEvent>()> make;
    } inputs[] = {
        {"key", [] { return std::make_unique<QKeyEvent>(QEvent::KeyPress, Qt::Key_A, Qt::NoModifier, "a"); }},
        {"shortcut key",
         [] { return std::make_unique<QKeyEvent>(QEvent::ShortcutOverride, Qt::Key_C, Qt::ControlModifier); }},
        {"mouse button",
         [at] {
             return std::make_unique<QMouseEvent>(QEvent::MouseButtonPress, at, at, Qt::LeftButton, Qt::LeftButton,
                                                  Qt::NoModifier);
         }},
        {"mouse move",
         [at] {
             return std::make_unique<QMouseEvent>(QEvent::MouseMove, at, at, Qt::NoButton, Qt::NoButton,
                                                  Qt::NoModifier);
         }},
        {"wheel",
         [at] {
             return std::make_unique<QWheelEvent>(at, at, QPoint(), QPoint(0, 120), Qt::NoButton, Qt::NoModifier,
                                                  Qt::NoScrollPhase, false);
         }},
    };
    IdleWatch watch;
    watch.setInterval(1h);
    QTimer* countdown = watch.findChild<QTimer*>();
    ASSERT_NE(countdown, nullptr);
    for (const auto& input : inputs) {
        countdown->stop();
        std::unique_ptr<QEvent> event = input.make();
        QCoreApplication::sendEvent(target, event.get());
        EXPECT_TRUE(watch.counting()) << input.what;
    }
}

TEST_F(IdleWatchTest, OtherEventsDoNotCount)
{
    IdleWatch watch;
    watch.setInterval(1h);
    QTimer* countdown = watch.findChild<QTimer*>();
    ASSERT_NE(countdown, nullptr);
    countdown->stop();
    QEvent update(QEvent::UpdateRequest);
    QKeyEvent release(QEvent::KeyRelease, Qt::Key_A, Qt::NoModifier);
    QCoreApplication::sendEvent(target, &update);
    QCoreApplication::sendEvent(target, &release);
    EXPECT_FALSE(watch.counting());
}

TEST_F(IdleWatchTest, FiresAfterTheIntervalAndAgain)
{
    IdleWatch watch;
    QSignalSpy idle(&watch, &IdleWatch::idle);
    watch.setInterval(1ms);
    ASSERT_TRUE(idle.wait(5000));
    EXPECT_TRUE(watch.counting()) << "counts towards the next idle period";
    ASSERT_TRUE(idle.wait(5000));
}

TEST_F(IdleWatchTest, ZeroNeverFires)
{
    IdleWatch watch;
    watch.setInterval(0ms);
    EXPECT_FALSE(watch.counting());
    QKeyEvent key(QEvent::KeyPress, Qt::Key_A, Qt::NoModifier, "a");
    QCoreApplication::sendEvent(target, &key);
    EXPECT_FALSE(watch.counting());
}

} // namespace
