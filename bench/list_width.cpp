// The playlist's width after a fill: SetListHScroll on 50,000 lines (ten large projects), one measurement
// per line in the list's font on the playlist window's device context. Goal: under 100 ms.
#include "bench/BenchMain.h"
#include "playlist/ListWidth.h"
#include "playlist/PlayList.h"

#include <QApplication>
#include <benchmark/benchmark.h>
#include <chrono>

namespace {

constexpr int kLines = 50'000;

void SetListHScroll50k(benchmark::State& state) {
    rt::ListBox& list = playlist::playList().d().ListFiles;
    list.Clear();
    for (int i = 0; i < kLines; ++i)
        list.AddItem(QStringLiteral("D:\\Audio\\Sesiones %1\\Proyecto grande\\Toma %2 mezcla final.wav")
                         .arg(i / 500)
                         .arg(i));
    // The baseline: reading every line's text once, as the measurement must.
    const auto start = std::chrono::steady_clock::now();
    qsizetype characters = 0;
    for (int i = 0; i < list.ListCount(); ++i)
        characters += list.List(i).size();
    benchmark::DoNotOptimize(characters);
    const double readMs =
        std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start).count();
    for (auto _ : state)
        playlist::SetListHScroll(list);
    state.counters["extent_px"] = playlist::AnchoLista;
    state.counters["read_lines_ms"] = readMs;
}
BENCHMARK(SetListHScroll50k)->Unit(benchmark::kMillisecond)->MinTime(1.0);

} // namespace

int main(int argc, char** argv) {
    qputenv("QT_QPA_PLATFORM", "offscreen");
    qInstallMessageHandler([](QtMsgType, const QMessageLogContext&, const QString&) {});
    QApplication app(argc, argv);
    return bench_main::runBenchmarks(argc, argv);
}
