#include "core/transfer/csvexport.h"

#include "core/storage/folderplatform.h"
#include "core/storage/safewrite.h"
#include "core/transfer/csvwriter.h"

#include <QDir>
#include <QFileInfo>

namespace CsvExport {
namespace {

#if defined(Q_OS_WIN) || defined(Q_OS_MACOS)
constexpr Qt::CaseSensitivity kNames = Qt::CaseInsensitive;
#else
constexpr Qt::CaseSensitivity kNames = Qt::CaseSensitive;
#endif

// A folder as the system finally finds it: every link on the way followed.
QString realFolder(const QString& folder)
{
    const QString canonical = QFileInfo(folder).canonicalFilePath();
    return canonical.isEmpty() ? QDir::cleanPath(QFileInfo(folder).absoluteFilePath()) : canonical;
}

bool isWithin(const QString& folder, const QString& outer)
{
    return folder.compare(outer, kNames) == 0 || folder.startsWith(outer + QLatin1Char('/'), kNames)
           || (outer.endsWith(QLatin1Char('/')) && folder.startsWith(outer, kNames));
}

} // namespace

StorageResult write(const QString& path, const QList<Listing>& listings)
{
    const SecretBytes csv = CsvWriter::write(listings);
    return SafeWrite::replaceFileOwnerOnly(path, csv);
}

QString ownFolderHolding(const DataFolder& folder, const QString& path)
{
    // The data files' paths have their links resolved already.
    QStringList own {folder.appDir};
    for (const QString& file : {folder.startup.path, folder.password.path, folder.list.path, folder.vaultPath}) {
        if (!file.isEmpty())
            own.append(QFileInfo(file).absolutePath());
    }
    QStringList targets {realFolder(QFileInfo(path).absolutePath())};
    if (QFileInfo(path).isSymLink())
        targets.append(realFolder(QFileInfo(FolderPlatform::resolveLinks(path)).absolutePath()));
    for (const QString& ownFolder : own) {
        if (ownFolder.isEmpty())
            continue;
        const QString real = realFolder(ownFolder);
        for (const QString& target : targets) {
            if (isWithin(target, real))
                return QDir::toNativeSeparators(QDir::cleanPath(ownFolder));
        }
    }
    return {};
}

} // namespace CsvExport
