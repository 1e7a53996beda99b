#include "gui/listings/frm_which.h"

#include "core/storage/module1.h"
#include "gui/listings/frm_edit.h"
#include "gui/ui/clipboardguard.h"
#include "gui/ui/formsupport.h"

frm_which* frm_which::showOnce(PasswordGrid* grid, ClipboardGuard* clipboard)
{
    return Forms::showOnce(s_instance, [grid, clipboard] { return new frm_which(grid, clipboard); });
}

frm_which::frm_which(PasswordGrid* grid, ClipboardGuard* clipboard)
    : ListingNumberDialog({"frm_which", QStringLiteral("Which Listing?"), 2475,
                           QStringLiteral("Which Listing Do You Want To Change?"), "txt_change", 1800, 1320},
                          grid)
    , txt_change(box())
    , m_clipboard(clipboard)
{
}

void frm_which::accept(PasswordGrid& grid, int, const QString& typed)
{
    // Kept as typed, blanks and all: the change dialog shows it so.
    Module1::ChosenListing = typed;
    frm_edit::showChosen(&grid, typed, m_clipboard);
    close();
}
