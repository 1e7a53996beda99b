#pragma once

#include <QString>

#include <functional>

// Every message box of the program: a text, a caption, one OK button (or
// Yes and No for a question) and no icon. Lines in text break at a carriage
// return.
namespace MsgBox {

void show(const QString& text, const QString& caption);

// A question with Yes and No buttons, No the default; true for Yes.
bool ask(const QString& text, const QString& caption);
// The same question with the default button chosen.
enum class Default { No, Yes };
bool ask(const QString& text, const QString& caption, Default defaultAnswer);

// Closes every box still open as if answered OK (a question as No); the
// calls that showed them return. True when there was one.
bool closeOpenBoxes();
// How many boxes are open now (nested ones included).
int openBoxCount();

// Test seam: while set, no box is shown; the observer receives each
// message (text exactly as given) in place of the user's OK.
using Observer = std::function<void(const QString& text, const QString& caption)>;
void setObserverForTesting(Observer observer);
// What ask() answers while an observer is set (No until told otherwise).
void setAnswerForTesting(bool yes);
// The default button of the last question asked.
Default lastDefaultForTesting();

} // namespace MsgBox
