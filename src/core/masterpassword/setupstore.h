#pragma once

#include "core/storage/datafolder.h"
#include "core/storage/storageresult.h"

#include <QString>

// What the set-up dialog writes once the user has chosen a master password.
namespace SetupStore {

struct Outcome {
    StorageResult result;
    // The new master password is the one on disk (even when a last step
    // failed and the list is still pending).
    bool passwordInForce = false;
    // A non-empty list file found there is never read under the new
    // password: it is first copied here (empty: no copy was needed).
    QString backupPath;
};

// Writes the master-password file and a new list as one change. A plain
// list an earlier version left is adopted as the new list, and removed
// only once the change has taken effect.
Outcome commit(const DataFolder& folder, const QString& password);

} // namespace SetupStore
