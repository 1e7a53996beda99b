#include "core/listings/listfile.h"

#include "core/storage/ansi.h"
#include "core/storage/datafiles.h"
#include "core/storage/filecipher.h"
#include "core/storage/pairedcommit.h"
#include "core/storage/safewrite.h"

#include <QDir>
#include <QFileInfo>

#include <cstring>

namespace ListFile {
namespace {

// A field's value: its characters up to the first NUL, pad spaces kept.
QString field(QByteArrayView record, int offset, int length)
{
    QByteArrayView bytes = record.sliced(offset, length);
    if (const qsizetype nul = bytes.indexOf('\0'); nul >= 0)
        bytes.truncate(nul);
    return Ansi::decode(bytes);
}

bool appendField(char*& out, const QString& value, int length)
{
    const QStringView kept = QStringView(value).left(length);
    if (!Ansi::encodeInto(kept, out))
        return false;
    std::memset(out + kept.size(), ' ', size_t(length - kept.size()));
    out += length;
    return true;
}

StorageResult keyFault(const QString& path)
{
    return StorageResult::failure(QStringLiteral("Could not use \"%1\": the master password cannot be a key.")
                                      .arg(QDir::toNativeSeparators(path)));
}

} // namespace

bool fits(const Listing& listing)
{
    const auto fitsField = [](const QString& value, int length) {
        return value.size() <= length && !Ansi::firstUnencodable(value);
    };
    return fitsField(listing.site, kSiteLength) && fitsField(listing.user, kUserLength)
           && fitsField(listing.password, kPasswordLength);
}

QList<Listing> parse(QByteArrayView plain)
{
    const qsizetype count = plain.size() / kRecordLength;
    QList<Listing> listings;
    listings.reserve(count);
    for (qsizetype i = 0; i < count; ++i) {
        const QByteArrayView record = plain.sliced(i * kRecordLength, kRecordLength);
        listings.append({field(record, 0, kSiteLength), field(record, kSiteLength, kUserLength),
                         field(record, kSiteLength + kUserLength, kPasswordLength)});
    }
    return listings;
}

QString damageOf(QByteArrayView plain)
{
    QStringList found;
    const qsizetype tail = plain.size() % kRecordLength;
    if (tail != 0) {
        found.append(QStringLiteral("its length (%1 bytes) is not a whole number of %2-byte listings, "
                                    "so its last %3 bytes are no listing")
                         .arg(plain.size())
                         .arg(kRecordLength)
                         .arg(tail));
    }
    const qsizetype whole = plain.size() - tail;
    if (plain.first(whole).contains('\0'))
        found.append(QStringLiteral("a field holds a NUL character, and what follows it in that field is not shown"));
    return found.join(QStringLiteral("; and "));
}

StorageResult serialize(const QList<Listing>& listings, SecretBytes* plain)
{
    // Sized once: the buffer never grows, so no outgrown copy is left.
    SecretBytes out(listings.size() * kRecordLength);
    char* cursor = out.bytes().data();
    for (qsizetype i = 0; i < listings.size(); ++i) {
        const Listing& listing = listings.at(i);
        if (!appendField(cursor, listing.site, kSiteLength) || !appendField(cursor, listing.user, kUserLength)
            || !appendField(cursor, listing.password, kPasswordLength)) {
            return StorageResult::failure(
                QStringLiteral("Listing %1 holds a character that the list file cannot store.").arg(i + 1));
        }
    }
    *plain = std::move(out);
    return StorageResult::success();
}

StorageResult load(const DataFolder& folder, QStringView key, QList<Listing>* listings, LoadReport* report)
{
    const auto keyBytes = CipherKeyOf(key);
    if (!keyBytes)
        return keyFault(folder.list.path);

    // A plain list from an earlier version wins. When it cannot be taken
    // over (a read-only folder) it is read as it is.
    DataFiles::adoptLeftoverPlain(folder.list, *keyBytes);
    SecretBytes plain;
    const bool leftoverStays = QFileInfo(folder.list.leftoverPlainPath).isFile();
    const StorageResult read = PairedCommit::listIsPending(folder) && !leftoverStays
                                   ? DataFiles::readPlainAt(folder.list.pendingPath(), *keyBytes, &plain)
                                   : DataFiles::readPlain(folder.list, *keyBytes, &plain);
    if (!read)
        return read;

    const QString damage = damageOf(plain.bytes());
    if (!damage.isEmpty() && report) {
        report->damage = damage;
        // The copy is made before anything could write the list again, so
        // nothing of it is lost unseen. Ciphering again gives back the
        // bytes as they were found.
        report->backupPath = folder.list.backupPath(QDateTime::currentDateTime());
        report->backup = SafeWrite::replaceFile(report->backupPath, Encipher(plain.bytes(), *keyBytes));
        if (!report->backup)
            report->backupPath.clear();
    }
    *listings = parse(plain.bytes());
    return StorageResult::success();
}

StorageResult save(const DataFolder& folder, const QList<Listing>& listings, QStringView key, FileIdentity* written)
{
    const auto keyBytes = CipherKeyOf(key);
    if (!keyBytes)
        return keyFault(folder.list.path);
    const bool viaPending = PairedCommit::listIsPending(folder);
    // Nothing is written when the list may not be replaced.
    if (auto writable = SafeWrite::checkWritable(folder.list.path); !writable)
        return writable;
    if (viaPending) {
        if (auto writable = SafeWrite::checkWritable(folder.list.pendingPath()); !writable)
            return writable;
    }

    SecretBytes plain;
    if (auto step = serialize(listings, &plain); !step)
        return step;
    const QByteArray ciphered = EncipherInPlace(plain, *keyBytes);
    if (viaPending) {
        // Finishing the change later must never bring back an older list.
        if (auto step = SafeWrite::replaceFile(folder.list.pendingPath(), ciphered); !step)
            return step;
        if (auto step = SafeWrite::renameOver(folder.list.pendingPath(), folder.list.path); !step)
            return step;
    } else if (auto step = SafeWrite::replaceFile(folder.list.path, ciphered); !step) {
        return step;
    }
    if (written)
        *written = FileIdentity::ofBytes(ciphered);
    // A plain list of an earlier version would win over this save at the
    // next start.
    if (QFileInfo(folder.list.leftoverPlainPath).isFile())
        return SafeWrite::removeFile(folder.list.leftoverPlainPath);
    return StorageResult::success();
}

} // namespace ListFile
