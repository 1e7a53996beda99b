// The screen lock watch against a private bus of its own, which stands in
// for both the system and the session bus; a second connection plays the
// desktop (the login manager and the screen savers).
#include "gui/ui/screenlockwatch.h"

#include <QCoreApplication>
#include <QDBusConnection>
#include <QDBusMessage>
#include <QDBusObjectPath>
#include <QDBusVirtualObject>
#include <QEventLoop>
#include <QProcess>
#include <QSignalSpy>
#include <QStandardPaths>
#include <QTimer>
#include <QDBusUnixFileDescriptor>
#include <QTest>

#include <unistd.h>

#include <gtest/gtest.h>

namespace {

const QString kLogin1 = QStringLiteral("org.freedesktop.login1");
const QString kManagerPath = QStringLiteral("/org/freedesktop/login1");
const QString kManagerInterface = QStringLiteral("org.freedesktop.login1.Manager");
const QString kSessionInterface = QStringLiteral("org.freedesktop.login1.Session");
const QString kAutoSession = QStringLiteral("/org/freedesktop/login1/session/auto");
const QString kFreedesktopSaver = QStringLiteral("org.freedesktop.ScreenSaver");
const QString kGnomeSaver = QStringLiteral("org.gnome.ScreenSaver");
// Sent after each signal under test: once it is in, so is what came before.
const QString kMarkerPath = QStringLiteral("/marker");
const QString kMarkerInterface = QStringLiteral("test.Marker");

// The login manager's answers to which session a process is in; an empty
// answer is an error reply.
class FakeLoginManager : public QDBusVirtualObject {
public:
    QString byProcess;
    QString automatic;
    qint64 askedProcess = -1;
    QList<QVariantList> inhibitCalls;

    bool handleMessage(const QDBusMessage& message, const QDBusConnection& connection) override
    {
        if (message.member() == QLatin1String("Inhibit")) {
            inhibitCalls.append(message.arguments());
            int ends[2];
            if (::pipe(ends) != 0)
                return false;
            connection.send(message.createReply(QVariant::fromValue(QDBusUnixFileDescriptor(ends[0]))));
            ::close(ends[0]);
            ::close(ends[1]);
            return true;
        }
        QString answer;
        if (message.member() == QLatin1String("GetSessionByPID")) {
            askedProcess = message.arguments().value(0).toUInt();
            answer = byProcess;
        } else if (message.member() == QLatin1String("GetSession")
                   && message.arguments().value(0).toString() == QLatin1String("auto")) {
            answer = automatic;
        }
        if (answer.isEmpty())
            connection.send(message.createErrorReply(QStringLiteral("org.freedesktop.login1.NoSuchSession"),
                                                     QStringLiteral("no session")));
        else
            connection.send(message.createReply(QVariant::fromValue(QDBusObjectPath(answer))));
        return true;
    }
    QString introspect(const QString&) const override { return {}; }
};

class ScreenLockWatchTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        const QString daemon = QStandardPaths::findExecutable(QStringLiteral("dbus-daemon"));
        if (daemon.isEmpty())
            GTEST_SKIP() << "dbus-daemon is not installed (scripts/test installs it)";
        m_daemon.start(daemon,
                       {QStringLiteral("--session"), QStringLiteral("--nofork"), QStringLiteral("--print-address")});
        ASSERT_TRUE(m_daemon.waitForStarted()) << qPrintable(m_daemon.errorString());
        while (!m_daemon.canReadLine() && m_daemon.waitForReadyRead(10000)) { }
        const QString address = QString::fromUtf8(m_daemon.readLine()).trimmed();
        ASSERT_FALSE(address.isEmpty()) << "the bus gave no address";
        bus = connectTo(address, "watch");
        desktop = connectTo(address, "desktop");
        ASSERT_TRUE(bus.isConnected()) << qPrintable(bus.lastError().message());
        ASSERT_TRUE(desktop.isConnected()) << qPrintable(desktop.lastError().message());
        // The watch listens to these names only, as it would on a real bus.
        for (const QString& name : {kLogin1, kFreedesktopSaver, kGnomeSaver})
            ASSERT_TRUE(desktop.registerService(name)) << qPrintable(name);
        ASSERT_TRUE(desktop.registerVirtualObject(kManagerPath, &manager));
        ASSERT_TRUE(bus.connect(QString(), kMarkerPath, kMarkerInterface, QStringLiteral("Marker"), &m_delivered,
                                SLOT(quit())));
    }

    void TearDown() override
    {
        for (const QString& name : std::as_const(m_connections))
            QDBusConnection::disconnectFromBus(name);
        if (m_daemon.state() != QProcess::NotRunning) {
            m_daemon.kill();
            m_daemon.waitForFinished();
        }
    }

    // A watch on the private bus, once it has asked which session it is in.
    std::unique_ptr<ScreenLockWatch> makeWatch()
    {
        auto watch = std::make_unique<ScreenLockWatch>(bus, bus);
        QSignalSpy looked(watch.get(), &ScreenLockWatch::sessionLookupFinished);
        EXPECT_TRUE(looked.wait(10000)) << "the session lookup never finished";
        return watch;
    }

    // Sends a signal from the desktop and returns once the watch has had it.
    void deliver(const QString& path, const QString& interface, const QString& name, const QVariantList& arguments)
    {
        QDBusMessage message = QDBusMessage::createSignal(path, interface, name);
        message.setArguments(arguments);
        ASSERT_TRUE(desktop.send(message));
        ASSERT_TRUE(desktop.send(QDBusMessage::createSignal(kMarkerPath, kMarkerInterface, QStringLiteral("Marker"))));
        bool gaveUp = false;
        QTimer::singleShot(10000, &m_delivered, [this, &gaveUp] {
            gaveUp = true;
            m_delivered.quit();
        });
        m_delivered.exec();
        ASSERT_FALSE(gaveUp) << "the signal never arrived";
    }

    QDBusConnection bus {QString()};
    QDBusConnection desktop {QString()};
    FakeLoginManager manager;

