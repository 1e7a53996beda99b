#include "gui/ui/screenlockwatch.h"

#include <QCoreApplication>
#include <QDBusMessage>
#include <QDBusObjectPath>
#include <QDBusPendingCallWatcher>
#include <QDBusPendingReply>
#include <QTimer>

namespace {

const QString kLogin1 = QStringLiteral("org.freedesktop.login1");
const QString kManagerPath = QStringLiteral("/org/freedesktop/login1");
const QString kManagerInterface = QStringLiteral("org.freedesktop.login1.Manager");
const QString kSessionInterface = QStringLiteral("org.freedesktop.login1.Session");
// What the login manager answers to for the caller's own session.
const QString kOwnSessionPath = QStringLiteral("/org/freedesktop/login1/session/auto");

// The screen savers that announce themselves on the session bus: the
// common interface, at either of the paths desktops use, and GNOME's own.
struct ScreenSaver {
    QString service, path, interface;
};
const ScreenSaver kScreenSavers[] = {
    {QStringLiteral("org.freedesktop.ScreenSaver"), QStringLiteral("/org/freedesktop/ScreenSaver"),
     QStringLiteral("org.freedesktop.ScreenSaver")},
    {QStringLiteral("org.freedesktop.ScreenSaver"), QStringLiteral("/ScreenSaver"),
     QStringLiteral("org.freedesktop.ScreenSaver")},
    {QStringLiteral("org.gnome.ScreenSaver"), QStringLiteral("/org/gnome/ScreenSaver"),
     QStringLiteral("org.gnome.ScreenSaver")},
};

// Only Linux has a login manager on the system bus; Windows has no bus at
// all (its own lock notice would need a window message instead).
constexpr bool busesExist()
{
#if defined(Q_OS_WIN)
    return false;
#else
    return true;
#endif
}

constexpr bool loginManagerExists()
{
#if defined(Q_OS_LINUX)
    return true;
#else
    return false;
#endif
}

QDBusMessage managerCall(const QString& method, const QVariant& argument)
{
    QDBusMessage call = QDBusMessage::createMethodCall(kLogin1, kManagerPath, kManagerInterface, method);
    call << argument;
    return call;
}

} // namespace

ScreenLockWatch::ScreenLockWatch(QDBusConnection system, QDBusConnection session, QObject* parent)
    : QObject(parent)
    , m_system(std::move(system))
    , m_session(std::move(session))
    , m_sessionPath(kOwnSessionPath)
{
    if (!busesExist())
        return;
    if (loginManagerExists() && m_system.isConnected())
        watchLoginManager();
    if (m_session.isConnected())
        watchScreenSaver();
}

bool ScreenLockWatch::available() const
{
    return busesExist() && (m_system.isConnected() || m_session.isConnected());
}

void ScreenLockWatch::watchLoginManager()
{
    // Any session's path: the one that counts is known only once the login
    // manager has answered, and a lock may come before.
    m_system.connect(kLogin1, QString(), kSessionInterface, QStringLiteral("Lock"), this,
                     SLOT(sessionLocked(QDBusMessage)));
    m_system.connect(kLogin1, kManagerPath, kManagerInterface, QStringLiteral("PrepareForSleep"), this,
                     SLOT(sleepComing(bool)));
    // By process first; a process started outside any session (by the
    // user's service manager) gets the user's graphical session from "auto".
    lookUpSession({managerCall(QStringLiteral("GetSessionByPID"),
                               QVariant::fromValue(quint32(QCoreApplication::applicationPid()))),
                   managerCall(QStringLiteral("GetSession"), QStringLiteral("auto"))});
}

void ScreenLockWatch::watchScreenSaver()
{
    for (const ScreenSaver& saver : kScreenSavers)
        m_session.connect(saver.service, saver.path, saver.interface, QStringLiteral("ActiveChanged"), this,
                          SLOT(screenSaverActive(bool)));
}

void ScreenLockWatch::holdOffSleep(bool wanted)
{
    m_sleepWanted = wanted;
    if (!wanted)
        m_sleepDelay = QDBusUnixFileDescriptor();
    else if (!holdsSleepDelay() && busesExist() && loginManagerExists() && m_system.isConnected())
        takeSleepDelay();
}

void ScreenLockWatch::takeSleepDelay()
{
    QDBusMessage call =
        QDBusMessage::createMethodCall(kLogin1, kManagerPath, kManagerInterface, QStringLiteral("Inhibit"));
    call << QStringLiteral("sleep") << QStringLiteral("Vellamar")
         << QStringLiteral("Locks the password list before the computer sleeps") << QStringLiteral("delay");
    auto* watcher = new QDBusPendingCallWatcher(m_system.asyncCall(call), this);
    connect(watcher, &QDBusPendingCallWatcher::finished, this, [this](QDBusPendingCallWatcher* answered) {
        answered->deleteLater();
        const QDBusPendingReply<QDBusUnixFileDescriptor> reply = *answered;
        // Without it (no right to delay, no login manager) the lock still
        // starts at the signal, only perhaps not before the sleep.
        if (reply.isValid() && m_sleepWanted)
            m_sleepDelay = reply.value();
    });
}

void ScreenLockWatch::lookUpSession(QList<QDBusMessage> calls)
{
    if (calls.isEmpty()) {
        emit sessionLookupFinished();
        return;
    }
    const QDBusMessage call = calls.takeFirst();
    auto* watcher = new QDBusPendingCallWatcher(m_system.asyncCall(call), this);
    connect(watcher, &QDBusPendingCallWatcher::finished, this,
            [this, rest = std::move(calls)](QDBusPendingCallWatcher* answered) {
                answered->deleteLater();
                const QDBusPendingReply<QDBusObjectPath> reply = *answered;
                if (reply.isValid() && !reply.value().path().isEmpty()) {
                    m_sessionPath = reply.value().path();
                    emit sessionLookupFinished();
                    return;
                }
                lookUpSession(rest);
            });
}

void ScreenLockWatch::sessionLocked(const QDBusMessage& message)
{
    // Until the login manager has said which session is this one, any of
    // its sessions locking locks the list: a lock too many is safe.
    if (message.path() == m_sessionPath || m_sessionPath == kOwnSessionPath)
        emit lockRequested();
}

void ScreenLockWatch::sleepComing(bool start)
{
    // Memory goes to disk with a hibernation: lock before, not after. The
    // delay taken lets the lock run; let go of it once it has had the time,
    // and take it again for the next sleep after waking.
    if (!start) {
        holdOffSleep(m_sleepWanted);
        return;
    }
    emit lockRequested();
    QTimer::singleShot(kSleepDelayMs, this, [this] { m_sleepDelay = QDBusUnixFileDescriptor(); });
}

void ScreenLockWatch::screenSaverActive(bool active)
{
    if (active)
        emit lockRequested();
}
