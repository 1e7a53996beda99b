#include "core/session/otherversion.h"

#include "core/listings/listbackups.h"
#include "core/listings/listfile.h"
#include "core/listings/vaultlist.h"
#include "core/storage/filecipher.h"
#include "core/storage/secretbytes.h"

namespace OtherVersion {
namespace {

Opened openWith(QByteArrayView file, const Vault::VaultKey& key, quint8 version)
{
    Opened opened;
    // Opened in a copy of its own, wiped with it.
    SecretBytes bytes = SecretBytes::adopt(QByteArray(file.data(), file.size()));
    QByteArrayView plain;
    if (Vault::openInPlace(bytes.bytes(), key, &plain, version) != Vault::OpenResult::Ok)
        return opened;
    opened.ok = bool(VaultList::listingsOf(plain, version, &opened.listings, &opened.removals));
    opened.sealed = opened.ok && version == Vault::kVersion2;
    return opened;
}

} // namespace

Opened openVault(QByteArrayView file, const Vault::Session& key)
{
    const Vault::HeaderCheck header = Vault::readHeader(file);
    // Another salt or version: sealed under a password set elsewhere.
    if (!header.ok() || header.header.version != key.version || header.header.salt != key.salt)
        return {};
    return openWith(file, key.key, key.version);
}

Opened openVault(QByteArrayView file, const QString& password)
{
    const Vault::HeaderCheck header = Vault::readHeader(file);
    if (!header.ok())
        return {};
    auto derived = Vault::deriveFromPassword(password, header.header.params, header.header.salt, header.header.version);
    if (!derived)
        return {};
    Opened opened = openWith(file, *derived, header.header.version);
    if (opened.ok) {
        Vault::Session session;
        session.key = std::move(*derived);
        session.params = header.header.params;
        session.salt = header.header.salt;
        session.version = header.header.version;
        opened.key = std::move(session);
    }
    return opened;
}

Opened openListFile(QByteArrayView file, QStringView password)
{
    Opened opened;
    const auto key = CipherKeyOf(password);
    if (!key)
        return opened;
    const SecretBytes plain = Decipher(file, *key);
    if (!ListFile::damageOf(plain.bytes()).isEmpty() || !ListBackups::looksDeciphered(plain.bytes()))
        return opened;
    opened.listings = ListFile::parse(plain.bytes());
    opened.ok = true;
    return opened;
}

} // namespace OtherVersion
