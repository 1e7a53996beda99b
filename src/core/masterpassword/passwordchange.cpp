#include "core/masterpassword/passwordchange.h"

#include "core/storage/datafiles.h"
#include "core/storage/filecipher.h"

namespace PasswordChange {

PairedCommit::Outcome commit(const DataFolder& folder, const QString& newPassword, const QList<Listing>& listings)
{
    const auto key = CipherKeyOf(newPassword);
    if (!key)
        return {StorageResult::failure(QStringLiteral("The master password cannot be a key.")), false};
    SecretBytes passwordFile;
    if (auto step = DataFiles::passwordFileBytes(newPassword, DataFiles::PasswordLayout::Bare, &passwordFile); !step)
        return {step, false};
    SecretBytes plainList;
    if (auto step = ListFile::serialize(listings, &plainList); !step)
        return {step, false};
    const QByteArray cipheredList = EncipherInPlace(plainList, *key);
    return PairedCommit::commit(folder, Encipher(passwordFile.bytes(), folder.passwordFileKey), cipheredList);
}

} // namespace PasswordChange
