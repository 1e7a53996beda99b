#pragma once

#include "core/listings/listbackups.h"
#include "core/listings/listfile.h"
#include "core/listings/listmerge.h"
#include "core/session/otherversion.h"
#include "core/masterpassword/setupstore.h"
#include "core/masterpassword/strongprotection.h"
#include "core/masterpassword/strongsetup.h"
#include "core/storage/datafolder.h"
#include "core/storage/pairedcommit.h"
#include "core/storage/secrettext.h"
#include "core/storage/storageresult.h"
#include "core/storage/vault.h"

#include <QDateTime>
#include <QList>
#include <QString>

#include <chrono>

#include <functional>
#include <variant>

// The open list from unlock to goodbye: its data folder, the key it is kept
// under and its listings. The key is one value: the master password of the
// described files (in memory that is wiped), or, with strong protection,
// the vault's key (in libsodium's guarded memory), never both. Every
// operation that writes changes the key only once the disk holds the result.
class ListSession {
public:
    // Runs slow work (a key derivation, sealing the whole list) and returns
    // once it is done. The program runs it off the GUI thread; the work
    // never touches the session, whose state changes only afterwards.
    using Runner = std::function<void(const std::function<void()>&)>;

    explicit ListSession(DataFolder folder = {}, Runner runner = {});
    ~ListSession();
    ListSession(const ListSession&) = delete;
    ListSession& operator=(const ListSession&) = delete;

    const DataFolder& folder() const { return m_folder; }
    // A new start in another folder: what was open is forgotten.
    void setFolder(DataFolder folder);

    bool hasKey() const { return !std::holds_alternative<std::monostate>(m_key); }
    // Strong protection: the list is the vault and the key is its key.
    bool isStrong() const { return std::holds_alternative<Vault::Session>(m_key); }
    // The list is sealed in a vault of version 2, which holds listings of
    // any script and length up to its bounds.
    bool holdsAnyText() const { return isStrong() && vault().version == Vault::kVersion2; }
    // Slow work of this session is running: presses wait, nothing closes.
    bool working() const { return m_working; }

    // Tries entry on the vault (spaces at its ends are no part of a vault
    // password); a right one makes its key the session's.
    StrongProtection::Unlocked unlockVault(const QString& entry);
    struct PairUnlocked {
        StorageResult result; // a fault reading the master-password file
        bool opened = false;
    };
    // Compares entry, exactly as typed, with the master-password file read
    // afresh; an empty stored password never unlocks.
    PairUnlocked unlockPair(const QString& entry);
    // The first run: writes the master-password file and a new list.
    SetupStore::Outcome setUp(const QString& password);
    // The first run with strong protection: seals a new list (with what a
    // plain list an earlier version left holds) under password; the vault's
    // key and that list become the session's once the vault is in place.
    StrongSetup::Outcome setUpStrong(const QString& password);

    struct Check {
        StorageResult result; // the master-password file could not be read
        bool matches = false;
    };
    // Whether typed is the master password in force: the one in the file
    // (not the one in memory), or the one that derives the vault's key.
    Check checkPassword(const QString& typed);
    // Whether entry is the password the list was opened with (derived
    // again with strong protection).
    bool isEntry(const QString& entry);

    // The open list's listings; the listing window's grid shows and edits
    // them in place.
    QList<Listing>& listings() { return m_listings; }
    const QList<Listing>& listings() const { return m_listings; }
    // The listings deleted from the list, by id: a sealed list keeps them,
    // so that another copy of it can tell they went.
    const QList<ListingRemoval>& removals() const { return m_removals; }
    // listing was deleted at nowMs (nothing to keep when it has no id).
    void noteRemoved(const Listing& listing, qint64 nowMs);

    // Reads the list under the key into listings().
    StorageResult load(ListFile::LoadReport* report = nullptr);
    // The next load() also merges in the list kept in path under password
    // (the described pair that opened with the same entry as the vault);
    // lastMerge() says what came in. Nothing is written until a save.
    void mergeAtNextLoad(const QString& path, const QString& password);
    // Whether someone is there to be asked: a save at logout, shutdown or
    // an idle lock has nobody.
    enum class Attendance { Attended, Unattended };
    // Writes listings() under the key; on a failure the file on disk stays
    // the last good one. A version on disk this session has not seen (a
    // sync tool put another machine's there) is merged in first. One that
    // does not open with the key is never written over: attended, it is
    // kept as a conflict copy and the list written; unattended, the list is
    // written as a conflict copy beside it. lastMerge() says which.
    StorageResult save(Attendance attendance = Attendance::Attended);

