#pragma once

#include <QList>
#include <QString>
#include <QtGlobal>

#include <array>

// What a sealed list keeps of each listing besides its text: the id it is
// known by in every copy of the list, and when it was made and last changed
// (milliseconds since 1970-01-01 UTC). The list file keeps none: all zero.
struct ListingStamp {
    static constexpr int kIdSize = 16;
    using Id = std::array<uchar, kIdSize>;

    Id id {};
    qint64 created = 0;
    qint64 modified = 0;

    bool hasId() const;
    // A new id, made and changed at nowMs.
    static ListingStamp fresh(qint64 nowMs);
};

// One log-in: a web site or program, a user name and a password.
struct Listing {
    QString site;
    QString user;
    QString password;
    ListingStamp stamp {};

    // The same text: the stamp is bookkeeping, not content.
    friend bool operator==(const Listing& a, const Listing& b)
    {
        return a.site == b.site && a.user == b.user && a.password == b.password;
    }
};

// A listing from the list file becomes one of a sealed list: it loses the
// file's pad spaces and gets an id, made and changed at nowMs. A listing
// that has an id already is left as it is.
void StampIfNew(Listing& listing, qint64 nowMs);

// Each listing a new id, made and changed at nowMs, as ListingStamp::fresh
// makes one, with one draw of the random source for all of them.
void StampAllFresh(QList<Listing>& listings, qint64 nowMs);

// A listing deleted from a sealed list: its id and when, so that another
// copy of the list that still holds it can tell it went.
struct ListingRemoval {
    ListingStamp::Id id {};
    qint64 removed = 0;
};
