#pragma once

#include "core/listings/listfile.h"

#include <QList>

// The listings the benchmarks save, load and search: count of them, each
// unlike the others, of typical lengths.
inline QList<Listing> MakeListings(int count)
{
    QList<Listing> listings;
    listings.reserve(count);
    for (int n = 1; n <= count; ++n) {
        listings.append({QStringLiteral("www.example-site-%1.com").arg(n), QStringLiteral("user.name.%1").arg(n),
                         QStringLiteral("pw!%1").arg(n)});
    }
    return listings;
}
