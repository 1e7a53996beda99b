#include "core/masterpassword/passwordstrength.h"

#include <benchmark/benchmark.h>

#include <QString>

// The strength meter estimates again at every key typed: one estimate must
// stay well under a frame (goal: at most 5 ms), whatever is in the box.

namespace {

// A box of 1,024 characters, each kind of text zxcvbn works hardest on.
QString BoxText(int kind)
{
    switch (kind) {
    case 0: // one key held down: a long repeat
        return QString(1024, QLatin1Char('a'));
    case 1: // words over and over
        return QStringLiteral("correct horse battery staple ").repeated(36).left(1024);
    case 2: // a keyboard row and digits
        return QStringLiteral("qwertyuiop1234567890").repeated(52).left(1024);
    default: // another script
        return QString::fromUtf16(u"\u65E5\u672C\u8A9E\u043A\u043B\u044E\u0447 ").repeated(128).left(1024);
    }
}

void BM_StrengthEstimate(benchmark::State& state)
{
    const QString text = BoxText(int(state.range(0)));
    for (auto _ : state)
        benchmark::DoNotOptimize(PasswordStrength::estimate(text));
}
BENCHMARK(BM_StrengthEstimate)->DenseRange(0, 3)->Unit(benchmark::kMillisecond);

} // namespace
