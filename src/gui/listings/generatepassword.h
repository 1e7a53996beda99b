#pragma once

class QLineEdit;

// Gives a listing dialog's password box Ctrl+G and a "Generate Password"
// entry in its context menu: both fill the box with a new password.
void AddPasswordGenerator(QLineEdit* box);
