#pragma once

#include "core/storage/datafolder.h"
#include "core/storage/storageresult.h"
#include "core/storage/vault.h"

#include <QByteArrayView>
#include <QString>

// A vault sealed with weaker Argon2id settings than this version writes is
// sealed again, when it is opened, with today's settings and a fresh salt.
namespace VaultUpgrade {

// Whether params ask less work or memory than a new vault gets.
bool isWeak(const Vault::Params& params);

// Once the entry opened the vault (records: what it holds, in clear): when
// session's parameters are weak, seals the same records under entry with
// today's parameters and a fresh salt and replaces the vault with them in
// one step; session then holds the new key. Nothing is written where the
// vault cannot be (a read-only file or folder): that is no failure, and the
// session stays as it was, as it does after any failure.
StorageResult strengthen(const DataFolder& folder, QByteArrayView records, const QString& entry,
                         Vault::Session* session);

} // namespace VaultUpgrade
