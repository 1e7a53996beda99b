#include "storage/startupprocedure.h"
#include "ui/formsupport.h"

#include <QApplication>

int main(int argc, char** argv)
{
    QApplication app(argc, argv);
    Forms::applyAppLook();
    RunStartup(QCoreApplication::applicationDirPath());
    return app.exec();
}