private:
    QDBusConnection connectTo(const QString& address, const char* role)
    {
        // Names are process-wide: each test takes its own.
        static int made = 0;
        const QString name = QStringLiteral("screenlock-%1-%2").arg(QLatin1String(role)).arg(++made);
        m_connections << name;
        return QDBusConnection::connectToBus(address, name);
    }

    QProcess m_daemon;
    QStringList m_connections;
    QEventLoop m_delivered;
};

TEST_F(ScreenLockWatchTest, LocksOnTheSignalsThatMeanALock)
{
    const QString otherSession = QStringLiteral("/org/freedesktop/login1/session/c9");
    const struct {
        const char* what;
        QString path, interface, name;
        QVariantList arguments;
        bool locks;
    } cases[] = {
        {"this session locked", kAutoSession, kSessionInterface, "Lock", {}, true},
        // Its own session is not known here (no answer to the lookup).
        {"another session locked", otherSession, kSessionInterface, "Lock", {}, true},
        {"this session unlocked", kAutoSession, kSessionInterface, "Unlock", {}, false},
        {"going to sleep", kManagerPath, kManagerInterface, "PrepareForSleep", {true}, true},
        {"woken up", kManagerPath, kManagerInterface, "PrepareForSleep", {false}, false},
        {"screen saver on", "/org/freedesktop/ScreenSaver", kFreedesktopSaver, "ActiveChanged", {true}, true},
        {"screen saver off", "/org/freedesktop/ScreenSaver", kFreedesktopSaver, "ActiveChanged", {false}, false},
        {"screen saver on, short path", "/ScreenSaver", kFreedesktopSaver, "ActiveChanged", {true}, true},
        {"screen saver off, short path", "/ScreenSaver", kFreedesktopSaver, "ActiveChanged", {false}, false},
        {"screen saver at another path", "/org/freedesktop/Other", kFreedesktopSaver, "ActiveChanged", {true}, false},
        {"GNOME's screen saver on", "/org/gnome/ScreenSaver", kGnomeSaver, "ActiveChanged", {true}, true},
        {"GNOME's screen saver off", "/org/gnome/ScreenSaver", kGnomeSaver, "ActiveChanged", {false}, false},
    };
    const auto watch = makeWatch();
    ASSERT_EQ(watch->sessionPath(), kAutoSession) << "no login manager answers: the caller's own session";
    EXPECT_TRUE(watch->available());
    QSignalSpy locks(watch.get(), &ScreenLockWatch::lockRequested);
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        locks.clear();
        deliver(c.path, c.interface, c.name, c.arguments);
        EXPECT_EQ(locks.size(), c.locks ? 1 : 0);
    }
}

