#pragma once

#include "core/storage/storageresult.h"

#include <QByteArray>
#include <QByteArrayView>
#include <QDateTime>
#include <QString>

#include <array>

// Which version of a data file this program last read or wrote: its size,
// time and a hash of its bytes. Sync tools replace a file by renaming a new
// one over it, and may keep the other machine's time, so only the bytes
// tell whether it is still the version seen.
struct FileIdentity {
    bool known = false; // nothing was read or written yet: no claim
    bool present = false; // the file was there
    qint64 size = 0;
    QDateTime modified; // for messages; never decides
    std::array<uchar, 32> hash {};

    // The identity of bytes read from, or just written to, path.
    static FileIdentity ofBytes(QByteArrayView bytes, const QString& path);
    // Reads path as it is now (absent is an identity too); bytes, when
    // given, gets what was read.
    static StorageResult read(const QString& path, FileIdentity* identity, QByteArray* bytes = nullptr);

    // The same version: both absent, or the same bytes.
    bool sameVersion(const FileIdentity& other) const;
};
