#include "core/storage/vaultpayload.h"

#include "core/storage/secrettext.h"
#include "core/storage/utf8.h"
#include "core/storage/vault.h"

#include <QLocale>
#include <QtEndian>

#include <sodium.h>

#include <algorithm>
#include <cstring>
#include <limits>
#include <new>
#include <numeric>
#include <tuple>
#include <vector>

namespace VaultPayload {

namespace {

constexpr qsizetype kCountSize = 4;
constexpr qsizetype kTimeSize = 8;
constexpr qsizetype kFieldCount = 3;
// A listing with three empty fields; a count is checked against it before
// anything is reserved.
constexpr qsizetype kMinListingSize = kIdSize + 2 * kTimeSize + kFieldCount * kCountSize;
constexpr qsizetype kRemovalSize = kIdSize + kTimeSize;
constexpr qint64 kDayMs = 24 * 60 * 60 * 1000;
constexpr Field kFields[kFieldCount] = {Field::Site, Field::User, Field::Password};

const QString& fieldOf(const Entry& entry, Field field)
{
    switch (field) {
    case Field::User:
        return entry.user;
    case Field::Password:
        return entry.password;
    default:
        return entry.site;
    }
}

QString& fieldOf(Entry& entry, Field field)
{
    return const_cast<QString&>(fieldOf(std::as_const(entry), field));
}

QString grouped(qint64 number)
{
    return QLocale(QLocale::English, QLocale::UnitedStates).toString(number);
}

// The number (from 1) of the first element whose id an earlier one already
// has, or 0. Sorting, rather than hashing, keeps a crafted list of ids from
// turning this quadratic.
template <typename List> qsizetype firstRepeatedId(const List& list)
{
    // The ids as two words each, sorted with their places: plain integer
    // comparisons, no calls, for a list of 100,000.
    struct Key {
        quint64 high, low;
        qsizetype at;
        bool sameId(const Key& other) const { return high == other.high && low == other.low; }
    };
    std::vector<Key> keys;
    keys.reserve(std::size_t(list.size()));
    for (qsizetype at = 0; at < list.size(); ++at) {
        Key key {0, 0, at};
        std::memcpy(&key.high, list[at].id.data(), 8);
        std::memcpy(&key.low, list[at].id.data() + 8, 8);
        keys.push_back(key);
    }
    std::sort(keys.begin(), keys.end(),
              [](const Key& a, const Key& b) { return std::tie(a.high, a.low, a.at) < std::tie(b.high, b.low, b.at); });
    qsizetype first = 0;
    for (std::size_t k = 1; k < keys.size(); ++k) {
        if (keys[k].sameId(keys[k - 1]) && (first == 0 || keys[k].at + 1 < first))
            first = keys[k].at + 1;
    }
    return first;
}

class Writer {
public:
    explicit Writer(char* at)
        : m_at(reinterpret_cast<uchar*>(at))
    {
    }
    void count(qsizetype value)
    {
        qToLittleEndian<quint32>(quint32(value), m_at);
        m_at += kCountSize;
    }
    void time(qint64 value)
    {
        qToLittleEndian<qint64>(value, m_at);
        m_at += kTimeSize;
    }
    void id(const Id& value)
    {
        std::memcpy(m_at, value.data(), kIdSize);
        m_at += kIdSize;
    }
    void text(const QString& value, qsizetype size)
    {
        count(size);
        m_at = reinterpret_cast<uchar*>(Utf8::encode(value, reinterpret_cast<char*>(m_at)));
    }
    const char* at() const { return reinterpret_cast<const char*>(m_at); }

private:
    uchar* m_at;
};

class Reader {
public:
    explicit Reader(QByteArrayView bytes)
        : m_at(reinterpret_cast<const uchar*>(bytes.data()))
        , m_end(m_at + bytes.size())
    {
    }
    qsizetype left() const { return m_end - m_at; }
    bool count(qsizetype* value)
    {
        if (left() < kCountSize)
            return false;
        *value = qsizetype(qFromLittleEndian<quint32>(m_at));
        m_at += kCountSize;
        return true;
    }
    bool time(qint64* value)
    {
        if (left() < kTimeSize)
            return false;
        *value = qFromLittleEndian<qint64>(m_at);
        m_at += kTimeSize;
        return true;
    }
    bool id(Id* value)
    {
        if (left() < kIdSize)
            return false;
        std::memcpy(value->data(), m_at, kIdSize);
        m_at += kIdSize;
        return true;
    }
    QByteArrayView take(qsizetype size)
    {
        const QByteArrayView taken(reinterpret_cast<const char*>(m_at), size);
        m_at += size;
        return taken;
    }

private:
    const uchar* m_at;
    const uchar* m_end;
};

Decoded damaged(Damage damage, qsizetype number = 0, Field field = Field::None)
{
    return {damage, number, field};
}

Decoded readText(Reader& in, qsizetype number, Field field, QString* text)
{
    qsizetype size = 0;
    if (!in.count(&size))
        return damaged(Damage::Truncated, number, field);
    if (size > maxBytes(field))
        return damaged(Damage::FieldTooLong, number, field);
    if (size > in.left())
        return damaged(Damage::Truncated, number, field);
    const QByteArrayView bytes = in.take(size);
    if (bytes.contains('\0'))
        return damaged(Damage::NulInField, number, field);
    if (!Utf8::isValid(bytes))
        return damaged(Damage::InvalidUtf8, number, field);
    *text = QString::fromUtf8(bytes);
    return {};
}

Decoded readEntries(Reader& in, QList<Entry>* entries)
{
    qsizetype n = 0;
    if (!in.count(&n))
        return damaged(Damage::Truncated);
    if (n > kMaxListings)
        return damaged(Damage::TooManyListings);
    if (n > in.left() / kMinListingSize)
        return damaged(Damage::Truncated);
    entries->reserve(n);
    for (qsizetype i = 0; i < n; ++i) {
        const qsizetype number = i + 1;
        Entry& entry = entries->emplace_back();
        if (!in.id(&entry.id) || !in.time(&entry.created) || !in.time(&entry.modified))
            return damaged(Damage::Truncated, number);
        for (Field field : kFields) {
            if (Decoded read = readText(in, number, field, &fieldOf(entry, field)); !read.ok())
                return read;
        }
    }
    if (const qsizetype repeated = firstRepeatedId(*entries))
        return damaged(Damage::RepeatedId, repeated);
    return {};
}

Decoded readRemovals(Reader& in, QList<Removal>* removals)
{
    qsizetype m = 0;
    if (!in.count(&m) || m > in.left() / kRemovalSize)
        return damaged(Damage::Truncated);
    removals->reserve(m);
    for (qsizetype i = 0; i < m; ++i) {
        Removal& removal = removals->emplace_back();
        in.id(&removal.id);
        in.time(&removal.removed);
    }
    if (const qsizetype repeated = firstRepeatedId(*removals))
        return damaged(Damage::RepeatedRemovalId, repeated);
    return {};
}

StorageResult refuseListing(qsizetype number, const QString& what)
{
    return StorageResult::failure(QStringLiteral("Listing %1: %2.").arg(number).arg(what));
}

// The field's size in UTF-8, or a refusal naming the listing and field.
StorageResult measure(const Entry& entry, qsizetype number, Field field, qsizetype* size)
{
    const QString& text = fieldOf(entry, field);
    if (text.contains(QChar(u'\0')))
        return refuseListing(number, QStringLiteral("the %1 holds a NUL character").arg(fieldName(field)));
    *size = Utf8::encodedSize(text, Utf8::Unpaired::Refuse);
    if (*size < 0)
        return refuseListing(number, QStringLiteral("the %1 is not valid Unicode text").arg(fieldName(field)));
    if (*size > maxBytes(field))
        return refuseListing(number, QStringLiteral("the %1 is longer than %2 bytes in UTF-8 (%3 bytes)")
                                         .arg(fieldName(field), grouped(maxBytes(field)), grouped(*size)));
    return StorageResult::success();
}

} // namespace

QString fieldName(Field field)
{
    switch (field) {
    case Field::Site:
        return QStringLiteral("site");
    case Field::User:
        return QStringLiteral("user name");
    case Field::Password:
        return QStringLiteral("password");
    case Field::None:
        break;
    }
    return {};
}

qsizetype maxBytes(Field field)
{
    switch (field) {
    case Field::Site:
        return kMaxSiteBytes;
    case Field::User:
        return kMaxUserBytes;
    case Field::Password:
        return kMaxPasswordBytes;
    case Field::None:
        break;
    }
    return 0;
}

StorageResult encode(const Contents& contents, SecretBytes* out)
{
    const qsizetype n = contents.entries.size();
    if (n > kMaxListings)
        return StorageResult::failure(
            QStringLiteral("The list holds %1 listings, more than %2.").arg(grouped(n), grouped(kMaxListings)));
    // At most a million listings of 4,140 bytes, so no sum below overflows.
    quint64 total = 2 * kCountSize + quint64(contents.removals.size()) * kRemovalSize;
    for (qsizetype i = 0; i < n; ++i) {
        total += kMinListingSize;
        for (Field field : kFields) {
            qsizetype size = 0;
            if (StorageResult step = measure(contents.entries[i], i + 1, field, &size); !step)
                return step;
            total += quint64(size);
        }
    }
    if (const qsizetype repeated = firstRepeatedId(contents.entries))
        return refuseListing(repeated, QStringLiteral("its id is that of an earlier listing"));
    if (const qsizetype repeated = firstRepeatedId(contents.removals))
        return StorageResult::failure(
            QStringLiteral("Removal %1: its id is that of an earlier removal.").arg(repeated));
    if (contents.removals.size() > qsizetype(std::numeric_limits<quint32>::max())
        || total > quint64(std::numeric_limits<qsizetype>::max()))
        return StorageResult::failure(QStringLiteral("The list is too large to be sealed."));

    SecretBytes bytes;
    try {
        bytes = SecretBytes(qsizetype(total));
    } catch (const std::bad_alloc&) {
        return StorageResult::failure(
            QStringLiteral("The list could not be prepared for sealing (not enough memory)."));
    }
    Writer write(bytes.bytes().data());
    write.count(n);
    for (const Entry& entry : contents.entries) {
        write.id(entry.id);
        write.time(entry.created);
        write.time(entry.modified);
        for (Field field : kFields) {
            const QString& text = fieldOf(entry, field);
            write.text(text, Utf8::encodedSize(text, Utf8::Unpaired::Refuse));
        }
    }
    write.count(contents.removals.size());
    for (const Removal& removal : contents.removals) {
        write.id(removal.id);
        write.time(removal.removed);
    }
    Q_ASSERT(write.at() == bytes.bytes().constData() + bytes.size());
    *out = std::move(bytes);
    return StorageResult::success();
}

QString Decoded::describe() const
{
    const QString listing = QStringLiteral("listing %1").arg(number);
    const QString where = field == Field::None ? listing : listing + QStringLiteral(": the ") + fieldName(field);
    switch (damage) {
    case Damage::None:
        return QStringLiteral("no damage");
    case Damage::Truncated:
        return number == 0 ? QStringLiteral("a count runs past the end of the list")
                           : where + QStringLiteral(" runs past the end of the list");
    case Damage::LeftOver:
        return QStringLiteral("bytes are left over after the removals");
    case Damage::TooManyListings:
        return QStringLiteral("it holds more than %1 listings").arg(grouped(kMaxListings));
    case Damage::FieldTooLong:
        return where + QStringLiteral(" is longer than %1 bytes").arg(grouped(maxBytes(field)));
    case Damage::InvalidUtf8:
        return where + QStringLiteral(" is not valid UTF-8");
    case Damage::NulInField:
        return where + QStringLiteral(" holds a NUL character");
    case Damage::RepeatedId:
        return listing + QStringLiteral(" has the id of an earlier listing");
    case Damage::RepeatedRemovalId:
        return QStringLiteral("removal %1 has the id of an earlier removal").arg(number);
    }
    return QStringLiteral("unknown damage");
}

Decoded decode(QByteArrayView plain, Contents* out)
{
    wipe(*out);
    Reader in(plain);
    Decoded result = readEntries(in, &out->entries);
    if (result.ok())
        result = readRemovals(in, &out->removals);
    if (result.ok() && in.left() != 0)
        result = damaged(Damage::LeftOver);
    if (!result.ok())
        wipe(*out);
    return result;
}

Id newId()
{
    Id id {};
    // Without a random source nothing can be sealed anyway; zeros then
    // make a second listing's id a repeat, which encode() refuses.
    if (Vault::init())
        randombytes_buf(id.data(), id.size());
    return id;
}

qsizetype pruneRemovals(Contents& contents, qint64 nowMs, int days)
{
    const qint64 span = qint64(std::max(days, 0)) * kDayMs;
    const qint64 cutoff =
        nowMs < std::numeric_limits<qint64>::min() + span ? std::numeric_limits<qint64>::min() : nowMs - span;
    return contents.removals.removeIf([cutoff](const Removal& removal) { return removal.removed < cutoff; });
}

void wipe(Contents& contents)
{
    for (Entry& entry : contents.entries) {
        for (Field field : kFields)
            wipeText(fieldOf(entry, field));
    }
    contents.entries = {};
    contents.removals = {};
}

} // namespace VaultPayload
