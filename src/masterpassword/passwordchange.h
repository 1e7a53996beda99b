#pragma once

#include "listings/listfile.h"
#include "storage/storageresult.h"

#include <QList>
#include <QString>

// Changes the master password and re-keys the list with it in one go, so
// that at every instant the files on disk unlock to a complete list.
namespace PasswordChange {

// Writes listings as the plain list twin, replaces the master-password file
// with newPassword (bare), then enciphers the list under it. A crash at any
// point leaves a plain twin that the next unlock reads.
//
// On a failure the master-password file is put back as it was and no plain
// twin is left; *newPasswordStored says false. Only when even that cannot be
// written back does the new password stay stored (*newPasswordStored true):
// the plain twin is then kept, so the next load or save under the new
// password still has the whole list.
StorageResult commit(const QString& newPassword, const QList<Listing>& listings, bool* newPasswordStored);

} // namespace PasswordChange
