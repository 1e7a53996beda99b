#pragma once

#include "core/listings/listfile.h"
#include "core/storage/datafolder.h"
#include "core/storage/secretbytes.h"
#include "core/storage/vault.h"

#include <QList>
#include <QString>
#include <QStringList>

#include <vector>

// The copies the program kept under an earlier master password
// ("kxplst-backup-<stamp>.ene" with its "kxpwfl-backup-<stamp>.ene", and
// with strong protection "kxplst-backup-<stamp>.vault"). Whoever reads them
// may recover that password and the list as it was, so once the password
// changes (or strong protection is turned on) each is checked against the
// list: a copy that holds nothing the list lacks can go, any other is first
// put under the new password. Reading the copies costs no derivation, but
// opening sealed ones derives one key per salt found.
namespace WeakBackups {

enum class Verdict {
    InList, // every listing it holds is in the list (or it holds none)
    NotInList, // it holds a listing the list lacks, or damage: put under the new password first
    Unreadable, // it could not be deciphered, so it cannot be checked
};

struct Backup {
    QString path; // a list copy, or a password copy that belongs to none
    QString passwordPath; // the password copy of the same stamp, which goes with it
    QString keyPath; // the password copy whose password opened it (empty: the old password)
    Verdict verdict = Verdict::Unreadable;
    SecretBytes records; // NotInList: the plain records, as found
    bool holdsList() const;
    QStringList paths() const; // path, and passwordPath when there is one
};
using Backups = std::vector<Backup>;

// Finds the copies kept in folder and checks each against listings. A list
// copy is deciphered with the password copy of its stamp, the old
// password, or any other password copy: the first whose result reads as
// text. With sealedToo, sealed copies are opened with the old password.
Backups survey(const DataFolder& folder, const QList<Listing>& listings, const QString& oldPassword, bool sealedToo);

// Moves the copies of this verdict out of backups.
Backups take(Backups* backups, Verdict verdict);

// The file names (list and password copies) of backups, sorted.
QStringList names(const Backups& backups);
bool any(const Backups& backups, Verdict verdict);

// What a copy that holds listings the list lacks is put under.
struct Reseal {
    // Strong protection: sealed as "kxplst-backup-<stamp>.vault" with this
    // key (fresh salt, today's parameters).
    const Vault::Session* session = nullptr;
    // Otherwise: ciphered under this password as a new
    // "kxplst-backup-<stamp>.ene", beside a "kxpwfl-backup-<stamp>.ene" that
    // holds it.
    QString password;
};

struct Settled {
    QStringList written; // the new copies
    QStringList removed;
    QStringList failures;
};

// Puts each NotInList copy under reseal (a new file with the copy's own
// stamp, a second later while that name is taken: nothing is overwritten),
// and only then removes its old files; removes the others. A copy that
// could not be put under the new password stays, and so does every
// password copy that deciphers it.
Settled settle(const DataFolder& folder, Backups& backups, const Reseal& reseal);

} // namespace WeakBackups
