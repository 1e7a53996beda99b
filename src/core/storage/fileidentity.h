#pragma once

#include "core/storage/storageresult.h"

#include <QByteArray>
#include <QByteArrayView>
#include <QString>

#include <array>

// Which version of a data file this program last read or wrote: its size
// and a hash of its bytes. Sync tools replace a file by renaming a new one
// over it, and may keep the other machine's time, so only the bytes tell
// whether it is still the version seen.
struct FileIdentity {
    bool known = false; // nothing was read or written yet: no claim
    bool present = false; // the file was there
    qint64 size = 0;
    std::array<uchar, 32> hash {};

    // The identity of bytes read from, or just written to, a file.
    static FileIdentity ofBytes(QByteArrayView bytes);
    // Reads path as it is now (absent is an identity too); bytes, when
    // given, gets what was read.
    static StorageResult read(const QString& path, FileIdentity* identity, QByteArray* bytes = nullptr);

    // The same version: both absent, or the same bytes.
    bool sameVersion(const FileIdentity& other) const;
};
