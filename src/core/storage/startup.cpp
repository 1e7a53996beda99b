#include "core/storage/startup.h"

#include "core/storage/datafiles.h"
#include "core/storage/pairedcommit.h"
#include "core/storage/safewrite.h"
#include "core/storage/vault.h"

#include <QDir>
#include <QFileInfo>

namespace Startup {
namespace {

QString shown(const QString& path)
{
    return QDir::toNativeSeparators(path);
}

QString nameOf(const QString& path)
{
    return QFileInfo(path).fileName();
}

// Rolling a pending list forward replaces the list: the version replaced is
// kept first, unless it is the same bytes, with the password file of that
// moment beside it. False when it could not be kept: then nothing may
// replace it.
bool keepListBeforeRollForward(const DataFolder& folder, QStringList* notes)
{
    if (!PairedCommit::listIsPending(folder) || !QFileInfo(folder.list.path).isFile())
        return true;
    QByteArray pending;
    QByteArray current;
    if (!SafeWrite::readFile(folder.list.pendingPath(), &pending) || !SafeWrite::readFile(folder.list.path, &current))
        return false;
    if (pending == current)
        return true;
    // A list that cannot be replaced stays anyway; the pending copy is read in memory.
    if (!SafeWrite::checkWritable(folder.list.path))
        return true;
    const QStringList backups = folder.pairBackupPaths(QDateTime::currentDateTime());
    const QString& listBackup = backups.at(0);
    const QString& passwordBackup = backups.at(1);
    QByteArray password;
    const bool passwordKept = QFileInfo(folder.password.path).isFile()
                              && SafeWrite::readFile(folder.password.path, &password)
                              && SafeWrite::replaceFile(passwordBackup, password);
    if (const StorageResult kept = SafeWrite::renameNoOverwrite(folder.list.path, listBackup); !kept.inPlace) {
        if (notes)
            notes->append(QStringLiteral("The list opens from \"%1\", left by a change that was not finished. "
                                         "\"%2\" could not be kept aside as a backup, so it stays as it is.\r%3")
                              .arg(shown(folder.list.pendingPath()), nameOf(folder.list.path), kept.error));
        return false;
    }
    if (notes) {
        QString note = QStringLiteral("A change of the list that was not finished was finished now: the list comes "
                                      "from \"%1\". The list it replaced was kept as \"%2\"")
                           .arg(nameOf(folder.list.pendingPath()), nameOf(listBackup));
        if (passwordKept)
            note += QStringLiteral(", with the password file of that moment as \"%1\"").arg(nameOf(passwordBackup));
        notes->append(note + QLatin1Char('.'));
    }
    return true;
}

// A pending list that is no readable file is nobody's list: it stays as
// found, and the list opens from the list file.
void noteOddPending(const DataFolder& folder, QStringList* notes)
{
    const QFileInfo pending(folder.list.pendingPath());
    if (!notes || !(pending.exists() || pending.isSymLink()) || PairedCommit::listIsPending(folder)
        || QFileInfo::exists(folder.password.pendingPath()))
        return;
    QString why = describeReach(reachOf(folder.list.pendingPath()));
    if (why.isEmpty())
        why = pending.isDir() ? QStringLiteral("it is a folder") : QStringLiteral("it cannot be read");
    notes->append(QStringLiteral("\"%1\" was left as found: %2. The list opens from \"%3\".")
                      .arg(shown(folder.list.pendingPath()), why, nameOf(folder.list.path)));
}

StorageResult unreachable(const QString& path, const QString& why)
{
    return StorageResult::failure(
        QStringLiteral("\"%1\" cannot be reached: %2.\rNothing was changed.").arg(shown(path), why));
}

} // namespace

void prepareFolder(const DataFolder& folder, QStringList* notes)
{
    // Failures leave files that the reads still understand, so none of them
    // stops the start. A vault is never touched here: it is only ever taken
    // over or put aside once it was opened with the user's password.
    if (keepListBeforeRollForward(folder, notes))
        PairedCommit::recover(folder);
    noteOddPending(folder, notes);
    DataFiles::adoptLeftoverPlain(folder.startup, folder.startupKey);
    DataFiles::adoptLeftoverPlain(folder.password, folder.passwordFileKey);
}

VaultFound inspectVault(const DataFolder& folder)
{
    if (!folder.vaultPresent())
        return {};
    if (const Reach reach = reachOf(folder.vaultShownPath()); reach != Reach::Fine)
        return {VaultState::Unreadable, describeReach(reach)};
    const QFileInfo info(folder.vaultPath);
    if (info.isDir())
        return {VaultState::Unreadable, QStringLiteral("it is a folder")};
    if (!info.isFile())
        return {VaultState::Unreadable, QStringLiteral("it is no regular file")};
    QByteArray bytes;
    if (auto read = SafeWrite::readFile(folder.vaultPath, &bytes); !read)
        return {VaultState::Unreadable, read.error};
    const QByteArrayView magic("VELLAMAR-VAULT");
    if (!QByteArrayView(bytes).startsWith(magic))
        return {VaultState::Unreadable, QStringLiteral("it is not a sealed list of this program")};
    const Vault::HeaderCheck header = Vault::readHeader(bytes);
    if (!header.ok())
        return {VaultState::Damaged, QString::fromLatin1(Vault::describe(header.damage))};
    // Version 1 seals whole records, so its length tells; version 2's
    // payload has lengths of its own.
    const qsizetype sealed = bytes.size() - qsizetype(Vault::kHeaderSize + Vault::kTagSize);
    if (header.header.version == Vault::kVersion1 && sealed % qsizetype(Vault::kRecordSize) != 0)
        return {VaultState::Damaged,
                QStringLiteral("its length (%1 bytes) cannot be that of a sealed list").arg(bytes.size())};
    return {VaultState::Sealed, {}};
}

bool hasPair(const DataFolder& folder)
{
    QString stored;
    return QFileInfo(folder.list.path).isFile() && DataFiles::readStoredPassword(folder, &stored) && !stored.isEmpty();
}

StorageResult decide(const DataFolder& folder, Path* path)
{
    for (const DataFile* file : {&folder.startup, &folder.password, &folder.list}) {
        const Reach reach = reachOf(file->shownPath);
        if (reach == Reach::Loop || reach == Reach::DanglingNowhere)
            return unreachable(file->shownPath, describeReach(reach));
    }
    // A vault is opened by its password alone, whatever the other files say;
    // one that cannot be read never leads to a set-up that would bury it.
    if (const VaultFound vault = inspectVault(folder); vault.state != VaultState::Absent) {
        if (vault.state == VaultState::Sealed || hasPair(folder)) {
            *path = Path::Unlock;
            return StorageResult::success();
        }
        const QString what =
            vault.state == VaultState::Damaged ? QStringLiteral("is damaged") : QStringLiteral("cannot be read");
        return StorageResult::failure(QStringLiteral("The sealed list \"%1\" %2: %3.\rNothing was changed.")
                                          .arg(shown(folder.vaultShownPath()), what, vault.why));
    }
    QString record;
    if (auto step = DataFiles::readStartupRecord(folder, &record); !step)
        return step;

    if (DataFiles::hasFirstRunMarker(record)) {
        if (auto step = DataFiles::writeStartupRecord(folder, DataFiles::withMarkerCleared(record)); !step)
            return step;
        *path = Path::FirstRun;
        return StorageResult::success();
    }

    // An empty stored password must never unlock the list.
    QString stored;
    if (auto step = DataFiles::readStoredPassword(folder, &stored); !step)
        return step;
    *path = stored.isEmpty() ? Path::NoPassword : Path::Unlock;
    // A list that cannot be reached would open empty, and its first save
    // would go nowhere.
    if (*path == Path::Unlock && reachOf(folder.list.shownPath) != Reach::Fine)
        return unreachable(folder.list.shownPath, describeReach(reachOf(folder.list.shownPath)));
    return StorageResult::success();
}

} // namespace Startup
