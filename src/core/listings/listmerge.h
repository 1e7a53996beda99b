#pragma once

#include "core/listings/listing.h"

#include <QList>

// Merging two versions of one list, as copies of it kept on several
// machines diverge.
namespace ListMerge {

struct Counts {
    int added = 0; // listings of the other side appended
    int changed = 0; // listings of ours whose fields became the other side's
    int removed = 0; // listings of ours dropped because the other side removed them
    int keptBoth = 0; // changed on both sides: the other's kept as a listing of its own
    bool any() const { return added || changed || removed || keptBoth; }
};

struct Result {
    QList<Listing> listings;
    QList<ListingRemoval> removals;
    Counts counts;
};

// Sealed lists, matched by id against base, the version both came from.
Result mergeSealed(const QList<Listing>& base, const QList<Listing>& ours, const QList<ListingRemoval>& ourRemovals,
                   const QList<Listing>& theirs, const QList<ListingRemoval>& theirRemovals, qint64 nowMs);

// Lists of the list file, which have no ids: listings equal in all three
// fields are one.
Result mergeByContent(const QList<Listing>& ours, const QList<Listing>& theirs);

} // namespace ListMerge
