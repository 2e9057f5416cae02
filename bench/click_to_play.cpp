// A click on a playlist line to the engine playing it, against the engine alone loading the same file; and
// the search of 20 drives for a file none holds, against a plain existence check of the 20 candidates.
#include "bench/BenchAudio.h"
#include "bench/BenchMain.h"
#include "platform/base/Events.h"
#include "platform/media/MediaPlayer.h"
#include "platform/runtime/Form.h"
#include "platform/win/Drives.h"
#include "player/Player.h"
#include "player/SA.h"
#include "playlist/PlayList.h"

#include <QApplication>
#include <QByteArray>
#include <QDeadlineTimer>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>
#include <QTimer>
#include <QtEndian>
#include <benchmark/benchmark.h>

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <memory>
#include <numbers>
#include <vector>

namespace {

constexpr double kFileSeconds = 4;
constexpr int kDeadlineMs = 10000;
constexpr int kWakeUpMs = 1;
constexpr int kSearchedRoots = 20; // C to V
constexpr int kPlayIterations = 20;
constexpr int kSearchIterations = 30;
const rt::String kWavLine = QStringLiteral("C:\\Audio\\Toma.wav");
const rt::String kMissingLine = QStringLiteral("E:\\Audio\\Perdido.wav");

// A 16-bit stereo WAV of a tone.
bool writeWav(const QString& path) {
    return bench_audio::writeToneWav(path, kFileSeconds, bench_audio::Tone::Steady);
}

template <class Condition> bool pumpUntil(Condition&& condition) {
    return bench_audio::pumpUntil(condition, kDeadlineMs, kWakeUpMs);
}

bool playing(rt::MediaPlayer& engine) {
    return engine.playState() == rt::MediaPlayer::kPlaying;
}

// Twenty fixed drives C to V, each its own empty temporary folder; the WAV lies on C.
struct Drives {
    Drives() {
        std::vector<rt::Drive> table;
        for (int i = 0; i < kSearchedRoots; ++i) {
            roots.push_back(std::make_unique<QTemporaryDir>());
            table.push_back({QChar(u'C' + i), roots.back()->path(), rt::kDriveFixed});
        }
        rt::setDriveTableForTesting(table);
        QDir(roots.front()->path()).mkpath("Audio");
        wavReady = writeWav(roots.front()->filePath("Audio/Toma.wav"));
    }
    ~Drives() { rt::resetDriveTable(); }
    std::vector<std::unique_ptr<QTemporaryDir>> roots;
    bool wavReady = false;
};

void startWindows() {
    rt::Form::unloadAll();
    rt::Graveyard::flushIfIdle();
    player::player().Show();
    player::player().PL_Click();
    QCoreApplication::processEvents();
}

void stopWindows() {
    rt::Form::unloadAll();
    rt::Graveyard::flushIfIdle();
}

void clickLine(int row) {
    rt::ListBox& list = playlist::playList().d().ListFiles;
    list.setListIndex(-1);
    list.setListIndex(row);
}

// Milliseconds since the clock started.
double elapsedMs(const QElapsedTimer& clock) {
    return clock.nsecsElapsed() / 1e6;
}

// A click on an existing WAV line, through the playlist and the main window, to the engine playing it.
// Baseline, in each iteration: the same engine alone, from a new media address to playing.
void BM_ClickToPlaying(benchmark::State& state) {
    Drives drives;
    if (!drives.wavReady)
        return state.SkipWithError("cannot write the WAV file");
    startWindows();
    playlist::playList().d().ListFiles.AddItem(kWavLine);
    rt::MediaPlayer& engine = player::sa().engine();
    double clickMs = 0, engineMs = 0, worstClickMs = 0;
    for (auto _ : state) {
        engine.setURL(rt::String());
        QElapsedTimer clock;
        clock.start();
        engine.setURL(kWavLine);
        if (!pumpUntil([&] { return playing(engine); }))
            return state.SkipWithError("the engine did not start playing");
        engineMs += elapsedMs(clock);

        clock.start();
        clickLine(0);
        if (!pumpUntil([&] { return playing(engine); }))
            return state.SkipWithError("the click did not start playing");
        const double ms = elapsedMs(clock);
        clickMs += ms;
        worstClickMs = std::max(worstClickMs, ms);
        state.SetIterationTime(ms / 1e3);
    }
    stopWindows();
    const double n = double(state.iterations());
    state.counters["click_ms"] = clickMs / n;
    state.counters["worst_click_ms"] = worstClickMs;
    state.counters["engine_alone_ms"] = engineMs / n;
    state.counters["ratio"] = clickMs / engineMs;
}
BENCHMARK(BM_ClickToPlaying)->Iterations(kPlayIterations)->UseManualTime()->Unit(benchmark::kMillisecond);

// A click on a missing file's line: a first search of the 20 roots (a fresh playlist each time, so the work
// list holds each root once), every miss written to the information window.
// Baseline, in each iteration: whether each of the 20 candidates exists, asked of the host directly.
void BM_ClickOnAFileNoDriveHolds(benchmark::State& state) {
    Drives drives;
    startWindows();
    double searchMs = 0, plainMs = 0, worstSearchMs = 0;
    int found = 0;
    for (auto _ : state) {
        playlist::playList().Unload();
        rt::Graveyard::flushIfIdle();
        player::player().PL_Click();
        playlist::playList().d().ListFiles.AddItem(kMissingLine);

        QElapsedTimer clock;
        clock.start();
        for (const auto& root : drives.roots)
            found += QFileInfo::exists(root->filePath("Audio/Perdido.wav")) ? 1 : 0;
        plainMs += elapsedMs(clock);

        clock.start();
        clickLine(0);
        const double ms = elapsedMs(clock);
        searchMs += ms;
        worstSearchMs = std::max(worstSearchMs, ms);
        state.SetIterationTime(ms / 1e3);
        if (playlist::playList().d().List1.ListCount() != kSearchedRoots || found != 0)
            return state.SkipWithError("the search did not walk 20 empty roots");
    }
    stopWindows();
    const double n = double(state.iterations());
    state.counters["search_ms"] = searchMs / n;
    state.counters["worst_search_ms"] = worstSearchMs;
    state.counters["plain_check_ms"] = plainMs / n;
    state.counters["ratio"] = searchMs / plainMs;
}
BENCHMARK(BM_ClickOnAFileNoDriveHolds)
    ->Iterations(kSearchIterations)
    ->UseManualTime()
    ->Unit(benchmark::kMillisecond);

} // namespace

int main(int argc, char** argv) {
    bench_main::preferOffscreen();
    QApplication app(argc, argv);
    return bench_main::runBenchmarks(argc, argv);
}
