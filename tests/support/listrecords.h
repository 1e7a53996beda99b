#pragma once

#include "core/listings/listfile.h"

#include <QByteArray>

// One plain list record: the three values space-padded to 75, 20 and 15.
inline QByteArray record(const QByteArray& site, const QByteArray& user, const QByteArray& password)
{
    return site.leftJustified(75, ' ', true) + user.leftJustified(20, ' ', true)
           + password.leftJustified(15, ' ', true);
}

// Listings "www.site<k>.com", "user<k>", "pw<k>" for k = 1 to count.
inline QList<Listing> listingsOf(int count)
{
    QList<Listing> listings;
    for (int i = 1; i <= count; ++i)
        listings.append(
            {QStringLiteral("www.site%1.com").arg(i), QStringLiteral("user%1").arg(i), QStringLiteral("pw%1").arg(i)});
    return listings;
}

// Listings as a load gives them back after a save: each value padded to its
// field, or cut to it.
inline QList<Listing> padded(const QList<Listing>& listings)
{
    SecretBytes plain;
    ListFile::serialize(listings, &plain);
    return ListFile::parse(plain.bytes());
}
