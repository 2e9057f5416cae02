// CPU while idle with nothing loaded (goal: no timer running, about 0 %): the program as it starts, main
// window shown and spectrum window hidden, left alone for two seconds of its event loop. CPU time is the
// whole process's (every thread, GStreamer's included). Offscreen unless QT_QPA_PLATFORM says otherwise.
#include "bench/BenchMain.h"
#include "platform/runtime/Application.h"
#include "platform/runtime/Timer.h"
#include "player/Player.h"
#include "player/SA.h"

#include <QCoreApplication>
#include <QEventLoop>
#include <QTimer>
#include <benchmark/benchmark.h>

#include <chrono>
#include <sys/resource.h>
#include <vector>

namespace {

constexpr int kIdleMs = 2000;
constexpr int kSettleMs = 300;

double cpuSeconds() {
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    const auto seconds = [](const timeval& t) { return double(t.tv_sec) + double(t.tv_usec) / 1e6; };
    return seconds(usage.ru_utime) + seconds(usage.ru_stime);
}

void runEventLoopFor(int milliseconds) {
    QEventLoop loop;
    QTimer::singleShot(milliseconds, &loop, &QEventLoop::quit);
    loop.exec();
}

// Every timer of the two loaded windows: the position and title timers and each control's hover poll.
int runningTimers() {
    player::PlayerDesign& main = player::player().d();
    player::SADesign& spectrum = player::sa().d();
    std::vector<rt::Timer*> timers = {&main.TimerTime,
                                      &main.TimerDisplay,
                                      &main.Abaut.overTimer(),
                                      &main.Open.overTimer(),
                                      &main.PL.overTimer(),
                                      &main.SAtoggle1.overTimer(),
                                      &main.SliderTime.overTimer(),
                                      &main.SliderVol.overTimer(),
                                      &main.Info.overTimer(),
                                      &main.cmdMinimizar.overTimer(),
                                      &main.Close.overTimer(),
                                      &spectrum.cmdMinimizar.overTimer(),
                                      &spectrum.Close.overTimer()};
    for (int index = 0; index < main.Control.size(); ++index)
        timers.push_back(&main.Control(index).overTimer());
    int running = 0;
    for (const rt::Timer* timer : timers)
        running += timer->isRunning();
    return running;
}

void IdleWithNothingLoaded(benchmark::State& state) {
    double cpu = 0;
    for (auto _ : state) {
        const double before = cpuSeconds();
        runEventLoopFor(kIdleMs);
        cpu = cpuSeconds() - before;
        state.SetIterationTime(cpu);
    }
    state.counters["cpu_percent"] = cpu / (kIdleMs / 1000.0) * 100;
    state.counters["running_timers"] = runningTimers();
}

} // namespace

int main(int argc, char** argv) {
    bench_main::preferOffscreen();
    rt::Application app(argc, argv);
    player::player().Show();
    // Let the first paints and the engine's start-up settle before measuring.
    runEventLoopFor(kSettleMs);

    benchmark::RegisterBenchmark("IdleWithNothingLoaded", IdleWithNothingLoaded)
        ->Iterations(1)
        ->UseManualTime()
        ->Unit(benchmark::kMillisecond);
    return bench_main::runBenchmarks(argc, argv);
}
