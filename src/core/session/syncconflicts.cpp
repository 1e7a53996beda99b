#include "core/session/syncconflicts.h"

#include "core/storage/datafiles.h"
#include "core/storage/secretbytes.h"
#include "core/storage/textutil.h"

#include <QDir>
#include <QFileInfo>

namespace SyncConflicts {

bool isConflictCopy(const QString& fileName)
{
    const QString name = fileName.toLower();
    if (!name.startsWith(QLatin1String("kxplst")))
        return false;
    if (!name.endsWith(QLatin1String(".vault")) && !name.endsWith(QLatin1String(".ene")))
        return false;
    if (name == QLatin1String("kxplst.vault") || name == QLatin1String("kxplst.ene"))
        return false;
    // The program's own copies: backups are offered by Restore From Backup,
    // and a pending copy finishes a change of password.
    return !name.startsWith(QLatin1String("kxplst-backup-")) && !name.startsWith(QLatin1String("kxplst-pending"));
}

QStringList find(const DataFolder& folder)
{
    QStringList found;
    const QDir dir(folder.list.folder());
    for (const QString& name : dir.entryList(QDir::Files, QDir::Name)) {
        if (isConflictCopy(name))
            found.append(dir.filePath(name));
    }
    return found;
}

std::optional<QString> companionPassword(const DataFolder& folder, const QString& listPath)
{
    const QFileInfo list(listPath);
    if (!list.fileName().startsWith(QLatin1String("kxplst"), Qt::CaseInsensitive))
        return std::nullopt;
    const QString companion = list.dir().filePath(QStringLiteral("kxpwfl") + list.fileName().mid(6));
    if (!QFileInfo(companion).isFile())
        return std::nullopt;
    SecretBytes plain;
    if (!DataFiles::readPlainAt(companion, folder.passwordFileKey, &plain))
        return std::nullopt;
    QString password = TrimSpaces(StripNul(DataFiles::fieldOf(plain.bytes())));
    if (password.isEmpty())
        return std::nullopt;
    return password;
}

} // namespace SyncConflicts
