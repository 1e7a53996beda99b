#pragma once

#include <QByteArray>
#include <QByteArrayView>
#include <QString>
#include <QStringView>

#include <optional>

// Text on disk is Windows-1252, one byte per character, on every platform.
// Every byte decodes to exactly one character, so a file read and written
// back unchanged stays byte for byte the same.
namespace Ansi {

QString decode(QByteArrayView bytes);

// The bytes of text, or nothing when a character has no Windows-1252 byte.
std::optional<QByteArray> encode(QStringView text);

// Writes the bytes of text to out (text.size() bytes); false when a
// character has no Windows-1252 byte. Nothing is allocated, so no stray copy
// of the text is left behind.
bool encodeInto(QStringView text, char* out);

// The first character of text that Windows-1252 cannot hold, if any.
std::optional<QChar> firstUnencodable(QStringView text);

inline bool canEncode(QStringView text)
{
    return !firstUnencodable(text).has_value();
}

} // namespace Ansi
