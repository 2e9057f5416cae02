// The project scan on a generated 50 MB project with 5,000 audio paths, against a plain sequential read of
// the same file in the same run: its throughput ratio, the longest gap between two pumps of the user
// interface, and the memory it grows by.
#include "bench/BenchMain.h"
#include "fuzz/SilentEngine.h"
#include "platform/base/Events.h"
#include "platform/media/MediaPlayerControl.h"
#include "platform/runtime/NumberedFiles.h"
#include "platform/win/Drives.h"
#include "player/Player.h"
#include "playlist/PlayList.h"
#include "playlist/ProjectScan.h"
#include "tests/playlist/ReferenceScanner.h"

#include <QApplication>
#include <QFile>
#include <QTemporaryDir>
#include <algorithm>
#include <benchmark/benchmark.h>
#include <chrono>
#include <fcntl.h>
#include <memory>
#include <random>
#include <sys/resource.h>
#include <unistd.h>
#include <vector>

namespace {

using Clock = std::chrono::steady_clock;
constexpr std::int64_t kProjectBytes = 50'000'000;
constexpr int kPaths = 5000;
constexpr std::size_t kPlainReadBlock = 64 * 1024;

QTemporaryDir* gFolder = nullptr;
QString gHostFile;
const QString kWindowsFile = QStringLiteral("B:\\bench.vip");

// Written block by block, never held whole: binary chunk data (a third of it NULs, the rest any byte, so
// ":", ".", "L" and stray "LIST"s come up as they do in real projects), a path after every block, then the
// list chunk.
void writeProject() {
    QFile file(gHostFile);
    if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate))
        std::abort();
    std::mt19937 rng(0x5eed);
    file.write(QByteArray(96, 'S') + "Samplitude project" + QByteArray(1, '\0'));
    const std::int64_t block = (kProjectBytes - 4096) / kPaths;
    for (int i = 0; i < kPaths; ++i) {
        QByteArray filler(block, '\0');
        for (char& byte : filler)
            byte = rng() % 3 == 0 ? '\0' : char(rng());
        if (i % 50 == 0)
            filler.replace(100, 12, QByteArray("LIST\x20\0\0\0data", 12));
        file.write(filler);
        file.write(QStringLiteral("D:\\Audio\\Session %1\\Take %2.wav").arg(i / 100).arg(i).toLatin1() +
                   QByteArray(1, '\0'));
    }
    file.write(QByteArray("LIST\x40\0\0\0mdrl", 12) + QByteArray(2048, 'x'));
}

double plainReadSeconds() {
    const auto start = Clock::now();
    const int fd = ::open(gHostFile.toLocal8Bit().constData(), O_RDONLY);
    std::vector<char> block(kPlainReadBlock);
    std::uint64_t sum = 0;
    for (ssize_t got; (got = ::read(fd, block.data(), block.size())) > 0;)
        sum += static_cast<unsigned char>(block[static_cast<std::size_t>(got) - 1]);
    ::close(fd);
    benchmark::DoNotOptimize(sum);
    return std::chrono::duration<double>(Clock::now() - start).count();
}

double bestPlainReadSeconds() {
    double best = 1e9;
    for (int i = 0; i < 5; ++i)
        best = std::min(best, plainReadSeconds());
    return best;
}

long maxResidentKb() {
    rusage usage{};
    ::getrusage(RUSAGE_SELF, &usage);
    return usage.ru_maxrss;
}

void ScanListMode(benchmark::State& state) {
    playlist::PlayList& window = playlist::playList();
    rt::ListBox& list = window.d().ListFiles;
    const double plain = bestPlainReadSeconds();
    const long residentBefore = maxResidentKb();
    double scanned = 0;
    int lines = 0;
    for (auto _ : state) {
        state.PauseTiming();
        list.Clear();
        state.ResumeTiming();
        const auto start = Clock::now();
        benchmark::DoNotOptimize(
            window.ExtraerNombres_Archivos(kWindowsFile, list, QStringLiteral(" "), true));
        scanned += std::chrono::duration<double>(Clock::now() - start).count();
        lines = list.ListCount();
    }
    const double perScan = scanned / double(state.iterations());
    state.SetBytesProcessed(state.iterations() * kProjectBytes);
    state.counters["lines"] = lines;
    state.counters["plain_read_MBps"] = kProjectBytes / plain / 1e6;
    state.counters["scan_vs_plain_read_pct"] = 100.0 * plain / perScan;
    state.counters["max_rss_growth_kB"] = double(maxResidentKb() - residentBefore);
}
BENCHMARK(ScanListMode)->Unit(benchmark::kMillisecond)->MinTime(2.0);

