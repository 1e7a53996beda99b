#include "gui/listings/listingnumberdialog.h"

#include "core/listings/listingchoice.h"
#include "gui/listings/listingdialog.h"
#include "gui/listings/passwordgrid.h"
#include "gui/ui/formsupport.h"

#include <QLabel>
#include <QLineEdit>
#include <QPushButton>

ListingNumberDialog::ListingNumberDialog(const Layout& layout, PasswordGrid* grid)
    : m_grid(grid)
{
    Forms::setUpWindow(this, layout.objectName, layout.caption);
    Forms::setClientSize(this, layout.clientWidth, 1005);
    Label1 = Forms::addLabel(this, "Label1", layout.question, 120, 120, 1695, 495);
    Label1->setWordWrap(true);
    Forms::fitText(Label1);
    m_box = Forms::addTextBox(this, layout.boxName, layout.boxLeft, 120, 495, 375);
    Command1 = Forms::addButton(this, "Command1", QStringLiteral("OK"), 120, 600, 975, 255);
    Command2 = Forms::addButton(this, "Command2", QStringLiteral("Cancel"), layout.cancelLeft, 600, 975, 255);

    Forms::setTabOrder({m_box, Command1, Command2});

    connect(Command1, &QPushButton::clicked, this, &ListingNumberDialog::Command1_Click);
    connect(Command2, &QPushButton::clicked, this, &ListingNumberDialog::Command2_Click);
}

void ListingNumberDialog::Command1_Click()
{
    if (!m_grid) {
        close();
        return;
    }
    const auto listing = ParseListingChoice(m_box->text(), m_grid->Rows() - 1);
    if (!listing) {
        ListingDialog::refuseChoice(m_box);
        return;
    }
    accept(*m_grid, *listing, m_box->text());
}

void ListingNumberDialog::Command2_Click()
{
    close();
}
