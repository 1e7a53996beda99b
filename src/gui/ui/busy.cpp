#include "gui/ui/busy.h"

#include <QApplication>

namespace Busy {

void run(bool& busy, const std::function<void()>& work)
{
    busy = true;
    QApplication::setOverrideCursor(Qt::WaitCursor);
    // Let the cursor show before the work holds the event loop.
    QCoreApplication::processEvents(QEventLoop::ExcludeUserInputEvents);
    work();
    QCoreApplication::processEvents();
    QApplication::restoreOverrideCursor();
    busy = false;
}

} // namespace Busy
