// The event pump is called after every byte of a project scan: a call within a millisecond of the last one
// must cost next to nothing.
#include "bench/BenchMain.h"
#include "platform/base/Events.h"

#include <QApplication>
#include <benchmark/benchmark.h>
#include <chrono>

static void DoEventsRepeated(benchmark::State& state) {
    for (auto _ : state)
        rt::DoEvents();
    state.SetItemsProcessed(state.iterations());
}
BENCHMARK(DoEventsRepeated);

static void DoEventsSpaced(benchmark::State& state) {
    // Calls a millisecond apart: each one really pumps (the cost of an idle event loop pass).
    for (auto _ : state) {
        state.PauseTiming();
        const auto until = std::chrono::steady_clock::now() + std::chrono::microseconds(1100);
        while (std::chrono::steady_clock::now() < until) {
        }
        state.ResumeTiming();
        rt::DoEvents();
    }
}
BENCHMARK(DoEventsSpaced)->Iterations(2000);

int main(int argc, char** argv) {
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    return bench_main::runBenchmarks(argc, argv);
}
