#include "core/storage/vault.h"

#include "core/storage/ansi.h"
#include "core/storage/secrettext.h"
#include "core/storage/textutil.h"
#include "core/storage/utf8.h"
#include "core/storage/vault_test_seam.h"

#include <QString>
#include <QtEndian>

#include <sodium.h>

#include <atomic>
#include <cstring>
#include <limits>
#include <new>

namespace Vault {

namespace {

constexpr char kMagic[kMagicSize] = {'V', 'E', 'L', 'L', 'A', 'M', 'A', 'R', '-', 'V', 'A', 'U', 'L', 'T'};

constexpr std::size_t kVersionAt = kMagicSize;
constexpr std::size_t kOpsAt = kVersionAt + 1;
constexpr std::size_t kMemAt = kOpsAt + 8;
constexpr std::size_t kSaltAt = kMemAt + 8;
constexpr std::size_t kNonceAt = kSaltAt + kSaltSize;
static_assert(kNonceAt + kNonceSize == kHeaderSize);
static_assert(kHeaderSize == 71);

static_assert(kSaltSize == crypto_pwhash_argon2id_SALTBYTES);
static_assert(kKeySize == crypto_aead_xchacha20poly1305_ietf_KEYBYTES);
static_assert(kNonceSize == crypto_aead_xchacha20poly1305_ietf_NPUBBYTES);
static_assert(kTagSize == crypto_aead_xchacha20poly1305_ietf_ABYTES);

// Measured on the 2-core build machine: about 0.5 s per derivation when it
// is quiet, about 0.75 s when another build competes for memory bandwidth.
// That sits near the geometric middle of the 0.3..1 s we aim for, leaving
// room for a faster or a busier machine. More memory instead of more passes
// cost disproportionately in page faults here.
constexpr Params kWritten {6, quint64(128) * 1024 * 1024};
constexpr Params kMinimum {crypto_pwhash_argon2id_OPSLIMIT_MIN, crypto_pwhash_argon2id_MEMLIMIT_MIN};
constexpr quint64 kAcceptFactor = 4;
static_assert(kAcceptFactor * kWritten.memLimit <= std::numeric_limits<std::size_t>::max());
static_assert(kAcceptFactor * kWritten.opsLimit <= crypto_pwhash_argon2id_OPSLIMIT_MAX);

std::atomic<quint64> g_derivationAttempts {0};

bool knownVersion(quint8 version)
{
    return version == kVersion1 || version == kVersion2;
}

void writeHeader(uchar* out, quint8 version, const Params& params, const Salt& salt, const Nonce& nonce)
{
    std::memcpy(out, kMagic, kMagicSize);
    out[kVersionAt] = version;
    qToLittleEndian<quint64>(params.opsLimit, out + kOpsAt);
    qToLittleEndian<quint64>(params.memLimit, out + kMemAt);
    std::memcpy(out + kSaltAt, salt.data(), kSaltSize);
    std::memcpy(out + kNonceAt, nonce.data(), kNonceSize);
}

} // namespace

struct KeyAccess {
    static const uchar* bytes(const VaultKey& key) { return key.m_bytes; }
    static VaultKey adopt(uchar* bytes) { return VaultKey(bytes); }
};

namespace {

QByteArray sealWith(QByteArrayView plain, const VaultKey& key, const Params& params, const Salt& salt,
                    const Nonce& nonce, quint8 version)
{
    if (!key.isValid() || !acceptableParams(params) || !knownVersion(version))
        return {};
    const auto plainSize = static_cast<quint64>(plain.size());
    constexpr quint64 overhead = kHeaderSize + kTagSize;
    if (plainSize > crypto_aead_xchacha20poly1305_ietf_MESSAGEBYTES_MAX
        || plainSize > quint64(std::numeric_limits<qsizetype>::max()) - overhead)
        return {};

    QByteArray file;
    try {
        file = QByteArray(qsizetype(plainSize + overhead), Qt::Uninitialized);
    } catch (const std::bad_alloc&) {
        return {};
    }
    auto* out = reinterpret_cast<uchar*>(file.data());
    writeHeader(out, version, params, salt, nonce);

    unsigned long long sealedSize = 0;
    const int rc = crypto_aead_xchacha20poly1305_ietf_encrypt(
        out + kHeaderSize, &sealedSize, reinterpret_cast<const uchar*>(plain.data()), plainSize, out, kHeaderSize,
        nullptr, out + kNonceAt, KeyAccess::bytes(key));
    if (rc != 0 || sealedSize != plainSize + kTagSize)
        return {};
    return file;
}

} // namespace

bool init()
{
    return sodium_init() >= 0;
}

Params writtenParams()
{
    return kWritten;
}

Params minimumParams()
{
    return kMinimum;
}

bool acceptableParams(const Params& params)
{
    return params.opsLimit >= kMinimum.opsLimit && params.opsLimit <= kAcceptFactor * kWritten.opsLimit
           && params.memLimit >= kMinimum.memLimit && params.memLimit <= kAcceptFactor * kWritten.memLimit;
}

VaultKey::~VaultKey()
{
    sodium_free(m_bytes); // wipes and unlocks; accepts null
}

VaultKey::VaultKey(VaultKey&& other) noexcept
    : m_bytes(other.m_bytes)
{
    other.m_bytes = nullptr;
}

VaultKey& VaultKey::operator=(VaultKey&& other) noexcept
{
    if (this != &other) {
        sodium_free(m_bytes);
        m_bytes = other.m_bytes;
        other.m_bytes = nullptr;
    }
    return *this;
}

const char* describe(Damage damage)
{
    switch (damage) {
    case Damage::None:
        return "no damage";
    case Damage::TooShort:
        return "file too short";
    case Damage::BadMagic:
        return "not a vault file";
    case Damage::BadVersion:
        return "unknown vault version";
    case Damage::ParamsOutOfRange:
        return "key derivation settings out of range";
    }
    return "unknown damage";
}

HeaderCheck readHeader(QByteArrayView fileBytes)
{
    HeaderCheck check;
    if (static_cast<std::size_t>(fileBytes.size()) < kHeaderSize + kTagSize) {
        check.damage = Damage::TooShort;
        return check;
    }
    const auto* in = reinterpret_cast<const uchar*>(fileBytes.data());
    if (std::memcmp(in, kMagic, kMagicSize) != 0) {
        check.damage = Damage::BadMagic;
        return check;
    }
    if (!knownVersion(in[kVersionAt])) {
        check.damage = Damage::BadVersion;
        return check;
    }
    check.header.version = in[kVersionAt];
    check.header.params.opsLimit = qFromLittleEndian<quint64>(in + kOpsAt);
    check.header.params.memLimit = qFromLittleEndian<quint64>(in + kMemAt);
    if (!acceptableParams(check.header.params)) {
        check.damage = Damage::ParamsOutOfRange;
        return check;
    }
    std::memcpy(check.header.salt.data(), in + kSaltAt, kSaltSize);
    std::memcpy(check.header.nonce.data(), in + kNonceAt, kNonceSize);
    return check;
}

std::optional<SecretBytes> keyInput(QStringView typed, quint8 version)
{
    const QStringView password = TrimSpacesView(typed);
    if (version == kVersion2)
        return passwordBytesV2(password);
    auto bytes = Ansi::encode(password);
    if (!bytes)
        return std::nullopt;
    return SecretBytes::adopt(std::move(*bytes));
}

std::optional<VaultKey> deriveFromPassword(QStringView password, const Params& params, const Salt& salt, quint8 version)
{
    const std::optional<SecretBytes> input = keyInput(password, version);
    if (!input)
        return std::nullopt;
    return deriveKey(input->bytes(), params, salt);
}

SecretBytes passwordBytesV2(QStringView password)
{
    QString text = password.toString();
    QString nfc = text.normalized(QString::NormalizationForm_C);
    SecretBytes bytes(Utf8::encodedSize(nfc, Utf8::Unpaired::Replace));
    Utf8::encode(nfc, bytes.bytes().data());
    // Already normalised text comes back sharing text's characters: then
    // the first wipe only lets go, and the second reaches them.
    wipeText(nfc);
    wipeText(text);
    return bytes;
}

std::optional<VaultKey> deriveKey(QByteArrayView passwordBytes, const Params& params, const Salt& salt)
{
    if (!init() || !acceptableParams(params))
        return std::nullopt;
    const auto passwordSize = static_cast<quint64>(passwordBytes.size());
    if (passwordSize > crypto_pwhash_argon2id_PASSWD_MAX)
        return std::nullopt;

    auto* bytes = static_cast<uchar*>(sodium_malloc(kKeySize));
    if (!bytes)
        return std::nullopt;
    VaultKey key = KeyAccess::adopt(bytes); // frees on every early return

    // libsodium wants a real pointer even for an empty password.
    const char* password = passwordBytes.isEmpty() ? "" : passwordBytes.data();
    ++g_derivationAttempts;
    if (crypto_pwhash(bytes, kKeySize, password, passwordSize, salt.data(), params.opsLimit,
                      static_cast<std::size_t>(params.memLimit), crypto_pwhash_ALG_ARGON2ID13)
        != 0)
        return std::nullopt; // in practice: Argon2 could not get its memory
    return key;
}

QByteArray seal(QByteArrayView plain, const VaultKey& key, const Params& params, const Salt& salt, quint8 version)
{
    if (!init())
        return {};
    Nonce nonce;
    randombytes_buf(nonce.data(), nonce.size());
    return sealWith(plain, key, params, salt, nonce, version);
}

namespace {

// Checks and decrypts the sealed records of a whole file into out (which may
// be the records' own place in the file: libsodium decrypts in place when
// the output is the input). The tag is checked before anything is
// decrypted, so on failure out never held any of the records.
OpenResult decryptRecords(QByteArrayView fileBytes, const VaultKey& key, uchar* out)
{
    const auto* in = reinterpret_cast<const uchar*>(fileBytes.data());
    const auto sealedSize = static_cast<quint64>(fileBytes.size()) - kHeaderSize;
    unsigned long long openedSize = 0;
    const int rc = crypto_aead_xchacha20poly1305_ietf_decrypt(out, &openedSize, nullptr, in + kHeaderSize, sealedSize,
                                                              in, kHeaderSize, in + kNonceAt, KeyAccess::bytes(key));
    return rc == 0 && openedSize == sealedSize - kTagSize ? OpenResult::Ok : OpenResult::WrongKeyOrChanged;
}

qsizetype recordsSize(QByteArrayView fileBytes)
{
    return fileBytes.size() - qsizetype(kHeaderSize + kTagSize);
}

bool readable(QByteArrayView fileBytes, quint8 version)
{
    const HeaderCheck check = readHeader(fileBytes);
    return check.ok() && check.header.version == version;
}

} // namespace

OpenResult open(QByteArrayView fileBytes, const VaultKey& key, QByteArray& plain, quint8 version)
{
    plain.clear();
    if (!readable(fileBytes, version))
        return OpenResult::Damaged;
    if (!key.isValid())
        return OpenResult::WrongKeyOrChanged;
    QByteArray out;
    try {
        out = QByteArray(recordsSize(fileBytes), Qt::Uninitialized);
    } catch (const std::bad_alloc&) {
        return OpenResult::OutOfMemory;
    }
    const OpenResult opened = decryptRecords(fileBytes, key, reinterpret_cast<uchar*>(out.data()));
    if (opened == OpenResult::Ok)
        plain = std::move(out);
    return opened;
}

OpenResult openInPlace(QByteArray& file, const VaultKey& key, QByteArrayView* plain, quint8 version)
{
    *plain = {};
    if (!readable(file, version))
        return OpenResult::Damaged;
    if (!key.isValid())
        return OpenResult::WrongKeyOrChanged;
    // libsodium clears its output when the check fails, so the records are
    // opened into a buffer of their own: a refused file stays as it was.
    // On success that buffer (header copied, records in clear) becomes the
    // file, and the ciphered bytes, no secret, are let go.
    QByteArray opened;
    try {
        opened = QByteArray(file.size() - qsizetype(kTagSize), Qt::Uninitialized);
    } catch (const std::bad_alloc&) {
        return OpenResult::OutOfMemory;
    }
    std::memcpy(opened.data(), file.constData(), kHeaderSize);
    const OpenResult result = decryptRecords(file, key, reinterpret_cast<uchar*>(opened.data()) + kHeaderSize);
    if (result != OpenResult::Ok) {
        wipe(opened);
        return result;
    }
    file = std::move(opened);
    *plain = QByteArrayView(file.constData() + kHeaderSize, file.size() - qsizetype(kHeaderSize));
    return result;
}

bool sameKey(const VaultKey& a, const VaultKey& b)
{
    if (!a.isValid() || !b.isValid())
        return false;
    return sodium_memcmp(KeyAccess::bytes(a), KeyAccess::bytes(b), kKeySize) == 0;
}

Salt newSalt()
{
    Salt salt;
    if (!init()) {
        // Without a random source no vault can be saved anyway; seal refuses
        // too. Hand back zeros rather than uninitialised memory.
        salt.fill(0);
        return salt;
    }
    randombytes_buf(salt.data(), salt.size());
    return salt;
}

void wipe(QByteArray& bytes)
{
    if (!bytes.isEmpty())
        sodium_memzero(bytes.data(), static_cast<std::size_t>(bytes.size()));
    bytes.clear();
}

namespace TestSeam {

QByteArray sealWithNonce(QByteArrayView plain, const VaultKey& key, const Params& params, const Salt& salt,
                         const Nonce& nonce, quint8 version)
{
    if (!init())
        return {};
    return sealWith(plain, key, params, salt, nonce, version);
}

quint64 derivationAttempts()
{
    return g_derivationAttempts.load();
}

} // namespace TestSeam

} // namespace Vault
