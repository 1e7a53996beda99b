#include "core/listings/listmerge.h"

#include <QHash>
#include <QSet>
#include <QStringView>

namespace ListMerge {

namespace {

struct IdKey {
    ListingStamp::Id id;
    friend bool operator==(const IdKey&, const IdKey&) = default;
    friend size_t qHash(const IdKey& key, size_t seed = 0) noexcept
    {
        return qHashBits(key.id.data(), key.id.size(), seed);
    }
};

using IdIndex = QHash<IdKey, qsizetype>;

// Where each id first occurs in listings. A listing that cannot be matched
// by its id (it has none, or an earlier one has it) is marked in
// *unmatchable.
IdIndex indexById(const QList<Listing>& listings, QList<bool>* unmatchable = nullptr)
{
    IdIndex index;
    index.reserve(listings.size());
    if (unmatchable)
        unmatchable->fill(false, listings.size());
    for (qsizetype i = 0; i < listings.size(); ++i) {
        const bool hasId = listings[i].stamp.hasId();
        if (hasId) {
            const qsizetype before = index.size();
            qsizetype& first = index[IdKey {listings[i].stamp.id}];
            if (index.size() > before) {
                first = i;
                continue;
            }
        }
        if (unmatchable)
            (*unmatchable)[i] = true;
    }
    return index;
}

QSet<IdKey> removedIds(const QList<ListingRemoval>& removals)
{
    QSet<IdKey> ids;
    ids.reserve(removals.size());
    for (const ListingRemoval& removal : removals)
        ids.insert(IdKey {removal.id});
    return ids;
}

// Copies of one list share their strings: most texts compare by address.
bool sameText(const QString& a, const QString& b)
{
    return (a.constData() == b.constData() && a.size() == b.size()) || a == b;
}

bool sameFields(const Listing& a, const Listing& b)
{
    return sameText(a.site, b.site) && sameText(a.user, b.user) && sameText(a.password, b.password);
}

// Whether a side changed listing since base: its fields differ from the
// base's listing of its id, or the base never had it.
bool changedSinceBase(const QList<Listing>& base, const IdIndex& baseIndex, const Listing& listing)
{
    const qsizetype at = baseIndex.value(IdKey {listing.stamp.id}, -1);
    return at < 0 || !sameFields(base[at], listing);
}

// The same text and times under an id of its own, so that it can stand
// beside the listing it came from. One that has no times yet gets now.
Listing withNewId(Listing listing, qint64 nowMs)
{
    const ListingStamp fresh = ListingStamp::fresh(nowMs);
    listing.stamp.id = fresh.id;
    if (listing.stamp.created == 0 && listing.stamp.modified == 0) {
        listing.stamp.created = fresh.created;
        listing.stamp.modified = fresh.modified;
    }
    return listing;
}

// Both sides' removals, one per id (the later time), without those of an
// id that listings hold.
QList<ListingRemoval> unitedRemovals(const QList<ListingRemoval>& ours, const QList<ListingRemoval>& theirs,
                                     const QList<Listing>& listings)
{
    QList<ListingRemoval> united;
    if (ours.isEmpty() && theirs.isEmpty())
        return united;
    QHash<IdKey, qsizetype> at;
    for (const QList<ListingRemoval>* side : {&ours, &theirs}) {
        for (const ListingRemoval& removal : *side) {
            if (removal.id == ListingStamp::Id {})
                continue; // names no listing
            const IdKey key {removal.id};
            const auto found = at.constFind(key);
            if (found == at.cend()) {
                at.insert(key, united.size());
                united.append(removal);
            } else if (removal.removed > united[*found].removed) {
                united[*found].removed = removal.removed;
            }
        }
    }
    if (united.isEmpty())
        return united;
    for (const Listing& listing : listings)
        at.remove(IdKey {listing.stamp.id});
    QList<ListingRemoval> kept;
    kept.reserve(at.size());
    for (const ListingRemoval& removal : united) {
        if (at.contains(IdKey {removal.id}))
            kept.append(removal);
    }
    return kept;
}

// How a listing of theirs met ours.
enum class Met : uchar { NotMatched, Matched, KeepBoth };

// A listing's three values as the list file holds them: pad spaces at the
// ends do not count.
struct ContentKey {
    QStringView site;
    QStringView user;
    QStringView password;

