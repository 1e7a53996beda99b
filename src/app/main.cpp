#include "app/startupprocedure.h"
#include "core/storage/instancelock.h"
#include "gui/ui/formsupport.h"

#include <QApplication>

int main(int argc, char** argv)
{
    QApplication app(argc, argv);
    Forms::applyAppLook();
    InstanceLock lock;
    if (!RunStartup(QCoreApplication::applicationDirPath(), lock))
        return 1;
    return app.exec();
}
