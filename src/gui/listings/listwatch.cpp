#include "gui/listings/listwatch.h"

#include "core/session/listsession.h"
#include "gui/masterpassword/otherpassword.h"
#include "gui/ui/msgbox.h"

namespace {

constexpr int kQuietMs = 2000;

} // namespace

ListWatch::ListWatch(ListSession& session, std::function<bool()> mayMerge, std::function<void()> merged,
                     QObject* parent)
    : QObject(parent)
    , m_session(session)
    , m_mayMerge(std::move(mayMerge))
    , m_merged(std::move(merged))
{
    m_quiet.setSingleShot(true);
    m_quiet.setInterval(kQuietMs);
    connect(&m_quiet, &QTimer::timeout, this, &ListWatch::check);
    m_watcher.addPath(session.folder().list.folder());
    connect(&m_watcher, &QFileSystemWatcher::directoryChanged, this, &ListWatch::settleThenCheck);
}

void ListWatch::settleThenCheck()
{
    m_quiet.start();
}

void ListWatch::check()
{
    if (!m_session.hasKey() || m_session.working() || !m_session.listChangedOnDisk())
        return;
    // A dialog may hold a listing's number or a half-typed change: the
    // merge waits until it has closed.
    if (!m_mayMerge()) {
        m_quiet.start();
        return;
    }
    // Saved under a password set elsewhere: with that password the two are
    // merged; without it, the other version is kept aside.
    const bool adopted = m_session.otherVersionNeedsPassword() && OtherPassword::adopt(m_session);
    const ListSession::Merged merged = adopted ? m_session.lastMerge() : m_session.mergeFromDisk();
    if (merged.counts.any())
        m_merged();
    if (!merged.note.isEmpty())
        MsgBox::show(merged.note, QStringLiteral("List Merged"));
}
