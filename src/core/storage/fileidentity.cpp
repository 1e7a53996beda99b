#include "core/storage/fileidentity.h"

#include "core/storage/safewrite.h"

#include <QFileInfo>

#include <sodium.h>

FileIdentity FileIdentity::ofBytes(QByteArrayView bytes)
{
    FileIdentity identity;
    if (sodium_init() < 0)
        return identity; // unknown: never the same as a version seen
    identity.known = true;
    identity.present = true;
    identity.size = bytes.size();
    // BLAKE2b: a collision would take a deliberate attack on the hash, and
    // the bytes hashed are ciphertext.
    crypto_generichash(identity.hash.data(), identity.hash.size(), reinterpret_cast<const uchar*>(bytes.data()),
                       static_cast<unsigned long long>(bytes.size()), nullptr, 0);
    return identity;
}

StorageResult FileIdentity::read(const QString& path, FileIdentity* identity, QByteArray* bytes)
{
    const QFileInfo info(path);
    if (!info.exists() && !info.isSymLink()) {
        *identity = FileIdentity();
        identity->known = true;
        return StorageResult::success();
    }
    QByteArray read;
    if (auto step = SafeWrite::readFile(path, &read); !step)
        return step;
    *identity = ofBytes(read);
    if (bytes)
        *bytes = std::move(read);
    return StorageResult::success();
}

bool FileIdentity::sameVersion(const FileIdentity& other) const
{
    if (!known || !other.known)
        return false;
    if (present != other.present)
        return false;
    if (!present)
        return true;
    return size == other.size && sodium_memcmp(hash.data(), other.hash.data(), hash.size()) == 0;
}
