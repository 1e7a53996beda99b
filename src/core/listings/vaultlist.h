#pragma once

#include "core/listings/listfile.h"
#include "core/storage/datafolder.h"
#include "core/storage/storageresult.h"
#include "core/storage/vault.h"

#include <QList>

// The list when strong protection is on: the same 110-byte records as the
// list file holds before ciphering, sealed in "kxplst.vault" under the
// session's key.
namespace VaultList {

// Opens the vault with the session's key and reads its listings.
StorageResult load(const DataFolder& folder, const Vault::Session& session, QList<Listing>* listings);

// Seals listings with a fresh nonce and replaces the vault at once; on a
// failure the vault on disk stays the last good one.
StorageResult save(const DataFolder& folder, const Vault::Session& session, const QList<Listing>& listings);

// The file bytes of listings sealed under the session (empty on failure).
StorageResult seal(const QList<Listing>& listings, const Vault::Session& session, QByteArray* file);

} // namespace VaultList
