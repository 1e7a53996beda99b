#include "storage/module1.h"

namespace Module1 {

void SetAppDir(const QString& directory)
{
    AppDir = directory;
    if (!AppDir.endsWith(QLatin1Char('/')) && !AppDir.endsWith(QLatin1Char('\\')))
        AppDir += QLatin1Char('/');

    PasswordFilePath = AppDir + QStringLiteral("kxpwfl.ene");
    PasswordFilePlainPath = AppDir + QStringLiteral("kxpwfl.end");
    ListFilePath = AppDir + QStringLiteral("kxplst.ene");
    ListFilePlainPath = AppDir + QStringLiteral("kxplst.end");
    StartupFilePath = AppDir + QStringLiteral("kxinit.ene");
    StartupFilePlainPath = AppDir + QStringLiteral("kxinit.end");
    HelpFilePath = AppDir + QStringLiteral("help.html");

    StartupKey = QString::fromLatin1(kStartupKey);
    PasswordFileKey = QString::fromLatin1(kPasswordFileKey);
    MasterPassword.clear();
    ChosenListing.clear();
}

} // namespace Module1
