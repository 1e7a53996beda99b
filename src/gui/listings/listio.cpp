#include "gui/listings/listio.h"

#include "core/storage/module1.h"
#include "gui/listings/passwordgrid.h"

StorageResult LoadList(PasswordGrid& grid, ListFile::LoadReport* report)
{
    QList<Listing> listings;
    if (auto step = ListFile::load(Module1::Folder, Module1::MasterPassword, &listings, report); !step)
        return step;
    grid.appendListings(listings, 1);
    grid.setRow(grid.Rows() - 1);
    grid.RemoveItem(1);
    return StorageResult::success();
}

StorageResult SaveList(PasswordGrid& grid)
{
    auto result = ListFile::save(Module1::Folder, grid.listings(), Module1::MasterPassword);
    if (grid.Rows() > 1)
        grid.setRow(grid.Rows() - 1);
    return result;
}
