// UTF-8 written straight into a buffer the caller sized, and checked
// strictly on the way back. Qt's own conversions build temporary arrays
// that are freed unwiped; for passwords and listings these do not.
#pragma once

#include <QByteArrayView>
#include <QStringView>

namespace Utf8 {

// What becomes of a lone surrogate, which no UTF-8 can carry.
enum class Unpaired {
    Refuse, // encodedSize() answers -1
    Replace, // written as U+FFFD
};

// The exact number of bytes encode() writes, or -1 for text with a lone
// surrogate under Unpaired::Refuse.
qsizetype encodedSize(QStringView text, Unpaired unpaired);

// Writes the bytes at out (encodedSize() of them) and returns the end; a
// lone surrogate becomes U+FFFD.
char* encode(QStringView text, char* out);

// True when bytes are well-formed UTF-8: no overlong form, no surrogate, no
// value past U+10FFFF, no sequence cut short, no stray continuation byte.
bool isValid(QByteArrayView bytes);

} // namespace Utf8
