#pragma once

#include "core/listings/listfile.h"

#include <QByteArray>

// One plain list record: the three values space-padded to 75, 20 and 15.
inline QByteArray record(const QByteArray& site, const QByteArray& user, const QByteArray& password)
{
    return site.leftJustified(75, ' ', true) + user.leftJustified(20, ' ', true)
           + password.leftJustified(15, ' ', true);
}

// Listings as a load gives them back after a save: each value padded to its
// field, or cut to it.
inline QList<Listing> padded(const QList<Listing>& listings)
{
    SecretBytes plain;
    ListFile::serialize(listings, &plain);
    return ListFile::parse(plain.bytes());
}
