#pragma once

#include <QByteArray>
#include <QDateTime>
#include <QString>
#include <QStringList>

// One data file of the program: where its content really is, and the names
// of the files that belong to it.
struct DataFile {
    QString baseName; // "kxplst"
    // The ciphered file, a symbolic link resolved once at start: every read,
    // write and rename goes to the file the link points to, so the link stays.
    QString path;
    // Where an earlier version left the plain form ("kxplst.end"); the
    // program reads it only to take it over, and never writes one.
    QString leftoverPlainPath;

    // The folder that holds path.
    QString folder() const;
    // The copy that a change of two files writes first ("kxplst-pending.ene").
    QString pendingPath() const;
    // "<baseName>-backup-<yyyyMMdd-HHmmss>.ene" beside path, a second later
    // for as long as that name is taken, so that no file is overwritten.
    QString backupPath(const QDateTime& when) const;
    // Every backup name of this file begins so, folder included.
    QString backupStem() const;
    // Where the user sees the file: in the program's folder, link unresolved.
    QString shownPath;
};

// A backup path "<stem><yyyyMMdd-HHmmss><suffix>" for each stem (a path
// prefix, folder included) and suffix, all with the same stamp (when, or a
// second later for as long as any of those names is taken), so that files
// kept together can be told apart.
QStringList backupPaths(const QStringList& stemsAndSuffixes, const QDateTime& when);

// Whether a file the program reads can be reached: a symbolic link that
// leads nowhere or in a loop cannot, and is never replaced.
enum class Reach {
    Fine,
    DanglingHere, // a link to a file not there yet, in a folder that is
    DanglingNowhere, // a link into a folder that is not there (a drive not mounted)
    Loop,
};
Reach reachOf(const QString& shownPath);
// For a message: what is wrong with a file that cannot be reached.
QString describeReach(Reach reach);

// The program's folder: its data files with their keys, the help page and
// the lock that keeps a second copy of the program out.
struct DataFolder {
    DataFolder() = default;
    // Resolves each data file's symbolic link, if any, once.
    explicit DataFolder(const QString& appDir);

    QString appDir; // ends with a separator
    DataFile startup; // "kxinit": the start-up record
    DataFile password; // "kxpwfl": the master password
    DataFile list; // "kxplst": the listings, under the master password
    // "kxplst.vault": the listings sealed under a key derived from the master
    // password, when strong protection is on (then neither kxpwfl nor
    // kxplst exists); its link, if any, resolved too.
    QString vaultPath;
    // Whether strong protection is on: a vault is what the program opens.
    bool hasVault() const;
    // Whether anything at all is at the vault's place: a file, a folder, a
    // link, even one that leads nowhere.
    bool vaultPresent() const;
    // "kxplst.vault" in the program's folder, link unresolved.
    QString vaultShownPath() const;
    // Backup names for the list and the password file kept together:
    // {"kxplst-backup-<stamp>.ene", "kxpwfl-backup-<stamp>.ene"}, one stamp
    // for both when they share a folder, never a name that is taken.
    QStringList pairBackupPaths(const QDateTime& when) const;
    // "kxplst-backup-<yyyyMMdd-HHmmss>.vault" beside the vault, never a
    // name that is taken.
    QString vaultBackupPath(const QDateTime& when) const;
    QString helpFilePath;
    QString lockFilePath;
    QByteArray startupKey;
    QByteArray passwordFileKey;
};

inline constexpr auto kStartupKey = "hmut58qkze";
inline constexpr auto kPasswordFileKey = "sx8peu3";
