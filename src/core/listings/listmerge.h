#pragma once

#include "core/listings/listing.h"

#include <QList>
#include <QtGlobal>

// Two versions of one list, each changed on its own machine, made one
// again. Pure functions: nothing is read or written. Whatever a user typed
// on either side is in the result, at worst as a listing of its own.
namespace ListMerge {

struct Counts {
    int added = 0; // listings of the other side appended
    int changed = 0; // listings of ours whose fields became the other side's
    int removed = 0; // listings of ours dropped because the other side removed them
    int keptBoth = 0; // changed on both sides: the other's kept as a separate listing
    bool any() const { return added || changed || removed || keptBoth; }
};

struct Result {
    QList<Listing> listings;
    QList<ListingRemoval> removals;
    Counts counts;
};

// Sealed lists (every listing has an id). base: the version this program
// last loaded or wrote (the common ancestor); ours: the list in memory;
// theirs: the version found on disk.
//
// Listings are matched by id; a side changed a listing when its fields
// differ from the base's listing of that id (one the base lacks counts as
// new on that side). A listing changed on the other side only takes the
// other side's fields and stamp; changed on both to different fields, ours
// stays and theirs is appended under a new id, keeping its times. A
// removal drops a listing only when that listing is unchanged since the
// base. Our listings keep their order; appended ones follow in theirs'.
// Removals are united (the later time per id), less those of ids the
// result holds.
//
// Lists never hold an id twice; should one, nothing is lost either: a
// repeat in ours is kept as it is (only a removal may drop it, when it is
// unchanged since the base), a repeat in theirs (or a listing of theirs
// without an id) is appended under a new id.
Result mergeSealed(const QList<Listing>& base, const QList<Listing>& ours, const QList<ListingRemoval>& ourRemovals,
                   const QList<Listing>& theirs, const QList<ListingRemoval>& theirRemovals, qint64 nowMs);

// Lists of the list file (no ids): listings equal in all three fields are
// one, pad spaces at the ends left out, as the file cannot tell them. The
// result is ours as it is, then each listing of theirs that ours lacks, in
// their order; a listing theirs holds k times and ours j times is appended
// k - j times. No removals: nothing tells a deleted listing from a new one.
Result mergeByContent(const QList<Listing>& ours, const QList<Listing>& theirs);

} // namespace ListMerge
