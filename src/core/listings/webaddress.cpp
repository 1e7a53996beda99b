#include "core/listings/webaddress.h"

#include "core/storage/textutil.h"

std::optional<QString> WebAddressOf(const QString& cellText)
{
    const QString site = TrimSpaces(StripNul(cellText));
    // A full address already names its scheme; schemes ignore letter case.
    for (const QLatin1String scheme : {QLatin1String("https://"), QLatin1String("http://")}) {
        if (site.startsWith(scheme, Qt::CaseInsensitive))
            return site;
    }
    if (site.left(4).toUpper() != QLatin1String("WWW."))
        return std::nullopt;
    return QStringLiteral("https://") + site;
}
