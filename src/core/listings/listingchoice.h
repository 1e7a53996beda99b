#pragma once

#include <QString>

#include <optional>

// The listing number typed into the change and delete dialogs: a number in
// the user's locale (sign, group separators, decimals, exponent), rounded to
// the nearest integer with halves to even, from 1 to count.
std::optional<int> ParseListingChoice(const QString& text, int count);
