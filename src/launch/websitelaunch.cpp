#include "launch/websitelaunch.h"

#include "launch/opendocument.h"
#include "listings/passwordgrid.h"
#include "storage/textutil.h"
#include "ui/msgbox.h"

std::optional<QString> WebAddressOf(const QString& cellText)
{
    const QString site = TrimSpaces(StripNul(cellText));
    if (site.left(4).toUpper() != QLatin1String("WWW."))
        return std::nullopt;
    return QStringLiteral("http://") + site;
}

void LaunchWebsite(PasswordGrid& grid)
{
    if (grid.Col() != 1)
        return;
    const auto address = WebAddressOf(grid.Text());
    if (!address) {
        MsgBox::show(QStringLiteral("Sorry the cell you clicked on doesn't seem\r"
                                    "to contain a website.\r"
                                    "The website's format should be 'www.example.com.'"),
                     QStringLiteral("Oops"));
        return;
    }
    OpenDocument(*address);
}
