#include "listings/listingdialog.h"

#include "listings/frm_list.h"
#include "listings/passwordgrid.h"
#include "ui/msgbox.h"

#include <QLineEdit>

namespace ListingDialog {

PasswordGrid* grid()
{
    frm_list* list = frm_list::instance();
    return list ? list->grd_password : nullptr;
}

void refuseChoice(QLineEdit* box)
{
    MsgBox::show(QStringLiteral("Sorry that is an invalid choice"), QStringLiteral("Oops"));
    box->clear();
    box->setFocus();
}

} // namespace ListingDialog
