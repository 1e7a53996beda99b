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
    file.shownPath = appDir + baseName + QStringLiteral(".ene");
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
    return backupPaths({backupStem(), QStringLiteral(".ene")}, when).value(0);
}

QString DataFile::backupStem() const
{
    return folder() + QLatin1Char('/') + baseName + QStringLiteral("-backup-");
}

QStringList backupPaths(const QStringList& stemsAndSuffixes, const QDateTime& when)
{
    QDateTime stamp = when;
    for (;;) {
        QStringList candidates;
        bool free = true;
        for (qsizetype i = 0; i + 1 < stemsAndSuffixes.size(); i += 2) {
            const QString candidate =
                stemsAndSuffixes.at(i) + stamp.toString(QStringLiteral("yyyyMMdd-HHmmss")) + stemsAndSuffixes.at(i + 1);
            const QFileInfo info(candidate);
            free = free && !info.exists() && !info.isSymLink();
            candidates.append(candidate);
        }
        if (free)
            return candidates;
        stamp = stamp.addSecs(1);
    }
}

Reach reachOf(const QString& shownPath)
{
    if (!QFileInfo(shownPath).isSymLink())
        return Reach::Fine;
    const QFileInfo target(FolderPlatform::resolveLinks(shownPath));
    if (target.isSymLink())
        return Reach::Loop;
    if (target.exists())
        return Reach::Fine;
    return QFileInfo(target.absolutePath()).isDir() ? Reach::DanglingHere : Reach::DanglingNowhere;
}

QString describeReach(Reach reach)
{
    switch (reach) {
    case Reach::Fine:
        return {};
    case Reach::DanglingHere:
        return QStringLiteral("it is a symbolic link to a file that is not there");
    case Reach::DanglingNowhere:
        return QStringLiteral("it is a symbolic link into a folder that is not there (a drive not mounted?)");
    case Reach::Loop:
        return QStringLiteral("it is a symbolic link that leads round in a loop");
    }
    return {};
}

bool DataFolder::hasVault() const
{
    return QFileInfo(vaultPath).isFile();
}

bool DataFolder::vaultPresent() const
{
    const QFileInfo shown(vaultShownPath());
    return shown.exists() || shown.isSymLink();
}

QString DataFolder::vaultShownPath() const
{
    return appDir + QStringLiteral("kxplst.vault");
}

QStringList DataFolder::pairBackupPaths(const QDateTime& when) const
{
    return backupPaths({list.backupStem(), QStringLiteral(".ene"), password.backupStem(), QStringLiteral(".ene")},
                       when);
}

QString DataFolder::vaultBackupPath(const QDateTime& when) const
{
    return backupPaths(
               {QFileInfo(vaultPath).absolutePath() + QStringLiteral("/kxplst-backup-"), QStringLiteral(".vault")},
               when)
        .value(0);
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
