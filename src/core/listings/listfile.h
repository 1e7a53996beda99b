#pragma once

#include "core/listings/listing.h"
#include "core/storage/datafolder.h"
#include "core/storage/fileidentity.h"
#include "core/storage/secretbytes.h"
#include "core/storage/storageresult.h"

#include <QByteArrayView>
#include <QList>
#include <QString>

// The list file: 110-byte records of three space-padded fields, no header,
// no separators; a trailing part shorter than a record is ignored.
namespace ListFile {

inline constexpr int kSiteLength = 75;
inline constexpr int kUserLength = 20;
inline constexpr int kPasswordLength = 15;
inline constexpr int kRecordLength = kSiteLength + kUserLength + kPasswordLength;

// The listings of a plain list; each field is cut at its first NUL and keeps
// its pad spaces.
QList<Listing> parse(QByteArrayView plain);

// What a save would lose of a plain list: a tail shorter than a listing, or
// the characters after a NUL in a field. Empty when nothing.
QString damageOf(QByteArrayView plain);

// Whether the list file can hold listing whole: each value within its field
// and in Windows-1252.
bool fits(const Listing& listing);

// The plain list: each value left-aligned, padded with spaces and cut to its
// field. Fails, naming the listing, on a character Windows-1252 cannot hold.
StorageResult serialize(const QList<Listing>& listings, SecretBytes* plain);

struct LoadReport {
    QString damage; // what was odd about the file (empty: nothing)
    QString backupPath; // the copy of the damaged file as found
    StorageResult backup = StorageResult::success(); // whether that copy could be made
};

// Reads the list under key, in memory. A plain list an earlier version left
// is taken over first. A damaged file (see damageOf) is copied as found
// to a backup before anything else is written, and report says so.
StorageResult load(const DataFolder& folder, QStringView key, QList<Listing>* listings, LoadReport* report = nullptr);

// Writes listings as the list file, ciphered under key, replacing it at
// once; on a failure the file on disk stays the last good one. While a
// change of the master password is unfinished, the pending list is
// written and renamed into place. written, when given, gets the version
// written.
StorageResult save(const DataFolder& folder, const QList<Listing>& listings, QStringView key,
                   FileIdentity* written = nullptr);

} // namespace ListFile
