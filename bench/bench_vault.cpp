#include "core/listings/listfile.h"
#include "core/listings/vaultlist.h"
#include "core/masterpassword/strongprotection.h"
#include "core/storage/datafolder.h"
#include "core/storage/vault.h"

#include "benchlistings.h"

#include <benchmark/benchmark.h>

#include <QTemporaryDir>

// Strong protection must stay about as quick as the described format once
// the key is there: opening a vault (version 2, as new vaults are) of
// 100,000 listings at most 1.5 times loading the described list
// (BM_ListFileLoad), a save at most 1.5 times a bare QSaveFile write
// (BM_BareSaveFileWrite) plus the sealing (BM_VaultSeal). The key's
// derivation is meant to take 0.3 to 1 second.

namespace {

// A folder holding a vault of count listings, sealed under a session whose
// key came from the cheapest parameters: these runs time the list, not
// Argon2id.
class VaultOnDisk {
public:
    // keepListings: the save benchmarks need them; the load leaves the heap
    // as a program that just started has it.
    VaultOnDisk(benchmark::State& state, int count, bool keepListings = true)
        : m_listings(MakeListings(count))
    {
        m_folder = DataFolder(m_dir.path());
        m_session.params = Vault::minimumParams();
        m_session.salt = Vault::newSalt();
        m_session.version = Vault::kVersion2;
        auto key = Vault::deriveFromPassword(u"benchKey1", m_session.params, m_session.salt, m_session.version);
        if (!m_dir.isValid() || !key) {
            state.SkipWithError("no folder or no key");
            return;
        }
        m_session.key = std::move(*key);
        // As an open list has them: each listing with its id and times.
        for (Listing& listing : m_listings)
            listing.stamp = ListingStamp::fresh(1);
        if (auto saved = VaultList::save(m_folder, m_session, m_listings); !saved) {
            state.SkipWithError(qPrintable(saved.error));
            return;
        }
        if (!keepListings)
            m_listings = {};
        m_ok = true;
    }
    bool ok() const { return m_ok; }
    const DataFolder& folder() const { return m_folder; }
    const Vault::Session& session() const { return m_session; }
    const QList<Listing>& listings() const { return m_listings; }

private:
    QTemporaryDir m_dir;
    DataFolder m_folder;
    Vault::Session m_session;
    QList<Listing> m_listings;
    bool m_ok = false;
};

void BM_VaultDeriveWrittenParams(benchmark::State& state)
{
    const Vault::Salt salt = Vault::newSalt();
    for (auto _ : state) {
        auto key = Vault::deriveKey("benchKey1", Vault::writtenParams(), salt);
        if (!key) {
            state.SkipWithError("no key");
            break;
        }
        benchmark::DoNotOptimize(key->isValid());
    }
}

void BM_VaultListLoad(benchmark::State& state)
{
    const int count = int(state.range(0));
    VaultOnDisk disk(state, count, false);
    if (!disk.ok())
        return;
    for (auto _ : state) {
        QList<Listing> listings;
        if (auto loaded = VaultList::load(disk.folder(), disk.session(), &listings);
            !loaded || listings.size() != count) {
            state.SkipWithError("the vault did not open");
            break;
        }
        benchmark::DoNotOptimize(listings.data());
    }
    state.SetItemsProcessed(state.iterations() * count);
}

void BM_VaultListSave(benchmark::State& state)
{
    const int count = int(state.range(0));
    VaultOnDisk disk(state, count);
    if (!disk.ok())
        return;
    for (auto _ : state) {
        if (auto saved = VaultList::save(disk.folder(), disk.session(), disk.listings()); !saved) {
            state.SkipWithError(qPrintable(saved.error));
            break;
        }
    }
    state.SetItemsProcessed(state.iterations() * count);
}

// The sealing alone, in memory: the part of a save that is not the disk.
void BM_VaultSeal(benchmark::State& state)
{
    const int count = int(state.range(0));
    VaultOnDisk disk(state, count);
    if (!disk.ok())
        return;
    for (auto _ : state) {
        QByteArray file;
        if (!VaultList::seal(disk.listings(), disk.session(), &file)) {
            state.SkipWithError("could not seal");
            break;
        }
        benchmark::DoNotOptimize(file.data());
    }
    state.SetItemsProcessed(state.iterations() * count);
}

void VaultSizes(benchmark::internal::Benchmark* b)
{
    b->Arg(297)->Arg(100'000)->Unit(benchmark::kMillisecond)->UseRealTime();
}

} // namespace

BENCHMARK(BM_VaultDeriveWrittenParams)->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(3);
BENCHMARK(BM_VaultListLoad)->Apply(VaultSizes);
BENCHMARK(BM_VaultListSave)->Apply(VaultSizes);
BENCHMARK(BM_VaultSeal)->Apply(VaultSizes);
