// The options dialog on its own: the screen lock choice, and Return and
// Escape wherever the focus is.
#include "gui/options/frm_options.h"
#include "support/guifixture.h"

#include <QApplication>
#include <QCheckBox>
#include <QLabel>
#include <QPushButton>
#include <QSpinBox>
#include <QTest>

#include <optional>

namespace {

struct Applied {
    int clipboardSeconds;
    int idleMinutes;
    bool lockOnScreenLock;
    friend bool operator==(const Applied&, const Applied&) = default;
};

class OptionsDialogTest : public GuiTest {
protected:
    frm_options* open(const Options& current, bool screenLockSeen)
    {
        applied.reset();
        frm_options* form = frm_options::showOnce(current, screenLockSeen, [this](int seconds, int minutes, bool lock) {
            applied = Applied {seconds, minutes, lock};
        });
        settle();
        QApplication::setActiveWindow(form);
        return form;
    }
    std::optional<Applied> applied;
};

Options someOptions(bool lockOnScreenLock)
{
    Options options;
    options.clipboardSeconds = 30;
    options.idleMinutes = 5;
    options.lockOnScreenLock = lockOnScreenLock;
    return options;
}

TEST_F(OptionsDialogTest, ShowsAndAppliesTheScreenLockChoice)
{
    for (const bool stored : {true, false}) {
        SCOPED_TRACE(stored);
        frm_options* form = open(someOptions(stored), true);
        EXPECT_EQ(form->chk_screenlock->isChecked(), stored);
        EXPECT_TRUE(form->chk_screenlock->isEnabled());
        EXPECT_TRUE(form->lbl_screenlock->isHidden());
        form->chk_screenlock->click();
        form->Command1->click();
        settle();
        EXPECT_EQ(applied, (Applied {30, 5, !stored}));
        EXPECT_EQ(window<frm_options>("frm_options"), nullptr);
    }
}

// Without a bus the choice is shown as stored, cannot be changed, and a line
// says why; OK keeps it as it was.
TEST_F(OptionsDialogTest, WithoutABusTheChoiceIsFixedAndSaysWhy)
{
    for (const bool stored : {true, false}) {
        SCOPED_TRACE(stored);
        frm_options* form = open(someOptions(stored), false);
        EXPECT_EQ(form->chk_screenlock->isChecked(), stored);
        EXPECT_FALSE(form->chk_screenlock->isEnabled());
        EXPECT_TRUE(form->lbl_screenlock->isVisible());
        EXPECT_EQ(form->lbl_screenlock->text(), QStringLiteral("The screen lock cannot be seen on this system."));
        QTest::mouseClick(form->chk_screenlock, Qt::LeftButton);
        EXPECT_EQ(form->chk_screenlock->isChecked(), stored);
        form->Command1->click();
        settle();
        EXPECT_EQ(applied, (Applied {30, 5, stored}));
    }
}

// Return confirms and Escape cancels from every control that takes the
// focus, a number being typed included; a focused button is the one
// exception to Return: it presses that button, as everywhere on the desktop.
TEST_F(OptionsDialogTest, ReturnAndEscapeWorkWhereverTheFocusIs)
{
    const char* controls[] = {"txt_clipboard", "txt_idle", "chk_screenlock", "Command1", "Command2"};
    for (const char* name : controls) {
        for (const Qt::Key key : {Qt::Key_Return, Qt::Key_Enter, Qt::Key_Escape}) {
            SCOPED_TRACE(std::string(name) + (key == Qt::Key_Escape ? " Escape" : " Return"));
            frm_options* form = open(someOptions(true), true);
            QWidget* focused = control<QWidget>(form, name);
            ASSERT_NE(focused, nullptr);
            focused->setFocus();
            ASSERT_EQ(QApplication::focusWidget(), focused);
            // A number typed but not yet taken counts as it stands.
            if (auto* box = qobject_cast<QSpinBox*>(focused)) {
                box->selectAll();
                QTest::keyClicks(box, "7");
            }
            const bool confirms = key != Qt::Key_Escape && focused != form->Command2;
            const Applied expected {focused == form->txt_clipboard ? 7 : 30, focused == form->txt_idle ? 7 : 5, true};
            const Qt::KeyboardModifiers modifiers = key == Qt::Key_Enter ? Qt::KeypadModifier : Qt::NoModifier;
            // Through the window, as a key from the window system comes.
            QTest::keyClick(form->windowHandle(), key, modifiers);
            settle();
            EXPECT_EQ(window<frm_options>("frm_options"), nullptr) << "the dialog stays open";
            EXPECT_EQ(applied, confirms ? std::optional(expected) : std::nullopt);
        }
    }
}

} // namespace
