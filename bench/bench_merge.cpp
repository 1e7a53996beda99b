#include "core/listings/listmerge.h"

#include "benchlistings.h"

#include <benchmark/benchmark.h>

// Merging the list another machine wrote into the open one, in memory only
// (reading, deriving and saving are timed elsewhere): two lists of 100,000
// listings that differ in 1,000 are to be one in at most 100 ms.

namespace {

constexpr int kDiffering = 1000;

// The base of count listings with ids, and two versions of it: theirs
// changes, adds and removes kDiffering listings in all; ours changes some
// of the same listings and some of its own.
struct ThreeLists {
    QList<Listing> base;
    QList<Listing> ours;
    QList<Listing> theirs;
    QList<ListingRemoval> theirRemovals;

    explicit ThreeLists(int count)
        : base(MakeListings(count))
    {
        for (Listing& listing : base)
            listing.stamp = ListingStamp::fresh(1);
        ours = base;
        theirs = base;
        const int step = count / kDiffering;
        QList<bool> removed(count, false);
        // Of every four differing listings: one changed there, one changed
        // on both sides, one removed there, one added there.
        for (int k = 0; k < kDiffering; ++k) {
            const int at = k * step;
            switch (k % 4) {
            case 0:
                theirs[at].password += QStringLiteral("-there");
                theirs[at].stamp.modified = 2;
                break;
            case 1:
                theirs[at].password += QStringLiteral("-there");
                ours[at].password += QStringLiteral("-here");
                break;
            case 2:
                theirRemovals.append({theirs[at].stamp.id, 2});
                removed[at] = true;
                break;
            case 3: {
                Listing added {QStringLiteral("www.new-%1.org").arg(k), QStringLiteral("me"), QStringLiteral("pw")};
                added.stamp = ListingStamp::fresh(2);
                theirs.append(added);
                break;
            }
            }
        }
        // Removed last, so that the positions above stay as they were.
        QList<Listing> kept;
        kept.reserve(theirs.size());
        for (int at = 0; at < theirs.size(); ++at) {
            if (at >= count || !removed[at])
                kept.append(theirs[at]);
        }
        theirs = kept;
    }
};

void BM_MergeSealed(benchmark::State& state)
{
    const ThreeLists lists(int(state.range(0)));
    for (auto _ : state) {
        const ListMerge::Result merged =
            ListMerge::mergeSealed(lists.base, lists.ours, {}, lists.theirs, lists.theirRemovals, 3);
        if (!merged.counts.any()) {
            state.SkipWithError("nothing merged");
            break;
        }
        benchmark::DoNotOptimize(merged.listings.data());
    }
    state.SetItemsProcessed(state.iterations() * state.range(0));
}

void BM_MergeByContent(benchmark::State& state)
{
    const int count = int(state.range(0));
    const QList<Listing> ours = MakeListings(count);
    QList<Listing> theirs = ours;
    const int step = count / kDiffering;
    // Half of the differing listings changed there, half added there.
    for (int k = 0; k < kDiffering; ++k) {
        if (k % 2 == 0)
            theirs[k * step].password += QStringLiteral("-there");
        else
            theirs.append({QStringLiteral("www.new-%1.org").arg(k), QStringLiteral("me"), QStringLiteral("pw")});
    }
    for (auto _ : state) {
        const ListMerge::Result merged = ListMerge::mergeByContent(ours, theirs);
        if (merged.counts.added != kDiffering) {
            state.SkipWithError("not every new listing came in");
            break;
        }
        benchmark::DoNotOptimize(merged.listings.data());
    }
    state.SetItemsProcessed(state.iterations() * count);
}

} // namespace

BENCHMARK(BM_MergeSealed)->Arg(100'000)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_MergeByContent)->Arg(100'000)->Unit(benchmark::kMillisecond)->UseRealTime();
