#pragma once

#include "core/storage/datafolder.h"
#include "core/storage/storageresult.h"

// The start-up decision between the first-run set-up and the unlock dialog.
namespace Startup {

enum class Path {
    FirstRun,   // the record carried the first-run marker, now cleared
    NoPassword, // no master password is stored: set one up again
    Unlock,
};

// Puts the folder in order before anything is read: finishes or undoes a
// change of two files that a run left unfinished, lets a vault win over the
// password file and the ciphered list beside it (a switch of protection cut
// short), and takes over the plain start-up record and master-password file
// an earlier version may have left. Where the folder cannot be written, the files stay and the reads
// make the same decisions in memory.
void prepareFolder(const DataFolder& folder);

// A folder with a vault goes to unlock. Otherwise reads the start-up record
// and the master-password file; on a first run
// rewrites the marker before anything else is shown, so a later start never
// takes the first-run path. Writes nothing else.
StorageResult decide(const DataFolder& folder, Path* path);

} // namespace Startup
