#include "core/storage/datafolder.h"

#include "core/storage/folderplatform.h"

#include <QFileInfo>

namespace {

DataFile dataFile(const QString& appDir, const QString& baseName)
{
    DataFile file;
    file.baseName = baseName;
    file.path = FolderPlatform::resolveLinks(appDir + baseName + QStringLiteral(".ene"));
    file.leftoverPlainPath = appDir + baseName + QStringLiteral(".end");
    return file;
}

} // namespace

QString DataFile::folder() const
{
    return QFileInfo(path).absolutePath();
}

QString DataFile::pendingPath() const
{
    return folder() + QLatin1Char('/') + baseName + QStringLiteral("-pending.ene");
}

QString DataFile::backupPath(const QDateTime& when) const
{
    const QString stem = folder() + QLatin1Char('/') + baseName + QStringLiteral("-backup-");
    QDateTime stamp = when;
    for (;;) {
        const QString candidate = stem + stamp.toString(QStringLiteral("yyyyMMdd-HHmmss")) + QStringLiteral(".ene");
        const QFileInfo info(candidate);
        if (!info.exists() && !info.isSymLink())
            return candidate;
        stamp = stamp.addSecs(1);
    }
}

bool DataFolder::hasVault() const
{
    return QFileInfo(vaultPath).isFile();
}

DataFolder::DataFolder(const QString& directory)
{
    appDir = directory;
    if (!appDir.endsWith(QLatin1Char('/')) && !appDir.endsWith(QLatin1Char('\\')))
        appDir += QLatin1Char('/');
    startup = dataFile(appDir, QStringLiteral("kxinit"));
    password = dataFile(appDir, QStringLiteral("kxpwfl"));
    list = dataFile(appDir, QStringLiteral("kxplst"));
    vaultPath = FolderPlatform::resolveLinks(appDir + QStringLiteral("kxplst.vault"));
    helpFilePath = appDir + QStringLiteral("help.html");
    lockFilePath = appDir + QStringLiteral("vellamar.lock");
    startupKey = kStartupKey;
    passwordFileKey = kPasswordFileKey;
}
