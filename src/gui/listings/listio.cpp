#include "gui/listings/listio.h"

#include "core/session/listsession.h"
#include "gui/listings/passwordgrid.h"
#include "gui/ui/msgbox.h"

#include <QDateTime>

StorageResult LoadList(ListSession& session, PasswordGrid& grid, ListFile::LoadReport* report)
{
    if (auto loaded = session.load(report); !loaded)
        return loaded;
    grid.viewRecords(&session.listings());
    grid.setListingFormat(
        [&session] { return session.holdsAnyText() ? ListingRules::Format::Sealed : ListingRules::Format::ListFile; });
    grid.listingModel()->setRemovalNote(
        [&session](const Listing& listing) { session.noteRemoved(listing, QDateTime::currentMSecsSinceEpoch()); });
    grid.setRow(grid.Rows() - 1);
    return StorageResult::success();
}

StorageResult SaveList(ListSession& session, PasswordGrid& grid)
{
    const StorageResult result = session.save();
    // Another machine's version was merged in before the write.
    const ListSession::Merged& merged = session.lastMerge();
    if (merged.counts.any())
        grid.viewRecords(&session.listings());
    if (!merged.note.isEmpty())
        MsgBox::show(merged.note, QStringLiteral("List Merged"));
    if (grid.Rows() > 1)
        grid.setRow(grid.Rows() - 1);
    return result;
}
