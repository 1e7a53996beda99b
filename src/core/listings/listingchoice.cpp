#include "core/listings/listingchoice.h"

#include "core/storage/textutil.h"

#include <QLocale>

#include <cfenv>
#include <cmath>

std::optional<int> ParseListingChoice(const QString& text, int count)
{
    const QString choice = TrimSpaces(text);
    // Only spaces are trimmed; other white space around the number is not
    // part of one (the locale parser would skip it).
    if (choice.isEmpty() || choice.front().isSpace() || choice.back().isSpace())
        return std::nullopt;
    bool ok = false;
    const double value = QLocale().toDouble(choice, &ok);
    if (!ok || !std::isfinite(value))
        return std::nullopt;
    // Compared as a double first, so no conversion can overflow.
    std::fesetround(FE_TONEAREST);
    const double rounded = std::nearbyint(value);
    if (rounded < 1 || rounded > count)
        return std::nullopt;
    return int(rounded);
}
