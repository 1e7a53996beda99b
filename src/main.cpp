#include "storage/startupprocedure.h"

#include <QApplication>

int main(int argc, char** argv)
{
    QApplication app(argc, argv);
    RunStartup(QCoreApplication::applicationDirPath());
    return app.exec();
}
