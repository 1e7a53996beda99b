#include "core/listings/vaultlist.h"

#include "core/storage/safewrite.h"

#include <QDir>

namespace VaultList {
namespace {

StorageResult refused(const QString& path, const QString& reason)
{
    return StorageResult::fileFault(QStringLiteral("open"), path, reason);
}

} // namespace

StorageResult load(const DataFolder& folder, const Vault::Session& session, QList<Listing>* listings)
{
    QByteArray bytes;
    if (auto read = SafeWrite::readFile(folder.vaultPath, &bytes); !read)
        return read;
    // Opened where it was read: the buffer holds the records in clear
    // afterwards, and is wiped with them.
    SecretBytes file = SecretBytes::adopt(std::move(bytes));
    QByteArrayView records;
    switch (Vault::openInPlace(file.bytes(), session.key, &records)) {
    case Vault::OpenResult::Ok:
        break;
    case Vault::OpenResult::Damaged:
        return refused(folder.vaultPath, QStringLiteral("it is damaged"));
    case Vault::OpenResult::WrongKeyOrChanged:
        return refused(folder.vaultPath, QStringLiteral("it does not open with this password, or it was changed"));
    case Vault::OpenResult::OutOfMemory:
        return refused(folder.vaultPath, QStringLiteral("there is not enough memory"));
    }
    *listings = ListFile::parse(records);
    return StorageResult::success();
}

StorageResult seal(const QList<Listing>& listings, const Vault::Session& session, QByteArray* file)
{
    SecretBytes plain;
    if (auto step = ListFile::serialize(listings, &plain); !step)
        return step;
    *file = Vault::seal(plain.bytes(), session.key, session.params, session.salt);
    if (file->isEmpty())
        return StorageResult::failure(QStringLiteral("The list could not be sealed (no key, or not enough memory)."));
    return StorageResult::success();
}

StorageResult save(const DataFolder& folder, const Vault::Session& session, const QList<Listing>& listings)
{
    // Nothing is sealed when the vault may not be replaced.
    if (auto writable = SafeWrite::checkWritable(folder.vaultPath); !writable)
        return writable;
    QByteArray file;
    if (auto step = seal(listings, session, &file); !step)
        return step;
    return SafeWrite::replaceFile(folder.vaultPath, file);
}

} // namespace VaultList
