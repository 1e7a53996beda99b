#include "gui/ui/busy.h"

#include <QApplication>
#include <QEventLoop>
#include <QFutureWatcher>
#include <QtConcurrent/QtConcurrentRun>

namespace Busy {

void wait(const std::function<void()>& work)
{
    QApplication::setOverrideCursor(Qt::WaitCursor);
    QFutureWatcher<void> watcher;
    QEventLoop loop;
    QObject::connect(&watcher, &QFutureWatcher<void>::finished, &loop, &QEventLoop::quit);
    watcher.setFuture(QtConcurrent::run([&work] { work(); }));
    if (!watcher.isFinished())
        loop.exec(QEventLoop::ExcludeUserInputEvents | QEventLoop::ExcludeSocketNotifiers);
    watcher.waitForFinished();
    // Presses that came meanwhile reach their handlers now, while the
    // caller still counts as busy.
    QCoreApplication::processEvents();
    QApplication::restoreOverrideCursor();
}

void run(bool& busy, const std::function<void()>& work)
{
    busy = true;
    wait(work);
    busy = false;
}

} // namespace Busy
