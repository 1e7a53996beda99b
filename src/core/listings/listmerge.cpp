#include "core/listings/listmerge.h"

#include "core/storage/textutil.h"

#include <QHash>

namespace ListMerge {
namespace {

QByteArray key(const ListingStamp::Id& id)
{
    return QByteArray(reinterpret_cast<const char*>(id.data()), qsizetype(id.size()));
}

} // namespace

Result mergeSealed(const QList<Listing>& base, const QList<Listing>& ours, const QList<ListingRemoval>& ourRemovals,
                   const QList<Listing>& theirs, const QList<ListingRemoval>& theirRemovals, qint64 nowMs)
{
    QHash<QByteArray, const Listing*> baseById, theirsById;
    QHash<QByteArray, qint64> theirRemoved, ourRemoved;
    for (const Listing& l : base)
        baseById.insert(key(l.stamp.id), &l);
    for (const Listing& l : theirs)
        theirsById.insert(key(l.stamp.id), &l);
    for (const ListingRemoval& r : theirRemovals)
        theirRemoved.insert(key(r.id), r.removed);
    for (const ListingRemoval& r : ourRemovals)
        ourRemoved.insert(key(r.id), r.removed);
    auto changed = [&](const Listing& l) {
        const Listing* was = baseById.value(key(l.stamp.id));
        return !was || !(*was == l);
    };
    Result result;
    QSet<QByteArray> ourIds;
    QList<Listing> appended;
    for (const Listing& mine : ours) {
        const QByteArray id = key(mine.stamp.id);
        ourIds.insert(id);
        if (const Listing* other = theirsById.value(id)) {
            const bool oursChanged = changed(mine);
            const bool theirsChanged = changed(*other);
            if (theirsChanged && !oursChanged) {
                result.listings.append(*other);
                ++result.counts.changed;
            } else {
                result.listings.append(mine);
                if (oursChanged && theirsChanged && !(mine == *other)) {
                    Listing copy = *other;
                    copy.stamp.id = ListingStamp::fresh(nowMs).id;
                    appended.append(copy);
                    ++result.counts.keptBoth;
                }
            }
        } else if (theirRemoved.contains(id) && !changed(mine)) {
            ++result.counts.removed;
        } else {
            result.listings.append(mine);
        }
    }
    for (const Listing& other : theirs) {
        const QByteArray id = key(other.stamp.id);
        if (ourIds.contains(id))
            continue;
        if (ourRemoved.contains(id) && !changed(other))
            continue;
        if (baseById.contains(id) && !changed(other) && !ourRemoved.contains(id))
            continue; // gone from ours without a trace: ours decides
        result.listings.append(other);
        ++result.counts.added;
    }
    result.listings.append(appended);
    QHash<QByteArray, qint64> removed = ourRemoved;
    for (auto it = theirRemoved.cbegin(); it != theirRemoved.cend(); ++it)
        removed[it.key()] = qMax(removed.value(it.key()), it.value());
    QSet<QByteArray> kept;
    for (const Listing& l : result.listings)
        kept.insert(key(l.stamp.id));
    for (const ListingRemoval& r : ourRemovals + theirRemovals) {
        const QByteArray id = key(r.id);
        if (kept.contains(id) || !removed.contains(id))
            continue;
        result.removals.append({r.id, removed.take(id)});
    }
    return result;
}

Result mergeByContent(const QList<Listing>& ours, const QList<Listing>& theirs)
{
    Result result;
    result.listings = ours;
    QHash<QString, int> present;
    // The list file pads its fields with spaces: a listing read back from it
    // is the one that was typed.
    auto text = [](const Listing& l) {
        return ChopPadSpaces(l.site) + QChar(0) + ChopPadSpaces(l.user) + QChar(0) + ChopPadSpaces(l.password);
    };
    for (const Listing& l : ours)
        ++present[text(l)];
    for (const Listing& l : theirs) {
        int& count = present[text(l)];
        if (count > 0) {
            --count;
            continue;
        }
        result.listings.append(l);
        ++result.counts.added;
    }
    return result;
}

} // namespace ListMerge
