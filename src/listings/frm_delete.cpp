#include "listings/frm_delete.h"

#include "listings/listingchoice.h"
#include "listings/listingdialog.h"
#include "listings/passwordgrid.h"
#include "listings/renumberrows.h"
#include "ui/formsupport.h"

#include <QLabel>
#include <QLineEdit>
#include <QPushButton>

frm_delete* frm_delete::showOnce()
{
    return Forms::showOnce(s_instance, [] { return new frm_delete; });
}

frm_delete::frm_delete()
{
    Forms::setUpWindow(this, "frm_delete", QStringLiteral("Which listing?"));
    Forms::setClientSize(this, 2505, 1005);
    Label1 = Forms::addLabel(this, "Label1", QStringLiteral("Which Listing Do You Want To Delete?"),
                             120, 120, 1695, 495);
    Label1->setWordWrap(true);
    Forms::fitText(Label1);
    txt_delete = Forms::addTextBox(this, "txt_delete", 1920, 120, 495, 375);
    Command1 = Forms::addButton(this, "Command1", QStringLiteral("OK"), 120, 600, 975, 255);
    Command2 = Forms::addButton(this, "Command2", QStringLiteral("Cancel"), 1440, 600, 975, 255);

    Forms::setTabOrder({txt_delete, Command1, Command2});

    connect(Command1, &QPushButton::clicked, this, &frm_delete::Command1_Click);
    connect(Command2, &QPushButton::clicked, this, &frm_delete::Command2_Click);
}

void frm_delete::Command1_Click()
{
    PasswordGrid* grid = ListingDialog::grid();
    if (!grid) {
        close();
        return;
    }
    const auto listing = ParseListingChoice(txt_delete->text(), grid->Rows() - 1);
    if (!listing) {
        ListingDialog::refuseChoice(txt_delete);
        return;
    }
    grid->RemoveItem(*listing);
    RenumberRows(*grid);
    close();
}

void frm_delete::Command2_Click()
{
    close();
}
