#pragma once

#include "storage/storageresult.h"

#include <QString>

// The two small formats of storage: the start-up record and the
// master-password file. Each read deciphers, reads and enciphers again, so
// only the ciphered form is left between actions.
namespace DataFiles {

inline constexpr int kFieldLength = 25;

// The first 25 characters of a plain file; positions past its end read as NUL.
StorageResult readField(const QString& plainPath, QString* field);

// The start-up record, cut at its first NUL.
StorageResult readStartupRecord(QString* record);

// Whether characters 7 to 9 of record are "TKY" in any letter case.
bool hasFirstRunMarker(const QString& record);

// record with characters 7 to 9 replaced by "nty".
QString withMarkerCleared(const QString& record);

// Writes record, and nothing else, as the start-up record.
StorageResult writeStartupRecord(const QString& record);

// The stored master password: cut at its first NUL, trimmed of spaces. A
// missing file reads as empty.
StorageResult readStoredPassword(QString* password);

// The master password the next read will find, read without writing
// anything: the plain twin when one was left, else the ciphered file.
StorageResult peekStoredPassword(QString* password);

enum class PasswordLayout { PaddedTo25, Bare };
// Writes password as the master-password file.
StorageResult writePasswordFile(const QString& password, PasswordLayout layout);

} // namespace DataFiles
