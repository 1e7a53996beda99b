#include "core/listings/listing.h"

#include <sodium.h>

#include <algorithm>

bool ListingStamp::hasId() const
{
    return std::any_of(id.begin(), id.end(), [](uchar byte) { return byte != 0; });
}

ListingStamp ListingStamp::fresh(qint64 nowMs)
{
    ListingStamp stamp;
    // Safe to call again; the random source is ready afterwards.
    [[maybe_unused]] const int ready = sodium_init();
    // All zero means "none": draw again in the unlikely case.
    do {
        randombytes_buf(stamp.id.data(), stamp.id.size());
    } while (!stamp.hasId());
    stamp.created = nowMs;
    stamp.modified = nowMs;
    return stamp;
}
