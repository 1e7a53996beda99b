#include "core/listings/vaultlist.h"

#include "core/storage/safewrite.h"
#include "core/storage/vaultpayload.h"

#include <QDateTime>
#include <QDir>
#include <QSet>

namespace VaultList {
namespace {

StorageResult refused(const QString& path, const QString& reason)
{
    return StorageResult::fileFault(QStringLiteral("open"), path, reason);
}

QByteArray idKey(const ListingStamp::Id& id)
{
    return QByteArray(reinterpret_cast<const char*>(id.data()), qsizetype(id.size()));
}

// Version 2's payload: listings without an id get one, and times they lack
// are now; removals older than kept are dropped, and so are those of ids
// the list holds again.
VaultPayload::Contents contentsOf(const QList<Listing>& listings, const QList<ListingRemoval>& removals)
{
    const qint64 now = QDateTime::currentMSecsSinceEpoch();
    VaultPayload::Contents contents;
    contents.entries.reserve(listings.size());
    QSet<QByteArray> listed;
    for (Listing listing : listings) {
        StampIfNew(listing, now);
        ListingStamp& stamp = listing.stamp;
        if (stamp.created == 0)
            stamp.created = now;
        if (stamp.modified == 0)
            stamp.modified = stamp.created;
        // Only needed to drop the removals of ids listed again.
        if (!removals.isEmpty())
            listed.insert(idKey(stamp.id));
        contents.entries.append({stamp.id, stamp.created, stamp.modified, std::move(listing.site),
                                 std::move(listing.user), std::move(listing.password)});
    }
    for (const ListingRemoval& removal : removals) {
        if (!listed.contains(idKey(removal.id)))
            contents.removals.append({removal.id, removal.removed});
    }
    VaultPayload::pruneRemovals(contents, now);
    return contents;
}

} // namespace

StorageResult listingsOf(QByteArrayView plain, quint8 version, QList<Listing>* listings,
                         QList<ListingRemoval>* removals)
{
    if (version != Vault::kVersion2) {
        *listings = ListFile::parse(plain);
        if (removals)
            removals->clear();
        return StorageResult::success();
    }
    VaultPayload::Contents contents;
    if (const VaultPayload::Decoded decoded = VaultPayload::decode(plain, &contents); !decoded.ok())
        return StorageResult::failure(QStringLiteral("it is damaged: %1").arg(decoded.describe()));
    QList<Listing> read;
    read.reserve(contents.entries.size());
    for (VaultPayload::Entry& entry : contents.entries)
        read.append({std::move(entry.site), std::move(entry.user), std::move(entry.password),
                     ListingStamp {entry.id, entry.created, entry.modified}});
    *listings = std::move(read);
    if (removals) {
        removals->clear();
        for (const VaultPayload::Removal& removal : contents.removals)
            removals->append({removal.id, removal.removed});
    }
    return StorageResult::success();
}

StorageResult load(const DataFolder& folder, const Vault::Session& session, QList<Listing>* listings,
                   QList<ListingRemoval>* removals, FileIdentity* seen)
{
    QByteArray bytes;
    if (auto read = SafeWrite::readFile(folder.vaultPath, &bytes); !read)
        return read;
    // Before the bytes are opened in place.
    const FileIdentity identity = FileIdentity::ofBytes(bytes);
    // Opened where it was read: the buffer holds the payload in clear
    // afterwards, and is wiped with it.
    SecretBytes file = SecretBytes::adopt(std::move(bytes));
    QByteArrayView plain;
    switch (Vault::openInPlace(file.bytes(), session.key, &plain, session.version)) {
    case Vault::OpenResult::Ok:
        break;
    case Vault::OpenResult::Damaged:
        return refused(folder.vaultPath, QStringLiteral("it is damaged"));
    case Vault::OpenResult::WrongKeyOrChanged:
        return refused(folder.vaultPath, QStringLiteral("it does not open with this password, or it was changed"));
    case Vault::OpenResult::OutOfMemory:
        return refused(folder.vaultPath, QStringLiteral("there is not enough memory"));
    }
    if (auto read = listingsOf(plain, session.version, listings, removals); !read)
        return refused(folder.vaultPath, read.error);
    if (seen)
        *seen = identity;
    return StorageResult::success();
}

StorageResult seal(const QList<Listing>& listings, const Vault::Session& session, QByteArray* file,
                   const QList<ListingRemoval>& removals)
{
    SecretBytes plain;
    if (session.version == Vault::kVersion2) {
        VaultPayload::Contents contents = contentsOf(listings, removals);
        const StorageResult encoded = VaultPayload::encode(contents, &plain);
        VaultPayload::wipe(contents);
        if (!encoded)
            return encoded;
    } else if (auto step = ListFile::serialize(listings, &plain); !step) {
        return step;
    }
    *file = Vault::seal(plain.bytes(), session.key, session.params, session.salt, session.version);
    if (file->isEmpty())
        return StorageResult::failure(QStringLiteral("The list could not be sealed (no key, or not enough memory)."));
    return StorageResult::success();
}

StorageResult save(const DataFolder& folder, const Vault::Session& session, const QList<Listing>& listings,
                   const QList<ListingRemoval>& removals, FileIdentity* written)
{
    // Nothing is sealed when the vault may not be replaced.
    if (auto writable = SafeWrite::checkWritable(folder.vaultPath); !writable)
        return writable;
    QByteArray file;
    if (auto step = seal(listings, session, &file, removals); !step)
        return step;
    const StorageResult replaced = SafeWrite::replaceFile(folder.vaultPath, file);
    if (written && replaced.inPlace)
        *written = FileIdentity::ofBytes(file);
    return replaced;
}

} // namespace VaultList
