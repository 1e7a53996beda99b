#include "masterpassword/passwordchange.h"

#include "storage/datafiles.h"
#include "storage/filecipher.h"
#include "storage/module1.h"
#include "storage/safewrite.h"

#include <QFile>

namespace PasswordChange {

StorageResult commit(const QString& newPassword, const QList<Listing>& listings, bool* newPasswordStored)
{
    *newPasswordStored = false;
    QByteArray plainList;
    if (auto step = ListFile::serialize(listings, &plainList); !step)
        return step;

    QFile passwordFile(Module1::PasswordFilePath);
    const bool hadPasswordFile = passwordFile.exists();
    QByteArray oldPasswordFile;
    if (hadPasswordFile) {
        if (!passwordFile.open(QIODevice::ReadOnly))
            return StorageResult::fileFault(QStringLiteral("read"), passwordFile.fileName(),
                                            passwordFile.errorString());
        oldPasswordFile = passwordFile.readAll();
        passwordFile.close();
    }

    if (auto step = SafeWrite::replaceFile(Module1::ListFilePlainPath, plainList); !step)
        return step;
    if (auto step = DataFiles::writePasswordFile(newPassword, DataFiles::PasswordLayout::Bare); !step) {
        SafeWrite::removeFile(Module1::ListFilePlainPath);
        return step;
    }
    *newPasswordStored = true;
    if (auto step = Encipher(Module1::ListFilePlainPath, newPassword); !step) {
        // Back to the old password, which the ciphered list still has.
        const StorageResult restored = hadPasswordFile
                                           ? SafeWrite::replaceFile(Module1::PasswordFilePath, oldPasswordFile)
                                           : SafeWrite::removeFile(Module1::PasswordFilePath);
        if (restored) {
            *newPasswordStored = false;
            SafeWrite::removeFile(Module1::ListFilePlainPath);
        }
        return step;
    }
    return StorageResult::success();
}

} // namespace PasswordChange
