#include "core/listings/listfile.h"
#include "core/session/listsession.h"
#include "core/storage/module1.h"
#include "gui/listings/listio.h"
#include "gui/listings/passwordgrid.h"
#include "gui/ui/twips.h"

#include "benchlistings.h"

#include <benchmark/benchmark.h>

#include <QApplication>
#include <QFile>
#include <QDir>
#include <QFileInfo>
#include <QSaveFile>
#include <QTemporaryDir>

#include <memory>

// The list must open and close without a noticeable pause: the window opens
// with LoadList and closes with SaveList, and 10,000 listings should take
// well under 100 ms either way. The core-level runs show how much of that
// is disk and file format, and how much the grid.

namespace {

const QString kKey = QStringLiteral("benchKey1");

QByteArray ReadAll(const QString& path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

// A program folder of its own holding a ciphered list of count listings,
// written by the program's own save so that it is exactly what a user has.
class ListOnDisk {
public:
    ListOnDisk(benchmark::State& state, int count)
        : m_count(count)
    {
        if (!m_dir.isValid()) {
            state.SkipWithError("no temporary folder");
            return;
        }
        Module1::SetAppDir(m_dir.path());
        m_session.setFolder(Module1::Folder);
        m_session.useKeyForTesting(kKey);
        if (auto saved = ListFile::save(Module1::Folder, MakeListings(count), kKey); !saved) {
            state.SkipWithError(qPrintable(saved.error));
            return;
        }
        m_ciphered = ReadAll(Module1::Folder.list.path);
        if (m_ciphered.size() != qsizetype(count) * ListFile::kRecordLength) {
            state.SkipWithError("the list file has the wrong size");
            return;
        }
        m_ok = true;
    }

    bool ok() const { return m_ok; }
    ListSession& session() { return m_session; }
    int count() const { return m_count; }

    const QByteArray& ciphered() const { return m_ciphered; }
    QString path(const QString& name) const { return m_dir.filePath(name); }

    // A load must leave the file as it found it, and a save of the same
    // listings must write the same bytes; otherwise the next iteration
    // would time something else.
    bool unchanged() const
    {
        return QDir(m_dir.path()).entryList(QDir::Files) == QStringList {QStringLiteral("kxplst.ene")}
               && ReadAll(Module1::Folder.list.path) == m_ciphered;
    }

private:
    QTemporaryDir m_dir;
    ListSession m_session;
    int m_count;
    QByteArray m_ciphered;
    bool m_ok = false;
};

// A grid as the list window sets it up before its first load: its size on
// the form and the placeholder row that LoadList removes.
std::unique_ptr<PasswordGrid> FreshGrid()
{
    auto grid = std::make_unique<PasswordGrid>();
    grid->setGeometry(Twips::rect(120, 600, 5295, 1335));
    grid->AddItem({});
    grid->setRow(1);
    return grid;
}

bool HoldsList(const PasswordGrid& grid, int count)
{
    if (grid.Rows() != count + 1)
        return false;
    const auto* model = grid.listingModel();
    return model->cell(0, 0) == QLatin1String("1")
           && model->cell(count - 1, 1).startsWith(QStringLiteral("www.example-site-%1.com").arg(count));
}

void ReportListings(benchmark::State& state, int count)
{
    state.SetItemsProcessed(state.iterations() * count);
    state.counters["listings"] = count;
}

void BM_LoadList(benchmark::State& state)
{
    const int count = int(state.range(0));
    ListOnDisk disk(state, count);
    if (!disk.ok())
        return;

    for (auto _ : state) {
        state.PauseTiming();
        auto grid = FreshGrid();
        state.ResumeTiming();

        const StorageResult loaded = LoadList(disk.session(), *grid);

        state.PauseTiming();
        if (!loaded) {
            state.SkipWithError(qPrintable(loaded.error));
            break;
        }
        if (!HoldsList(*grid, count)) {
            state.SkipWithError("the grid does not hold the list");
            break;
        }
        grid.reset(); // a 100,000-row grid takes a while to tear down
        state.ResumeTiming();
    }

    if (!disk.unchanged())
        state.SkipWithError("LoadList changed the list file");
    ReportListings(state, count);
}

// What the user waits for when the window opens: the load plus the grid's
// first layout and paint.
void BM_LoadListAndShow(benchmark::State& state)
{
    const int count = int(state.range(0));
    ListOnDisk disk(state, count);
    if (!disk.ok())
        return;

    for (auto _ : state) {
        state.PauseTiming();
        auto grid = FreshGrid();
        state.ResumeTiming();

        const StorageResult loaded = LoadList(disk.session(), *grid);
        grid->show();
        QCoreApplication::processEvents();

        state.PauseTiming();
        if (!loaded || !HoldsList(*grid, count)) {
            state.SkipWithError("the grid does not hold the list");
            break;
        }
        grid.reset();
        QCoreApplication::processEvents();
        state.ResumeTiming();
    }
    ReportListings(state, count);
}

void BM_SaveList(benchmark::State& state)
{
    const int count = int(state.range(0));
    ListOnDisk disk(state, count);
    if (!disk.ok())
        return;

    // Saved from an open window: the grid is on screen, so moving to the
    // last row also scrolls it there, as it does for the user.
    auto grid = FreshGrid();
    if (!LoadList(disk.session(), *grid) || !HoldsList(*grid, count)) {
        state.SkipWithError("could not load the list");
        return;
    }
    grid->show();
    QCoreApplication::processEvents();

    for (auto _ : state) {
        if (auto saved = SaveList(disk.session(), *grid); !saved) {
            state.SkipWithError(qPrintable(saved.error));
            break;
        }
    }

    if (!disk.unchanged())
        state.SkipWithError("SaveList wrote a different list");
    ReportListings(state, count);
}

void BM_ListFileLoad(benchmark::State& state)
{
    const int count = int(state.range(0));
    ListOnDisk disk(state, count);
    if (!disk.ok())
        return;

    for (auto _ : state) {
        QList<Listing> listings;
        if (auto loaded = ListFile::load(Module1::Folder, kKey, &listings); !loaded || listings.size() != count) {
            state.SkipWithError("ListFile::load did not read the list");
            break;
        }
        benchmark::DoNotOptimize(listings.data());
    }

    if (!disk.unchanged())
        state.SkipWithError("ListFile::load changed the list file");
    ReportListings(state, count);
}

void BM_ListFileSave(benchmark::State& state)
{
    const int count = int(state.range(0));
    ListOnDisk disk(state, count);
    if (!disk.ok())
        return;
    const QList<Listing> listings = MakeListings(count);

    for (auto _ : state) {
        if (auto saved = ListFile::save(Module1::Folder, listings, kKey); !saved) {
            state.SkipWithError(qPrintable(saved.error));
            break;
        }
    }

    if (!disk.unchanged())
        state.SkipWithError("ListFile::save wrote a different list");
    ReportListings(state, count);
}

// The yardsticks for the two above: the least any save or load could cost.
// A save should take at most 1.5 times a bare QSaveFile write of the same
// bytes, a load at most 1.5 times a bare read of a plain file plus parsing.
void BM_BareSaveFileWrite(benchmark::State& state)
{
    const int count = int(state.range(0));
    ListOnDisk disk(state, count);
    if (!disk.ok())
        return;
    const QString target = disk.path(QStringLiteral("bare.bin"));

    for (auto _ : state) {
        QSaveFile file(target);
        if (!file.open(QIODevice::WriteOnly) || file.write(disk.ciphered()) != disk.ciphered().size()
            || !file.commit()) {
            state.SkipWithError("the bare write failed");
            break;
        }
    }
    ReportListings(state, count);
}

void BM_BareReadAndParse(benchmark::State& state)
{
    const int count = int(state.range(0));
    ListOnDisk disk(state, count);
    if (!disk.ok())
        return;
    const QString plainPath = disk.path(QStringLiteral("bare.bin"));
    {
        QFile file(plainPath);
        SecretBytes plain;
        if (!ListFile::serialize(MakeListings(count), &plain) || !file.open(QIODevice::WriteOnly)
            || file.write(plain.bytes()) != plain.size()) {
            state.SkipWithError("could not write the plain list");
            return;
        }
    }

    for (auto _ : state) {
        const QByteArray plain = ReadAll(plainPath);
        QList<Listing> listings = ListFile::parse(plain);
        if (listings.size() != count) {
            state.SkipWithError("the bare read did not give the list");
            break;
        }
        benchmark::DoNotOptimize(listings.data());
    }
    ReportListings(state, count);
}

// The file format alone, without the disk or the cipher.
void BM_ListFileParse(benchmark::State& state)
{
    const int count = int(state.range(0));
    SecretBytes plain;
    if (!ListFile::serialize(MakeListings(count), &plain)) {
        state.SkipWithError("could not build the list");
        return;
    }

    for (auto _ : state) {
        QList<Listing> listings = ListFile::parse(plain.bytes());
        benchmark::DoNotOptimize(listings.data());
    }
    ReportListings(state, count);
}

void BM_ListFileSerialize(benchmark::State& state)
{
    const int count = int(state.range(0));
    const QList<Listing> listings = MakeListings(count);

    for (auto _ : state) {
        SecretBytes plain;
        if (!ListFile::serialize(listings, &plain)) {
            state.SkipWithError("could not serialize the list");
            break;
        }
        benchmark::DoNotOptimize(plain.bytes().data());
    }
    ReportListings(state, count);
}

// 297 is a large real list; 10,000 the size that must stay quick; 100,000
// shows whether anything grows faster than the list. Wall time, because the
// user also waits for the disk to sync, which is not CPU time.
void ListSizes(benchmark::internal::Benchmark* b)
{
    b->Arg(297)->Arg(10'000)->Arg(100'000)->Unit(benchmark::kMillisecond)->UseRealTime();
}

} // namespace

BENCHMARK(BM_LoadList)->Apply(ListSizes);
BENCHMARK(BM_LoadListAndShow)->Apply(ListSizes);
BENCHMARK(BM_SaveList)->Apply(ListSizes);
BENCHMARK(BM_ListFileLoad)->Apply(ListSizes);
BENCHMARK(BM_ListFileSave)->Apply(ListSizes);
BENCHMARK(BM_BareSaveFileWrite)->Apply(ListSizes);
BENCHMARK(BM_BareReadAndParse)->Apply(ListSizes);
BENCHMARK(BM_ListFileParse)->Apply(ListSizes);
BENCHMARK(BM_ListFileSerialize)->Apply(ListSizes);
