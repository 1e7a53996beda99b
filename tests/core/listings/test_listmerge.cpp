#include "core/listings/listmerge.h"

#include <QSet>
#include <QStringList>

#include <gtest/gtest.h>

namespace {

constexpr qint64 kNow = 999;

ListingStamp::Id idOf(int n)
{
    ListingStamp::Id id {};
    id[0] = uchar(n);
    return id;
}

// Listing n (0: one without an id) whose site is site, last changed at
// modified; made at 1 unless it has no id.
Listing at(int n, const char* site, qint64 modified = 1)
{
    Listing listing {QString::fromLatin1(site), QStringLiteral("user"), QStringLiteral("pw"), {}};
    if (n != 0)
        listing.stamp = {idOf(n), 1, modified};
    return listing;
}

ListingRemoval gone(int n, qint64 when)
{
    return {idOf(n), when};
}

QByteArray idBytes(const ListingStamp::Id& id)
{
    return QByteArray(reinterpret_cast<const char*>(id.data()), id.size());
}

// "n:site@modified", with "new" for an id none of the inputs had.
QStringList describe(const QList<Listing>& listings, const QSet<QByteArray>& inputIds)
{
    QStringList lines;
    for (const Listing& listing : listings) {
        const QString id =
            inputIds.contains(idBytes(listing.stamp.id)) ? QString::number(listing.stamp.id[0]) : QStringLiteral("new");
        lines << QStringLiteral("%1:%2@%3").arg(id, listing.site).arg(listing.stamp.modified);
    }
    return lines;
}

QStringList describe(const QList<ListingRemoval>& removals)
{
    QStringList lines;
    for (const ListingRemoval& removal : removals)
        lines << QStringLiteral("%1@%2").arg(removal.id[0]).arg(removal.removed);
    return lines;
}

std::string describe(const ListMerge::Counts& counts)
{
    return QStringLiteral("added %1 changed %2 removed %3 keptBoth %4")
        .arg(counts.added)
        .arg(counts.changed)
        .arg(counts.removed)
        .arg(counts.keptBoth)
        .toStdString();
}

struct SealedCase {
    const char* name;
    QList<Listing> base;
    QList<Listing> ours;
    QList<ListingRemoval> ourRemovals;
    QList<Listing> theirs;
    QList<ListingRemoval> theirRemovals;
    QStringList listings; // as describe() gives them
    QStringList removals;
    ListMerge::Counts counts;
};

const SealedCase kSealedCases[] = {
    {"both sides empty", {}, {}, {}, {}, {}, {}, {}, {}},
    {"added on their side",
     {at(1, "a")},
     {at(1, "a")},
     {},
     {at(1, "a"), at(2, "b", 5)},
     {},
     {"1:a@1", "2:b@5"},
     {},
     {.added = 1}},
    {"added on our side", {at(1, "a")}, {at(1, "a"), at(2, "b")}, {}, {at(1, "a")}, {}, {"1:a@1", "2:b@1"}, {}, {}},
    {"changed on their side only: their text and stamp",
     {at(1, "a")},
     {at(1, "a")},
     {},
     {at(1, "a2", 7)},
     {},
     {"1:a2@7"},
     {},
     {.changed = 1}},
    {"changed on our side only", {at(1, "a")}, {at(1, "a1", 3)}, {}, {at(1, "a", 8)}, {}, {"1:a1@3"}, {}, {}},
    {"changed on both: theirs kept apart under a new id with its times",
     {at(1, "a"), at(2, "b")},
     {at(1, "a1", 3), at(2, "b")},
     {},
     {at(1, "a2", 7), at(2, "b")},
     {},
     {"1:a1@3", "2:b@1", "new:a2@7"},
     {},
     {.keptBoth = 1}},
    {"changed on both to the same text", {at(1, "a")}, {at(1, "a1", 3)}, {}, {at(1, "a1", 7)}, {}, {"1:a1@3"}, {}, {}},
    {"the same id, the same text, other times",
     {at(1, "a")},
     {at(1, "a", 2)},
     {},
     {at(1, "a", 6)},
     {},
     {"1:a@2"},
     {},
     {}},
    {"removed on their side",
     {at(1, "a"), at(2, "b")},
     {at(1, "a"), at(2, "b")},
     {},
     {at(2, "b")},
     {gone(1, 9)},
     {"2:b@1"},
     {"1@9"},
     {.removed = 1}},
    {"removed on their side, changed later on ours",
     {at(1, "a")},
     {at(1, "a1", 12)},
     {},
     {},
     {gone(1, 9)},
     {"1:a1@12"},
     {},
     {}},
    {"removed on our side",
     {at(1, "a"), at(2, "b")},
     {at(2, "b")},
     {gone(1, 9)},
     {at(1, "a"), at(2, "b")},
     {},
     {"2:b@1"},
     {"1@9"},
     {}},
    {"removed on our side, changed later on theirs",
     {at(1, "a"), at(2, "b")},
     {at(2, "b")},
     {gone(1, 9)},
     {at(1, "a2", 12), at(2, "b")},
     {},
     {"2:b@1", "1:a2@12"},
     {},
     {.added = 1}},
    {"removed on both sides", {at(1, "a")}, {}, {gone(1, 4)}, {}, {gone(1, 9)}, {}, {"1@9"}, {}},
    {"missing from theirs with no removal: stays",
     {at(1, "a"), at(2, "b")},
     {at(1, "a"), at(2, "b")},
     {},
     {at(2, "b")},
     {},
     {"1:a@1", "2:b@1"},
     {},
     {}},
    {"missing from ours with no removal: comes back",
     {at(1, "a"), at(2, "b")},
     {at(2, "b")},
     {},
     {at(1, "a"), at(2, "b")},
     {},
     {"2:b@1", "1:a@1"},
     {},
     {.added = 1}},
    {"order: ours in place, then theirs in their order",
     {at(1, "a"), at(2, "b"), at(3, "c")},
     {at(3, "c"), at(1, "a"), at(2, "b1", 4)},
     {},
     {at(5, "e"), at(1, "a2", 6), at(3, "c3", 7), at(2, "b2", 8), at(4, "d")},
     {},
     {"3:c3@7", "1:a2@6", "2:b1@4", "5:e@1", "new:b2@8", "4:d@1"},
     {},
     {.added = 2, .changed = 2, .keptBoth = 1}},
    {"removals united, the later time; those of listings held, or of no id, dropped",
     {at(1, "a"), at(2, "b"), at(3, "c")},
     {at(2, "b"), at(3, "c")},
     {gone(1, 20), gone(4, 5), gone(6, 30)},
     {at(1, "a"), at(2, "b")},
     {gone(4, 8), gone(3, 10), gone(5, 2), gone(0, 40), gone(6, 25)},
     {"2:b@1"},
     {"1@20", "4@8", "6@30", "3@10", "5@2"},
     {.removed = 1}},
    {"new on both sides under one id, different text",
     {},
     {at(1, "a1", 3)},
     {},
     {at(1, "a2", 4)},
     {},
     {"1:a1@3", "new:a2@4"},
     {},
     {.keptBoth = 1}},
    {"new on both sides under one id, the same text", {}, {at(1, "a", 3)}, {}, {at(1, "a", 4)}, {}, {"1:a@3"}, {}, {}},
    {"new on our side, removed on theirs: kept", {}, {at(1, "a", 3)}, {}, {}, {gone(1, 9)}, {"1:a@3"}, {}, {}},
    {"their id twice, or none: each kept under a new id",
     {at(1, "a")},
     {at(1, "a")},
     {},
     {at(1, "a"), at(1, "a9", 5), at(0, "z")},
     {},
     {"1:a@1", "new:a9@5", "new:z@999"},
     {},
     {.added = 2}},
    {"our id twice: both kept as they are",
     {at(1, "a")},
     {at(1, "a"), at(1, "a9", 5)},
     {},
     {at(1, "a2", 6)},
     {},
     {"1:a2@6", "1:a9@5"},
     {},
     {.changed = 1}},
};

QSet<QByteArray> idsOf(const SealedCase& c)
{
    QSet<QByteArray> ids;
    for (const QList<Listing>* side : {&c.base, &c.ours, &c.theirs}) {
        for (const Listing& listing : *side)
            if (listing.stamp.hasId())
                ids.insert(idBytes(listing.stamp.id));
    }
    return ids;
}

TEST(ListMergeSealed, Cases)
{
    for (const SealedCase& c : kSealedCases) {
        SCOPED_TRACE(c.name);
        const ListMerge::Result merged =
            ListMerge::mergeSealed(c.base, c.ours, c.ourRemovals, c.theirs, c.theirRemovals, kNow);
        EXPECT_EQ(describe(merged.listings, idsOf(c)), c.listings);
        EXPECT_EQ(describe(merged.removals), c.removals);
        EXPECT_EQ(describe(merged.counts), describe(c.counts));
        EXPECT_EQ(merged.counts.any(), c.counts.added || c.counts.changed || c.counts.removed || c.counts.keptBoth);
    }
}

// Whatever either side typed since the base is in every result, and every
// listing of the result has an id; ids are repeated only where ours did.
TEST(ListMergeSealed, NoEditIsLostAndEveryListingHasAnId)
{
    for (const SealedCase& c : kSealedCases) {
        SCOPED_TRACE(c.name);
        const ListMerge::Result merged =
            ListMerge::mergeSealed(c.base, c.ours, c.ourRemovals, c.theirs, c.theirRemovals, kNow);
        for (const QList<Listing>* side : {&c.ours, &c.theirs}) {
            for (const Listing& typed : *side) {
                if (c.base.contains(typed))
                    continue;
                EXPECT_TRUE(merged.listings.contains(typed)) << qPrintable(typed.site);
            }
        }
        QSet<QByteArray> ids;
        for (const Listing& listing : merged.listings) {
            EXPECT_TRUE(listing.stamp.hasId()) << qPrintable(listing.site);
            ids.insert(idBytes(listing.stamp.id));
        }
        QSet<QByteArray> ourIds;
        for (const Listing& listing : c.ours)
            ourIds.insert(idBytes(listing.stamp.id));
        const bool oursRepeats = ourIds.size() < c.ours.size();
        EXPECT_EQ(ids.size() == merged.listings.size(), !oursRepeats);
    }
}

// A copy kept beside our listing gets an id drawn anew each time, never
// one the lists hold.
TEST(ListMergeSealed, CopiesKeptApartGetIdsOfTheirOwn)
{
    const QList<Listing> base {at(1, "a"), at(2, "b")};
    const QList<Listing> ours {at(1, "a1", 3), at(2, "b1", 3)};
    const QList<Listing> theirs {at(1, "a2", 4), at(2, "b2", 4)};
    const ListMerge::Result merged = ListMerge::mergeSealed(base, ours, {}, theirs, {}, kNow);
    ASSERT_EQ(merged.listings.size(), 4);
    const ListingStamp::Id first = merged.listings[2].stamp.id;
    const ListingStamp::Id second = merged.listings[3].stamp.id;
    EXPECT_NE(first, second);
    for (const ListingStamp::Id& id : {first, second}) {
        EXPECT_NE(id, idOf(1));
        EXPECT_NE(id, idOf(2));
    }
}

// Lists of the list file: one listing per line of "site/user/password".
QList<Listing> plain(const QStringList& lines)
{
    QList<Listing> listings;
    for (const QString& line : lines) {
        const QStringList parts = line.split(u'/');
        listings.append({parts.value(0), parts.value(1), parts.value(2), {}});
    }
    return listings;
}

QStringList describe(const QList<Listing>& listings)
{
    QStringList lines;
    for (const Listing& listing : listings)
        lines << listing.site + u'/' + listing.user + u'/' + listing.password;
    return lines;
}

TEST(ListMergeByContent, Cases)
{
    const struct {
        const char* name;
        QStringList ours;
        QStringList theirs;
        QStringList merged;
        int added;
    } cases[] = {
        {"both sides empty", {}, {}, {}, 0},
        {"ours empty", {}, {"a/u/p", "b/u/p"}, {"a/u/p", "b/u/p"}, 2},
        {"theirs empty", {"a/u/p"}, {}, {"a/u/p"}, 0},
        {"equal on both", {"a/u/p", "b/u/p"}, {"a/u/p", "b/u/p"}, {"a/u/p", "b/u/p"}, 0},
        {"added on their side", {"a/u/p"}, {"a/u/p", "b/u/p"}, {"a/u/p", "b/u/p"}, 1},
        {"changed on one side: both versions kept", {"a/u/p"}, {"a/u/p2"}, {"a/u/p", "a/u/p2"}, 1},
        {"changed on both sides: each kept",
         {"a/u/p1", "b/u/p"},
         {"a/u/p2", "b/u/p"},
         {"a/u/p1", "b/u/p", "a/u/p2"},
         1},
        {"removed on our side: comes back", {"b/u/p"}, {"a/u/p", "b/u/p"}, {"b/u/p", "a/u/p"}, 1},
        {"removed on their side: stays", {"a/u/p", "b/u/p"}, {"b/u/p"}, {"a/u/p", "b/u/p"}, 0},
        {"order: ours, then their new ones in their order",
         {"c/u/p", "a/u/p"},
         {"d/u/p", "a/u/p", "b/u/p"},
         {"c/u/p", "a/u/p", "d/u/p", "b/u/p"},
         2},
        {"our repeats kept", {"a/u/p", "a/u/p"}, {"a/u/p"}, {"a/u/p", "a/u/p"}, 0},
        {"their repeats beyond ours appended", {"a/u/p"}, {"a/u/p", "a/u/p", "a/u/p"}, {"a/u/p", "a/u/p", "a/u/p"}, 2},
        {"fields differ in the user name only", {"a/u/p"}, {"a/v/p"}, {"a/u/p", "a/v/p"}, 1},
        {"a value moved between fields is another listing", {"ab/c/p"}, {"a/bc/p"}, {"ab/c/p", "a/bc/p"}, 1},
        {"pad spaces at the ends do not count", {"a/u/p"}, {"a   /u  /p "}, {"a/u/p"}, 0},
        {"spaces at the start do count", {"a/u/p"}, {" a/u/p"}, {"a/u/p", " a/u/p"}, 1},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        const ListMerge::Result merged = ListMerge::mergeByContent(plain(c.ours), plain(c.theirs));
        EXPECT_EQ(describe(merged.listings), c.merged);
        EXPECT_TRUE(merged.removals.isEmpty());
        EXPECT_EQ(describe(merged.counts), describe(ListMerge::Counts {.added = c.added}));
    }
}

} // namespace
