#pragma once

#include "core/listings/listfile.h"
#include "core/listings/listingrules.h"

#include <QString>

#include <optional>

class QLineEdit;

// What the listing dialogs share.
namespace ListingDialog {

// Refuses a listing number: the message, then the box emptied and focused.
void refuseChoice(QLineEdit* box);

// The trimmed values of the three boxes; nothing, after telling the user
// why, when the list file cannot hold them as typed.
std::optional<Listing> acceptedValues(const QLineEdit* site, const QLineEdit* user, const QLineEdit* password,
                                      ListingRules::Format format);

} // namespace ListingDialog
