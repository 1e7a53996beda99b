#include "core/masterpassword/weakbackups.h"

#include "core/listings/vaultlist.h"

#include "core/storage/ansi.h"
#include "core/storage/datafiles.h"
#include "core/storage/filecipher.h"
#include "core/storage/safewrite.h"
#include "core/storage/textutil.h"

#include <QDateTime>
#include <QDir>
#include <QFileInfo>
#include <QSet>

#include <algorithm>
#include <map>
#include <optional>

namespace WeakBackups {
namespace {

const QString kStampFormat = QStringLiteral("yyyyMMdd-HHmmss");

QString listStem()
{
    return QStringLiteral("kxplst-backup-");
}
QString passwordStem()
{
    return QStringLiteral("kxpwfl-backup-");
}

// The stamp in "<stem><stamp><suffix>" (empty when the name is not of that form).
QString stampOf(const QString& path, const QString& stem, const QString& suffix)
{
    const QString name = QFileInfo(path).fileName();
    if (!name.startsWith(stem) || !name.endsWith(suffix))
        return {};
    return name.mid(stem.size(), name.size() - stem.size() - suffix.size());
}

QStringList filesIn(const QString& folder, const QString& pattern)
{
    const QDir dir(folder);
    QStringList paths;
    for (const QString& name : dir.entryList({pattern}, QDir::Files, QDir::Name))
        paths.append(dir.filePath(name));
    return paths;
}

struct PasswordCopy {
    QString path;
    QString stamp;
    QString password;
};

std::optional<QString> passwordIn(const DataFolder& folder, const QString& path)
{
    SecretBytes plain;
    if (!DataFiles::readPlainAt(path, folder.passwordFileKey, &plain))
        return std::nullopt;
    return TrimSpaces(StripNul(DataFiles::fieldOf(plain.bytes())));
}

// How well plain reads as a list deciphered with the right password: -1
// when not at all, else the count of its spaces. A wrong password leaves
// control characters in nearly every record, but one much like the right
// one can leave text; what it cannot leave is the padding: the right one
// gives back every pad space, so it scores highest, and the site field's
// last place (a site is cut to its field, rarely filling it) must be a
// space in every listing. NUL passes, as a damaged field may hold one.
qsizetype listScore(QByteArrayView plain)
{
    qsizetype spaces = 0;
    for (const char c : plain) {
        const auto b = uchar(c);
        if (b != 0 && (b < 0x20 || b == 0x7f))
            return -1;
        spaces += b == 0x20;
    }
    const qsizetype whole = plain.size() - plain.size() % ListFile::kRecordLength;
    for (qsizetype at = ListFile::kSiteLength - 1; at < whole; at += ListFile::kRecordLength) {
        if (plain[at] != ' ' && plain[at] != '\0')
            return -1;
    }
    return spaces;
}

// The list's records, sorted, for lookups; views into plain.
class ListRecords {
public:
    explicit ListRecords(const QList<Listing>& listings)
    {
        m_usable = bool(ListFile::serialize(listings, &m_plain));
        for (qsizetype at = 0; m_usable && at < m_plain.size(); at += ListFile::kRecordLength)
            m_records.push_back(QByteArrayView(m_plain.bytes()).sliced(at, ListFile::kRecordLength));
        std::sort(m_records.begin(), m_records.end());
    }
    // Whether every record of plain is one of the list's, byte for byte.
    bool covers(QByteArrayView plain) const
    {
        if (!m_usable || !ListFile::damageOf(plain).isEmpty())
            return false;
        for (qsizetype at = 0; at < plain.size(); at += ListFile::kRecordLength) {
            if (!std::binary_search(m_records.begin(), m_records.end(), plain.sliced(at, ListFile::kRecordLength)))
                return false;
        }
        return true;
    }

private:
    SecretBytes m_plain;
    std::vector<QByteArrayView> m_records;
    bool m_usable = false;
};

void judge(Backup* backup, SecretBytes&& plain, const ListRecords& list)
{
    if (list.covers(plain.bytes())) {
        backup->verdict = Verdict::InList;
        backup->records = SecretBytes();
        return;
    }
    backup->verdict = Verdict::NotInList;
    backup->records = std::move(plain);
}

void openWeak(Backup* backup, const QList<const PasswordCopy*>& candidates, const QString& oldPassword,
              const ListRecords& list)
{
    QByteArray ciphered;
    if (!SafeWrite::readFile(backup->path, &ciphered))
        return;
    // The password copy of the same moment first, then the old password.
    QList<std::pair<QString, QString>> keys; // password, the copy it came from
    for (const PasswordCopy* copy : candidates)
        keys.append({copy->password, copy->path});
    keys.insert(candidates.isEmpty() || candidates.first()->path != backup->passwordPath ? 0 : 1,
                {oldPassword, QString()});
    qsizetype best = -1;
    for (const auto& [password, from] : keys) {
        const auto key = CipherKeyOf(password);
        if (!key)
            continue;
        SecretBytes plain = Decipher(ciphered, *key);
        const qsizetype score = listScore(plain.bytes());
        if (score <= best)
            continue;
        best = score;
        backup->keyPath = from;
        judge(backup, std::move(plain), list);
    }
}

// Keys of the old password, one per salt and parameters met.
class OldKeys {
public:
    explicit OldKeys(const QString& password)
        : m_password(password)
    {
    }
    const Vault::VaultKey* keyFor(const Vault::Header& header)
    {
        const QByteArray id = QByteArray::number(header.version) + ':' + QByteArray::number(header.params.opsLimit)
                              + ':' + QByteArray::number(header.params.memLimit) + ':'
                              + QByteArray(reinterpret_cast<const char*>(header.salt.data()), Vault::kSaltSize);
        auto found = m_keys.find(id);
        if (found == m_keys.end()) {
            std::optional<Vault::VaultKey> key =
                Vault::deriveFromPassword(m_password, header.params, header.salt, header.version);
            found = m_keys.emplace(id, std::move(key)).first;
        }
        return found->second ? &*found->second : nullptr;
    }

private:
    QString m_password;
    std::map<QByteArray, std::optional<Vault::VaultKey>> m_keys;
};

void openSealed(Backup* backup, OldKeys& keys, const ListRecords& list)
{
    QByteArray file;
    if (!SafeWrite::readFile(backup->path, &file))
        return;
    const Vault::HeaderCheck header = Vault::readHeader(file);
    if (!header.ok())
        return;
    const Vault::VaultKey* key = keys.keyFor(header.header);
    if (!key)
        return;
    QByteArray opened;
    if (Vault::open(file, *key, opened, header.header.version) != Vault::OpenResult::Ok)
        return;
    SecretBytes plain = SecretBytes::adopt(std::move(opened));
    if (header.header.version != Vault::kVersion1) {
        // Judged by the records its listings make; one the list file could
        // not hold stays unchecked.
        QList<Listing> listings;
        SecretBytes records;
        if (!VaultList::listingsOf(plain.bytes(), header.header.version, &listings)
            || !ListFile::serialize(listings, &records))
            return;
        plain = std::move(records);
    }
    judge(backup, std::move(plain), list);
}

bool isFree(const QString& path)
{
    const QFileInfo info(path);
    return !info.exists() && !info.isSymLink();
}

// The copy's own stamp, or a second later for as long as one of the names
// made from it is taken.
QString freeStamp(const QString& original, const std::function<bool(const QString&)>& free)
{
    QDateTime when = QDateTime::fromString(original, kStampFormat);
    if (!when.isValid())
        when = QDateTime::currentDateTime();
    while (!free(when.toString(kStampFormat)))
        when = when.addSecs(1);
    return when.toString(kStampFormat);
}

QString originalStamp(const Backup& backup)
{
    const QString weak = stampOf(backup.path, listStem(), QStringLiteral(".ene"));
    return weak.isEmpty() ? stampOf(backup.path, listStem(), QStringLiteral(".vault")) : weak;
}

StorageResult sealAsVault(const DataFolder& folder, const Backup& backup, const Vault::Session& session,
                          QStringList* written)
{
    const QString stem = folder.list.folder() + QLatin1Char('/') + listStem();
    const QString stamp =
        freeStamp(originalStamp(backup), [&](const QString& s) { return isFree(stem + s + QStringLiteral(".vault")); });
    const QString path = stem + stamp + QStringLiteral(".vault");
    // A sealed list of today's version holds listings: a copy with a damaged
    // tail would lose it, so it stays as it is.
    if (const QString damage = ListFile::damageOf(backup.records.bytes());
        session.version != Vault::kVersion1 && !damage.isEmpty())
        return StorageResult::failure(QStringLiteral("\"%1\" is kept as it is: %2 cannot be sealed.")
                                          .arg(QDir::toNativeSeparators(backup.path), damage));
    QByteArray file;
    if (!VaultList::seal(ListFile::parse(backup.records.bytes()), session, &file))
        file.clear();
    if (file.isEmpty())
        return StorageResult::failure(
            QStringLiteral("\"%1\" could not be sealed.").arg(QDir::toNativeSeparators(path)));
    const StorageResult done = SafeWrite::replaceFile(path, file);
    if (done.inPlace)
        written->append(path);
    return done.inPlace ? StorageResult::success() : done;
}

StorageResult cipherAnew(const DataFolder& folder, const Backup& backup, const QString& password, QStringList* written)
{
    const auto key = CipherKeyOf(password);
    if (!key)
        return StorageResult::failure(QStringLiteral("The master password cannot be a key."));
    SecretBytes passwordFile;
    if (auto made = DataFiles::passwordFileBytes(password, DataFiles::PasswordLayout::Bare, &passwordFile); !made)
        return made;
    const QString listStemPath = folder.list.folder() + QLatin1Char('/') + listStem();
    const QString passwordStemPath = folder.password.folder() + QLatin1Char('/') + passwordStem();
    const QString stamp = freeStamp(originalStamp(backup), [&](const QString& s) {
        return isFree(listStemPath + s + QStringLiteral(".ene"))
               && isFree(passwordStemPath + s + QStringLiteral(".ene"));
    });
    const QString listPath = listStemPath + stamp + QStringLiteral(".ene");
    const QString passwordPath = passwordStemPath + stamp + QStringLiteral(".ene");
    // The password copy first: it holds only the password in force, which
    // the password file holds too.
    if (const StorageResult done =
            SafeWrite::replaceFile(passwordPath, Encipher(passwordFile.bytes(), folder.passwordFileKey));
        !done.inPlace)
        return done;
    if (const StorageResult done = SafeWrite::replaceFile(listPath, Encipher(backup.records.bytes(), *key));
        !done.inPlace) {
        SafeWrite::removeFile(passwordPath);
        return done;
    }
    written->append({listPath, passwordPath});
    return StorageResult::success();
}

} // namespace

bool Backup::holdsList() const
{
    return QFileInfo(path).fileName().startsWith(listStem());
}

QStringList Backup::paths() const
{
    QStringList all {path};
    if (!passwordPath.isEmpty())
        all.append(passwordPath);
    return all;
}

Backups survey(const DataFolder& folder, const QList<Listing>& listings, const QString& oldPassword, bool sealedToo)
{
    QList<PasswordCopy> passwordCopies;
    for (const QString& path : filesIn(folder.password.folder(), passwordStem() + QStringLiteral("*.ene"))) {
        PasswordCopy copy {path, stampOf(path, passwordStem(), QStringLiteral(".ene")), {}};
        if (auto password = passwordIn(folder, path))
            copy.password = *password;
        passwordCopies.append(copy);
    }
    const ListRecords list(listings);
    QSet<QString> paired;
    Backups backups;
    for (const QString& path : filesIn(folder.list.folder(), listStem() + QStringLiteral("*.ene"))) {
        Backup backup;
        backup.path = path;
        const QString stamp = stampOf(path, listStem(), QStringLiteral(".ene"));
        QList<const PasswordCopy*> candidates;
        for (const PasswordCopy& copy : passwordCopies) {
            if (copy.stamp == stamp && !paired.contains(copy.path)) {
                backup.passwordPath = copy.path;
                paired.insert(copy.path);
                candidates.prepend(&copy);
            } else {
                candidates.append(&copy);
            }
        }
        openWeak(&backup, candidates, oldPassword, list);
        backups.push_back(std::move(backup));
    }
    if (sealedToo) {
        OldKeys keys(oldPassword);
        for (const QString& path : filesIn(folder.list.folder(), listStem() + QStringLiteral("*.vault"))) {
            Backup backup;
            backup.path = path;
            openSealed(&backup, keys, list);
            backups.push_back(std::move(backup));
        }
    }
    // A password copy of no list copy holds no listing.
    for (const PasswordCopy& copy : passwordCopies) {
        if (paired.contains(copy.path))
            continue;
        Backup backup;
        backup.path = copy.path;
        backup.verdict = Verdict::InList;
        backups.push_back(std::move(backup));
    }
    return backups;
}

Backups take(Backups* backups, Verdict verdict)
{
    Backups taken;
    Backups kept;
    for (Backup& backup : *backups)
        (backup.verdict == verdict ? taken : kept).push_back(std::move(backup));
    *backups = std::move(kept);
    return taken;
}

QStringList names(const Backups& backups)
{
    QStringList found;
    for (const Backup& backup : backups) {
        for (const QString& path : backup.paths())
            found.append(QFileInfo(path).fileName());
    }
    found.sort();
    return found;
}

bool any(const Backups& backups, Verdict verdict)
{
    return std::any_of(backups.begin(), backups.end(), [verdict](const Backup& b) { return b.verdict == verdict; });
}

Settled settle(const DataFolder& folder, Backups& backups, const Reseal& reseal)
{
    Settled settled;
    QSet<QString> keep; // password copies that still decipher a copy left in place
    std::vector<const Backup*> done;
    auto fail = [&](const Backup& backup, const StorageResult& result) {
        settled.failures.append(result.error);
        keep.insert(backup.keyPath);
        keep.insert(backup.passwordPath);
    };
    // List copies first: a password copy goes only once what it deciphers is settled.
    for (const Backup& backup : backups) {
        if (!backup.holdsList())
            continue;
        if (backup.verdict == Verdict::NotInList) {
            const StorageResult put = reseal.session ? sealAsVault(folder, backup, *reseal.session, &settled.written)
                                                     : cipherAnew(folder, backup, reseal.password, &settled.written);
            if (!put) {
                fail(backup, put);
                continue;
            }
        }
        if (const StorageResult removed = SafeWrite::removeFile(backup.path); !removed.inPlace) {
            fail(backup, removed);
            continue;
        }
        settled.removed.append(backup.path);
        done.push_back(&backup);
    }
    for (const Backup& backup : backups) {
        const QString passwordCopy = backup.holdsList() ? backup.passwordPath : backup.path;
        if (passwordCopy.isEmpty() || keep.contains(passwordCopy))
            continue;
        if (backup.holdsList() && std::find(done.begin(), done.end(), &backup) == done.end())
            continue;
        if (const StorageResult removed = SafeWrite::removeFile(passwordCopy); !removed.inPlace)
            settled.failures.append(removed.error);
        else
            settled.removed.append(passwordCopy);
    }
    return settled;
}

} // namespace WeakBackups
