#include "core/storage/filecipher.h"

#include <benchmark/benchmark.h>

#include <QByteArray>

namespace {

// Every data file goes through CipherBytes twice per load and once per save,
// so its throughput bounds what the list can ever do.
void BM_CipherBytes(benchmark::State& state)
{
    const auto size = qsizetype(state.range(0));
    QByteArray data(size, Qt::Uninitialized);
    for (qsizetype i = 0; i < size; ++i)
        data[i] = char(i * 131 + 7);
    const QByteArray key("benchKey1"); // a master password of typical length

    for (auto _ : state) {
        QByteArray out = CipherBytes(data, key);
        benchmark::DoNotOptimize(out.data());
        benchmark::ClobberMemory();
    }

    // Ciphering twice must give the data back, or the numbers mean nothing.
    if (CipherBytes(CipherBytes(data, key), key) != data)
        state.SkipWithError("CipherBytes is not its own inverse");
    state.SetBytesProcessed(state.iterations() * size);
}

} // namespace

BENCHMARK(BM_CipherBytes)->Arg(32 << 10)->Arg(1 << 20)->Arg(11 << 20)->Unit(benchmark::kMicrosecond);
