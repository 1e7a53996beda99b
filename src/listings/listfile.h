#pragma once

#include "storage/storageresult.h"

#include <QByteArray>
#include <QByteArrayView>
#include <QList>
#include <QString>

// The list file: 110-byte records of three space-padded fields, no header,
// no separators; a trailing part shorter than a record is ignored.
struct Listing {
    QString site;
    QString user;
    QString password;

    friend bool operator==(const Listing&, const Listing&) = default;
};

namespace ListFile {

inline constexpr int kSiteLength = 75;
inline constexpr int kUserLength = 20;
inline constexpr int kPasswordLength = 15;
inline constexpr int kRecordLength = kSiteLength + kUserLength + kPasswordLength;

// The listings of a plain list; each field is cut at its first NUL and keeps
// its pad spaces.
QList<Listing> parse(QByteArrayView plain);

// The plain list: each value left-aligned, padded with spaces and cut to its
// field. Fails, naming the listing, on a character Windows-1252 cannot hold.
StorageResult serialize(const QList<Listing>& listings, QByteArray* plain);

// Reads the list file under key and leaves it ciphered as it was.
StorageResult load(const QString& key, QList<Listing>* listings);

// Writes listings as the list file, ciphered under key. The plain twin is
// complete on disk before the ciphered file is replaced; on a failure the
// ciphered file stays the last good one and the plain twin is removed.
StorageResult save(const QList<Listing>& listings, const QString& key);

} // namespace ListFile
