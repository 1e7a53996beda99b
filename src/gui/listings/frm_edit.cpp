#include "gui/listings/frm_edit.h"

#include "core/listings/listingchoice.h"
#include "core/storage/module1.h"
#include "core/storage/textutil.h"
#include "gui/listings/generatepassword.h"
#include "gui/listings/listingdialog.h"
#include "gui/listings/passwordgrid.h"
#include "gui/ui/formsupport.h"
#include "gui/ui/secretbox.h"

#include <QLabel>
#include <QLineEdit>
#include <QPushButton>

frm_edit* frm_edit::showChosen(PasswordGrid* grid, const QString& chosen, ClipboardGuard* clipboard)
{
    if (s_instance && s_instance->isVisible()) {
        SecretBox::watch(s_instance->txt_password, clipboard);
        s_instance->Form_Load(grid, chosen);
        Forms::bringForward(s_instance);
        return s_instance;
    }
    return Forms::showOnce(s_instance, [grid, chosen, clipboard] {
        auto* form = new frm_edit;
        SecretBox::watch(form->txt_password, clipboard);
        form->Form_Load(grid, chosen);
        return form;
    });
}

frm_edit::frm_edit()
{
    Forms::setUpWindow(this, "frm_edit", QStringLiteral("Edit A Listing"));
    Forms::setClientSize(this, 6690, 2775);
    Label4 = Forms::addLabel(
        this, "Label4",
        QStringLiteral("Enter Your New Website or Program and Usename and Password into the text boxes below."), 120,
        120, 6495, 255);
    Label5 = Forms::addLabel(this, "Label5", QStringLiteral("Click \"Change\" to change to your listings."), 120, 360,
                             6495, 255);
    Label6 = Forms::addLabel(this, "Label6", QStringLiteral("The Listing You Want To Change is:"), 120, 840, 3375, 255);
    lbl_list = Forms::addLabel(this, "lbl_list", QString(), 2760, 840, 1215, 255);
    Label1 = Forms::addFieldLabel(this, "Label1", QStringLiteral("WebSite/Program"), 120, 1320, 1335, 255);
    txt_program = Forms::addTextBox(this, "txt_program", 1560, 1200, 4935, 375);
    Label2 = Forms::addFieldLabel(this, "Label2", QStringLiteral("Username"), 0, 1800, 1455, 255);
    txt_user = Forms::addTextBox(this, "txt_user", 1560, 1680, 1935, 375);
    Label3 = Forms::addFieldLabel(this, "Label3", QStringLiteral("Password"), 0, 2280, 1455, 255);
    txt_password = Forms::addTextBox(this, "txt_password", 1560, 2160, 1935, 375);
    AddPasswordGenerator(txt_password, [this] { return m_grid.data(); });
    cmd_change = Forms::addButton(this, "cmd_change", QStringLiteral("Change"), 4440, 1680, 1215, 375);
    Command1 = Forms::addButton(this, "Command1", QStringLiteral("Cancel"), 4440, 2160, 1215, 375);
    // The number stands on the question's line, in front of its tail.
    lbl_list->raise();

    Forms::setTabOrder({txt_program, txt_user, txt_password, cmd_change, Command1});

    connect(cmd_change, &QPushButton::clicked, this, &frm_edit::cmd_change_Click);
    connect(Command1, &QPushButton::clicked, this, &frm_edit::Command1_Click);
}

void frm_edit::Form_Load(PasswordGrid* grid, const QString& chosen)
{
    showNumber(chosen);
    Module1::ChosenListing = TrimSpaces(chosen);
    const auto row = grid ? ParseListingChoice(Module1::ChosenListing, grid->Rows() - 1) : std::nullopt;
    if (!row) {
        // Only an accepted choice opens this dialog; nothing else to show.
        m_listing = QPersistentModelIndex();
        return;
    }
    if (m_grid != grid) {
        if (m_grid)
            disconnect(m_grid->model(), nullptr, this, nullptr);
        m_grid = grid;
        QAbstractItemModel* model = grid->model();
        connect(model, &QAbstractItemModel::rowsRemoved, this, &frm_edit::followListing);
        connect(model, &QAbstractItemModel::rowsInserted, this, &frm_edit::followListing);
        connect(model, &QAbstractItemModel::rowsMoved, this, &frm_edit::followListing);
        connect(model, &QAbstractItemModel::modelReset, this, &frm_edit::followListing);
    }
    m_chosenRow = *row;
    m_shownRow = *row;
    m_chosenText = Module1::ChosenListing;
    m_listing = QPersistentModelIndex(grid->model()->index(*row - 1, 0));

    grid->setRow(*row);
    // Copied as they stand: loaded listings keep their pad spaces here.
    grid->setCol(1);
    txt_program->setText(grid->Text());
    grid->setCol(2);
    txt_user->setText(grid->Text());
    grid->setCol(3);
    txt_password->setText(grid->Text());
}

void frm_edit::showNumber(const QString& number)
{
    lbl_list->setText(number);
    // A long choice may have shrunk the font; a short one gets it back.
    Forms::fitText(lbl_list);
}

void frm_edit::followListing()
{
    if (!m_listing.isValid()) {
        close();
        return;
    }
    // The label keeps the number as typed until the listing really moves.
    const int row = m_listing.row() + 1;
    if (row == m_shownRow)
        return;
    m_shownRow = row;
    showNumber(row == m_chosenRow ? m_chosenText : QString::number(row));
}

void frm_edit::cmd_change_Click()
{
    const auto values = ListingDialog::acceptedValues(
        txt_program, txt_user, txt_password, m_grid ? m_grid->listingFormat() : ListingRules::Format::ListFile);
    if (!values)
        return;
    PasswordGrid* grid = m_grid;
    if (!grid || !m_listing.isValid()) {
        close();
        return;
    }
    const int row = m_listing.row() + 1;
    grid->setRow(row);
    grid->setCol(0);
    // The number as chosen ("03"), unless a delete has moved the listing.
    grid->setText(row == m_chosenRow ? m_chosenText : QString::number(row));
    grid->setCol(1);
    grid->setText(values->site);
    grid->setCol(2);
    grid->setText(values->user);
    grid->setCol(3);
    grid->setText(values->password);
    close();
}

void frm_edit::Command1_Click()
{
    close();
}
