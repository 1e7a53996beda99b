#pragma once

#include "core/storage/secretbytes.h"

#include <QByteArray>
#include <QByteArrayView>
#include <QString>

#include <optional>

// The file cipher: XOR of each byte with (key character + its 1-based key
// position) mod 256; its own inverse. Every data file is ciphered at rest,
// and its plain bytes exist only in memory.

// The transform itself. An empty key has nothing to cipher with: the result
// is then empty, never the plain bytes.
QByteArray CipherBytes(QByteArrayView data, QByteArrayView key);

// The plain bytes of a data file's ciphered content, in memory.
SecretBytes Decipher(QByteArrayView ciphered, QByteArrayView key);

// Deciphers bytes where they are: a large list needs no second buffer.
// The bytes must not be shared with another owner.
void DecipherInPlace(SecretBytes& bytes, QByteArrayView key);

// Enciphers plain where it is and hands over the ciphered bytes, which are
// no secret; plain is left empty.
QByteArray EncipherInPlace(SecretBytes& plain, QByteArrayView key);

// The ciphered bytes of plain content, ready to be written.
QByteArray Encipher(QByteArrayView plain, QByteArrayView key);

// The bytes of a key typed as text (Windows-1252), or nothing when it is
// empty or holds a character that cannot be stored. They are the master
// password itself, so they are wiped when let go.
std::optional<SecretBytes> CipherKeyOf(QStringView key);
