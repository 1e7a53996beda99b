#pragma once

#include "core/session/listsession.h"
#include "gui/listings/frm_list.h"

#include <QPointer>
#include <QString>

class ClipboardGuard;
class InstanceLock;
class ScreenLockWatch;

// The program's start, and the owner of the open list's session for the
// whole run: takes the folder's lock (held in lock until the program ends),
// puts the folder in order, decides between first run and unlock, and opens
// the one dialog for it (on a first run, the question of how to protect the
// list comes first), which hands the session on to the listing window.
// Values the user copies go through clipboard, which is cleared, while it
// still holds them, whenever the program is made to end and when it quits.
class StartupProcedure {
public:
    // screenLock (may be null) tells the open list when the screen locks.
    StartupProcedure(InstanceLock& lock, ClipboardGuard& clipboard, ScreenLockWatch* screenLock = nullptr);

    // Returns at once; false when the program must end now (another copy
    // has the list open, or the user chose not to open it). A fault stops
    // the program.
    bool run(const QString& appDir);

    ListSession& session() { return m_session; }
    // The listing window once the list is open (nothing before, or after
    // it closed).
    frm_list* listWindow() const { return m_list; }

private:
    bool openList();
    // A new list: how to protect it, then the set-up for that choice.
    void askProtection();

    InstanceLock& m_lock;
    ClipboardGuard& m_clipboard;
    ScreenLockWatch* m_screenLock;
    ListSession m_session;
    QPointer<frm_list> m_list;
    bool m_lockedWhileOpening = false;
};
