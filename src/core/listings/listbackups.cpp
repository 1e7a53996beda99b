#include "core/listings/listbackups.h"

#include "core/storage/ansi.h"
#include "core/storage/datafiles.h"
#include "core/storage/filecipher.h"
#include "core/storage/safewrite.h"
#include "core/storage/secretbytes.h"
#include "core/storage/textutil.h"
#include "core/listings/vaultlist.h"

#include <QDir>
#include <QFileInfo>
#include <QRegularExpression>

#include <algorithm>

namespace ListBackups {
namespace {

const QString kStampFormat = QStringLiteral("yyyyMMdd-HHmmss");

QString passwordName(const QString& stamp)
{
    return QStringLiteral("kxpwfl-backup-") + stamp + QStringLiteral(".ene");
}

Contents failed(Status status, const QString& reason)
{
    Contents contents;
    contents.status = status;
    contents.reason = reason;
    return contents;
}

Contents readDescribed(const Backup& backup, const QString& password)
{
    const auto key = CipherKeyOf(password);
    if (!key)
        return failed(Status::WrongPassword, {});
    SecretBytes plain;
    if (auto read = DataFiles::readPlainAt(backup.path, *key, &plain); !read)
        return failed(Status::Unreadable, read.error);
    if (!looksDeciphered(plain.bytes()))
        return failed(Status::WrongPassword, {});
    Contents contents;
    contents.status = Status::Opened;
    contents.listings = ListFile::parse(plain.bytes());
    return contents;
}

Contents readVault(const Backup& backup, const QString& password)
{
    QByteArray bytes;
    if (auto read = SafeWrite::readFile(backup.path, &bytes); !read)
        return failed(Status::Unreadable, read.error);
    SecretBytes file = SecretBytes::adopt(std::move(bytes));
    const Vault::HeaderCheck header = Vault::readHeader(file.bytes());
    if (!header.ok())
        return failed(Status::Damaged, QString::fromLatin1(Vault::describe(header.damage)));
    const quint8 version = header.header.version;
    // Derived from the key input made once: no input, no key of this version.
    const std::optional<SecretBytes> input = Vault::keyInput(password, version);
    if (!input)
        return failed(Status::WrongPassword, {});
    const auto key = Vault::deriveKey(input->bytes(), header.header.params, header.header.salt);
    if (!key)
        return failed(Status::Unreadable, QStringLiteral("no key could be made (not enough memory?)"));
    QByteArrayView records;
    switch (Vault::openInPlace(file.bytes(), *key, &records, version)) {
    case Vault::OpenResult::Ok:
        break;
    case Vault::OpenResult::Damaged:
        return failed(Status::Damaged, QStringLiteral("it is damaged"));
    case Vault::OpenResult::WrongKeyOrChanged:
        return failed(Status::WrongPassword, {});
    case Vault::OpenResult::OutOfMemory:
        return failed(Status::Unreadable, QStringLiteral("there is not enough memory"));
    }
    Contents contents;
    if (auto read = VaultList::listingsOf(records, version, &contents.listings); !read)
        return failed(Status::Damaged, read.error);
    contents.status = Status::Opened;
    return contents;
}

} // namespace

std::optional<NameParts> parseName(const QString& fileName)
{
    static const QRegularExpression pattern(QStringLiteral("^kxplst-backup-(\\d{8}-\\d{6})\\.(ene|vault)$"));
    const QRegularExpressionMatch match = pattern.match(fileName);
    if (!match.hasMatch())
        return std::nullopt;
    const QDateTime when = QDateTime::fromString(match.captured(1), kStampFormat);
    if (!when.isValid())
        return std::nullopt;
    return NameParts {when, match.captured(2) == QLatin1String("vault") ? Kind::Vault : Kind::Described};
}

QList<Backup> find(const DataFolder& folder)
{
    QStringList folders {QDir(folder.appDir).absolutePath(), folder.list.folder(),
                         QFileInfo(folder.vaultPath).absolutePath()};
    folders.removeDuplicates();
    QList<Backup> found;
    QStringList seen;
    for (const QString& path : folders) {
        const QDir dir(path);
        const QFileInfoList entries =
            dir.entryInfoList({QStringLiteral("kxplst-backup-*")}, QDir::Files | QDir::Hidden | QDir::System);
        for (const QFileInfo& info : entries) {
            const auto parts = parseName(info.fileName());
            const QString canonical = info.canonicalFilePath();
            if (!parts || !info.isFile() || seen.contains(canonical))
                continue;
            seen.append(canonical);
            Backup backup;
            backup.path = info.absoluteFilePath();
            backup.when = parts->when;
            backup.kind = parts->kind;
            backup.size = info.size();
            if (backup.kind == Kind::Described) {
                const QString stamp = parts->when.toString(kStampFormat);
                for (const QString& beside : {path, folder.password.folder()}) {
                    const QString candidate = QDir(beside).filePath(passwordName(stamp));
                    if (QFileInfo(candidate).isFile()) {
                        backup.passwordPath = candidate;
                        break;
                    }
                }
            }
            found.append(backup);
        }
    }
    std::stable_sort(found.begin(), found.end(), [](const Backup& a, const Backup& b) {
        return a.when != b.when ? a.when > b.when : a.path < b.path;
    });
    return found;
}

bool looksDeciphered(QByteArrayView plain)
{
    const qsizetype whole = plain.size() - plain.size() % ListFile::kRecordLength;
    for (qsizetype i = 0; i < whole; ++i) {
        const auto byte = uchar(plain[i]);
        if ((byte != 0 && byte < 0x20) || byte == 0x7f)
            return false;
    }
    return true;
}

Contents readWithKeptPassword(const Backup& backup)
{
    if (backup.kind != Kind::Described || backup.passwordPath.isEmpty())
        return failed(Status::WrongPassword, {});
    SecretBytes plain;
    if (!DataFiles::readPlainAt(backup.passwordPath, kPasswordFileKey, &plain))
        return failed(Status::WrongPassword, {});
    QString password = TrimSpaces(StripNul(DataFiles::fieldOf(plain.bytes())));
    Contents contents = password.isEmpty() ? failed(Status::WrongPassword, {}) : readDescribed(backup, password);
    password.fill(QChar(0));
    return contents;
}

Contents read(const Backup& backup, const QString& password)
{
    if (backup.kind == Kind::Vault)
        return readVault(backup, password);
    // The password file keeps it trimmed; the typed form may carry spaces.
    Contents contents = readDescribed(backup, password);
    if (contents.status == Status::WrongPassword && TrimSpaces(password) != password)
        contents = readDescribed(backup, TrimSpaces(password));
    return contents;
}

Kept keep(const DataFolder& folder, const QList<Listing>& listings, QStringView password, const Vault::Session& session,
          const QDateTime& when)
{
    const bool sealed = session.isOpen();
    const QString dir = sealed ? QFileInfo(folder.vaultPath).absolutePath() : folder.list.folder();
    // One moment free for every name of the set.
    const QString listStem = dir + QStringLiteral("/kxplst-backup-");
    const QStringList names = backupPaths({listStem, QStringLiteral(".ene"), listStem, QStringLiteral(".vault"),
                                           folder.password.backupStem(), QStringLiteral(".ene")},
                                          when);

    Kept kept;
    // Nothing at all is written where the list may not be kept.
    for (const QString& name : {sealed ? names[1] : names[0], names[2]}) {
        if (kept.result = SafeWrite::checkWritable(name); !kept.result)
            return kept;
    }
    if (sealed) {
        QByteArray file;
        if (kept.result = VaultList::seal(listings, session, &file); !kept.result)
            return kept;
        if (kept.result = SafeWrite::replaceFile(names[1], file); kept.result)
            kept.path = names[1];
        return kept;
    }
    const auto key = CipherKeyOf(password);
    if (!key) {
        kept.result = StorageResult::failure(QStringLiteral("The master password cannot be a key."));
        return kept;
    }
    // The password file first: a list backup is only of use with it.
    QByteArray passwordFile;
    if (kept.result = SafeWrite::readFile(folder.password.path, &passwordFile); !kept.result)
        return kept;
    if (kept.result = SafeWrite::replaceFile(names[2], passwordFile); !kept.result)
        return kept;
    kept.passwordPath = names[2];
    SecretBytes plain;
    if (kept.result = ListFile::serialize(listings, &plain); !kept.result)
        return kept;
    if (kept.result = SafeWrite::replaceFile(names[0], EncipherInPlace(plain, *key)); kept.result)
        kept.path = names[0];
    return kept;
}

} // namespace ListBackups
