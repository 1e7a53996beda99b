#include "gui/listings/listio.h"

#include "core/listings/vaultlist.h"
#include "core/storage/module1.h"
#include "gui/listings/passwordgrid.h"

StorageResult LoadList(PasswordGrid& grid, ListFile::LoadReport* report)
{
    QList<Listing> listings;
    const StorageResult loaded =
        Module1::StrongSession.isOpen()
            ? VaultList::load(Module1::Folder, Module1::StrongSession, &listings)
            : ListFile::load(Module1::Folder, Module1::MasterPassword.view(), &listings, report);
    if (!loaded)
        return loaded;
    grid.appendListings(listings, 1);
    grid.setRow(grid.Rows() - 1);
    grid.RemoveItem(1);
    return StorageResult::success();
}

StorageResult SaveList(PasswordGrid& grid)
{
    auto result = Module1::StrongSession.isOpen()
                      ? VaultList::save(Module1::Folder, Module1::StrongSession, grid.listings())
                      : ListFile::save(Module1::Folder, grid.listings(), Module1::MasterPassword.view());
    if (grid.Rows() > 1)
        grid.setRow(grid.Rows() - 1);
    return result;
}
