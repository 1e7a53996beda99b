#include "core/storage/filecipher.h"

#include "core/storage/ansi.h"

#include <QVarLengthArray>

#include <algorithm>
#include <cstring>

namespace {

// Reads data and writes target, which may be the same memory.
void cipherInto(char* target, QByteArrayView data, QByteArrayView key)
{
    // The operands repeat with the key. Laid out for whole key periods in
    // one block, they let the XOR run over plain arrays, which the compiler
    // turns into wide instructions.
    const qsizetype keyLength = key.size();
    const qsizetype block = keyLength * std::max<qsizetype>(1, 4096 / keyLength);
    QVarLengthArray<uchar, 8192> operands(block);
    for (qsizetype i = 0; i < block; ++i) {
        const qsizetype c = i % keyLength; // zero-based key position; the operand uses c + 1
        operands[i] = uchar(uchar(key[c]) + c + 1);
    }
    const char* source = data.data();
    for (qsizetype offset = 0; offset < data.size(); offset += block) {
        const qsizetype chunk = std::min(block, data.size() - offset);
        qsizetype j = 0;
        // Eight bytes at a time; memcpy keeps it free of alignment and
        // aliasing assumptions, and target may be source itself.
        for (; j + 8 <= chunk; j += 8) {
            quint64 word;
            quint64 mask;
            std::memcpy(&word, source + offset + j, 8);
            std::memcpy(&mask, operands.constData() + j, 8);
            word ^= mask;
            std::memcpy(target + offset + j, &word, 8);
        }
        for (; j < chunk; ++j)
            target[offset + j] = char(uchar(source[offset + j]) ^ operands[j]);
    }
}

} // namespace

QByteArray CipherBytes(QByteArrayView data, QByteArrayView key)
{
    if (key.isEmpty())
        return {};
    QByteArray out(data.size(), Qt::Uninitialized);
    cipherInto(out.data(), data, key);
    return out;
}

SecretBytes Decipher(QByteArrayView ciphered, QByteArrayView key)
{
    if (key.isEmpty())
        return {};
    SecretBytes plain(ciphered.size());
    cipherInto(plain.bytes().data(), ciphered, key);
    return plain;
}

void DecipherInPlace(SecretBytes& bytes, QByteArrayView key)
{
    if (key.isEmpty()) {
        bytes.wipe();
        return;
    }
    char* data = bytes.bytes().data();
    cipherInto(data, QByteArrayView(data, bytes.size()), key);
}

QByteArray EncipherInPlace(SecretBytes& plain, QByteArrayView key)
{
    if (key.isEmpty()) {
        plain.wipe();
        return {};
    }
    DecipherInPlace(plain, key); // the transform is its own inverse
    return plain.release();
}

QByteArray Encipher(QByteArrayView plain, QByteArrayView key)
{
    return CipherBytes(plain, key);
}

std::optional<SecretBytes> CipherKeyOf(QStringView key)
{
    if (key.isEmpty())
        return std::nullopt;
    // Encoded into wiped memory: even a refused key leaves no copy behind.
    SecretBytes bytes(key.size());
    if (!Ansi::encodeInto(key, bytes.bytes().data()))
        return std::nullopt;
    return bytes;
}
