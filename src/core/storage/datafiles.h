#pragma once

#include "core/storage/datafolder.h"
#include "core/storage/secretbytes.h"
#include "core/storage/storageresult.h"

#include <QByteArrayView>
#include <QString>

// Reading and writing the data files: each is read whole and deciphered in
// memory, and written enciphered in memory and replaced at once. No plain
// form of a data file is ever written.
namespace DataFiles {

inline constexpr int kFieldLength = 25;

// The plain bytes of the ciphered file at path; a missing file reads as
// empty.
StorageResult readPlainAt(const QString& path, QByteArrayView key, SecretBytes* plain);

// The plain bytes of file. A plain file left by an earlier version that
// could not be taken over (a read-only folder) is what is current, so it is
// read instead.
StorageResult readPlain(const DataFile& file, QByteArrayView key, SecretBytes* plain);

// Enciphers plain under key and replaces the file with it.
StorageResult writePlain(const DataFile& file, QByteArrayView plain, QByteArrayView key);

// Takes over the plain file an earlier version left beside file, if any:
// the plain file wins, the ciphered one is kept as a backup, the plain
// content is enciphered into the ciphered file, and only then is the plain
// file removed. *backupPath names the backup made (empty: none).
StorageResult adoptLeftoverPlain(const DataFile& file, QByteArrayView key, QString* backupPath = nullptr);

// The first 25 bytes as characters; positions past the end read as NUL.
QString fieldOf(QByteArrayView plain);

// The start-up record, cut at its first NUL.
StorageResult readStartupRecord(const DataFolder& folder, QString* record);

// Whether characters 7 to 9 of record are "TKY" in any letter case.
bool hasFirstRunMarker(const QString& record);

// record with characters 7 to 9 replaced by "nty".
QString withMarkerCleared(const QString& record);

// Writes record, and nothing else, as the start-up record.
StorageResult writeStartupRecord(const DataFolder& folder, const QString& record);

// The stored master password: cut at its first NUL, trimmed of spaces. A
// missing file reads as empty; one whose password holds a control character
// is reported as damaged.
StorageResult readStoredPassword(const DataFolder& folder, QString* password);
// Whether the password file holds candidate, compared exactly; never for an
// empty or unreadable one.
bool storedPasswordIs(const DataFolder& folder, QStringView candidate);

enum class PasswordLayout { PaddedTo25, Bare };
// The plain bytes of a master-password file holding password; fails on a
// character that the file cannot hold.
StorageResult passwordFileBytes(const QString& password, PasswordLayout layout, SecretBytes* plain);

} // namespace DataFiles
