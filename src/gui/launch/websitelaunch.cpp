#include "gui/launch/websitelaunch.h"

#include "core/storage/textutil.h"
#include "gui/launch/opendocument.h"
#include "gui/ui/msgbox.h"

std::optional<QString> WebAddressOf(const QString& cellText)
{
    const QString site = TrimSpaces(StripNul(cellText));
    if (site.left(4).toUpper() != QLatin1String("WWW."))
        return std::nullopt;
    return QStringLiteral("http://") + site;
}

void LaunchWebsite(int column, const QString& cellText)
{
    if (column != 1)
        return;
    const auto address = WebAddressOf(cellText);
    if (!address) {
        MsgBox::show(QStringLiteral("Sorry the cell you clicked on doesn't seem\r"
                                    "to contain a website.\r"
                                    "The website's format should be 'www.example.com.'"),
                     QStringLiteral("Oops"));
        return;
    }
    OpenDocument(*address);
}
