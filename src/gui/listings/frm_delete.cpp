#include "gui/listings/frm_delete.h"

#include "gui/listings/passwordgrid.h"
#include "gui/listings/renumberrows.h"
#include "gui/ui/formsupport.h"

frm_delete* frm_delete::showOnce(PasswordGrid* grid)
{
    return Forms::showOnce(s_instance, [grid] { return new frm_delete(grid); });
}

frm_delete::frm_delete(PasswordGrid* grid)
    : ListingNumberDialog({"frm_delete", QStringLiteral("Which listing?"), 2505,
                           QStringLiteral("Which Listing Do You Want To Delete?"), "txt_delete", 1920, 1440},
                          grid)
    , txt_delete(box())
{
}

void frm_delete::accept(PasswordGrid& grid, int listing, const QString&)
{
    grid.RemoveItem(listing);
    RenumberRows(grid);
    close();
}
