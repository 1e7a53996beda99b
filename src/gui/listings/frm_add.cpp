#include "gui/listings/frm_add.h"

#include "gui/listings/generatepassword.h"
#include "gui/listings/listingdialog.h"
#include "gui/listings/passwordgrid.h"
#include "gui/ui/formsupport.h"
#include "gui/ui/secretbox.h"

#include <QLabel>
#include <QLineEdit>
#include <QPushButton>

frm_add* frm_add::showOnce(PasswordGrid* grid, ClipboardGuard* clipboard)
{
    return Forms::showOnce(s_instance, [grid, clipboard] { return new frm_add(grid, clipboard); });
}

frm_add::frm_add(PasswordGrid* grid, ClipboardGuard* clipboard)
    : m_grid(grid)
{
    Forms::setUpWindow(this, "frm_add", QStringLiteral("Add A Listing"));
    Forms::setClientSize(this, 6690, 2235);
    Label4 = Forms::addLabel(
        this, "Label4",
        QStringLiteral("Enter Your Website or Program and Usename and Password into the text boxes below."), 120, 120,
        6495, 255);
    Label5 =
        Forms::addLabel(this, "Label5", QStringLiteral("Click \"Add\" to add to your listings."), 120, 360, 6495, 255);
    Label1 = Forms::addFieldLabel(this, "Label1", QStringLiteral("WebSite/Program"), 120, 720, 1335, 375);
    txt_program = Forms::addTextBox(this, "txt_program", 1560, 720, 4935, 375);
    Label2 = Forms::addFieldLabel(this, "Label2", QStringLiteral("Username"), 0, 1200, 1455, 375);
    txt_user = Forms::addTextBox(this, "txt_user", 1560, 1200, 1935, 375);
    Label3 = Forms::addFieldLabel(this, "Label3", QStringLiteral("Password"), 0, 1680, 1455, 375);
    txt_password = Forms::addTextBox(this, "txt_password", 1560, 1680, 1935, 375);
    SecretBox::watch(txt_password, clipboard);
    AddPasswordGenerator(txt_password, [this] { return m_grid.data(); });
    cmd_add = Forms::addButton(this, "cmd_add", QStringLiteral("Add"), 4440, 1200, 1215, 375);
    Command2 = Forms::addButton(this, "Command2", QStringLiteral("Cancel"), 4440, 1680, 1215, 375);

    Forms::setTabOrder({txt_program, txt_user, txt_password, cmd_add, Command2});

    connect(cmd_add, &QPushButton::clicked, this, &frm_add::cmd_add_Click);
    connect(Command2, &QPushButton::clicked, this, &frm_add::Command2_Click);
}

void frm_add::cmd_add_Click()
{
    const auto values = ListingDialog::acceptedValues(
        txt_program, txt_user, txt_password, m_grid ? m_grid->listingFormat() : ListingRules::Format::ListFile);
    if (!values)
        return;
    if (!m_grid) {
        close();
        return;
    }
    // The row count when Add is pressed: changes made meanwhile count.
    m_grid->AddItem({QString::number(m_grid->Rows()), values->site, values->user, values->password});
    close();
}

void frm_add::Command2_Click()
{
    close();
}
