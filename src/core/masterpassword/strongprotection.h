#pragma once

#include "core/listings/listfile.h"
#include "core/storage/datafolder.h"
#include "core/storage/startup.h"
#include "core/storage/storageresult.h"
#include "core/storage/vault.h"

#include <QList>
#include <QString>
#include <QStringList>

#include <optional>

// Strong protection, by choice: the list sealed in "kxplst.vault" with a key
// derived from the master password, in place of the password file and the
// ciphered list. Each call that derives a key takes about half a second.
namespace StrongProtection {

// Whether the folder holds a vault that looks whole (then it is what the
// program tries first).
bool isOn(const DataFolder& folder);

struct PairMoved {
    QStringList moved; // for the user: "\"kxplst.ene\" as \"kxplst-backup-....ene\"", each
    QStringList stayed; // for the user: each file that could not be moved, and why
    QString listMovedTo; // where the ciphered list went (empty: it did not move)
};
// Moves the password file and the ciphered list, where they are, to
// backups with one stamp ("kxplst-backup-*.ene", "kxpwfl-backup-*.ene"); a
// read-only one stays.
PairMoved movePairAside(const DataFolder& folder);

struct KeptAside {
    QString note; // for the user: what was kept, and as what (empty: nothing there)
    bool weakCopiesKept = false; // the user may be offered to remove them
    QString listMovedTo; // where the ciphered list went (empty: it did not move)
};
// Once the vault opened: the password file and the ciphered list beside it
// are kept as backups ("kxplst-backup-*.ene", "kxpwfl-backup-*.ene"), never
// removed; a read-only one stays.
KeptAside keepPairAside(const DataFolder& folder);

// Once the described pair opened beside a vault in any form: a vault of this
// program is kept as "kxplst-backup-*.vault", anything else stays as found.
// The note for the user names both.
QString keepVaultAside(const DataFolder& folder, const Startup::VaultFound& vault);

struct Unlocked {
    StorageResult result; // a fault reading the vault (not a wrong entry)
    bool opened = false; // the entry opened the vault
    QString note; // for the user: what the unlock changed (empty: nothing)
};
// Tries the entry on the vault (spaces at its ends are no part of it): a right entry fills
// session. A damaged vault counts as a wrong entry. A vault of version 1 is
// sealed again as version 2 while the entry is at hand (one replacement of
// the vault; the earlier one kept as "kxplst-backup-*.vault"), unless the
// folder is read-only: then it opens as it is and nothing is written.
Unlocked unlock(const DataFolder& folder, const QString& entry, Vault::Session* session);

// Whether password derives the session's key (compared in constant time).
bool checkPassword(const Vault::Session& session, const QString& password);

// Seals listings under newPassword with a fresh salt, as one replacement of
// the vault; session takes the new key only when that succeeded.
StorageResult changePassword(const DataFolder& folder, Vault::Session* session, const QString& newPassword,
                             const QList<Listing>& listings, const QList<ListingRemoval>& removals = {});

// Why turning on cannot be done here (a described file that is a symbolic
// link or read-only, a read-only folder); fine when it can.
StorageResult refusalToTurnOn(const DataFolder& folder);

struct TurnedOn {
    StorageResult result;
    bool on = false; // the vault is complete and in place
};
// Seals listings under newPassword into the vault; only once it is complete
// and synced are the password file and the ciphered list removed.
TurnedOn turnOn(const DataFolder& folder, const QString& newPassword, const QList<Listing>& listings,
                Vault::Session* session);

// Writes listings back as the password file and the ciphered list under
// password (one change of two files), then removes the vault. Refused,
// with nothing written, when the vault is read-only or a file of the
// earlier format is already there. Not done until
// the vault is gone: should that fail, the files just written go again and
// strong protection stays on.
StorageResult turnOff(const DataFolder& folder, const QString& password, const QList<Listing>& listings);

// The weakly protected copies the program kept ("kxplst-backup-*.ene",
// "kxpwfl-backup-*.ene"), as paths.
QStringList weakCopies(const DataFolder& folder);

// What a failed derivation reports.
StorageResult noKey();

// The parameters a vault is sealed with today.
Vault::Params paramsForNewVaults();

// A new key for password: a fresh salt and today's parameters (one
// derivation), for a vault of that version (new vaults are version 2);
// nothing when the password cannot be a key.
std::optional<Vault::Session> newSession(const QString& password, quint8 version = Vault::kVersion2);

// Test seam: the parameters new vaults are sealed with (nothing: the ones
// a real save writes).
void setNewVaultParamsForTesting(std::optional<Vault::Params> params);

} // namespace StrongProtection
