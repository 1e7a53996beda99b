#include "gui/listings/listingdialog.h"

#include "core/listings/listingrules.h"
#include "core/storage/textutil.h"
#include "gui/ui/msgbox.h"

#include <QLineEdit>

namespace ListingDialog {

void refuseChoice(QLineEdit* box)
{
    MsgBox::show(QStringLiteral("Sorry that is an invalid choice"), QStringLiteral("Oops"));
    box->clear();
    box->setFocus();
}

std::optional<Listing> acceptedValues(const QLineEdit* site, const QLineEdit* user, const QLineEdit* password,
                                      ListingRules::Format format)
{
    Listing listing {TrimSpaces(site->text()), TrimSpaces(user->text()), TrimSpaces(password->text())};
    if (const QString refusal = ListingRules::refusal(listing.site, listing.user, listing.password, format);
        !refusal.isEmpty()) {
        MsgBox::show(refusal, ListingRules::caption());
        return std::nullopt;
    }
    return listing;
}

} // namespace ListingDialog
