#include "listings/listio.h"

#include "listings/passwordgrid.h"
#include "storage/module1.h"

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
