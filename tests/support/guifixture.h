#pragma once

#include "core/session/listsession.h"
#include "gui/ui/busy.h"
#include "support/tempappdir.h"

#include <QList>
#include <QString>
#include <QWidget>

#include <functional>

class frm_list;

struct Message {
    QString text;
    QString caption;
    friend bool operator==(const Message&, const Message&) = default;
};

// What Fault::stop throws in tests, once the fault is recorded: the
// program would have ended there.
struct FaultStopped {
    QString message;
};

// A program folder of its own with a list session over it (slow work off
// the GUI thread, as in the program), message boxes and faults recorded
// instead of shown, and every window gone at the end.
class GuiTest : public TempAppDirTest {
protected:
    void SetUp() override;
    void TearDown() override;

    // The open top-level window with that object name, if any.
    template <class W> W* window(const char* objectName) const { return qobject_cast<W*>(findWindow(objectName)); }
    QWidget* findWindow(const char* objectName) const;
    int openWindowCount(const char* objectName) const;
    // What the start hands the set-up and unlock dialogs: opens the list
    // window over session.
    bool openListWindow();
    std::function<bool()> listOpener()
    {
        return [this] { return openListWindow(); };
    }
    // A start's unlock over session: shows the unlock dialog, types entry
    // and presses Enter. The listing window that opened, or nullptr; then
    // the dialog is let go, so the next call starts afresh.
    frm_list* unlockWith(const QString& entry);
    // As a new start does after the folder changed: what was open is
    // forgotten, and the list is then opened under password without an
    // unlock (empty: no key).
    void restartSession(const QString& password = {});
    // Runs posted deletions, so closed windows are gone.
    static void settle();

    // A control of a window by its object name; fails the test when absent.
    template <class C> C* control(QWidget* form, const char* objectName) const
    {
        C* found = form->findChild<C*>(QString::fromLatin1(objectName));
        EXPECT_NE(found, nullptr) << objectName;
        return found;
    }

    // The program runs slow work off the GUI thread: so do the tests.
    ListSession session {{}, [](const std::function<void()>& work) { Busy::wait(work); }};
    QList<Message> messages;
    QStringList faults;
    QStringList handedOver; // what went to the desktop shell
};
