#pragma once
// What every benchmark program's main does around its own set-up: the Qt platform, and running the
// registered cases with the command line's options.
#include <QByteArray>
#include <QtGlobal>
#include <benchmark/benchmark.h>

namespace bench_main {

// Offscreen unless the caller chose a platform (xcb with an X server, say).
inline void preferOffscreen() {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
}

// Runs the registered cases; 1 for an option the benchmark library does not know.
inline int runBenchmarks(int& argc, char** argv) {
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv))
        return 1;
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}

} // namespace bench_main
