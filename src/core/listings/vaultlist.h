#pragma once

#include "core/listings/listfile.h"
#include "core/listings/listing.h"
#include "core/storage/datafolder.h"
#include "core/storage/fileidentity.h"
#include "core/storage/storageresult.h"
#include "core/storage/vault.h"

#include <QList>

// The list when strong protection is on, sealed in "kxplst.vault" under the
// session's key. Version 1 seals the 110-byte records of the list file;
// version 2 the listings with their ids and times, and the removals (see
// VaultPayload). A vault is saved in the version it was opened in.
namespace VaultList {

// Opens the vault with the session's key and reads its listings (and, from
// version 2, its removals); seen, when given, gets the version read.
StorageResult load(const DataFolder& folder, const Vault::Session& session, QList<Listing>* listings,
                   QList<ListingRemoval>* removals = nullptr, FileIdentity* seen = nullptr);

// Seals listings with a fresh nonce and replaces the vault at once; on a
// failure the vault on disk stays the last good one. written, when given,
// gets the version written.
StorageResult save(const DataFolder& folder, const Vault::Session& session, const QList<Listing>& listings,
                   const QList<ListingRemoval>& removals = {}, FileIdentity* written = nullptr);

// The file bytes of listings sealed under the session (empty on failure).
StorageResult seal(const QList<Listing>& listings, const Vault::Session& session, QByteArray* file,
                   const QList<ListingRemoval>& removals = {});

// The listings of an opened payload of that version; a damaged one is
// refused, naming the damage.
StorageResult listingsOf(QByteArrayView plain, quint8 version, QList<Listing>* listings,
                         QList<ListingRemoval>* removals = nullptr);

} // namespace VaultList
