#pragma once

#include <QString>

// What the list can hold of a listing typed into the add and change
// dialogs: in the list file, the trimmed values must fit their fields and
// Windows-1252; sealed in a vault, any script, up to 2,048 bytes of UTF-8
// for the site and 1,024 for the user name and the password, and no NUL.
namespace ListingRules {

enum class Format { ListFile, Sealed };

QString caption();

// The refusal for these trimmed values, naming the field and its limit;
// empty when the list can hold them as typed.
QString refusal(const QString& site, const QString& user, const QString& password, Format format = Format::ListFile);

} // namespace ListingRules
