#pragma once

#include <QString>

#include <functional>
#include <optional>

// Asks for one password in a small dialog of the program's own (Return
// accepts, Escape cancels); nothing when the user cancels. Tests answer it
// instead of a user.
namespace PasswordPrompt {

std::optional<QString> ask(const QString& text, const QString& caption);

using Answer = std::function<std::optional<QString>(const QString& text)>;
// While set, ask() shows nothing and returns what answer gives.
void setAnswerForTesting(Answer answer);

} // namespace PasswordPrompt
