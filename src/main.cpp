#include "storage/instancelock.h"
#include "storage/startupprocedure.h"
#include "ui/formsupport.h"

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