    struct Merged {
        ListMerge::Counts counts; // what the other version brought
        QString keptAs; // the conflict copy the other version was kept as
        QString oursKeptAs; // the conflict copy this list was written as
        QString note; // for the user (empty: there was nothing to merge)
    };
    // Whether the list on disk is another version than the one this
    // session last read or wrote.
    bool listChangedOnDisk() const;
    // The list on disk is another version, which the key in memory does
    // not open (its password was changed elsewhere).
    bool otherVersionNeedsPassword() const;
    // Opens the version on disk with password, the one set elsewhere, and
    // merges it in; the list goes on under that password (nothing is
    // written). False when password does not open it.
    bool adoptOtherVersion(const QString& password);
    // Merges the version on disk into listings(), when it is another one;
    // nothing is written but a conflict copy of a version that cannot be
    // opened with the key.
    Merged mergeFromDisk(Attendance attendance = Attendance::Attended);
    // Merges the list kept in file (a vault or a list file, a sync tool's
    // conflict copy or one the user picked) opened with password (none: the
    // key in memory) into listings(); nothing is written. opened says
    // whether it opened.
    Merged mergeFile(const QString& path, const std::optional<QString>& password, bool* opened);
    // What the last save() merged.
    const Merged& lastMerge() const { return m_lastMerge; }

    // Test seam: how long the list file and its password file must stay
    // unchanged before another version of them is read (2 s).
    static void setQuietIntervalForTesting(std::chrono::milliseconds interval);
    // Keeps listings (the open list about to be replaced) as a backup in the
    // format in force.
    ListBackups::Kept keepAsBackup(const QList<Listing>& listings, const QDateTime& when) const;

    // A new master password for the list as it stands. The key changes
    // when the new password is in force on disk, also when a last step
    // failed (newPasswordInForce says so).
    PairedCommit::Outcome changePassword(const QString& newPassword);
    // Seals the list under newPassword into the vault; the vault's key
    // replaces the password once the vault is complete.
    StrongProtection::TurnedOn turnOn(const QString& newPassword);
    // Writes the list back in the described files under password and
    // removes the vault; the password replaces the vault's key only then.
    StorageResult turnOff(const QString& password);

    // The key and every listing wiped and let go.
    void forget();

    // Test seam: the list is opened under password without an unlock.
    void useKeyForTesting(const QString& password);

private:
    void run(const std::function<void()>& work);
    // Before a sealed list of version 2 is written: every listing without an
    // id gets one (and loses the list file's pad spaces), so that the ids
    // written are the ones the session goes on with.
    void stampListings();
    void setKey(std::variant<std::monostate, SecretText, Vault::Session> key);
    QStringView password() const;
    const Vault::Session& vault() const;
    QString listPath() const;
    // The listings of another version of the list (its file bytes), if the
    // key in memory opens it whole.
    // An open list whose file's version is known: other versions can be told.
    bool watchesTheListFile() const;
    OtherVersion::Opened openWithKey(QByteArrayView file) const;
    // Merges an opened version into listings(); fromName names it to the user.
    Merged takeIn(OtherVersion::Opened theirs, const QString& fromName);
    // Keeps bytes of the list (and the password file, when it goes with
    // them) beside it as a conflict copy; the copy's path, empty on failure.
    QString keepConflictCopy(QByteArrayView bytes, bool withPasswordFile);
    // The version now written or read becomes the base of the next merge.
    void noteSeen(const FileIdentity& identity);
    void noteSeenOnDisk();
    // Reads list (and bytes) again once the list file and the password file
    // have both stayed unchanged for a moment; false on a read fault.
    bool readOnceThePairIsQuiet(FileIdentity* list, QByteArray* bytes);
    PairedCommit::Outcome writeUnderNewPassword(const QString& newPassword);

    DataFolder m_folder;
    Runner m_runner;
    std::variant<std::monostate, SecretText, Vault::Session> m_key;
    QList<Listing> m_listings;
    QList<ListingRemoval> m_removals;
    // The list file's version last read or written, and its listings: the
    // common base of a merge with a version another machine wrote.
    FileIdentity m_seen;
    // The password file was changed elsewhere and kept aside: the next
    // write puts the pair back under the password in memory.
    bool m_rewritePair = false;
    QList<Listing> m_base;
    Merged m_lastMerge;
    QString m_mergeAtLoadPath;
    SecretText m_mergeAtLoadPassword;
    bool m_working = false;
};
