#pragma once

#include <QString>

#include <functional>

// Every message box of the program: a text, a caption, one OK button and no
// icon. Lines in text break at a carriage return.
namespace MsgBox {

void show(const QString& text, const QString& caption);

// Test seam: while set, no box is shown; the observer receives each
// message (text exactly as given) in place of the user's OK.
using Observer = std::function<void(const QString& text, const QString& caption)>;
void setObserverForTesting(Observer observer);

} // namespace MsgBox
