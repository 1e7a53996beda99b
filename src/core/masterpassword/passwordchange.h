#pragma once

#include "core/listings/listfile.h"
#include "core/storage/datafolder.h"
#include "core/storage/pairedcommit.h"

#include <QList>
#include <QString>

// Changes the master password and re-keys the list with it as one change,
// so that at every instant the files on disk unlock to a complete list.
namespace PasswordChange {

// Writes newPassword (bare) as the master-password file and listings as the
// list ciphered under it. Before the password file is renamed into place a
// failure leaves the old pair; after it the new password is in force.
PairedCommit::Outcome commit(const DataFolder& folder, const QString& newPassword, const QList<Listing>& listings);

} // namespace PasswordChange
