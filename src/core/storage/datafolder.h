#pragma once

#include <QByteArray>
#include <QDateTime>
#include <QString>

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
};

// The program's folder: its data files with their keys, the help page and
// the lock that keeps a second copy of the program out.
struct DataFolder {
    DataFolder() = default;
    // Resolves each data file's symbolic link, if any, once.
    explicit DataFolder(const QString& appDir);

    QString appDir; // ends with a separator
    DataFile startup;  // "kxinit": the start-up record
    DataFile password; // "kxpwfl": the master password
    DataFile list;     // "kxplst": the listings, under the master password
    // "kxplst.vault": the listings sealed under a key derived from the master
    // password, when strong protection is on (then neither kxpwfl nor
    // kxplst exists); its link, if any, resolved too.
    QString vaultPath;
    // Whether strong protection is on: a vault is what the program opens.
    bool hasVault() const;
    QString helpFilePath;
    QString lockFilePath;
    QByteArray startupKey;
    QByteArray passwordFileKey;
};

inline constexpr auto kStartupKey = "hmut58qkze";
inline constexpr auto kPasswordFileKey = "sx8peu3";
