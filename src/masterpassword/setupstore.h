#pragma once

#include "storage/storageresult.h"

#include <QString>

// What the set-up dialog writes once the user has chosen a master password.
namespace SetupStore {

// Starts the list under password and writes the master-password file. A
// non-empty list file found there is never read under the new password: it
// is first copied to a backup, whose path is returned in backupPath (empty
// when none was made); a leftover plain list twin is adopted as the new list.
StorageResult commit(const QString& password, QString* backupPath);

} // namespace SetupStore
