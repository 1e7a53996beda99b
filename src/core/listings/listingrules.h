#pragma once

#include <QString>

// What the list file can hold of a listing typed into the add and change
// dialogs: the trimmed values must fit their fields and Windows-1252.
namespace ListingRules {

QString caption();

// The refusal for these trimmed values, naming the field and its limit;
// empty when the file can hold them as typed.
QString refusal(const QString& site, const QString& user, const QString& password);

} // namespace ListingRules
