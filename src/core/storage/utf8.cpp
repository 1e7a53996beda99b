#include "core/storage/utf8.h"

#include <cstring>

namespace Utf8 {

namespace {

constexpr char32_t kReplacement = 0xFFFD;

bool isHigh(char16_t unit)
{
    return unit >= 0xD800 && unit <= 0xDBFF;
}

bool isLow(char16_t unit)
{
    return unit >= 0xDC00 && unit <= 0xDFFF;
}

// Walks the code points of text; a lone surrogate comes as 0xFFFFFFFF.
template <typename Visit> void forEachCodePoint(QStringView text, Visit visit)
{
    const char16_t* p = text.utf16();
    const char16_t* end = p + text.size();
    while (p < end) {
        const char16_t unit = *p++;
        if (isHigh(unit) && p < end && isLow(*p)) {
            visit(0x10000 + ((char32_t(unit) - 0xD800) << 10) + (char32_t(*p) - 0xDC00));
            ++p;
        } else if (isHigh(unit) || isLow(unit)) {
            visit(char32_t(0xFFFFFFFF));
        } else {
            visit(char32_t(unit));
        }
    }
}

qsizetype sizeOf(char32_t cp)
{
    return cp < 0x80 ? 1 : cp < 0x800 ? 2 : cp < 0x10000 ? 3 : 4;
}

} // namespace

qsizetype encodedSize(QStringView text, Unpaired unpaired)
{
    qsizetype size = 0;
    bool lone = false;
    forEachCodePoint(text, [&](char32_t cp) {
        if (cp == char32_t(0xFFFFFFFF)) {
            lone = true;
            cp = kReplacement;
        }
        size += sizeOf(cp);
    });
    return lone && unpaired == Unpaired::Refuse ? -1 : size;
}

char* encode(QStringView text, char* out)
{
    auto* o = reinterpret_cast<uchar*>(out);
    forEachCodePoint(text, [&](char32_t cp) {
        if (cp == char32_t(0xFFFFFFFF))
            cp = kReplacement;
        if (cp < 0x80) {
            *o++ = uchar(cp);
        } else if (cp < 0x800) {
            *o++ = uchar(0xC0 | (cp >> 6));
            *o++ = uchar(0x80 | (cp & 0x3F));
        } else if (cp < 0x10000) {
            *o++ = uchar(0xE0 | (cp >> 12));
            *o++ = uchar(0x80 | ((cp >> 6) & 0x3F));
            *o++ = uchar(0x80 | (cp & 0x3F));
        } else {
            *o++ = uchar(0xF0 | (cp >> 18));
            *o++ = uchar(0x80 | ((cp >> 12) & 0x3F));
            *o++ = uchar(0x80 | ((cp >> 6) & 0x3F));
            *o++ = uchar(0x80 | (cp & 0x3F));
        }
    });
    return reinterpret_cast<char*>(o);
}

bool isValid(QByteArrayView bytes)
{
    const auto* p = reinterpret_cast<const uchar*>(bytes.data());
    const uchar* end = p + bytes.size();
    while (p < end) {
        // Most text is ASCII: eight bytes at a time while no high bit is set.
        if (end - p >= 8) {
            quint64 word;
            std::memcpy(&word, p, sizeof word);
            if ((word & 0x8080808080808080ULL) == 0) {
                p += 8;
                continue;
            }
        }
        const uchar lead = *p;
        if (lead < 0x80) {
            ++p;
            continue;
        }
        // The second byte's range depends on the lead (RFC 3629's table);
        // later bytes are always 80..BF.
        qsizetype length = 0;
        uchar low = 0x80;
        uchar high = 0xBF;
        if (lead >= 0xC2 && lead <= 0xDF) {
            length = 2;
        } else if (lead >= 0xE0 && lead <= 0xEF) {
            length = 3;
            if (lead == 0xE0)
                low = 0xA0; // overlong
            else if (lead == 0xED)
                high = 0x9F; // surrogates
        } else if (lead >= 0xF0 && lead <= 0xF4) {
            length = 4;
            if (lead == 0xF0)
                low = 0x90; // overlong
            else if (lead == 0xF4)
                high = 0x8F; // past U+10FFFF
        } else {
            return false; // continuation byte, C0, C1 or F5..FF
        }
        if (end - p < length)
            return false;
        if (p[1] < low || p[1] > high)
            return false;
        for (qsizetype i = 2; i < length; ++i) {
            if (p[i] < 0x80 || p[i] > 0xBF)
                return false;
        }
        p += length;
    }
    return true;
}

} // namespace Utf8
