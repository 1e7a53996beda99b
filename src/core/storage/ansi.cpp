#include "core/storage/ansi.h"

#include <QHash>
#include <QStringDecoder>

#include <array>

namespace {

struct Codepage {
    std::array<char16_t, 256> toUnicode {};
    QHash<char16_t, uchar> fromUnicode; // only the characters at or above 0x80

    Codepage()
    {
        for (int byte = 0; byte < 256; ++byte) {
            // A fresh decoder per byte: the decoder keeps its error state.
            QStringDecoder decoder("windows-1252");
            const char raw = char(byte);
            const QString decoded = decoder(QByteArrayView(&raw, 1));
            const char16_t unit = (decoded.size() == 1 && !decoder.hasError())
                                      ? decoded.at(0).unicode()
                                      : char16_t(byte); // undefined bytes keep their value
            toUnicode[byte] = unit;
            if (unit >= 0x80)
                fromUnicode.insert(unit, uchar(byte));
        }
    }

    std::optional<uchar> byteFor(QChar c) const
    {
        const char16_t unit = c.unicode();
        if (unit < 0x80)
            return uchar(unit);
        const auto it = fromUnicode.constFind(unit);
        if (it == fromUnicode.constEnd())
            return std::nullopt;
        return *it;
    }
};

const Codepage& codepage()
{
    static const Codepage table;
    return table;
}

} // namespace

namespace Ansi {

QString decode(QByteArrayView bytes)
{
    const auto& table = codepage().toUnicode;
    QString text(bytes.size(), Qt::Uninitialized);
    QChar* out = text.data();
    for (qsizetype i = 0; i < bytes.size(); ++i)
        out[i] = QChar(table[uchar(bytes[i])]);
    return text;
}

bool encodeInto(QStringView text, char* out)
{
    // Most text is ASCII: one pass finds out, one narrows it, and neither
    // branches per character.
    const char16_t* units = text.utf16();
    char16_t all = 0;
    for (qsizetype i = 0; i < text.size(); ++i)
        all |= units[i];
    if (all < 0x80) {
        for (qsizetype i = 0; i < text.size(); ++i)
            out[i] = char(units[i]);
        return true;
    }
    const Codepage& table = codepage();
    for (qsizetype i = 0; i < text.size(); ++i) {
        const auto byte = table.byteFor(text[i]);
        if (!byte)
            return false;
        out[i] = char(*byte);
    }
    return true;
}

std::optional<QByteArray> encode(QStringView text)
{
    QByteArray bytes(text.size(), Qt::Uninitialized);
    if (!encodeInto(text, bytes.data()))
        return std::nullopt;
    return bytes;
}

std::optional<QChar> firstUnencodable(QStringView text)
{
    const Codepage& table = codepage();
    for (const QChar c : text) {
        if (!table.byteFor(c))
            return c;
    }
    return std::nullopt;
}

} // namespace Ansi
