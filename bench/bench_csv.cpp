#include "core/transfer/csvreader.h"
#include "core/transfer/importplan.h"
#include "core/transfer/importsource.h"

#include "benchlistings.h"

#include <benchmark/benchmark.h>

#include <QByteArray>

// Reading a CSV export and deciding what its import adds, with no window:
// 50,000 rows of about 200 bytes (10 MB) should read well under 100 ms.

namespace {

void BM_CsvRead(benchmark::State& state)
{
    const QByteArray bytes = MakeCsvExport(int(state.range(0)));
    for (auto _ : state) {
        const CsvReader::Table table = CsvReader::read(bytes);
        if (table.records.size() != state.range(0) + 1) {
            state.SkipWithError("not every row was read");
            break;
        }
    }
    state.counters["MB"] = double(bytes.size()) / 1e6;
}

void BM_CsvImportPlan(benchmark::State& state)
{
    const QByteArray bytes = MakeCsvExport(int(state.range(0)));
    const ImportSource::Source source = ImportSource::examine(bytes);
    for (auto _ : state) {
        const ImportPlan::Plan plan =
            ImportPlan::make(source.table.records, source.recognised.mapping, {}, ListingRules::Format::Sealed);
        if (plan.toAdd.size() != state.range(0)) {
            state.SkipWithError("not every row was taken");
            break;
        }
    }
}

} // namespace

BENCHMARK(BM_CsvRead)->Arg(50'000)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_CsvImportPlan)->Arg(50'000)->Unit(benchmark::kMillisecond);
