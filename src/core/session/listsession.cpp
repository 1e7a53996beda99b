#include "core/session/listsession.h"

#include "core/listings/vaultlist.h"
#include "core/masterpassword/passwordchange.h"
#include "core/listings/listbackups.h"
#include "core/storage/datafiles.h"
#include "core/storage/filecipher.h"
#include "core/storage/safewrite.h"

#include <QDateTime>
#include <QFileInfo>

#include <utility>

ListSession::ListSession(DataFolder folder, Runner runner)
    : m_folder(std::move(folder))
    , m_runner(std::move(runner))
{
}

ListSession::~ListSession()
{
    forget();
}

void ListSession::setFolder(DataFolder folder)
{
    forget();
    m_folder = std::move(folder);
}

void ListSession::run(const std::function<void()>& work)
{
    m_working = true;
    if (m_runner)
        m_runner(work);
    else
        work();
    m_working = false;
}

void ListSession::setKey(std::variant<std::monostate, SecretText, Vault::Session> key)
{
    // The old key's memory is wiped as it is let go (SecretText and
    // VaultKey wipe themselves).
    m_key = std::move(key);
}

QStringView ListSession::password() const
{
    const auto* text = std::get_if<SecretText>(&m_key);
    return text ? text->view() : QStringView();
}

const Vault::Session& ListSession::vault() const
{
    static const Vault::Session none;
    const auto* session = std::get_if<Vault::Session>(&m_key);
    return session ? *session : none;
}

StrongProtection::Unlocked ListSession::unlockVault(const QString& entry)
{
    StrongProtection::Unlocked unlocked;
    Vault::Session opened;
    run([&] { unlocked = StrongProtection::unlock(m_folder, entry, &opened); });
    if (unlocked.opened)
        setKey(std::move(opened));
    return unlocked;
}

ListSession::PairUnlocked ListSession::unlockPair(const QString& entry)
{
    PairUnlocked outcome;
    QString stored;
    if (outcome.result = DataFiles::readStoredPassword(m_folder, &stored); !outcome.result)
        return outcome;
    SecretText candidate(stored);
    wipeText(stored);
    outcome.opened = !candidate.isEmpty() && candidate.equals(entry);
    if (outcome.opened)
        setKey(std::move(candidate));
    return outcome;
}

SetupStore::Outcome ListSession::setUp(const QString& password)
{
    SetupStore::Outcome stored = SetupStore::commit(m_folder, password);
    if (stored.passwordInForce)
        setKey(SecretText(password));
    return stored;
}

StrongSetup::Outcome ListSession::setUpStrong(const QString& password)
{
    StrongSetup::Outcome outcome;
    Vault::Session fresh;
    run([&] { outcome = StrongSetup::commit(m_folder, password, &fresh); });
    if (outcome.on) {
        setKey(std::move(fresh));
        m_listings = std::move(outcome.listings);
        m_removals.clear();
        noteSeenOnDisk();
    }
    return outcome;
}

ListSession::Check ListSession::checkPassword(const QString& typed)
{
    Check check;
    if (isStrong()) {
        run([&] { check.matches = StrongProtection::checkPassword(vault(), typed); });
        return check;
    }
    QString stored;
    if (check.result = DataFiles::readStoredPassword(m_folder, &stored); !check.result)
        return check;
    check.matches = typed == stored;
    wipeText(stored);
    return check;
}

bool ListSession::isEntry(const QString& entry)
{
    bool right = false;
    if (isStrong())
        run([&] { right = StrongProtection::checkPassword(vault(), entry); });
    else
        right = !password().isEmpty() && std::get<SecretText>(m_key).equals(entry);
    return right;
}

void ListSession::mergeAtNextLoad(const QString& path, const QString& password)
{
    m_mergeAtLoadPath = path;
    m_mergeAtLoadPassword = SecretText(password);
}

StorageResult ListSession::load(ListFile::LoadReport* report)
{
    QList<Listing> loaded;
    QList<ListingRemoval> removals;
    FileIdentity seen;
    StorageResult result;
    if (isStrong()) {
        result = VaultList::load(m_folder, vault(), &loaded, &removals, &seen);
    } else {
        result = ListFile::load(m_folder, password(), &loaded, report);
        // The file as it is right after the read. A list file read from a
        // pending or plain copy is not the one a sync tool replaces.
        if (result && !PairedCommit::listIsPending(m_folder))
            FileIdentity::read(m_folder.list.path, &seen);
    }
    if (result) {
        m_listings = std::move(loaded);
        m_removals = std::move(removals);
        noteSeen(seen);
        m_lastMerge = {};
        if (!m_mergeAtLoadPath.isEmpty()) {
            bool opened = false;
            std::optional<QString> password = m_mergeAtLoadPassword.view().toString();
            m_lastMerge = mergeFile(m_mergeAtLoadPath, password, &opened);
            wipeText(*password);
        }
    }
    m_mergeAtLoadPath.clear();
    m_mergeAtLoadPassword = SecretText();
    return result;
}

