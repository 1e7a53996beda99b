#pragma once

#include <QString>

#include <optional>

class ListSession;
class QLineEdit;

// The checks the password change and strong protection make of what is
// typed, with the same messages.
namespace PasswordBoxes {

// Whether the trimmed text of box is the master password in force for
// session: the one in the master-password file, or, with a vault open, the
// one that derives its key (which takes a while). A mismatch shows the
// old-password message and empties box; a fault reading the file shows
// itself with failureCaption. False on either.
bool oldPasswordMatches(ListSession& session, QLineEdit* box, const QString& failureCaption);

// The new password, when the two boxes agree after trimming and the files
// can hold it (sealed: the vault's key is made from it, so any script will
// do); otherwise the reason shows and both boxes are emptied.
std::optional<QString> acceptedNewPassword(QLineEdit* fresh, QLineEdit* confirm, bool sealed = false);

// Whether a new master password is kept: at once when it is not weak,
// otherwise when the user says so to a question that names its weakness
// (No the default: Return twice must not wave it through). Declined, both
// boxes are emptied and fresh takes the focus for another try.
bool keptDespiteWeakness(const QString& password, QLineEdit* fresh, QLineEdit* confirm, const QString& caption);

// Lets the boxes take a vault's password: up to 1,024 characters.
void takeSealedPasswords(std::initializer_list<QLineEdit*> boxes);

} // namespace PasswordBoxes
