#include "masterpassword/setupstore.h"

#include "storage/datafiles.h"
#include "storage/filecipher.h"
#include "storage/module1.h"
#include "storage/safewrite.h"

#include <QDateTime>
#include <QFileInfo>

namespace SetupStore {
namespace {

StorageResult backUpOldList(QString* backupPath)
{
    backupPath->clear();
    const QFileInfo old(Module1::ListFilePath);
    if (!old.exists() || old.size() == 0)
        return StorageResult::success();
    QByteArray bytes;
    if (auto step = SafeWrite::readFile(Module1::ListFilePath, &bytes); !step)
        return step;
    const QString target = FreeBackupPath(Module1::ListFilePath, QDateTime::currentDateTime());
    if (auto step = SafeWrite::replaceFile(target, bytes); !step)
        return step;
    *backupPath = target;
    return StorageResult::success();
}

} // namespace

StorageResult commit(const QString& password, QString* backupPath)
{
    if (auto step = backUpOldList(backupPath); !step)
        return step;

    // The list first: should the run stop before the password is written,
    // the next start sets up again instead of reading a list under a stale key.
    if (QFileInfo::exists(Module1::ListFilePlainPath)) {
        if (auto step = Encipher(Module1::ListFilePlainPath, password); !step)
            return step;
    } else if (auto step = SafeWrite::replaceFile(Module1::ListFilePath, QByteArray()); !step) {
        return step;
    }
    return DataFiles::writePasswordFile(password, DataFiles::PasswordLayout::PaddedTo25);
}

} // namespace SetupStore
