#include <benchmark/benchmark.h>

#include <QApplication>

// The grid benchmarks need a QApplication, so the library's own main() will
// not do.
int main(int argc, char** argv)
{
    // Benchmarks must run on machines without a display.
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);

    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv))
        return 1;
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
