// How the live heap grows while something plays and nothing new is loaded: the whole program plays a
// generated WAV through the real engine while its main window's position and title timers and the spectrum's
// frames are run as fast as they go, a second of playback's worth at a time (40 position ticks, a title tick
// per platform tick, 25 spectrum frames while the spectrum window is shown), with the event loop run after
// each such second. After a stretch of real playback and one of simulated playback the growth of glibc's
// in-use bytes over a stretch of simulated playback is scaled to an hour; the goal is under 100 KB an hour,
// spectrum window hidden and shown.
#include "bench/BenchAudio.h"
#include "bench/BenchMain.h"
#include "platform/media/AnalyserView.h"
#include "platform/media/MediaPlayer.h"
#include "platform/runtime/Application.h"
#include "platform/runtime/Timer.h"
#include "platform/win/Drives.h"
#include "player/Player.h"
#include "player/SA.h"

#include <QCoreApplication>
#include <QDir>
#include <QTemporaryDir>
#include <benchmark/benchmark.h>

#include <malloc.h>

#include <cmath>
#include <vector>

namespace {

constexpr double kFileSeconds = 600;
constexpr int kRealSettleMs = 2000;
constexpr int kSettleSeconds = 60;
constexpr int kMeasuredSeconds = 3600;
constexpr double kSecondsPerHour = 3600;
constexpr int kPositionTicksPerSecond = 1000 / 25;
constexpr int kTitleTicksPerSecond = 1000 / rt::Timer::kPlatformTickMs + 1;
constexpr int kFramesPerSecond = 1000 / rt::AnalyserView::kFrameIntervalMs;
constexpr int kBands = 64;
constexpr int kSpectrumRate = 44100;
constexpr double kBytesPerKilobyte = 1024;

QString& wavPath() {
    static QString path;
    return path;
}

double liveHeapBytes() {
    return double(mallinfo2().uordblks);
}

// The spectrum window's picture of the sound, found among its widgets.
rt::AnalyserView* spectrumView() {
    return player::sa().containerWidget()->findChild<rt::AnalyserView*>();
}

// One frame of moving bars, as the engine sends while sound plays.
void showFrame(rt::AnalyserView* view, int frame, std::vector<float>& bands) {
    for (int band = 0; band < kBands; ++band)
        bands[std::size_t(band)] = float(-90 + 60 * (0.5 + 0.5 * std::sin(0.3 * frame + 0.2 * band)));
    view->showSpectrum(bands, kSpectrumRate);
}

// One second of playback: at each platform tick the title moves, the position and a spectrum frame come when
// due, and the event loop paints what they changed.
void playOneSecond(player::Player& main, rt::AnalyserView* view, int& frame, std::vector<float>& bands) {
    int positionTicks = 0;
    int frames = 0;
    for (int tick = 1; tick <= kTitleTicksPerSecond; ++tick) {
        main.d().TimerDisplay.tick();
        for (; positionTicks < tick * kPositionTicksPerSecond / kTitleTicksPerSecond; ++positionTicks)
            main.d().TimerTime.tick();
        for (; view && frames < tick * kFramesPerSecond / kTitleTicksPerSecond; ++frames)
            showFrame(view, frame++, bands);
        QCoreApplication::processEvents();
    }
}

void HeapGrowthWhilePlaying(benchmark::State& state) {
    const bool spectrum = state.range(0) != 0;
    player::Player& main = player::player();
    main.Show();
    player::sa().setVisible(spectrum);
    rt::AnalyserView* view = spectrum ? spectrumView() : nullptr;
    double perHour = 0;
    for (auto _ : state) {
        player::sa().engine().setURL(rt::windowsPathOf(wavPath()));
        main.Control_Click(0);
        if (!bench_audio::pumpUntil(
                [] { return player::sa().engine().playState() == rt::MediaPlayer::kPlaying; }, 10000, 5))
            return state.SkipWithError("the program did not start playing");
        // The engine's own buffers (the spectrum's tap among them) fill within moments of real playback.
        bench_audio::pumpUntil([] { return false; }, kRealSettleMs, rt::Timer::kPlatformTickMs);
        // Only the ticks below run the timers, so their count is the playback simulated.
        main.d().TimerTime.setEnabled(false);
        main.d().TimerDisplay.setEnabled(false);
        std::vector<float> bands(kBands);
        int frame = 0;
        for (int second = 0; second < kSettleSeconds; ++second)
            playOneSecond(main, view, frame, bands);
        malloc_trim(0);
        const double before = liveHeapBytes();
        for (int second = 0; second < kMeasuredSeconds; ++second)
            playOneSecond(main, view, frame, bands);
        perHour = (liveHeapBytes() - before) * kSecondsPerHour / kMeasuredSeconds;
        main.Control_Click(2);
        player::sa().engine().setURL({});
    }
    player::sa().setVisible(false);
    state.counters["heap_growth_kb_per_hour"] = perHour / kBytesPerKilobyte;
}

} // namespace

int main(int argc, char** argv) {
    bench_main::preferOffscreen();
    rt::Application app(argc, argv);
    QTemporaryDir folder;
    wavPath() = QDir(folder.path()).filePath("playing.wav");
    if (!bench_audio::writeToneWav(wavPath(), kFileSeconds, bench_audio::Tone::Sweep))
        return 1;
    player::player().load();
    benchmark::RegisterBenchmark("HeapGrowthWhilePlaying", HeapGrowthWhilePlaying)
        ->ArgName("spectrum_window")
        ->Arg(0)
        ->Arg(1)
        ->Iterations(1)
        ->Unit(benchmark::kMillisecond);
    return bench_main::runBenchmarks(argc, argv);
}
