#include "core/listings/listingsearch.h"

#include "core/storage/textutil.h"

namespace ListingSearch {
namespace {

// Simple case folding, with the letters of ASCII looked up at once: a long
// list is mostly ASCII.
inline char16_t fold(char16_t c)
{
    if (c < 0x80)
        return c >= u'A' && c <= u'Z' ? char16_t(c + 32) : c;
    return char16_t(QChar::toCaseFolded(char32_t(c)));
}

// Whether field, up to a NUL, holds folded (which is not empty). One pass
// over the field: a plain loop is several times faster here than the
// general case-insensitive search.
bool holds(QStringView field, QStringView folded)
{
    const qsizetype length = folded.size();
    const char16_t* text = field.utf16();
    const char16_t* wanted = folded.utf16();
    const char16_t first = wanted[0];
    for (qsizetype at = 0, last = field.size() - length; at <= last; ++at) {
        const char16_t c = text[at];
        if (c == 0)
            return false;
        if (fold(c) != first)
            continue;
        qsizetype i = 1;
        // A NUL in the field never equals a folded character of the text.
        while (i < length && fold(text[at + i]) == wanted[i])
            ++i;
        if (i == length)
            return true;
    }
    return false;
}

int column(const Fields& fields, QStringView folded)
{
    if (holds(fields.site, folded))
        return 1;
    if (holds(fields.user, folded))
        return 2;
    return 0;
}

QString folded(QStringView text)
{
    QString result(text.size(), Qt::Uninitialized);
    for (qsizetype i = 0; i < text.size(); ++i)
        result[i] = QChar(fold(text[i].unicode()));
    return result;
}

} // namespace

QString searchText(const QString& typed)
{
    // Nothing after a NUL, as in the cells.
    return TrimSpaces(StripNul(typed));
}

int matchingColumn(const Fields& fields, QStringView text)
{
    return text.isEmpty() ? 0 : column(fields, folded(text));
}

std::optional<Found> findNext(QStringView text, int count, int current, const FieldsOf& fieldsOf)
{
    if (text.isEmpty() || count < 1)
        return std::nullopt;
    const QString wanted = folded(text);
    const int start = current >= 1 && current <= count ? current : 0;
    for (int step = 1; step <= count; ++step) {
        const int row = (start + step - 1) % count + 1;
        if (const int found = column(fieldsOf(row), wanted); found != 0)
            return Found {row, found};
    }
    return std::nullopt;
}

} // namespace ListingSearch
