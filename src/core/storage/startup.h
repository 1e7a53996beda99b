#pragma once

#include "core/storage/datafolder.h"
#include "core/storage/storageresult.h"

#include <QStringList>

// The start-up decision between the first-run set-up and the unlock dialog.
namespace Startup {

enum class Path {
    FirstRun, // the record carried the first-run marker, now cleared
    NoPassword, // no master password is stored: set one up again
    Unlock,
};

// Puts the folder in order before anything is read: finishes or undoes a
// change of two files that a run left unfinished (a list replaced that way
// is kept as a backup first, with the password file of that moment), and
// takes over the plain start-up record and master-password file an earlier
// version may have left. Where the folder cannot be written, the files stay
// and the reads make the same decisions in memory. *notes gets what the
// user is told once the list is open: each file kept, each odd file left.
void prepareFolder(const DataFolder& folder, QStringList* notes = nullptr);

// What is at the vault's place, looked at without any password.
enum class VaultState {
    Absent,
    Unreadable, // a link that leads nowhere or in a loop, a folder, no permission, no vault at all
    Damaged, // a vault's header, but the header or the length shows it cannot open
    Sealed, // looks whole: only the password can tell more
};
struct VaultFound {
    VaultState state = VaultState::Absent;
    QString why; // for a message, when Unreadable or Damaged
};
VaultFound inspectVault(const DataFolder& folder);

// Whether the described pair is there: a master password is stored and the
// list file exists. Beside a vault, half a pair (a switch of protection cut
// short) is no list to open.
bool hasPair(const DataFolder& folder);

// A folder with a vault in any form never goes to set-up: a sealed vault,
// or a described pair beside any vault, goes to unlock; a vault that cannot
// be read with no pair beside it ends the start with a message that names
// it (nothing is changed). Otherwise reads the start-up record and the
// master-password file; on a first run rewrites the marker before anything
// else is shown, so a later start never takes the first-run path. A data
// file that is a link leading nowhere or in a loop ends the start too,
// named, before anything is written. Writes nothing else.
StorageResult decide(const DataFolder& folder, Path* path);

} // namespace Startup
