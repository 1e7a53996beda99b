// Sealed "kxplst.vault" file: the plain list encrypted under a key that is
// stretched from the master password.
//
// Layout (all integers little-endian):
//   0  "VELLAMAR-VAULT"          14 bytes
//  14  version (1 or 2)           1 byte
//  15  Argon2id ops limit         8 bytes
//  23  Argon2id memory limit      8 bytes
//  31  salt                      16 bytes
//  47  nonce                     24 bytes
//  71  XChaCha20-Poly1305 ciphertext of the payload, 16-byte tag last
// The whole 71-byte header is the associated data, so any changed byte,
// header included, makes opening fail.
//
// The two versions differ only inside: version 1 seals the 110-byte records
// of the list file under a key from the password's Windows-1252 bytes;
// version 2 seals a VaultPayload under a key from passwordBytesV2().
//
// Typical use: readHeader() -> deriveKey(password, header.params, header.salt)
// -> open(..., header.version). Keep the key to re-save with seal(); a
// password change takes a fresh salt (newSalt()) and writtenParams().
#pragma once

#include "core/storage/secretbytes.h"

#include <QByteArray>
#include <QByteArrayView>
#include <QStringView>
#include <QtGlobal>

#include <array>
#include <cstddef>
#include <optional>

namespace Vault {

inline constexpr std::size_t kMagicSize = 14;
inline constexpr std::size_t kSaltSize = 16;
inline constexpr std::size_t kNonceSize = 24;
inline constexpr std::size_t kKeySize = 32;
inline constexpr std::size_t kTagSize = 16;
inline constexpr std::size_t kHeaderSize = kMagicSize + 1 + 8 + 8 + kSaltSize + kNonceSize;
inline constexpr quint8 kVersion1 = 1;
inline constexpr quint8 kVersion2 = 2;
// What seal() writes unless told otherwise.
inline constexpr quint8 kVersion = kVersion1;
// What version 1 seals is whole 110-byte listings, so its length tells.
inline constexpr std::size_t kRecordSize = 110;

using Salt = std::array<uchar, kSaltSize>;
using Nonce = std::array<uchar, kNonceSize>;

// Starts libsodium. Safe to call more than once; false means the vault cannot
// be used at all (no usable random source).
bool init();

struct Params {
    quint64 opsLimit = 0;
    quint64 memLimit = 0; // bytes
    friend bool operator==(const Params&, const Params&) = default;
};

// What a save writes today. Stored in every header, so a later version can
// raise it without breaking older files.
Params writtenParams();
// The smallest values libsodium accepts for Argon2id; cheap, for tests.
Params minimumParams();
// True when a header carrying these values may be derived from: not below
// libsodium's minimums and at most four times what this version writes, so a
// damaged or hostile header cannot make us burn minutes or gigabytes.
bool acceptableParams(const Params& params);

// The 32-byte key in libsodium's guarded memory: locked against swapping and
// wiped when released. Move-only so there is never a stray copy.
class VaultKey {
public:
    VaultKey() = default;
    ~VaultKey();
    VaultKey(VaultKey&& other) noexcept;
    VaultKey& operator=(VaultKey&& other) noexcept;
    VaultKey(const VaultKey&) = delete;
    VaultKey& operator=(const VaultKey&) = delete;

    bool isValid() const { return m_bytes != nullptr; }

private:
    friend struct KeyAccess;
    explicit VaultKey(uchar* bytes)
        : m_bytes(bytes)
    {
    }
    uchar* m_bytes = nullptr;
};

// What an open vault keeps for its next save: the key, and the salt and
// parameters it was derived with. Empty (no key) while no vault is open.
struct Session {
    VaultKey key;
    Params params;
    Salt salt {};
    quint8 version = kVersion1; // what a save writes: the vault's own version
    bool isOpen() const { return key.isValid(); }
};

struct Header {
    quint8 version = kVersion1;
    Params params;
    Salt salt {};
    Nonce nonce {};
};

enum class Damage {
    None,
    TooShort, // shorter than header + tag
    BadMagic,
    BadVersion, // neither 1 nor 2
    ParamsOutOfRange, // see acceptableParams()
};
const char* describe(Damage damage);

struct HeaderCheck {
    Header header;
    Damage damage = Damage::None;
    bool ok() const { return damage == Damage::None; }
};

// Checks the fixed header of a whole file without deriving anything, so
// damage is reported before any expensive work starts. Either version
// passes; header.version says which.
HeaderCheck readHeader(QByteArrayView fileBytes);

// The key input of version 2: the password's UTF-8 bytes after Unicode
// normalisation to NFC, so the same password typed on another machine (or
// with another input method) gives the same key. A lone surrogate, which no
// keyboard produces, is taken as U+FFFD. Spaces at the ends are kept here:
// keyInput() applies the rule for them. The strings this holds on the way are wiped; what
// Qt's normaliser allocates inside is left to the zeroing of freed memory.
SecretBytes passwordBytesV2(QStringView password);

// What a password derives a key of that version from: its Windows-1252
// bytes for version 1 (nothing when it holds a character outside it), its
// passwordBytesV2() for version 2. Spaces at the ends of the password are
// not part of it, whether it is being set up, changed or typed to unlock:
// one rule for every derivation, and the one set-up always followed.
std::optional<SecretBytes> keyInput(QStringView password, quint8 version);
// keyInput() stretched with the parameters and salt; nothing when there is
// no key input or no memory.
std::optional<VaultKey> deriveFromPassword(QStringView password, const Params& params, const Salt& salt,
                                           quint8 version);

// Stretches the password bytes (Windows-1252 for version 1, as the list
// stores them; passwordBytesV2() for version 2). Empty on unacceptable
// params, out of memory or a libsodium failure.
std::optional<VaultKey> deriveKey(QByteArrayView passwordBytes, const Params& params, const Salt& salt);

// The complete file bytes of the given version, with a fresh random nonce.
// Empty on failure (invalid key, unacceptable params, unknown version, out
// of memory); a real vault never is.
QByteArray seal(QByteArrayView plain, const VaultKey& key, const Params& params, const Salt& salt,
                quint8 version = kVersion1);

enum class OpenResult {
    Ok,
    Damaged, // header unusable (see readHeader()), or not the version asked for
    WrongKeyOrChanged, // authentication failed: wrong password or altered bytes
    OutOfMemory,
};

// Both open only a file of the version the caller reads, so a reader of
// version 1 records never takes a version 2 payload for them: another
// version is Damaged.

// On Ok, plain holds the payload in a buffer allocated once at its final
// size, so wipe() reaches every copy. Otherwise plain is left empty.
OpenResult open(QByteArrayView fileBytes, const VaultKey& key, QByteArray& plain, quint8 version = kVersion1);

// Opens the vault into file itself: on Ok, file is replaced by the header
// and the payload in clear, which *plain views and which must be wiped. On
// any other result file is left as it was, byte for byte.
OpenResult openInPlace(QByteArray& file, const VaultKey& key, QByteArrayView* plain, quint8 version = kVersion1);

// Constant-time comparison; false if either key is empty.
bool sameKey(const VaultKey& a, const VaultKey& b);

Salt newSalt();

// Zeroes the bytes in place and empties the array. Only reaches every copy
// when the array is not shared, which holds for what open() hands out.
void wipe(QByteArray& bytes);

} // namespace Vault
