// Test-only helper for the end-to-end scripts, so that they can check what
// the program wrote without a copy of the cipher in shell:
//   decipher FILE KEY        prints the file's plain bytes under KEY
//   reveals FILE SECRET...   says whether FILE gives any SECRET away: in
//                            clear, under either fixed key or any SECRET
//                            used as a key, or by the repeating pattern
//                            that space padding leaves under the cipher
//                            (exit 0 and the reason when it does, 1 not).
//   listvault FILE PASSWORD  prints the listings of the vault FILE opened
//                            with PASSWORD (UTF-8), one per line, the
//                            fields separated by tabs.
//   weakvault FILE PASSWORD  seals the vault FILE, opened with PASSWORD,
//                            again with libsodium's cheapest Argon2id
//                            settings, as an old or careless writer might.
//   addlisting FILE PASSWORD OUT SITE USER SITEPASSWORD [NEWPASSWORD]
//                            writes to OUT the vault FILE, opened with
//                            PASSWORD, with one more listing (a fresh id,
//                            made now), as another computer sharing the
//                            folder would: sealed under the same key with a
//                            fresh nonce or, given NEWPASSWORD, under that
//                            password with a fresh salt.
#include "core/storage/datafolder.h"
#include "core/storage/filecipher.h"
#include "core/listings/vaultlist.h"
#include "core/storage/vault.h"

#include <QByteArray>
#include <QDateTime>
#include <QFile>

#include <cstdio>
#include <cstring>

