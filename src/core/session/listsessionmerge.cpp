// The list session's side of several machines sharing one list through a
// synced folder: telling another version on disk, and merging it in.
#include "core/session/listsession.h"

#include "core/listings/vaultlist.h"
#include "core/storage/datafiles.h"
#include "core/storage/filecipher.h"
#include "core/storage/safewrite.h"

#include <QDateTime>
#include <QFileInfo>
#include <QThread>

namespace {

std::chrono::milliseconds quietInterval {2000};

QString nameOf(const QString& path)
{
    return QFileInfo(path).fileName();
}

} // namespace

void ListSession::setQuietIntervalForTesting(std::chrono::milliseconds interval)
{
    quietInterval = interval;
}

bool ListSession::readOnceThePairIsQuiet(FileIdentity* list, QByteArray* bytes)
{
    // A sync tool may have put one of the two in place and not yet the
    // other: read them once neither has changed for a moment (a few tries).
    for (int round = 0; round < 5; ++round) {
        FileIdentity passwordBefore;
        if (!FileIdentity::read(m_folder.password.path, &passwordBefore))
            return false;
        const FileIdentity listBefore = *list;
        run([] { QThread::msleep(static_cast<unsigned long>(quietInterval.count())); });
        FileIdentity passwordNow;
        if (!FileIdentity::read(m_folder.password.path, &passwordNow)
            || !FileIdentity::read(m_folder.list.path, list, bytes))
            return false;
        if (passwordNow.sameVersion(passwordBefore) && list->sameVersion(listBefore))
            return true;
    }
    // Still changing: what is there now is taken, and nothing is written
    // over it unmerged all the same.
    return true;
}

bool ListSession::watchesTheListFile() const
{
    // A change of password still to finish is no other machine's version.
    return m_seen.known && hasKey() && (isStrong() || !PairedCommit::listIsPending(m_folder));
}

bool ListSession::listChangedOnDisk() const
{
    if (!watchesTheListFile())
        return false;
    FileIdentity now;
    return FileIdentity::read(listPath(), &now) && !now.sameVersion(m_seen);
}

OtherVersion::Opened ListSession::openWithKey(QByteArrayView file) const
{
    if (isStrong())
        return OtherVersion::openVault(file, vault());
    // The list file's cipher cannot tell a wrong key: it is read under the
    // password the password file holds now, only when that is the one in
    // memory.
    if (!DataFiles::storedPasswordIs(m_folder, password()))
        return {};
    return OtherVersion::openListFile(file, password());
}

bool ListSession::otherVersionNeedsPassword() const
{
    if (!watchesTheListFile())
        return false;
    FileIdentity now;
    QByteArray file;
    if (!FileIdentity::read(listPath(), &now, &file) || !now.present || now.sameVersion(m_seen))
        return false;
    return !openWithKey(file).ok;
}

bool ListSession::adoptOtherVersion(const QString& typed)
{
    FileIdentity now;
    QByteArray file;
    if (!hasKey() || !FileIdentity::read(listPath(), &now, &file) || !now.present)
        return false;
    OtherVersion::Opened theirs;
    if (isStrong()) {
        run([&] { theirs = OtherVersion::openVault(file, typed); });
    } else {
        // The password file says which password is in force now.
        if (DataFiles::storedPasswordIs(m_folder, typed))
            theirs = OtherVersion::openListFile(file, typed);
    }
    if (!theirs.ok)
        return false;
    std::optional<Vault::Session> key = std::move(theirs.key);
    m_lastMerge = takeIn(std::move(theirs), nameOf(listPath()));
    if (key)
        setKey(std::move(*key));
    else
        setKey(SecretText(typed));
    m_seen = now;
    // The pair on disk is whole under the password now in memory.
    m_rewritePair = false;
    return true;
}

ListSession::Merged ListSession::takeIn(OtherVersion::Opened theirs, const QString& fromName)
{
    Merged merged;
    const qint64 nowMs = QDateTime::currentMSecsSinceEpoch();
    // Ids match listings only when both sides have them.
    ListMerge::Result result =
        holdsAnyText() && theirs.sealed
            ? ListMerge::mergeSealed(m_base, m_listings, m_removals, theirs.listings, theirs.removals, nowMs)
            : ListMerge::mergeByContent(m_listings, theirs.listings);
    if (!theirs.sealed)
        result.removals = m_removals;
    m_listings = std::move(result.listings);
    m_removals = std::move(result.removals);
    m_base = std::move(theirs.listings);
    merged.counts = result.counts;
    if (merged.counts.any())
        merged.note = QStringLiteral("Another version of your list was merged in from \"%1\": %2 listings came in, "
                                     "%3 changed and %4 went; %5 changed on both sides were kept twice.")
                          .arg(fromName)
                          .arg(merged.counts.added)
                          .arg(merged.counts.changed)
                          .arg(merged.counts.removed)
                          .arg(merged.counts.keptBoth);
    return merged;
}

