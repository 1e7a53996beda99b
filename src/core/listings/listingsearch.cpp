#include "core/listings/listingsearch.h"

#include "core/storage/textutil.h"

namespace ListingSearch {
namespace {

bool holds(QStringView field, QStringView text)
{
    const qsizetype at = field.indexOf(text, 0, Qt::CaseInsensitive);
    if (at < 0)
        return false;
    // A cell counts only up to a NUL; looked for only on a hit, so a miss
    // costs one pass over the field.
    return !field.left(at + text.size()).contains(QChar(0));
}

} // namespace

QString searchText(const QString& typed)
{
    return TrimSpaces(typed);
}

int matchingColumn(const Fields& fields, QStringView text)
{
    if (holds(fields.site, text))
        return 1;
    if (holds(fields.user, text))
        return 2;
    return 0;
}

std::optional<Found> findNext(QStringView text, int count, int current, const FieldsOf& fieldsOf)
{
    if (text.isEmpty() || count < 1)
        return std::nullopt;
    const int start = current >= 1 && current <= count ? current : 0;
    for (int step = 1; step <= count; ++step) {
        const int row = (start + step - 1) % count + 1;
        if (const int column = matchingColumn(fieldsOf(row), text); column != 0)
            return Found{row, column};
    }
    return std::nullopt;
}

} // namespace ListingSearch
