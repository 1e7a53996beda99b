#include "core/listings/listing.h"

#include "core/storage/textutil.h"

#include <sodium.h>

#include <algorithm>

bool ListingStamp::hasId() const
{
    return std::any_of(id.begin(), id.end(), [](uchar byte) { return byte != 0; });
}

void StampIfNew(Listing& listing, qint64 nowMs)
{
    if (listing.stamp.hasId())
        return;
    for (QString* value : {&listing.site, &listing.user, &listing.password})
        *value = ChopPadSpaces(*value);
    listing.stamp = ListingStamp::fresh(nowMs);
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

void StampAllFresh(QList<Listing>& listings, qint64 nowMs)
{
    [[maybe_unused]] const int ready = sodium_init();
    QByteArray ids(listings.size() * ListingStamp::kIdSize, Qt::Uninitialized);
    randombytes_buf(ids.data(), size_t(ids.size()));
    for (qsizetype at = 0; at < listings.size(); ++at) {
        ListingStamp& stamp = listings[at].stamp;
        std::copy_n(reinterpret_cast<const uchar*>(ids.constData()) + at * ListingStamp::kIdSize, ListingStamp::kIdSize,
                    stamp.id.begin());
        if (!stamp.hasId())
            stamp = ListingStamp::fresh(nowMs);
        stamp.created = nowMs;
        stamp.modified = nowMs;
    }
}
