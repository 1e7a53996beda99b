#pragma once

#include "core/listings/listing.h"
#include "core/storage/datafolder.h"
#include "core/storage/storageresult.h"
#include "core/storage/vault.h"

#include <QList>
#include <QString>

// The first run with strong protection: the chosen master password seals a
// new list in "kxplst.vault". The password file and the ciphered list are
// never written; the start-up record stays as the start left it.
namespace StrongSetup {

struct Outcome {
    StorageResult result;
    bool on = false; // the vault is complete and in place: session holds its key
    // What the new vault holds: the listings of a plain list an earlier
    // version left, stamped as sealed; none otherwise.
    QList<Listing> listings;
    QString note; // for the user: what was found beside it and what became of it
    bool weakCopiesKept = false; // files of the earlier format were kept as backups
};

// Seals the new list under password (a fresh salt, version 2). A plain list
// an earlier version left is sealed in, and removed once the vault holds it
// (a damaged one stays as found). Once the vault is complete, a ciphered
// list already there (it opens only with its own password) and a password
// file are kept as "kxplst-backup-<date>-<time>.ene" and
// "kxpwfl-backup-<date>-<time>.ene"; an empty list file, which holds
// nothing, just goes. Nothing is written when the folder refuses it.
Outcome commit(const DataFolder& folder, const QString& password, Vault::Session* session);

} // namespace StrongSetup