QString ListSession::keepConflictCopy(QByteArrayView bytes, bool withPasswordFile)
{
    const QString dir = m_folder.list.folder() + QLatin1Char('/');
    const QString suffix = isStrong() ? QStringLiteral(".vault") : QStringLiteral(".ene");
    // One stamp for the list and its password file.
    const QStringList copies = backupPaths({dir + QStringLiteral("kxplst-conflict-"), suffix,
                                            dir + QStringLiteral("kxpwfl-conflict-"), QStringLiteral(".ene")},
                                           QDateTime::currentDateTime());
    StorageResult kept = SafeWrite::replaceFile(copies.value(0), bytes);
    if (kept.inPlace && withPasswordFile) {
        QByteArray passwordFile;
        if (kept = SafeWrite::readFile(m_folder.password.path, &passwordFile); kept)
            kept = SafeWrite::replaceFile(copies.value(1), passwordFile);
    }
    return kept.inPlace ? copies.value(0) : QString();
}

ListSession::Merged ListSession::mergeFromDisk(Attendance attendance)
{
    Merged merged;
    if (!watchesTheListFile())
        return merged;
    const QString path = listPath();
    FileIdentity now;
    QByteArray file;
    if (!FileIdentity::read(path, &now, &file) || now.sameVersion(m_seen))
        return merged;
    // The list file and its password file arrive one after the other.
    if (!isStrong() && !readOnceThePairIsQuiet(&now, &file))
        return merged;
    if (!now.present) {
        // Gone: the next save puts the list back.
        m_seen = now;
        return merged;
    }
    OtherVersion::Opened theirs = openWithKey(file);
    if (theirs.ok) {
        merged = takeIn(std::move(theirs), nameOf(path));
        // What is on disk now is what both sides share from here on.
        m_seen = now;
        return merged;
    }
    // Never written over unmerged. With nobody to ask, this list goes beside
    // the other version, which stays; otherwise the other version goes
    // beside it (with its password file, when that changed too: the copy
    // opens only with that password).
    if (attendance == Attendance::Unattended) {
        QByteArray ours;
        const StorageResult sealed =
            isStrong() ? VaultList::seal(m_listings, vault(), &ours, m_removals) : StorageResult::success();
        if (!isStrong()) {
            SecretBytes plain;
            if (const auto key = CipherKeyOf(password()); key && ListFile::serialize(m_listings, &plain))
                ours = EncipherInPlace(plain, *key);
        }
        const QString copy = sealed && !ours.isEmpty() ? keepConflictCopy(ours, false) : QString();
        if (!copy.isEmpty()) {
            merged.oursKeptAs = copy;
            merged.note = QStringLiteral("\"%1\" was replaced by another version that does not open with your master "
                                         "password. Your list was saved beside it as \"%2\".")
                              .arg(nameOf(path), nameOf(copy));
        }
        return merged;
    }
    const bool pairChanged = !isStrong() && !DataFiles::storedPasswordIs(m_folder, password());
    if (const QString copy = keepConflictCopy(file, pairChanged); !copy.isEmpty()) {
        merged.keptAs = copy;
        m_rewritePair = m_rewritePair || pairChanged;
        merged.note = QStringLiteral("\"%1\" was replaced by another version, which does not open with your master "
                                     "password (it may have been changed on another computer). That version was "
                                     "kept as \"%2\"; your list stays as it is.")
                          .arg(nameOf(path), nameOf(copy));
        m_seen = now;
    }
    return merged;
}

ListSession::Merged ListSession::mergeFile(const QString& path, const std::optional<QString>& password, bool* opened)
{
    *opened = false;
    QByteArray file;
    if (!hasKey() || !SafeWrite::readFile(path, &file))
        return {};
    OtherVersion::Opened theirs;
    const bool sealed = path.endsWith(QStringLiteral(".vault"), Qt::CaseInsensitive);
    if (!password) {
        // The key in memory opens a copy of this list kept under it.
        if (sealed && isStrong())
            theirs = OtherVersion::openVault(file, vault());
        else if (!sealed && !isStrong())
            theirs = OtherVersion::openListFile(file, this->password());
    } else if (sealed) {
        run([&] { theirs = OtherVersion::openVault(file, *password); });
    } else {
        theirs = OtherVersion::openListFile(file, *password);
    }
    if (!theirs.ok)
        return {};
    *opened = true;
    // The base stays the version on disk: a copy is merged, not adopted.
    QList<Listing> base = m_base;
    Merged merged = takeIn(std::move(theirs), nameOf(path));
    m_base = std::move(base);
    return merged;
}
