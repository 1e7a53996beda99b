#include "gui/launch/websitelaunch.h"

#include "core/listings/webaddress.h"
#include "gui/launch/opendocument.h"
#include "gui/ui/msgbox.h"

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
