// Test-only hooks into the vault module. Nothing outside the tests includes
// this: a fixed nonce in a real save would be a serious bug.
#pragma once

#include "core/storage/vault.h"

namespace Vault::TestSeam {

// seal() with a caller-chosen nonce, so a fixed vector can pin the format.
QByteArray sealWithNonce(QByteArrayView plain, const VaultKey& key, const Params& params, const Salt& salt,
                         const Nonce& nonce, quint8 version = kVersion1);

// How many times a derivation actually reached Argon2id in this process, so
// tests can prove that damaged headers are refused before any work.
quint64 derivationAttempts();

} // namespace Vault::TestSeam
