#pragma once

#include <QString>

// The part of text before its first NUL character, or all of it.
QString StripNul(const QString& text);

// text without its leading and trailing space characters (code 32 only:
// tabs and non-breaking spaces are kept).
QString TrimSpaces(const QString& text);
// The same, as a view into text: nothing is copied (a secret stays where
// it is wiped).
QStringView TrimSpacesView(QStringView text);

// text without its trailing space characters (code 32 only): the pad
// spaces of a list file's field.
QString ChopPadSpaces(const QString& text);
