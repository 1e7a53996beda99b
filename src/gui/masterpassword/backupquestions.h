#pragma once

#include "core/listings/listfile.h"
#include "core/storage/datafolder.h"

#include <QList>
#include <QString>

// After the master password changed, or strong protection was turned on:
// asks what becomes of the copies kept under the old password, and does it.
// Copies whose every listing is in the list are offered for removal (Yes
// the default), the others are first put under the new password; copies
// that cannot be checked are asked about apart, with No the default.
namespace BackupQuestions {

struct Change {
    QString oldPassword;
    QString newPassword;
    bool strong = false; // the list is sealed now: so are the copies kept
    bool sealedCopies = false; // sealed copies under the old password are checked too
    QString intro; // told first, in the same message as the first question
};

void settle(const DataFolder& folder, const QList<Listing>& listings, const Change& change, bool& busy,
            const QString& caption);

} // namespace BackupQuestions
