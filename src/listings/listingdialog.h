#pragma once

#include <QString>

class PasswordGrid;
class QLineEdit;

// What the listing dialogs share.
namespace ListingDialog {

// The listing window's grid; null once the window has closed.
PasswordGrid* grid();

// Refuses a listing number: the message, then the box emptied and focused.
void refuseChoice(QLineEdit* box);

} // namespace ListingDialog
