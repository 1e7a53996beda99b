// What version 2 of the vault seals: the listings with their ids and times,
// and the removals (the id and time of each listing deleted), so that lists
// kept on several machines can later be merged.
//
// Layout, all integers little-endian:
//   u32 n, then n listings:
//     id        16 random bytes
//     created   i64, ms since 1970-01-01 UTC
//     modified  i64, ms
//     site, user name, password: each u32 byte length + that many UTF-8 bytes
//   u32 m, then m removals:
//     id        16 bytes
//     removed   i64, ms
// Nothing follows the removals.
#pragma once

#include "core/storage/secretbytes.h"
#include "core/storage/storageresult.h"

#include <QByteArrayView>
#include <QList>
#include <QString>
#include <QtGlobal>

#include <array>

namespace VaultPayload {

inline constexpr qsizetype kIdSize = 16;
inline constexpr qsizetype kMaxSiteBytes = 2048;
inline constexpr qsizetype kMaxUserBytes = 1024;
inline constexpr qsizetype kMaxPasswordBytes = 1024;
inline constexpr qsizetype kMaxListings = 1000000;
inline constexpr int kKeptRemovalDays = 180;

using Id = std::array<uchar, kIdSize>;

struct Entry {
    Id id {};
    qint64 created = 0; // ms since 1970-01-01 UTC
    qint64 modified = 0;
    QString site;
    QString user;
    QString password;
    friend bool operator==(const Entry&, const Entry&) = default;
};

struct Removal {
    Id id {};
    qint64 removed = 0; // ms since 1970-01-01 UTC
    friend bool operator==(const Removal&, const Removal&) = default;
};

struct Contents {
    QList<Entry> entries;
    QList<Removal> removals;
    friend bool operator==(const Contents&, const Contents&) = default;
};

enum class Field { None, Site, User, Password };
// "site", "user name", "password"; empty for None.
QString fieldName(Field field);
// At most this many UTF-8 bytes; 0 for None.
qsizetype maxBytes(Field field);

// The payload's bytes, in one buffer sized once (it never grows, so no
// stale copy is left behind). Refuses, naming the listing by its number
// (from 1) and the field, what decode() would call damage: a field over
// its bound in UTF-8 bytes, a NUL or a lone surrogate in a field, more
// than kMaxListings listings, an id used twice among the listings or among
// the removals. On refusal *out is left as it was.
StorageResult encode(const Contents& contents, SecretBytes* out);

enum class Damage {
    None,
    Truncated, // a count or a length runs past the payload
    LeftOver, // bytes after the removals
    TooManyListings, // more than kMaxListings
    FieldTooLong,
    InvalidUtf8,
    NulInField,
    RepeatedId, // two listings share an id
    RepeatedRemovalId, // two removals share an id
};

struct Decoded {
    Damage damage = Damage::None;
    // Where: the listing's number (or the removal's, for
    // RepeatedRemovalId), from 1; 0 when it concerns no single one.
    qsizetype number = 0;
    Field field = Field::None;
    bool ok() const { return damage == Damage::None; }
    // For the user and the logs, e.g. "listing 3: the user name is not
    // valid UTF-8".
    QString describe() const;
};

// Reads a whole payload. On damage *out is left empty and what was read
// of it is wiped; whatever *out held before is wiped either way. Hostile
// counts are checked against the bytes left before anything is reserved.
Decoded decode(QByteArrayView plain, Contents* out);

// 16 random bytes from libsodium.
Id newId();

// Drops the removals older than the given number of days before nowMs;
// removals dated later than nowMs (another machine's clock) are kept.
// Returns how many were dropped.
qsizetype pruneRemovals(Contents& contents, qint64 nowMs, int days = kKeptRemovalDays);

// Overwrites every field's characters that contents alone holds, and
// empties it.
void wipe(Contents& contents);

} // namespace VaultPayload
