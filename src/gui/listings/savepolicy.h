#pragma once

#include "core/session/listsession.h"
#include "core/storage/storageresult.h"

#include <QString>

#include <functional>

// When the open list is written as its use ends, and what a failed write
// leads to. Closing asks from the second failure in a row whether to let
// the changes go; an idle lock has nobody to ask and keeps the list; a
// logout saves and stays; a shutdown saves once, come what may. Once the
// list is saved (or let go) the session forgets it and onEnd runs, once.
class SavePolicy {
public:
    // save writes the list (the described SaveList, which also moves the
    // grid's current row), saying whether someone is there to answer.
    using Save = std::function<StorageResult(ListSession::Attendance)>;
    SavePolicy(ListSession& session, Save save, std::function<void()> onEnd);

    // The list is saved, or the user chose to let it go: the window may
    // close. Otherwise the failure was shown and the window stays.
    bool saveOnClose();
    // Saved and ended; on a failure the list stays, and nobody is there to
    // answer a question: the caller hides what it must, then shows it.
    StorageResult saveOnIdleLock();
    // The desktop session asks before a logout: saves and stays open. A
    // failure goes to standard error and leaves the last good file.
    void saveBeforeLogout();
    // The system is ending the program: saves without a goodbye, once.
    void saveForShutdown();

    bool ended() const { return m_ended; }

    // The list stays open after a failed save.
    static void showFailure(const QString& error);

private:
    void end();

    ListSession& m_session;
    Save m_save;
    std::function<void()> m_onEnd;
    bool m_ended = false;
    int m_failedCloses = 0; // failed saves on close, in a row
};
