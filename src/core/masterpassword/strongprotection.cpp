#include "core/masterpassword/strongprotection.h"

#include "core/listings/vaultlist.h"
#include "core/masterpassword/passwordchange.h"
#include "core/masterpassword/vaultupgrade.h"
#include "core/storage/ansi.h"
#include "core/storage/safewrite.h"
#include "core/storage/secretbytes.h"
#include "core/storage/startup.h"

#include <QDir>
#include <QFileInfo>

namespace StrongProtection {
namespace {

std::optional<Vault::Params> newVaultParams;

// The described files where the user sees them: a link is refused, not
// followed, since turning on removes what is there.
QStringList describedFiles(const DataFolder& folder)
{
    return {folder.appDir + QStringLiteral("kxpwfl.ene"), folder.appDir + QStringLiteral("kxplst.ene")};
}

// Seals listings under session and puts them in place as the vault.
StorageResult sealInPlace(const DataFolder& folder, const Vault::Session& session, const QList<Listing>& listings,
                          const QList<ListingRemoval>& removals = {})
{
    if (auto writable = SafeWrite::checkWritable(folder.vaultPath); !writable)
        return writable;
    QByteArray file;
    if (auto sealed = VaultList::seal(listings, session, &file, removals); !sealed)
        return sealed;
    return SafeWrite::replaceFile(folder.vaultPath, file);
}

void removeDescribedFiles(const DataFolder& folder)
{
    for (const QString& path :
         {folder.list.pendingPath(), folder.password.pendingPath(), folder.list.path, folder.password.path})
        SafeWrite::removeFile(path);
}

} // namespace

StorageResult noKey()
{
    return StorageResult::failure(QStringLiteral("No key could be made from the password (not enough memory?)."));
}

Vault::Params paramsForNewVaults()
{
    return newVaultParams.value_or(Vault::writtenParams());
}

std::optional<Vault::Session> newSession(const QString& password, quint8 version)
{
    Vault::Session session;
    session.params = paramsForNewVaults();
    session.salt = Vault::newSalt();
    session.version = version;
    auto key = Vault::deriveFromPassword(password, session.params, session.salt, version);
    if (!key)
        return std::nullopt;
    session.key = std::move(*key);
    return session;
}

bool isOn(const DataFolder& folder)
{
    return Startup::inspectVault(folder).state == Startup::VaultState::Sealed;
}

namespace {

QString nameOf(const QString& path)
{
    return QFileInfo(path).fileName();
}

// A file the user made read-only is not moved either.
StorageResult movable(const QString& path)
{
    if (!QFileInfo(path).permissions().testFlag(QFileDevice::WriteOwner))
        return StorageResult::fileFault(QStringLiteral("move"), path, QStringLiteral("the file is read-only"));
    return SafeWrite::checkWritable(path);
}

} // namespace

PairMoved movePairAside(const DataFolder& folder)
{
    PairMoved pair;
    // One stamp for both, so that they are seen to belong together.
    const QStringList backups = folder.pairBackupPaths(QDateTime::currentDateTime());
    int index = 0;
    for (const DataFile* file : {&folder.list, &folder.password}) {
        const QString& backup = backups.at(index++);
        if (!QFileInfo(file->path).isFile())
            continue;
        StorageResult step = movable(file->path);
        if (step)
            step = SafeWrite::renameNoOverwrite(file->path, backup);
        if (step.inPlace && file == &folder.list)
            pair.listMovedTo = backup;
        if (step.inPlace)
            pair.moved.append(QStringLiteral("\"%1\" as \"%2\"").arg(nameOf(file->shownPath), nameOf(backup)));
        else
            pair.stayed.append(QStringLiteral("\"%1\" stays as found (%2)").arg(nameOf(file->shownPath), step.error));
    }
    return pair;
}

KeptAside keepPairAside(const DataFolder& folder)
{
    KeptAside kept;
    const auto [moved, stayed, listMovedTo] = movePairAside(folder);
    kept.listMovedTo = listMovedTo;
    if (moved.isEmpty() && stayed.isEmpty())
        return kept;
    kept.note = QStringLiteral("The list opened from the sealed list \"%1\". Beside it were files of the earlier, "
                               "weaker format:")
                    .arg(QDir::toNativeSeparators(folder.vaultShownPath()));
    if (!moved.isEmpty())
        kept.note += QStringLiteral(" kept %1.").arg(moved.join(QStringLiteral(" and ")));
    if (!stayed.isEmpty())
        kept.note += QLatin1Char(' ') + stayed.join(QStringLiteral("; ")) + QLatin1Char('.');
    kept.weakCopiesKept = !moved.isEmpty();
    return kept;
}

QString keepVaultAside(const DataFolder& folder, const Startup::VaultFound& vault)
{
    const QString opened = QStringLiteral("The list opened from \"%1\" with \"%2\". ")
                               .arg(nameOf(folder.list.shownPath), nameOf(folder.password.shownPath));
    const QString vaultName = QDir::toNativeSeparators(folder.vaultShownPath());
    if (vault.state == Startup::VaultState::Unreadable)
        return opened
               + QStringLiteral("The sealed list \"%1\" beside them cannot be read (%2); it stays as found.")
                     .arg(vaultName, vault.why);
    const QString found = vault.state == Startup::VaultState::Damaged
                              ? QStringLiteral("is damaged (%1)").arg(vault.why)
                              : QStringLiteral("did not open with this password");
    const QString backup = folder.vaultBackupPath(QDateTime::currentDateTime());
    StorageResult moved = movable(folder.vaultPath);
    if (moved)
        moved = SafeWrite::renameNoOverwrite(folder.vaultPath, backup);
    if (!moved.inPlace)
        return opened
               + QStringLiteral("The sealed list \"%1\" beside them %2; it stays as found (%3).")
                     .arg(vaultName, found, moved.error);
    return opened
           + QStringLiteral("The sealed list \"%1\" beside them %2, and was kept as \"%3\".")
                 .arg(vaultName, found, nameOf(backup));
}

namespace {

// Seals the version 1 vault just opened (its file bytes and records) as
// version 2 under entry: the earlier vault is kept as a backup first, then
// replaced in one step. The note for the user; empty when nothing changed.
QString upgradeToVersion2(const DataFolder& folder, const QByteArray& original, QByteArrayView records,
                          const QString& entry, Vault::Session* session)
{
    // Unlocking only reads where nothing may be written.
    if (!SafeWrite::checkWritable(folder.vaultPath))
        return {};
    auto fresh = newSession(entry, Vault::kVersion2);
    if (!fresh)
        return {};
    const QString backup = folder.vaultBackupPath(QDateTime::currentDateTime());
    if (!SafeWrite::replaceFile(backup, original).inPlace)
        return {};
    // Ids are drawn and times set to this moment as the listings are sealed.
    if (!VaultList::save(folder, *fresh, ListFile::parse(records)).inPlace) {
        // The vault in place is the backup's twin: no copy is needed.
        SafeWrite::removeFile(backup);
        return {};
    }
    *session = std::move(*fresh);
    return QStringLiteral("Your sealed list was brought up to date: it now takes listings in any language and of "
                          "any length. The sealed list as it was is kept as \"%1\".")
        .arg(nameOf(backup));
}

} // namespace

Unlocked unlock(const DataFolder& folder, const QString& entry, Vault::Session* session)
{
    Unlocked outcome;
    QByteArray file;
    if (outcome.result = SafeWrite::readFile(folder.vaultPath, &file); !outcome.result)
        return outcome;
    const Vault::HeaderCheck header = Vault::readHeader(file);
    if (!header.ok())
        return outcome; // damage looks like a wrong password, and costs no derivation
    auto key = Vault::deriveFromPassword(entry, header.header.params, header.header.salt, header.header.version);
    if (!key)
        return outcome;
    // The file as found, should it be kept as a backup.
    const QByteArray original = file;
    // Opened where it was read, and wiped with the buffer: the records are
    // only needed should the vault be sealed again.
    SecretBytes opened = SecretBytes::adopt(std::move(file));
    QByteArrayView records;
    if (Vault::openInPlace(opened.bytes(), *key, &records, header.header.version) != Vault::OpenResult::Ok)
        return outcome;
    session->key = std::move(*key);
    session->params = header.header.params;
    session->salt = header.header.salt;
    session->version = header.header.version;
    outcome.opened = true;
    if (session->version == Vault::kVersion1) {
        outcome.note = upgradeToVersion2(folder, original, records, entry, session);
        if (!outcome.note.isEmpty())
            return outcome;
    }
    // A vault sealed with weaker settings than today's is sealed again now.
    VaultUpgrade::strengthen(folder, records, entry, session);
    return outcome;
}

bool checkPassword(const Vault::Session& session, const QString& password)
{
    const auto key = Vault::deriveFromPassword(password, session.params, session.salt, session.version);
    return key && Vault::sameKey(*key, session.key);
}

StorageResult changePassword(const DataFolder& folder, Vault::Session* session, const QString& newPassword,
                             const QList<Listing>& listings, const QList<ListingRemoval>& removals)
{
    if (auto writable = SafeWrite::checkWritable(folder.vaultPath); !writable)
        return writable;
    auto fresh = newSession(newPassword);
    if (!fresh)
        return noKey();
    // Only the folder's sync comes after the rename: should it fail, the
    // vault is replaced all the same, and that is what counts here.
    if (const StorageResult saved = sealInPlace(folder, *fresh, listings, removals); !saved.inPlace)
        return saved;
    // The vault on disk opens with the new password now.
    *session = std::move(*fresh);
    return StorageResult::success();
}

StorageResult refusalToTurnOn(const DataFolder& folder)
{
    // Whatever is at the vault's place was not opened: it is never replaced.
    if (folder.vaultPresent())
        return StorageResult::failure(
            QStringLiteral("\"%1\" is already there, and could not be opened: it is kept as it is.")
                .arg(QDir::toNativeSeparators(folder.vaultShownPath())));
    for (const QString& path : describedFiles(folder)) {
        const QFileInfo file(path);
        if (file.isSymLink())
            return StorageResult::failure(
                QStringLiteral("\"%1\" is a symbolic link: strong protection would remove it, and the file it "
                               "points to would stay readable.")
                    .arg(QDir::toNativeSeparators(path)));
        if (file.exists() && !file.permissions().testFlag(QFileDevice::WriteOwner))
            return StorageResult::failure(
                QStringLiteral("\"%1\" is read-only: strong protection would have to remove it.")
                    .arg(QDir::toNativeSeparators(path)));
    }
    return SafeWrite::checkWritable(folder.vaultPath);
}

TurnedOn turnOn(const DataFolder& folder, const QString& newPassword, const QList<Listing>& listings,
                Vault::Session* session)
{
    TurnedOn outcome;
    if (outcome.result = refusalToTurnOn(folder); !outcome.result)
        return outcome;
    auto fresh = newSession(newPassword);
    if (!fresh) {
        outcome.result = noKey();
        return outcome;
    }
    // The vault is complete and synced before anything weaker goes.
    outcome.result = sealInPlace(folder, *fresh, listings);
    if (!outcome.result.inPlace)
        return outcome;
    outcome.on = true;
    *session = std::move(*fresh);
    for (const QString& path : {folder.list.path, folder.password.path}) {
        // Should a removal fail, the next start tries the vault first and,
        // once it opens, keeps what is left of the pair aside as a backup.
        if (auto removed = SafeWrite::removeFile(path); !removed && outcome.result)
            outcome.result = removed;
    }
    return outcome;
}

StorageResult turnOff(const DataFolder& folder, const QString& password, const QList<Listing>& listings)
{
    // Nothing is written unless the vault may go afterwards, and no file of
    // the earlier format is overwritten.
    if (auto writable = SafeWrite::checkWritable(folder.vaultPath); !writable)
        return writable;
    for (const QString& path :
         {folder.list.path, folder.password.path, folder.list.pendingPath(), folder.password.pendingPath()}) {
        const QFileInfo info(path);
        if (info.exists() || info.isSymLink())
            return StorageResult::failure(
                QStringLiteral("\"%1\" is in the way: it is kept as it is.").arg(QDir::toNativeSeparators(path)));
    }
    if (auto written = PasswordChange::commit(folder, password, listings).result; !written) {
        removeDescribedFiles(folder);
        return written;
    }
    // Gone counts, even when the folder's sync after the removal failed.
    if (auto removed = SafeWrite::removeFile(folder.vaultPath); !removed.inPlace) {
        // Strong protection stays on: what was just written must not linger.
        removeDescribedFiles(folder);
        return removed;
    }
    return StorageResult::success();
}

QStringList weakCopies(const DataFolder& folder)
{
    QStringList found;
    for (const DataFile* file : {&folder.list, &folder.password}) {
        const QDir dir(file->folder());
        for (const QString& name :
             dir.entryList({file->baseName + QStringLiteral("-backup-*.ene")}, QDir::Files, QDir::Name))
            found.append(dir.filePath(name));
    }
    found.removeDuplicates();
    return found;
}

void setNewVaultParamsForTesting(std::optional<Vault::Params> params)
{
    newVaultParams = params;
}

} // namespace StrongProtection