namespace {

bool readAll(const char* path, QByteArray* data)
{
    QFile file(QString::fromLocal8Bit(path));
    if (!file.open(QIODevice::ReadOnly)) {
        std::fprintf(stderr, "datafile_tool: %s: %s\n", path, qPrintable(file.errorString()));
        return false;
    }
    *data = file.readAll();
    return file.error() == QFileDevice::NoError;
}

QByteArray bytesOf(const char* text)
{
    return QByteArray(text, qsizetype(std::strlen(text)));
}

// Under the cipher, runs of pad spaces repeat with the key's length: a
// share of equal bytes a key length apart far above chance (1 in 256)
// gives the key, and with it the list, away.
bool hasRepeatingPattern(const QByteArray& data)
{
    for (int period = 1; period <= 40; ++period) {
        const qsizetype pairs = data.size() - period;
        if (pairs < 64)
            continue;
        qsizetype equal = 0;
        for (qsizetype i = 0; i < pairs; ++i)
            equal += data[i] == data[i + period];
        if (equal * 8 > pairs)
            return true;
    }
    return false;
}

int reveals(int argc, char** argv)
{
    QByteArray data;
    if (!readAll(argv[2], &data))
        return 2;
    QList<QByteArray> keys {kStartupKey, kPasswordFileKey};
    for (int i = 3; i < argc; ++i)
        keys.append(bytesOf(argv[i]));
    for (int i = 3; i < argc; ++i) {
        const QByteArray secret = bytesOf(argv[i]);
        if (data.contains(secret)) {
            std::printf("%s holds \"%s\" in clear\n", argv[2], argv[i]);
            return 0;
        }
        for (const QByteArray& key : keys) {
            if (CipherBytes(data, key).contains(secret)) {
                std::printf("%s gives \"%s\" away under the key \"%s\"\n", argv[2], argv[i], key.constData());
                return 0;
            }
        }
    }
    if (hasRepeatingPattern(data)) {
        std::printf("%s shows the repeating pattern of padding under a short key\n", argv[2]);
        return 0;
    }
    return 1;
}

// The payload of the vault at path opened with password, and its version.
bool openVault(const char* path, const QString& password, QByteArray* plain, quint8* version)
{
    QByteArray file;
    if (!readAll(path, &file))
        return false;
    const Vault::HeaderCheck header = Vault::readHeader(file);
    *version = header.header.version;
    const auto key = header.ok()
                         ? Vault::deriveFromPassword(password, header.header.params, header.header.salt, *version)
                         : std::nullopt;
    if (!key || Vault::open(file, *key, *plain, *version) != Vault::OpenResult::Ok) {
        std::fprintf(stderr, "datafile_tool: %s does not open with that password\n", path);
        return false;
    }
    return true;
}

int listVault(const char* path, const char* password)
{
    QByteArray plain;
    quint8 version = 0;
    if (!openVault(path, QString::fromUtf8(password), &plain, &version))
        return 1;
    QList<Listing> listings;
    if (auto read = VaultList::listingsOf(plain, version, &listings); !read) {
        std::fprintf(stderr, "datafile_tool: %s\n", qPrintable(read.error));
        return 1;
    }
    for (const Listing& listing : listings)
        std::printf("%s\t%s\t%s\n", listing.site.toUtf8().constData(), listing.user.toUtf8().constData(),
                    listing.password.toUtf8().constData());
    return std::fflush(stdout) == 0 ? 0 : 1;
}

int weakVault(const char* path, const char* password)
{
    const QString text = QString::fromLocal8Bit(password);
    QByteArray plain;
    quint8 version = 0;
    if (!openVault(path, text, &plain, &version))
        return 1;
    const Vault::Params weak = Vault::minimumParams();
    const Vault::Salt salt = Vault::newSalt();
    // The same version, with libsodium's weakest settings.
    const auto weakKey = Vault::deriveFromPassword(text, weak, salt, version);
    const QByteArray sealed = weakKey ? Vault::seal(plain, *weakKey, weak, salt, version) : QByteArray();
    Vault::wipe(plain);
    QFile out(QString::fromLocal8Bit(path));
    if (sealed.isEmpty() || !out.open(QIODevice::WriteOnly | QIODevice::Truncate) || out.write(sealed) != sealed.size()
        || !out.flush()) {
        std::fprintf(stderr, "datafile_tool: %s could not be sealed again\n", path);
        return 1;
    }
    return 0;
}

int addListing(int argc, char** argv)
{
    const QString password = QString::fromUtf8(argv[3]);
    QByteArray file;
    if (!readAll(argv[2], &file))
        return 1;
    const Vault::HeaderCheck header = Vault::readHeader(file);
    if (!header.ok() || header.header.version != Vault::kVersion2) {
        std::fprintf(stderr, "datafile_tool: %s is not a vault that holds ids\n", argv[2]);
        return 1;
    }
    QByteArray plain;
    quint8 version = 0;
    if (!openVault(argv[2], password, &plain, &version))
        return 1;
    QList<Listing> listings;
    QList<ListingRemoval> removals;
    const StorageResult read = VaultList::listingsOf(plain, version, &listings, &removals);
    Vault::wipe(plain);
    if (!read) {
        std::fprintf(stderr, "datafile_tool: %s\n", qPrintable(read.error));
        return 1;
    }
    Listing added;
    added.site = QString::fromUtf8(argv[5]);
    added.user = QString::fromUtf8(argv[6]);
    added.password = QString::fromUtf8(argv[7]);
    added.stamp = ListingStamp::fresh(QDateTime::currentMSecsSinceEpoch());
    listings.append(added);

    // The same salt and settings give the same key; a new password, as a
    // change of it would, a fresh salt and today's settings.
    Vault::Session session;
    session.version = version;
    session.params = header.header.params;
    session.salt = header.header.salt;
    QString sealWith = password;
    if (argc == 9) {
        sealWith = QString::fromUtf8(argv[8]);
        session.params = Vault::writtenParams();
        session.salt = Vault::newSalt();
    }
    if (auto key = Vault::deriveFromPassword(sealWith, session.params, session.salt, version))
        session.key = std::move(*key);
    QByteArray sealed;
    const StorageResult made = session.isOpen() ? VaultList::seal(listings, session, &sealed, removals)
                                                : StorageResult::failure(QStringLiteral("no key"));
    QFile out(QString::fromLocal8Bit(argv[4]));
    if (!made || sealed.isEmpty() || !out.open(QIODevice::WriteOnly | QIODevice::Truncate)
        || out.write(sealed) != sealed.size() || !out.flush()) {
        std::fprintf(stderr, "datafile_tool: %s could not be written\n", argv[4]);
        return 1;
    }
    return 0;
}

} // namespace

int main(int argc, char** argv)
{
    if (argc == 4 && std::strcmp(argv[1], "listvault") == 0)
        return listVault(argv[2], argv[3]);
    if (argc == 4 && std::strcmp(argv[1], "weakvault") == 0)
        return weakVault(argv[2], argv[3]);
    if ((argc == 8 || argc == 9) && std::strcmp(argv[1], "addlisting") == 0)
        return addListing(argc, argv);
    if (argc >= 4 && std::strcmp(argv[1], "reveals") == 0)
        return reveals(argc, argv);
    if (argc != 4 || std::strcmp(argv[1], "decipher") != 0) {
        std::fprintf(stderr,
                     "usage: datafile_tool decipher FILE KEY | reveals FILE SECRET... | listvault FILE PASSWORD | "
                     "weakvault FILE PASSWORD | addlisting FILE PASSWORD OUT SITE USER SITEPASSWORD [NEWPASSWORD]\n");
        return 2;
    }
    QByteArray data;
    if (!readAll(argv[2], &data))
        return 1;
    // The key goes in as raw bytes, the way the program encodes its keys.
    const QByteArray plain = CipherBytes(data, bytesOf(argv[3]));
    if (!plain.isEmpty() && std::fwrite(plain.constData(), 1, size_t(plain.size()), stdout) != size_t(plain.size()))
        return 1;
    return std::fflush(stdout) == 0 ? 0 : 1;
}
