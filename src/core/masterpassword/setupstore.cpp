#include "core/masterpassword/setupstore.h"

#include "core/storage/datafiles.h"
#include "core/storage/filecipher.h"
#include "core/storage/pairedcommit.h"
#include "core/storage/safewrite.h"

#include <QDateTime>
#include <QFileInfo>

namespace SetupStore {
namespace {

StorageResult backUpOldList(const DataFolder& folder, QString* backupPath)
{
    const QFileInfo old(folder.list.path);
    if (!old.exists() || old.size() == 0)
        return StorageResult::success();
    QByteArray bytes;
    if (auto step = SafeWrite::readFile(folder.list.path, &bytes); !step)
        return step;
    const QString target = folder.list.backupPath(QDateTime::currentDateTime());
    if (auto step = SafeWrite::replaceFile(target, bytes); !step)
        return step;
    *backupPath = target;
    return StorageResult::success();
}

} // namespace

Outcome commit(const DataFolder& folder, const QString& password)
{
    Outcome outcome;
    const auto key = CipherKeyOf(password);
    if (!key) {
        outcome.result = StorageResult::failure(QStringLiteral("The master password cannot be a key."));
        return outcome;
    }
    SecretBytes passwordFile;
    if (outcome.result = DataFiles::passwordFileBytes(password, DataFiles::PasswordLayout::PaddedTo25, &passwordFile);
        !outcome.result)
        return outcome;
    for (const QString& target : {folder.password.path, folder.list.path}) {
        if (outcome.result = SafeWrite::checkWritable(target); !outcome.result)
            return outcome;
    }

    const bool adoptsLeftover = QFileInfo(folder.list.leftoverPlainPath).isFile();
    SecretBytes newList;
    if (adoptsLeftover) {
        QByteArray bytes;
        if (outcome.result = SafeWrite::readFile(folder.list.leftoverPlainPath, &bytes); !outcome.result)
            return outcome;
        newList = SecretBytes::adopt(std::move(bytes));
    }
    if (outcome.result = backUpOldList(folder, &outcome.backupPath); !outcome.result)
        return outcome;

    const PairedCommit::Outcome committed = PairedCommit::commit(
        folder, Encipher(passwordFile.bytes(), folder.passwordFileKey), Encipher(newList.bytes(), *key));
    outcome.result = committed.result;
    outcome.passwordInForce = committed.newPasswordInForce;
    // The plain list goes only once the change holds it; should this fail,
    // the next save removes it.
    if (adoptsLeftover && committed.newPasswordInForce)
        SafeWrite::removeFile(folder.list.leftoverPlainPath);
    return outcome;
}

} // namespace SetupStore
