#pragma once

#include "core/storage/datafolder.h"
#include "core/storage/storageresult.h"

#include <QByteArrayView>

// The master-password file and the list file change together (a set-up, a
// new master password) through pending copies, so that a run cut short at
// any instant leaves either the old pair or the new one:
//   1. write "kxpwfl-pending.ene" whole, sync the folder;
//   2. write "kxplst-pending.ene" whole, sync the folder;
//   3. rename the pending password file into place, sync the folder;
//   4. rename the pending list into place, sync the folder.
// While "kxpwfl-pending.ene" exists the change has not taken effect; once
// it is gone, a "kxplst-pending.ene" left behind is the current list.
namespace PairedCommit {

struct Outcome {
    StorageResult result;
    // Step 3 was done: the new master password is the one on disk, even
    // when a later step failed.
    bool newPasswordInForce = false;
};

// Replaces both files with the given ciphered bytes. A failure before step
// 3 removes the pending copies again; one after it leaves the new password
// in force, and the pending list in use until it is renamed into place.
// Nothing is written when either file may not be replaced.
Outcome commit(const DataFolder& folder, QByteArrayView cipheredPasswordFile, QByteArrayView cipheredList);

// Finishes or undoes a change that a run left unfinished; run before any
// data file is read. A folder that cannot be written keeps the files as
// they are: listReadPath then makes the same decision in memory.
StorageResult recover(const DataFolder& folder);

// Whether the current list is the pending copy of a change that took
// effect but was not finished (a pending list that is no readable file
// never is).
bool listIsPending(const DataFolder& folder);

// Where the current list is read from.
QString listReadPath(const DataFolder& folder);

} // namespace PairedCommit
