#pragma once

#include "core/storage/datafolder.h"

#include <QStringList>

#include <optional>

// Copies of the list that sync tools make when two machines changed it at
// once ("kxplst.sync-conflict-....vault", "kxplst (conflicted copy ...).ene"
// and the like), and those this program kept aside when it could not merge
// ("kxplst-conflict-....vault"). Not the program's own backups or pending
// copies, and not the list itself.
namespace SyncConflicts {

// Their paths, sorted by name.
QStringList find(const DataFolder& folder);

// Whether a file name is one of them.
bool isConflictCopy(const QString& fileName);

// The master password in the password file that goes with the list file
// at listPath (the same name with "kxpwfl" for "kxplst"), if there is one.
std::optional<QString> companionPassword(const DataFolder& folder, const QString& listPath);

} // namespace SyncConflicts
