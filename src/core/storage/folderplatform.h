#pragma once

#include <QString>

class QFile;

// The few calls into the operating system that storage needs.
namespace FolderPlatform {

// Makes the renames and removals in folder durable: on POSIX the folder
// itself is synced, so a power cut cannot undo a finished step. False, with
// the reason, when the system reports a fault.
bool syncFolder(const QString& folder, QString* reason);

// Renames from to to, replacing an existing to in one atomic step. False,
// with the reason, when the system refuses.
bool renameReplacing(const QString& from, const QString& to, QString* reason);

// The file a data file's path finally stands for: symbolic links followed,
// even when the last one dangles; path itself when it is no link.
QString resolveLinks(const QString& path);

} // namespace FolderPlatform

namespace FolderPlatform {

// Makes the regular file at path readable and writable by its owner only
// (a link at path is not followed). False, with the reason, when the
// system refuses or path is no regular file.
bool restrictToOwner(const QString& path, QString* reason);

// Creates path as a new file, readable and writable by its owner only from
// the moment it exists, and opens file on it for writing (file then may not
// know path as its name). Never opens a file
// that is there already, nor follows a link at path; unbuffered, so no copy
// of what is written waits in a buffer. False, with the reason, when the
// system refuses.
bool createOwnerOnly(const QString& path, QFile* file, QString* reason);

// Makes what was written to the open file durable. False, with the reason,
// when the system reports a fault.
bool syncFile(QFile& file, QString* reason);

} // namespace FolderPlatform
