#pragma once

#include <QDBusConnection>
#include <QDBusUnixFileDescriptor>
#include <QObject>
#include <QString>

class QDBusMessage;

// Tells when the desktop locks the screen or the computer is about to sleep,
// as heard on D-Bus: the login manager locking this process's session or
// warning of a suspend or hibernation (system bus), and the screen saver
// turning on (session bus). The buses are passed in; either may be
// unconnected. One lock may be told more than once (the login manager and
// the screen saver both speak of it).
class ScreenLockWatch : public QObject {
    Q_OBJECT
public:
    ScreenLockWatch(QDBusConnection system, QDBusConnection session, QObject* parent = nullptr);

    // Whether a lock can be heard at all: at least one bus is connected.
    bool available() const;
    // The login session whose lock counts. Until the login manager has said
    // which is this process's, and when it cannot, the path it answers to
    // for the caller's session.
    const QString& sessionPath() const { return m_sessionPath; }
    // Whether the login manager holds off sleep for the list's lock: it
    // waits (a few seconds at most) until the watch lets go after telling.
    bool holdsSleepDelay() const { return m_sleepDelay.isValid(); }
    // Sleep is held off only while there is a list to lock before it.
    void holdOffSleep(bool wanted);
    // How long the list has to lock before the sleep goes on.
    static constexpr int kSleepDelayMs = 2000;

signals:
    void lockRequested();
    // The login manager was asked which session this is (sessionPath()
    // holds the answer, or still the fallback).
    void sessionLookupFinished();

private slots:
    void sessionLocked(const QDBusMessage& message);
    void sleepComing(bool start);
    void screenSaverActive(bool active);

private:
    void watchLoginManager();
    // Asks the login manager to hold off sleep until this watch lets go.
    void takeSleepDelay();
    void watchScreenSaver();
    // Asks the login manager for this session with the first of the calls
    // left, going on to the next when one has no answer.
    void lookUpSession(QList<QDBusMessage> calls);

    QDBusConnection m_system;
    QDBusConnection m_session;
    QString m_sessionPath;
    QDBusUnixFileDescriptor m_sleepDelay;
    bool m_sleepWanted = false;
};
