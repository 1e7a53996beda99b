#pragma once

#include <QString>

#include <functional>
#include <optional>

// Asks for one password in a small dialog of the program's own (Return
// accepts, Escape cancels); nothing when the user cancels. Tests answer it
// instead of a user.
namespace PasswordPrompt {

std::optional<QString> ask(const QString& text, const QString& caption);

// Asks until tryPassword takes what was typed, saying after each refusal
// that it does not open shownName, or until the user cancels; whether one
// was taken. Each password typed is wiped once tried.
bool askUntilTaken(const QString& text, const QString& caption, const QString& shownName,
                   const std::function<bool(const QString&)>& tryPassword);

using Answer = std::function<std::optional<QString>(const QString& text)>;
// While set, ask() shows nothing and returns what answer gives.
void setAnswerForTesting(Answer answer);

} // namespace PasswordPrompt
