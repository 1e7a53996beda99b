#pragma once

#include <functional>

class PasswordGrid;
class QLineEdit;

// Gives a listing dialog's password box Ctrl+G and a "Generate Password"
// entry in its context menu, which fill the box with a new password made
// with the generator's last settings, and a "Password Generator..." entry
// that opens the generator to choose them ("Use" fills the box). The
// settings come through the grid the dialog works on at the time, the
// default ones without one.
void AddPasswordGenerator(QLineEdit* box, std::function<PasswordGrid*()> grid);
