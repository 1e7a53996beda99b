#pragma once

#include <QString>

// The rules a new master password must meet beyond the match of its two
// entries, shared by the set-up and change dialogs.
namespace PasswordRules {

QString caption();
QString emptyMessage();
// The refusal for a password holding a character the file cannot store;
// empty when it can store them all.
QString unstorableMessage(const QString& password);

// What a master password box takes: the list file's 15 characters, or with
// strong protection (the vault keeps the key, not the password) up to 1,024
// characters of any script.
inline constexpr int kDescribedLength = 15;
inline constexpr int kSealedLength = 1024;

} // namespace PasswordRules
