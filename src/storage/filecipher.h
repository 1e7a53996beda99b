#pragma once

#include "storage/storageresult.h"

#include <QByteArray>
#include <QByteArrayView>
#include <QDateTime>
#include <QString>

// The file cipher: every data file is ".ene" (ciphered) at rest and ".end"
// (plain) only while in use. Both operations write the twin of the source
// and then remove the source, so one form is left.

// XOR of each byte with (key character + its 1-based key position) mod 256;
// its own inverse.
QByteArray CipherBytes(QByteArrayView data, QByteArrayView key);

// The twin of path: its extension replaced by ".end" (plain) or ".ene".
QString PlainTwinPath(const QString& cipheredPath);
QString CipheredTwinPath(const QString& plainPath);

// "<name>-backup-<yyyyMMdd-HHmmss>.ene" beside cipheredPath, a second later
// for as long as that name is taken, so that no file is overwritten.
QString FreeBackupPath(const QString& cipheredPath, const QDateTime& when);

// Writes the ".end" twin of sourcePath and removes sourcePath. A missing
// source leaves an existing twin untouched (or creates it empty). When both
// exist, an interrupted run left them: the plain twin is current, and the
// ciphered file is kept as a backup.
StorageResult Decipher(const QString& sourcePath, const QString& key);

// Writes the ".ene" twin of sourcePath and removes sourcePath.
StorageResult Encipher(const QString& sourcePath, const QString& key);
