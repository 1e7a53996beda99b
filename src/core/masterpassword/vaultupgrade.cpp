#include "core/masterpassword/vaultupgrade.h"

#include "core/masterpassword/strongprotection.h"
#include "core/storage/safewrite.h"

namespace VaultUpgrade {

bool isWeak(const Vault::Params& params)
{
    const Vault::Params today = StrongProtection::paramsForNewVaults();
    return params.opsLimit < today.opsLimit || params.memLimit < today.memLimit;
}

StorageResult strengthen(const DataFolder& folder, QByteArrayView records, const QString& entry,
                         Vault::Session* session)
{
    if (!isWeak(session->params))
        return StorageResult::success();
    // Unlocking only reads where nothing may be written.
    if (!SafeWrite::checkWritable(folder.vaultPath))
        return StorageResult::success();
    // The same version: only the settings get stronger.
    auto fresh = StrongProtection::newSession(entry, session->version);
    if (!fresh)
        return StrongProtection::noKey();
    const QByteArray file = Vault::seal(records, fresh->key, fresh->params, fresh->salt, fresh->version);
    if (file.isEmpty())
        return StorageResult::failure(QStringLiteral("The list could not be sealed again."));
    // The listings are the same: the weak vault needs no backup.
    const StorageResult replaced = SafeWrite::replaceFile(folder.vaultPath, file);
    if (replaced.inPlace)
        *session = std::move(*fresh);
    return replaced;
}

} // namespace VaultUpgrade
