#pragma once

#include "core/listings/listfile.h"
#include "core/storage/datafolder.h"
#include "core/storage/storageresult.h"
#include "core/storage/vault.h"

#include <QDateTime>
#include <QList>
#include <QString>

#include <optional>

// The copies of the list the program kept ("kxplst-backup-<yyyyMMdd-HHmmss>"
// with ".ene" for the described format, ".vault" for a sealed one): finding
// them, reading one under its password, and keeping the open list as one
// before it is replaced.
namespace ListBackups {

enum class Kind { Described, Vault };

struct Backup {
    QString path;
    QDateTime when; // the moment its name gives
    Kind kind = Kind::Described;
    qint64 size = 0;
    // Described: the master-password file kept at the same moment
    // ("kxpwfl-backup-<same stamp>.ene"), when there is one.
    QString passwordPath;
};

struct NameParts {
    QDateTime when;
    Kind kind;
};
// What a file name says, when it is exactly the name of a list backup.
std::optional<NameParts> parseName(const QString& fileName);

// The list backups beside the list (and beside the vault, should a link
// put it elsewhere), newest first.
QList<Backup> find(const DataFolder& folder);

enum class Status {
    Opened,
    WrongPassword,
    Damaged, // not a file this program writes, or cut short
    Unreadable, // the system refused to read it
};
struct Contents {
    Status status = Status::WrongPassword;
    QString reason; // Damaged, Unreadable: why
    QList<Listing> listings;
};

// Whether plain can be a described list deciphered under its own key: no
// control character in any whole listing (NUL has its own meaning). A wrong
// key leaves them in nearly every list; the format itself cannot tell more.
bool looksDeciphered(QByteArrayView plain);

// A described backup read with the master password kept beside it; a wrong
// password when there is none or it does not decipher the list.
Contents readWithKeptPassword(const Backup& backup);

// The backup read under password (a vault leaves spaces at its ends out). A vault derives a key first,
// which takes about half a second.
Contents read(const Backup& backup, const QString& password);

struct Kept {
    StorageResult result;
    QString path; // the list backup written (empty: none)
    QString passwordPath; // described: the password file kept with it
};
// Keeps listings, the open list about to be replaced, as a backup in the
// format in force: sealed under session while one is open, else ciphered
// under password with the master-password file of this moment beside it.
// Both names carry the same moment, one no file has yet.
Kept keep(const DataFolder& folder, const QList<Listing>& listings, QStringView password, const Vault::Session& session,
          const QDateTime& when);

} // namespace ListBackups
