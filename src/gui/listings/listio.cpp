#include "gui/listings/listio.h"

#include "core/session/listsession.h"
#include "gui/listings/passwordgrid.h"
#include "gui/masterpassword/otherpassword.h"
#include "gui/ui/msgbox.h"

#include <cstdio>

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

StorageResult SaveList(ListSession& session, PasswordGrid& grid, ListSession::Attendance attendance)
{
    const bool attended = attendance == ListSession::Attendance::Attended;
    // A version saved under a password set elsewhere: its password lets the
    // two be merged; without it, it is kept aside by the save.
    QString note;
    bool changed = false;
    if (attended && session.otherVersionNeedsPassword() && OtherPassword::adopt(session)) {
        note = session.lastMerge().note;
        changed = session.lastMerge().counts.any();
    }
    const StorageResult result = session.save(attendance);
    // Another machine's version was merged in before the write.
    const ListSession::Merged& merged = session.lastMerge();
    if (!merged.note.isEmpty())
        note = merged.note;
    if (changed || merged.counts.any())
        grid.viewRecords(&session.listings());
    if (!note.isEmpty()) {
        if (attended)
            MsgBox::show(note, QStringLiteral("List Merged"));
        else
            std::fprintf(stderr, "vellamar: %s\n", qPrintable(note));
    }
    if (grid.Rows() > 1)
        grid.setRow(grid.Rows() - 1);
    return result;
}
