#include "gui/listings/savepolicy.h"

#include "core/session/listsession.h"
#include "gui/ui/msgbox.h"

#include <cstdio>

namespace {
const QString kSaveFailedCaption = QStringLiteral("Save Failed");
} // namespace

SavePolicy::SavePolicy(ListSession& session, Save save, std::function<void()> onEnd)
    : m_session(session)
    , m_save(std::move(save))
    , m_onEnd(std::move(onEnd))
{
}

void SavePolicy::end()
{
    if (m_ended)
        return;
    m_ended = true;
    // The window lets go of what it shows first (its cells view the
    // session's listings), then the key and listings are wiped.
    if (m_onEnd)
        m_onEnd();
    m_session.forget();
}

void SavePolicy::showFailure(const QString& error)
{
    MsgBox::show(QStringLiteral("Your list could not be saved.\r%1\r"
                                "The list stays open; the list file on disk is the last one saved.")
                     .arg(error),
                 kSaveFailedCaption);
}

bool SavePolicy::saveOnClose()
{
    if (m_ended)
        return true;
    if (auto saved = m_save(ListSession::Attendance::Attended); !saved) {
        // Keep the rows on screen so the user can try again; from the second
        // failure in a row, let them go without saving rather than trap them.
        ++m_failedCloses;
        if (m_failedCloses < 2) {
            showFailure(saved.error);
            return false;
        }
        if (!MsgBox::ask(QStringLiteral("Your list could not be saved.\r%1\r"
                                        "The list file on disk is the last one saved.\r\r"
                                        "Close without saving? The changes since the last successful save "
                                        "will be lost.")
                             .arg(saved.error),
                         kSaveFailedCaption))
            return false;
    }
    end();
    return true;
}

StorageResult SavePolicy::saveOnIdleLock()
{
    if (m_ended)
        return StorageResult::success();
    // On a failure the rows stay, and the next idle period tries again.
    StorageResult saved = m_save(ListSession::Attendance::Unattended);
    if (saved)
        end();
    return saved;
}

void SavePolicy::saveBeforeLogout()
{
    if (m_ended)
        return;
    if (auto saved = m_save(ListSession::Attendance::Unattended); !saved)
        std::fprintf(stderr, "vellamar: the list was not saved: %s\n", qPrintable(saved.error));
    else
        m_failedCloses = 0;
}

void SavePolicy::saveForShutdown()
{
    if (m_ended)
        return;
    saveBeforeLogout();
    end();
}
