// Plays the desktop's screen saver on a session bus for the end-to-end
// tests: takes the name org.freedesktop.ScreenSaver on the bus at the given
// address, waits a moment for listeners to learn its owner, announces that
// the screen saver turned on, and ends a moment later.
//
// Usage: screensaver_standin BUS_ADDRESS
#include <QCoreApplication>
#include <QDBusConnection>
#include <QDBusMessage>
#include <QTimer>

#include <cstdio>

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    if (argc != 2) {
        std::fprintf(stderr, "usage: screensaver_standin BUS_ADDRESS\n");
        return 2;
    }
    QDBusConnection bus = QDBusConnection::connectToBus(QString::fromLocal8Bit(argv[1]), QStringLiteral("standin"));
    if (!bus.isConnected() || !bus.registerService(QStringLiteral("org.freedesktop.ScreenSaver"))) {
        std::fprintf(stderr, "screensaver_standin: %s\n", qPrintable(bus.lastError().message()));
        return 1;
    }
    QTimer::singleShot(1000, [&bus] {
        QDBusMessage active =
            QDBusMessage::createSignal(QStringLiteral("/org/freedesktop/ScreenSaver"),
                                       QStringLiteral("org.freedesktop.ScreenSaver"), QStringLiteral("ActiveChanged"));
        active << true;
        bus.send(active);
        QTimer::singleShot(1000, qApp, &QCoreApplication::quit);
    });
    return app.exec();
}