// Only the desktop's own services count: anyone else on the bus saying the
// same is not heard.
TEST_F(ScreenLockWatchTest, IgnoresTheSameSignalsFromAnotherSender)
{
    const auto watch = makeWatch();
    QSignalSpy locks(watch.get(), &ScreenLockWatch::lockRequested);
    for (const QString& name : {kLogin1, kFreedesktopSaver, kGnomeSaver})
        ASSERT_TRUE(desktop.unregisterService(name));
    deliver(kAutoSession, kSessionInterface, QStringLiteral("Lock"), {});
    deliver(kManagerPath, kManagerInterface, QStringLiteral("PrepareForSleep"), {true});
    deliver(QStringLiteral("/org/freedesktop/ScreenSaver"), kFreedesktopSaver, QStringLiteral("ActiveChanged"), {true});
    EXPECT_EQ(locks.size(), 0);
}

// The session whose lock counts is the one the login manager names: by the
// process first, then the caller's "auto" session, else the fallback.
TEST_F(ScreenLockWatchTest, FindsItsSessionThroughTheLoginManager)
{
    const QString byProcess = QStringLiteral("/org/freedesktop/login1/session/_37");
    const QString automatic = QStringLiteral("/org/freedesktop/login1/session/c2");
    const struct {
        const char* what;
        QString byProcess, automatic, expected;
    } cases[] = {
        {"known by process", byProcess, automatic, byProcess},
        {"only the automatic one", {}, automatic, automatic},
        // Until it knows, any session's lock counts: one too many is safe.
        {"no answer", {}, {}, kAutoSession},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        manager.byProcess = c.byProcess;
        manager.automatic = c.automatic;
        manager.askedProcess = -1;
        const auto watch = makeWatch();
        EXPECT_EQ(watch->sessionPath(), c.expected);
        EXPECT_EQ(manager.askedProcess, QCoreApplication::applicationPid());
        QSignalSpy locks(watch.get(), &ScreenLockWatch::lockRequested);
        for (const QString& path : {byProcess, automatic, kAutoSession}) {
            locks.clear();
            deliver(path, kSessionInterface, QStringLiteral("Lock"), {});
            EXPECT_EQ(locks.size(), path == c.expected || c.expected == kAutoSession ? 1 : 0) << qPrintable(path);
        }
    }
}

TEST_F(ScreenLockWatchTest, IsAvailableWithAtLeastOneBus)
{
    const QDBusConnection none(QStringLiteral("no such connection"));
    ASSERT_FALSE(none.isConnected());
    const struct {
        QDBusConnection system, session;
        bool available;
    } cases[] = {
        {none, none, false},
        {bus, none, true},
        {none, bus, true},
        {bus, bus, true},
    };
    for (const auto& c : cases) {
        const ScreenLockWatch watch(c.system, c.session);
        EXPECT_EQ(watch.available(), c.available)
            << "system " << c.system.isConnected() << ", session " << c.session.isConnected();
    }
}

} // namespace

namespace {

// Sleep is held off for the lock while there is a list to lock: the delay
// is taken when asked for, let go once the lock has had its time after the
// warning, taken again after waking, and let go when no longer wanted.
TEST_F(ScreenLockWatchTest, HoldsOffSleepUntilTheLockHadItsTime)
{
    const auto watch = makeWatch();
    EXPECT_TRUE(manager.inhibitCalls.isEmpty()) << "nothing to lock yet";
    watch->holdOffSleep(true);
    QTRY_VERIFY_WITH_TIMEOUT(watch->holdsSleepDelay(), 10000);
    ASSERT_EQ(manager.inhibitCalls.size(), 1);
    EXPECT_EQ(manager.inhibitCalls[0].value(0).toString(), "sleep");
    EXPECT_EQ(manager.inhibitCalls[0].value(3).toString(), "delay");
    QSignalSpy locks(watch.get(), &ScreenLockWatch::lockRequested);
    deliver(kManagerPath, kManagerInterface, QStringLiteral("PrepareForSleep"), {true});
    EXPECT_EQ(locks.size(), 1);
    EXPECT_TRUE(watch->holdsSleepDelay()) << "the lock has its time first";
    QTRY_VERIFY_WITH_TIMEOUT(!watch->holdsSleepDelay(), 10000);
    deliver(kManagerPath, kManagerInterface, QStringLiteral("PrepareForSleep"), {false});
    QTRY_VERIFY_WITH_TIMEOUT(watch->holdsSleepDelay(), 10000);
    EXPECT_EQ(manager.inhibitCalls.size(), 2);

    watch->holdOffSleep(false);
    EXPECT_FALSE(watch->holdsSleepDelay());
    deliver(kManagerPath, kManagerInterface, QStringLiteral("PrepareForSleep"), {false});
    EXPECT_EQ(manager.inhibitCalls.size(), 2) << "not taken again after waking";
}

} // namespace
