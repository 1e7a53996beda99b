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

} // namespace PasswordRules
