#include "app/processhardening.h"
#include "app/startupprocedure.h"
#include "core/storage/instancelock.h"
#include "gui/ui/clipboardguard.h"
#include "gui/ui/formsupport.h"
#include "gui/ui/screenlockwatch.h"

#include <QApplication>
#include <QDBusConnection>

int main(int argc, char** argv)
{
    // Before Qt or anything else reads a file or holds a secret.
    ProcessHardening::apply();
    QApplication app(argc, argv);
    Forms::applyAppLook();
    InstanceLock lock;
    ClipboardGuard clipboard;
    ScreenLockWatch screenLock(QDBusConnection::systemBus(), QDBusConnection::sessionBus());
    StartupProcedure startup(lock, clipboard, &screenLock);
    if (!startup.run(QCoreApplication::applicationDirPath()))
        return 1;
    return app.exec();
}
