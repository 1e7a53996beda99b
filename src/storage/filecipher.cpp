#include "storage/filecipher.h"

#include "storage/ansi.h"

namespace {

void cipherInto(char* target, QByteArrayView data, QByteArrayView key)
{
    const qsizetype keyLength = key.size();
    qsizetype c = 0; // zero-based key position; the operand uses c + 1
    for (qsizetype b = 0; b < data.size(); ++b) {
        const uchar operand = uchar(uchar(key[c]) + c + 1);
        target[b] = char(uchar(data[b]) ^ operand);
        if (++c == keyLength)
            c = 0;
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

QByteArray Encipher(QByteArrayView plain, QByteArrayView key)
{
    return CipherBytes(plain, key);
}

std::optional<QByteArray> CipherKeyOf(const QString& key)
{
    if (key.isEmpty())
        return std::nullopt;
    return Ansi::encode(key);
}
