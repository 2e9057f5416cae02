// The engine's cost while it plays with its spectrum on screen (CPU time per second of playback, all threads
// of the process), and how long a local WAV takes from a new media address to playing.
#include "bench/BenchAudio.h"
#include "bench/BenchMain.h"
#include "platform/media/AnalyserView.h"
#include "platform/media/MediaPlayer.h"
#include "platform/win/Drives.h"

#include <QApplication>
#include <QByteArray>
#include <QDeadlineTimer>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QTemporaryDir>
#include <QTimer>
#include <QtEndian>
#include <benchmark/benchmark.h>

#include <sys/resource.h>

#include <cmath>
#include <cstdint>
#include <numbers>

namespace {

constexpr double kFileSeconds = 8;
constexpr int kPlaybackMs = 3000;
constexpr int kDeadlineMs = 10000;
constexpr int kWakeUpMs = 5;

// A 16-bit stereo WAV of a sweeping tone, so the spectrum has something to draw.
QString writeWav(const QString& folder) {
    const QString path = QDir(folder).filePath("bench.wav");
    return bench_audio::writeToneWav(path, kFileSeconds, bench_audio::Tone::Sweep) ? path : QString();
}

template <class Condition> bool pumpUntil(Condition&& condition, int deadlineMs = kDeadlineMs) {
    return bench_audio::pumpUntil(condition, deadlineMs, kWakeUpMs);
}

// Of every thread of the process (RUSAGE_SELF), or of the UI thread alone (RUSAGE_THREAD).
double cpuSeconds(int who) {
    rusage usage{};
    getrusage(who, &usage);
    const auto seconds = [](const timeval& time) { return double(time.tv_sec) + double(time.tv_usec) / 1e6; };
    return seconds(usage.ru_utime) + seconds(usage.ru_stime);
}

// The event loop as the running program has it: idle until something arrives.
void runEventLoopFor(int milliseconds) {
    QEventLoop loop;
    QTimer::singleShot(milliseconds, &loop, &QEventLoop::quit);
    loop.exec();
}

void BM_PlaybackCpu(benchmark::State& state) {
    QTemporaryDir folder;
    const QString wav = writeWav(folder.path());
    auto engine = rt::createMediaPlayer();
    const bool viewShown = state.range(0) != 0;
    rt::AnalyserView view;
    view.resize(311, 303);
    if (viewShown)
        view.show();
    engine->attachAnalyserView(&view);
    double cpuPercent = 0;
    double uiPercent = 0;
    int paints = 0;
    for (auto _ : state) {
        engine->setURL(rt::windowsPathOf(wav));
        if (!pumpUntil([&] { return engine->playState() == rt::MediaPlayer::kPlaying; })) {
            state.SkipWithError("the engine did not start playing");
            return;
        }
        runEventLoopFor(200); // settle: the first frames and the sink's start-up
        const int paintsBefore = view.paintCount();
        QElapsedTimer wall;
        wall.start();
        const double cpuBefore = cpuSeconds(RUSAGE_SELF);
        const double uiBefore = cpuSeconds(RUSAGE_THREAD);
        runEventLoopFor(kPlaybackMs);
        const double wallSeconds = wall.nsecsElapsed() / 1e9;
        cpuPercent = 100 * (cpuSeconds(RUSAGE_SELF) - cpuBefore) / wallSeconds;
        uiPercent = 100 * (cpuSeconds(RUSAGE_THREAD) - uiBefore) / wallSeconds;
        paints = view.paintCount() - paintsBefore;
        state.SetIterationTime(wall.nsecsElapsed() / 1e9);
    }
    state.counters["cpu_percent_of_one_core"] = cpuPercent;
    state.counters["ui_thread_percent"] = uiPercent;
    state.counters["spectrum_frames_per_s"] = paints * 1000.0 / kPlaybackMs;
}
// Argument 1: the spectrum view on screen (the figure that matters); 0: hidden, for comparison.
BENCHMARK(BM_PlaybackCpu)
    ->ArgName("view_shown")
    ->Arg(1)
    ->Arg(0)
    ->Iterations(1)
    ->UseManualTime()
    ->Unit(benchmark::kMillisecond);

void BM_SetURLToPlaying(benchmark::State& state) {
    QTemporaryDir folder;
    const QString wav = writeWav(folder.path());
    auto engine = rt::createMediaPlayer();
    double worstMs = 0;
    for (auto _ : state) {
        QElapsedTimer clock;
        clock.start();
        engine->setURL(rt::windowsPathOf(wav));
        if (!pumpUntil([&] { return engine->playState() == rt::MediaPlayer::kPlaying; })) {
            state.SkipWithError("the engine did not start playing");
            return;
        }
        const double seconds = clock.nsecsElapsed() / 1e9;
        worstMs = std::max(worstMs, seconds * 1000);
        state.SetIterationTime(seconds);
    }
    state.counters["worst_ms"] = worstMs;
}
BENCHMARK(BM_SetURLToPlaying)->Iterations(20)->UseManualTime()->Unit(benchmark::kMillisecond);

} // namespace

int main(int argc, char** argv) {
    bench_main::preferOffscreen();
    QApplication app(argc, argv);
    return bench_main::runBenchmarks(argc, argv);
}
