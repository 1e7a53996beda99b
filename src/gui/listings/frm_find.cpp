#include "gui/listings/frm_find.h"

#include "core/listings/listingsearch.h"
#include "gui/listings/passwordgrid.h"
#include "gui/ui/formsupport.h"
#include "gui/ui/msgbox.h"

#include <QLabel>
#include <QLineEdit>
#include <QPushButton>

frm_find* frm_find::showOnce(PasswordGrid* grid)
{
    return Forms::showOnce(s_instance, [grid] { return new frm_find(grid); });
}

frm_find::frm_find(PasswordGrid* grid)
    : m_grid(grid)
{
    Forms::setUpWindow(this, "frm_find", QStringLiteral("Find A Listing"));
    Forms::setClientSize(this, 4935, 855);
    Label1 = Forms::addFieldLabel(this, "Label1", QStringLiteral("Find What"), 120, 300, 855, 255);
    txt_find = Forms::addTextBox(this, "txt_find", 1080, 240, 2415, 375);
    cmd_findnext = Forms::addButton(this, "cmd_findnext", QStringLiteral("Find Next"), 3600, 240, 1215, 375);

    Forms::setTabOrder({txt_find, cmd_findnext});

    Forms::bindReturnAndEscape(this, cmd_findnext, nullptr);
    connect(cmd_findnext, &QPushButton::clicked, this, &frm_find::cmd_findnext_Click);
}

void frm_find::cmd_findnext_Click()
{
    const QString text = ListingSearch::searchText(txt_find->text());
    if (text.isEmpty() || !m_grid)
        return;
    const QList<Listing>& rows = m_grid->listingModel()->records();
    const auto found = ListingSearch::findNext(text, int(rows.size()), m_grid->currentListingRow(), [&rows](int row) {
        const Listing& listing = rows.at(row - 1);
        return ListingSearch::Fields {listing.site, listing.user};
    });
    if (!found) {
        MsgBox::show(QStringLiteral("No listing holds \"%1\".").arg(text), QStringLiteral("Find A Listing"));
        txt_find->setFocus();
        return;
    }
    m_grid->showRow(found->row, found->column);
}
