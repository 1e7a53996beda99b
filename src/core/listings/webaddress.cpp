#include "core/listings/webaddress.h"

#include "core/storage/textutil.h"

std::optional<QString> WebAddressOf(const QString& cellText)
{
    const QString site = TrimSpaces(StripNul(cellText));
    if (site.left(4).toUpper() != QLatin1String("WWW."))
        return std::nullopt;
    return QStringLiteral("http://") + site;
}
