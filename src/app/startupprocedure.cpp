#include "app/startupprocedure.h"

#include "app/termination.h"
#include "core/storage/instancelock.h"
#include "core/storage/module1.h"
#include "core/storage/startup.h"
#include "gui/listings/frm_list.h"
#include "gui/masterpassword/frm_new.h"
#include "gui/masterpassword/frm_password.h"
#include "gui/masterpassword/frm_protect.h"
#include "gui/masterpassword/frm_strongnew.h"
#include "gui/ui/busy.h"
#include "gui/ui/clipboardguard.h"
#include "gui/ui/fault.h"
#include "gui/ui/formsupport.h"
#include "gui/ui/msgbox.h"

#include <QCoreApplication>
#include <QDir>

#include <algorithm>

namespace {

// What an odd lock file of this computer holds, and whether to open the
// list anyway.
bool openDespite(const InstanceLock::Found& found, const QString& path)
{
    const QDateTime now = QDateTime::currentDateTime();
    QString age = QStringLiteral("unknown");
    if (found.modified) {
        const qint64 minutes = std::max<qint64>(0, found.modified->secsTo(now) / 60);
        auto count = [](qint64 n, const char* unit) {
            return QStringLiteral("%1 %2%3").arg(n).arg(QLatin1String(unit)).arg(n == 1 ? "" : "s");
        };
        age = minutes < 120       ? count(minutes, "minute")
              : minutes < 48 * 60 ? count(minutes / 60, "hour")
                                  : count(minutes / (24 * 60), "day");
    }
    const QString text =
        QStringLiteral("Where Vellamar keeps its lock, \"%1\" is %2.\r"
                       "Computer: %3\rProcess: %4\rAge: %5\r\r"
                       "Open the password list anyway? If it is open in another window after all, the window "
                       "closed last undoes the other's changes.")
            .arg(QDir::toNativeSeparators(path), found.what,
                 found.host.isEmpty() ? QStringLiteral("none named") : found.host,
                 found.pid > 0 ? QString::number(found.pid) : QStringLiteral("none named"), age);
    return MsgBox::ask(text, QStringLiteral("Vellamar"), MsgBox::Default::Yes);
}

} // namespace

StartupProcedure::StartupProcedure(InstanceLock& lock, ClipboardGuard& clipboard, ScreenLockWatch* screenLock)
    : m_lock(lock)
    , m_clipboard(clipboard)
    , m_screenLock(screenLock)
    , m_session({}, [](const std::function<void()>& work) { Busy::wait(work); })
{
}

bool StartupProcedure::openList()
{
    m_lockedWhileOpening = false;
    m_list = frm_list::open(m_session, &m_clipboard, [this](frm_list& list) {
        // A lock the user did not ask for keeps the program running: the
        // list is unlocked again where it was left.
        QObject::connect(&list, &frm_list::locked, &list, [this] {
            m_lockedWhileOpening = true;
            Forms::showCentred(new frm_password(m_session, [this] { return openList(); }));
        });
        list.lockWithTheScreen(m_screenLock);
    });
    // Locked before it was all shown: opened all the same, and its unlock
    // dialog is up again.
    return m_list != nullptr || m_lockedWhileOpening;
}

bool StartupProcedure::run(const QString& appDir)
{
    Module1::SetAppDir(appDir);
    m_session.setFolder(Module1::Folder);
    const DataFolder& folder = m_session.folder();
    // Before anything is read or put in order: a second copy must touch
    // nothing. Without a lock (a read-only folder) the program goes on.
    const QString& lockPath = folder.lockFilePath;
    InstanceLock::Outcome locked = m_lock.acquire(lockPath);
    if (locked == InstanceLock::Outcome::Odd) {
        // Another computer's lock came with a synced folder: every save
        // checks for and merges that computer's version, so nothing is
        // lost by going on.
        if (!m_lock.found().otherHost && !openDespite(m_lock.found(), lockPath))
            return false;
        locked = m_lock.takeOver(lockPath);
    }
    if (locked == InstanceLock::Outcome::HeldElsewhere) {
        MsgBox::show(QStringLiteral("The password list is already open in another Vellamar window."),
                     QStringLiteral("Vellamar"));
        return false;
    }

    installEndOfSessionHandler(
        [this] {
            if (m_list)
                m_list->savePolicy().saveForShutdown();
            // aboutToQuit, below, takes a copied secret off the clipboard.
            QCoreApplication::exit(0);
        },
        [this] {
            // The session manager ends the program itself if the logout goes on.
            if (m_list)
                m_list->savePolicy().saveBeforeLogout();
            m_clipboard.clearIfStillOurs();
        });
    // However the program ends, a copied secret goes with it: also when a
    // fault stops it.
    ClipboardGuard& clipboard = m_clipboard;
    QObject::connect(QCoreApplication::instance(), &QCoreApplication::aboutToQuit, &clipboard,
                     [&clipboard] { clipboard.clearIfStillOurs(); });
    Fault::setLastStep([&clipboard] { clipboard.clearIfStillOurs(); });

    QStringList notes;
    Startup::prepareFolder(folder, &notes);
    Startup::Path path = Startup::Path::Unlock;
    if (auto decided = Startup::decide(folder, &path); !decided)
        Fault::stop(decided.error);
    if (path == Startup::Path::Unlock)
        Forms::showCentred(new frm_password(
            m_session, [this] { return openList(); }, notes));
    else
        askProtection();
    return true;
}

void StartupProcedure::askProtection()
{
    auto openList = [this] { return this->openList(); };
    Forms::showCentred(new frm_protect(
        [this, openList] { Forms::showCentred(new frm_strongnew(m_session, openList, [this] { askProtection(); })); },
        [this, openList] { Forms::showCentred(new frm_new(m_session, openList)); }));
}
