#include "masterpassword/passwordchange.h"

#include "storage/datafiles.h"
#include "storage/filecipher.h"
#include "storage/module1.h"
#include "storage/safewrite.h"

#include <QFile>

#include <optional>

namespace PasswordChange {

namespace {

// The bytes of a file, or nothing when it does not exist.
std::optional<QByteArray> snapshot(const QString& path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return std::nullopt;
    return file.readAll();
}

} // namespace

StorageResult commit(const QString& newPassword, const QList<Listing>& listings, bool* newPasswordStored)
{
    *newPasswordStored = false;
    QByteArray plainList;
    if (auto step = ListFile::serialize(listings, &plainList); !step)
        return step;

    const auto oldPasswordFile = snapshot(Module1::PasswordFilePath);
    const auto oldListFile = snapshot(Module1::ListFilePath);
    if (auto step = SafeWrite::replaceFile(Module1::ListFilePlainPath, plainList); !step)
        return step;

    // Whatever failed: the old password goes back when it can, and the plain
    // list twin is removed only when the ciphered list's key is the password
    // in force (else the twin is what keeps the list readable).
    auto undo = [&](const StorageResult& failure) {
        SafeWrite::removeFile(Module1::PasswordFilePlainPath);
        if (snapshot(Module1::PasswordFilePath) != oldPasswordFile) {
            if (oldPasswordFile)
                SafeWrite::replaceFile(Module1::PasswordFilePath, *oldPasswordFile);
            else
                SafeWrite::removeFile(Module1::PasswordFilePath);
        }
        QString inForce;
        *newPasswordStored = DataFiles::peekStoredPassword(&inForce).ok && inForce == newPassword;
        const bool listRekeyed = snapshot(Module1::ListFilePath) != oldListFile;
        if (listRekeyed == *newPasswordStored)
            SafeWrite::removeFile(Module1::ListFilePlainPath);
        return failure;
    };

    if (auto step = DataFiles::writePasswordFile(newPassword, DataFiles::PasswordLayout::Bare); !step)
        return undo(step);
    if (auto step = Encipher(Module1::ListFilePlainPath, newPassword); !step)
        return undo(step);
    return StorageResult::success();
}

} // namespace PasswordChange
