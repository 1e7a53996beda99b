#include "gui/listings/renumberrows.h"

#include "gui/listings/passwordgrid.h"

void RenumberRows(PasswordGrid& grid)
{
    const int last = grid.Rows() - 1;
    if (last < 1)
        return;
    // One model update instead of a current-cell move per row: a long list
    // renumbers at once.
    grid.listingModel()->renumber();
    grid.setCol(0);
    grid.setRow(last);
}