// The scan's three passes with the real list and bar, every pump timed.
class TimedEffects : public playlist::scan::ScanEffects {
  public:
    TimedEffects(rt::ListBox& list, rt::shell::ProgressBar& bar) : list_(list), bar_(bar) {}
    bool pump() override {
        const auto now = Clock::now();
        longest_ = std::max(longest_, now - last_);
        ++pumps_;
        rt::DoEvents();
        last_ = Clock::now();
        return true;
    }
    void addPath(const rt::String& path) override { list_.AddItem(path); }
    void setBarValue(std::int32_t value) override { bar_.setValue(value); }
    void restart() { last_ = Clock::now(); }
    double longestMs() const { return std::chrono::duration<double, std::milli>(longest_).count(); }
    std::int64_t pumps() const { return pumps_; }

  private:
    rt::ListBox& list_;
    rt::shell::ProgressBar& bar_;
    Clock::time_point last_ = Clock::now();
    Clock::duration longest_{};
    std::int64_t pumps_ = 0;
};

void PumpGaps(benchmark::State& state) {
    rt::ListBox& list = playlist::playList().d().ListFiles;
    rt::shell::ProgressBar& bar = player::player().d().XP_ProgressBar1;
    bar.setVisible(true); // as during a folder search, so that each value repaints
    TimedEffects effects(list, bar);
    for (auto _ : state) {
        state.PauseTiming();
        list.Clear();
        state.ResumeTiming();
        const int f = rt::FreeFile();
        rt::OpenForBinaryRead(f, kWindowsFile);
        playlist::scan::ProjectBytes bytes(f, rt::LOF(f));
        effects.restart();
        const auto start = playlist::scan::headerTextEnd(bytes, effects).position;
        const auto end = playlist::scan::listChunkEnd(bytes, start, effects).position;
        bar.setMin(0);
        bar.setMax(static_cast<std::int32_t>(end));
        playlist::scan::audioPaths(bytes, start, end, true, effects);
        rt::Close(f);
    }
    bar.setVisible(false);
    state.counters["longest_pump_gap_ms"] = effects.longestMs();
    state.counters["pumps_per_scan"] = double(effects.pumps()) / double(state.iterations());
}
BENCHMARK(PumpGaps)->Unit(benchmark::kMillisecond)->Iterations(5);

// The plain reading, a byte and a pump at a time, on the same file: what the buffered scan replaces.
void ByteByByteReference(benchmark::State& state) {
    const double plain = bestPlainReadSeconds();
    double scanned = 0;
    for (auto _ : state) {
        reference_scan::Recorder recorder;
        recorder.pump = [] {
            rt::DoEvents();
            return true;
        };
        reference_scan::Scanner reference(recorder);
        const auto start = Clock::now();
        benchmark::DoNotOptimize(reference.extract(kWindowsFile, QStringLiteral(" "), true));
        scanned += std::chrono::duration<double>(Clock::now() - start).count();
    }
    state.SetBytesProcessed(state.iterations() * kProjectBytes);
    state.counters["scan_vs_plain_read_pct"] = 100.0 * plain / (scanned / double(state.iterations()));
}
BENCHMARK(ByteByByteReference)->Unit(benchmark::kMillisecond)->Iterations(1);

} // namespace

int main(int argc, char** argv) {
    qputenv("QT_QPA_PLATFORM", "offscreen");
    qInstallMessageHandler([](QtMsgType, const QMessageLogContext&, const QString&) {});
    QApplication app(argc, argv);
    rt::MediaPlayerControl::setEngineFactoryForTesting(
        [] { return std::make_unique<fuzzing::SilentEngine>(); });
    gFolder = new QTemporaryDir;
    rt::setDriveTableForTesting({{QChar('B'), gFolder->path(), rt::kDriveFixed}});
    gHostFile = gFolder->filePath("bench.vip");
    writeProject();
    const int status = bench_main::runBenchmarks(argc, argv);
    delete gFolder;
    return status;
}
