#include "core/listings/listfile.h"
#include "core/listings/listingsearch.h"
#include "gui/listings/frm_find.h"
#include "gui/listings/passwordgrid.h"
#include "gui/ui/msgbox.h"
#include "gui/ui/twips.h"

#include <benchmark/benchmark.h>

#include <QApplication>
#include <QLineEdit>
#include <QPushButton>

#include <memory>

// Finding a listing must feel instant: a search through 100,000 listings
// that finds nothing (every web site and user name read once) should take
// at most 50 ms.

namespace {

constexpr int kListings = 100000;

// Listings as a load leaves them in the grid: padded to their field widths.
QList<Listing> PaddedListings(int count)
{
    QList<Listing> listings;
    listings.reserve(count);
    for (int n = 1; n <= count; ++n) {
        listings.append({QStringLiteral("www.example-site-%1.com").arg(n).leftJustified(75),
                         QStringLiteral("user.name.%1").arg(n).leftJustified(20),
                         QStringLiteral("pw!%1").arg(n).leftJustified(15)});
    }
    return listings;
}

// The search alone, over every listing: the text is in no web site or user
// name (only in a password, which is never searched).
void BM_FindNothing(benchmark::State& state)
{
    const QList<Listing> listings = PaddedListings(kListings);
    const QString text = QStringLiteral("PW!777");
    const auto fieldsOf = [&listings](int row) {
        const Listing& listing = listings.at(row - 1);
        return ListingSearch::Fields {listing.site, listing.user};
    };
    for (auto _ : state) {
        const auto found = ListingSearch::findNext(text, kListings, 1, fieldsOf);
        if (found) {
            state.SkipWithError("found a listing that holds the text only in its password");
            break;
        }
        benchmark::DoNotOptimize(found);
    }
    state.SetItemsProcessed(state.iterations() * kListings);
    state.counters["listings"] = kListings;
}

// What the user waits for: "Find Next" in the find dialog over the window's
// grid, from row 1 to the one listing that holds the text, the last, which
// is then made current and scrolled into view.
void BM_FindNextInTheGrid(benchmark::State& state)
{
    auto grid = std::make_unique<PasswordGrid>();
    grid->setGeometry(Twips::rect(120, 600, 5295, 1335));
    grid->appendListings(PaddedListings(kListings), 1);
    grid->show();
    MsgBox::setObserverForTesting(
        [&state](const QString& text, const QString&) { state.SkipWithError(qPrintable(text)); });
    frm_find* find = frm_find::showOnce(grid.get());
    find->txt_find->setText(QStringLiteral("SITE-%1.").arg(kListings));
    QCoreApplication::processEvents();

    for (auto _ : state) {
        state.PauseTiming();
        grid->showRow(1, 1);
        QCoreApplication::processEvents();
        state.ResumeTiming();

        find->cmd_findnext->click();
        QCoreApplication::processEvents();

        state.PauseTiming();
        if (grid->Row() != kListings) {
            state.SkipWithError("Find Next did not reach the last listing");
            break;
        }
        state.ResumeTiming();
    }
    MsgBox::setObserverForTesting({});
    delete find;
    state.SetItemsProcessed(state.iterations() * kListings);
    state.counters["listings"] = kListings;
}

} // namespace

BENCHMARK(BM_FindNothing)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_FindNextInTheGrid)->Unit(benchmark::kMillisecond);
