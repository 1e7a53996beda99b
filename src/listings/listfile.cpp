#include "listings/listfile.h"

#include "storage/ansi.h"
#include "storage/filecipher.h"
#include "storage/module1.h"
#include "storage/safewrite.h"
#include "storage/textutil.h"

#include <QFileInfo>

namespace ListFile {
namespace {

QString field(const QString& record, int offset, int length)
{
    return StripNul(record.mid(offset, length));
}

bool appendField(QByteArray& out, const QString& value, int length)
{
    const auto bytes = Ansi::encode(QStringView(value).left(length));
    if (!bytes)
        return false;
    out.append(*bytes);
    out.append(length - bytes->size(), ' ');
    return true;
}

} // namespace

QList<Listing> parse(QByteArrayView plain)
{
    const qsizetype count = plain.size() / kRecordLength;
    const QString text = Ansi::decode(plain.first(count * kRecordLength));
    QList<Listing> listings;
    listings.reserve(count);
    for (qsizetype i = 0; i < count; ++i) {
        const QString record = text.mid(i * kRecordLength, kRecordLength);
        listings.append({field(record, 0, kSiteLength),
                         field(record, kSiteLength, kUserLength),
                         field(record, kSiteLength + kUserLength, kPasswordLength)});
    }
    return listings;
}

StorageResult serialize(const QList<Listing>& listings, QByteArray* plain)
{
    QByteArray out;
    out.reserve(listings.size() * kRecordLength);
    for (qsizetype i = 0; i < listings.size(); ++i) {
        const Listing& listing = listings.at(i);
        if (!appendField(out, listing.site, kSiteLength) || !appendField(out, listing.user, kUserLength)
            || !appendField(out, listing.password, kPasswordLength)) {
            return StorageResult::failure(
                QStringLiteral("Listing %1 holds a character that the list file cannot store.").arg(i + 1));
        }
    }
    *plain = std::move(out);
    return StorageResult::success();
}

StorageResult load(const QString& key, QList<Listing>* listings)
{
    if (auto step = Decipher(Module1::ListFilePath, key); !step)
        return step;
    QByteArray plain;
    if (auto step = SafeWrite::readFile(Module1::ListFilePlainPath, &plain); !step)
        return step;
    *listings = parse(plain);
    return Encipher(Module1::ListFilePlainPath, key);
}

StorageResult save(const QList<Listing>& listings, const QString& key)
{
    QByteArray plain;
    if (auto step = serialize(listings, &plain); !step)
        return step;
    // A plain twin that was there before (left by an interrupted change of
    // the master password) may be the only copy readable under the stored
    // password: it is never removed by a failed save.
    const bool twinBefore = QFileInfo(Module1::ListFilePlainPath).isFile();
    if (auto step = SafeWrite::replaceFile(Module1::ListFilePlainPath, plain); !step)
        return step;
    if (auto step = Encipher(Module1::ListFilePlainPath, key); !step) {
        // Whatever replaceFile left of the ciphered file is the old one.
        if (!twinBefore)
            SafeWrite::removeFile(Module1::ListFilePlainPath);
        return step;
    }
    return StorageResult::success();
}

} // namespace ListFile