QString ListSession::listPath() const
{
    return isStrong() ? m_folder.vaultPath : m_folder.list.path;
}

void ListSession::noteSeen(const FileIdentity& identity)
{
    m_seen = identity;
    m_base = m_listings;
}

void ListSession::noteRemoved(const Listing& listing, qint64 nowMs)
{
    if (listing.stamp.hasId())
        m_removals.append({listing.stamp.id, nowMs});
}

void ListSession::stampListings()
{
    const qint64 now = QDateTime::currentMSecsSinceEpoch();
    for (Listing& listing : m_listings)
        StampIfNew(listing, now);
}

StorageResult ListSession::save(Attendance attendance)
{
    // A list let go (locked, closed) is never written: with no key it would
    // go to disk under none.
    if (!hasKey())
        return StorageResult::failure(QStringLiteral("The password list is locked: nothing was saved."));
    m_lastMerge = mergeFromDisk(attendance);
    if (isStrong() && vault().version == Vault::kVersion2)
        stampListings();
    if (!m_lastMerge.oursKeptAs.isEmpty())
        return StorageResult::success(); // written beside the other version, which stays
    if (m_rewritePair) {
        // Both files as one change, so that the list and its password
        // always belong together.
        QString current = password().toString();
        const PairedCommit::Outcome rewritten = PasswordChange::commit(m_folder, current, m_listings);
        wipeText(current);
        if (rewritten.newPasswordInForce)
            noteSeenOnDisk();
        return rewritten.result;
    }
    FileIdentity written;
    const StorageResult saved = isStrong() ? VaultList::save(m_folder, vault(), m_listings, m_removals, &written)
                                           : ListFile::save(m_folder, m_listings, password(), &written);
    // Set once the file holds what was written, also when a later step
    // (the folder's sync) failed.
    if (written.known)
        noteSeen(written);
    return saved;
}

ListBackups::Kept ListSession::keepAsBackup(const QList<Listing>& listings, const QDateTime& when) const
{
    return ListBackups::keep(m_folder, listings, password(), vault(), when);
}

void ListSession::noteSeenOnDisk()
{
    // Whatever wrote the list here wrote the pair whole.
    m_rewritePair = false;
    FileIdentity now;
    if (!isStrong() && PairedCommit::listIsPending(m_folder))
        now = {}; // a change still to finish: no claim on the list file
    else
        FileIdentity::read(listPath(), &now);
    noteSeen(now);
}

PairedCommit::Outcome ListSession::changePassword(const QString& newPassword)
{
    PairedCommit::Outcome changed = writeUnderNewPassword(newPassword);
    if (changed.newPasswordInForce)
        noteSeenOnDisk();
    return changed;
}

PairedCommit::Outcome ListSession::writeUnderNewPassword(const QString& newPassword)
{
    // Another machine's version is merged in before the list is written
    // under the new password.
    m_lastMerge = mergeFromDisk();
    PairedCommit::Outcome changed;
    if (isStrong()) {
        // The vault is sealed again under the new password, in one step.
        stampListings();
        Vault::Session fresh;
        run([&, listings = m_listings, removals = m_removals] {
            changed.result = StrongProtection::changePassword(m_folder, &fresh, newPassword, listings, removals);
        });
        changed.newPasswordInForce = fresh.isOpen();
        if (changed.newPasswordInForce)
            setKey(std::move(fresh));
        return changed;
    }
    changed = PasswordChange::commit(m_folder, newPassword, m_listings);
    if (changed.newPasswordInForce)
        setKey(SecretText(newPassword));
    return changed;
}

StrongProtection::TurnedOn ListSession::turnOn(const QString& newPassword)
{
    StrongProtection::TurnedOn turned;
    Vault::Session fresh;
    m_lastMerge = mergeFromDisk();
    stampListings();
    run([&, listings = m_listings] { turned = StrongProtection::turnOn(m_folder, newPassword, listings, &fresh); });
    // From now on the key stands in for the password, which is not kept.
    if (turned.on) {
        setKey(std::move(fresh));
        noteSeenOnDisk();
    }
    return turned;
}

StorageResult ListSession::turnOff(const QString& password)
{
    StorageResult turned;
    m_lastMerge = mergeFromDisk();
    run([&, listings = m_listings] { turned = StrongProtection::turnOff(m_folder, password, listings); });
    if (turned) {
        setKey(SecretText(password));
        noteSeenOnDisk();
    }
    return turned;
}

void ListSession::forget()
{
    setKey(std::monostate());
    for (Listing& listing : m_listings) {
        wipeTextEverywhere(listing.site);
        wipeTextEverywhere(listing.user);
        wipeTextEverywhere(listing.password);
    }
    m_base.clear();
    m_listings.clear();
    m_removals.clear();
    m_seen = {};
    m_rewritePair = false;
    m_lastMerge = {};
}

void ListSession::useKeyForTesting(const QString& password)
{
    setKey(SecretText(password));
}