    static QStringView chopped(const QString& value)
    {
        QStringView view(value);
        while (view.endsWith(u' '))
            view.chop(1);
        return view;
    }
    explicit ContentKey(const Listing& listing)
        : site(chopped(listing.site))
        , user(chopped(listing.user))
        , password(chopped(listing.password))
    {
    }
    friend bool operator==(const ContentKey& a, const ContentKey& b)
    {
        return a.site == b.site && a.user == b.user && a.password == b.password;
    }
    friend size_t qHash(const ContentKey& key, size_t seed = 0) noexcept
    {
        return qHashMulti(seed, key.site, key.user, key.password);
    }
};

} // namespace

Result mergeSealed(const QList<Listing>& base, const QList<Listing>& ours, const QList<ListingRemoval>& ourRemovals,
                   const QList<Listing>& theirs, const QList<ListingRemoval>& theirRemovals, qint64 nowMs)
{
    const IdIndex baseIndex = indexById(base);
    QList<bool> theirsUnmatchable;
    const IdIndex theirIndex = indexById(theirs, &theirsUnmatchable);
    const QSet<IdKey> theyRemoved = removedIds(theirRemovals);
    const QSet<IdKey> weRemoved = removedIds(ourRemovals);

    Result result;
    result.listings.reserve(ours.size() + theirs.size());
    QList<Met> met(theirs.size(), Met::NotMatched);

    for (qsizetype i = 0; i < ours.size(); ++i) {
        const Listing& mine = ours[i];
        const IdKey key {mine.stamp.id};
        const qsizetype j = mine.stamp.hasId() ? theirIndex.value(key, -1) : -1;
        // No id, or the id of an earlier listing of ours that met theirs.
        if (!mine.stamp.hasId() || (j >= 0 && met[j] != Met::NotMatched)) {
            result.listings.append(mine);
            continue;
        }
        const bool oursChanged = changedSinceBase(base, baseIndex, mine);
        if (j < 0) {
            // An edit made here outlives a removal made there.
            if (!oursChanged && theyRemoved.contains(key)) {
                ++result.counts.removed;
                continue;
            }
            result.listings.append(mine);
            continue;
        }
        const Listing& other = theirs[j];
        const bool theirsChanged = changedSinceBase(base, baseIndex, other);
        met[j] = Met::Matched;
        if (theirsChanged && !oursChanged) {
            result.listings.append(other);
            ++result.counts.changed;
            continue;
        }
        result.listings.append(mine);
        if (theirsChanged && !sameFields(mine, other))
            met[j] = Met::KeepBoth;
    }

    for (qsizetype j = 0; j < theirs.size(); ++j) {
        const Listing& other = theirs[j];
        if (theirsUnmatchable[j]) {
            result.listings.append(withNewId(other, nowMs));
            ++result.counts.added;
            continue;
        }
        if (met[j] == Met::KeepBoth) {
            result.listings.append(withNewId(other, nowMs));
            ++result.counts.keptBoth;
            continue;
        }
        if (met[j] == Met::Matched)
            continue;
        // A removal made here stands only against the listing as it was.
        if (weRemoved.contains(IdKey {other.stamp.id}) && !changedSinceBase(base, baseIndex, other))
            continue;
        result.listings.append(other);
        ++result.counts.added;
    }

    result.removals = unitedRemovals(ourRemovals, theirRemovals, result.listings);
    return result;
}

Result mergeByContent(const QList<Listing>& ours, const QList<Listing>& theirs)
{
    // How many of each listing ours holds that no listing of theirs has
    // stood for yet.
    QHash<ContentKey, qsizetype> unmatched;
    unmatched.reserve(ours.size());
    for (const Listing& mine : ours)
        ++unmatched[ContentKey(mine)];

    Result result;
    result.listings = ours;
    for (const Listing& other : theirs) {
        const auto found = unmatched.find(ContentKey(other));
        if (found != unmatched.end() && *found > 0) {
            --*found;
            continue;
        }
        result.listings.append(other);
        ++result.counts.added;
    }
    return result;
}

} // namespace ListMerge
