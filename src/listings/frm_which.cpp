#include "listings/frm_which.h"

#include "listings/frm_edit.h"
#include "listings/listingchoice.h"
#include "listings/listingdialog.h"
#include "listings/passwordgrid.h"
#include "storage/module1.h"
#include "ui/formsupport.h"

#include <QLabel>
#include <QLineEdit>
#include <QPushButton>

frm_which* frm_which::showOnce()
{
    return Forms::showOnce(s_instance, [] { return new frm_which; });
}

frm_which::frm_which()
{
    Forms::setUpWindow(this, "frm_which", QStringLiteral("Which Listing?"));
    Forms::setClientSize(this, 2475, 1005);
    Label1 = Forms::addLabel(this, "Label1", QStringLiteral("Which Listing Do You Want To Change?"),
                             120, 120, 1695, 495);
    Label1->setWordWrap(true);
    Forms::fitText(Label1);
    txt_change = Forms::addTextBox(this, "txt_change", 1800, 120, 495, 375);
    Command1 = Forms::addButton(this, "Command1", QStringLiteral("OK"), 120, 600, 975, 255);
    Command2 = Forms::addButton(this, "Command2", QStringLiteral("Cancel"), 1320, 600, 975, 255);

    Forms::setTabOrder({txt_change, Command1, Command2});

    connect(Command1, &QPushButton::clicked, this, &frm_which::Command1_Click);
    connect(Command2, &QPushButton::clicked, this, &frm_which::Command2_Click);
}

void frm_which::Command1_Click()
{
    PasswordGrid* grid = ListingDialog::grid();
    if (!grid) {
        close();
        return;
    }
    if (!ParseListingChoice(txt_change->text(), grid->Rows() - 1)) {
        ListingDialog::refuseChoice(txt_change);
        return;
    }
    Module1::ChosenListing = txt_change->text();
    frm_edit::showChosen();
    close();
}

void frm_which::Command2_Click()
{
    close();
}
