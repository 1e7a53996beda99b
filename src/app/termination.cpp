#include "app/termination.h"

#include <QGuiApplication>
#include <QSessionManager>

#ifdef Q_OS_UNIX
#include <QSocketNotifier>

#include <csignal>
#include <sys/socket.h>
#include <unistd.h>
#endif

namespace {

std::function<void()> endHandler;
std::function<void()> saveRequestHandler;
bool ended = false;

void endOnce()
{
    if (ended || !endHandler)
        return;
    ended = true;
    endHandler();
}

#ifdef Q_OS_UNIX
int signalPipe[2] = {-1, -1};

void onSignal(int)
{
    // Only async-signal-safe work here: the event loop does the rest.
    const char byte = 1;
    [[maybe_unused]] const auto written = ::write(signalPipe[0], &byte, 1);
}

// A closed terminal or Ctrl+C ends the program like SIGTERM: saved first.
constexpr int kEndingSignals[] = {SIGTERM, SIGHUP, SIGINT};

void watchSignals()
{
    static bool watching = false;
    if (!watching) {
        if (::socketpair(AF_UNIX, SOCK_STREAM, 0, signalPipe) != 0)
            return;
        watching = true;
        auto* notifier = new QSocketNotifier(signalPipe[1], QSocketNotifier::Read, qApp);
        QObject::connect(notifier, &QSocketNotifier::activated, qApp, [] {
            char byte;
            [[maybe_unused]] const auto got = ::read(signalPipe[1], &byte, 1);
            endOnce();
        });
    }
    struct sigaction action = {};
    action.sa_handler = onSignal;
    sigemptyset(&action.sa_mask);
    action.sa_flags = SA_RESTART;
    for (const int signal : kEndingSignals)
        sigaction(signal, &action, nullptr);
}

void unwatchSignals()
{
    struct sigaction action = {};
    action.sa_handler = SIG_DFL;
    sigemptyset(&action.sa_mask);
    for (const int signal : kEndingSignals)
        sigaction(signal, &action, nullptr);
}
#endif

} // namespace

void installEndOfSessionHandler(std::function<void()> onEnd, std::function<void()> onSaveRequest)
{
    endHandler = std::move(onEnd);
    saveRequestHandler = std::move(onSaveRequest);
    ended = false;
#ifdef Q_OS_UNIX
    watchSignals();
#endif
    static bool sessionWatched = false;
    auto* app = qobject_cast<QGuiApplication*>(QCoreApplication::instance());
    if (app && !sessionWatched) {
        sessionWatched = true;
        QObject::connect(
            app, &QGuiApplication::commitDataRequest, app,
            [](QSessionManager&) {
                if (saveRequestHandler)
                    saveRequestHandler();
            },
            Qt::DirectConnection);
    }
}

void uninstallEndOfSessionHandler()
{
#ifdef Q_OS_UNIX
    unwatchSignals();
#endif
    endHandler = {};
    saveRequestHandler = {};
    ended = false;
}
