// Start-up of Ondara to the main window's first paint (goal: under 300 ms). The cold figure is the program's
// own road from main(): the application object, the main window's load (which creates the hidden spectrum
// window with its GStreamer engine), the show and the first paint. The warm figure is the same load, show
// and paint again once the platform is up. Offscreen unless QT_QPA_PLATFORM says otherwise.
#include "bench/BenchMain.h"
#include "platform/base/Events.h"
#include "platform/runtime/Application.h"
#include "platform/runtime/Form.h"
#include "player/Player.h"

#include <QCoreApplication>
#include <QDeadlineTimer>
#include <QEvent>
#include <QFile>
#include <QWidget>
#include <benchmark/benchmark.h>

#include <chrono>
#include <ctime>
#include <unistd.h>

namespace {

using Clock = std::chrono::steady_clock;
constexpr int kPaintDeadlineMs = 10000;

class PaintWatch : public QObject {
  public:
    bool painted = false;

  protected:
    bool eventFilter(QObject*, QEvent* event) override {
        if (event->type() == QEvent::Paint)
            painted = true;
        return false;
    }
};

double secondsSince(Clock::time_point start) {
    return std::chrono::duration<double>(Clock::now() - start).count();
}

// Shows the main window (loading it if needed) and returns once its first paint has happened; the load's
// share of the time goes to `loadSeconds`.
bool showMainWindowAndWaitForPaint(double& loadSeconds) {
    player::Player& main = player::player();
    const auto start = Clock::now();
    main.load();
    loadSeconds = secondsSince(start);
    PaintWatch watch;
    main.containerWidget()->installEventFilter(&watch);
    main.Show();
    QDeadlineTimer deadline(kPaintDeadlineMs);
    while (!watch.painted && !deadline.hasExpired())
        QCoreApplication::processEvents(QEventLoop::AllEvents, 5);
    main.containerWidget()->removeEventFilter(&watch);
    return watch.painted;
}

// From the process's start to main(), from /proc (the kernel counts in clock ticks: about 10 ms).
double secondsFromExecToMain() {
    QFile stat("/proc/self/stat");
    QFile uptime("/proc/uptime");
    if (!stat.open(QIODevice::ReadOnly) || !uptime.open(QIODevice::ReadOnly))
        return -1;
    const QList<QByteArray> fields = stat.readAll().split(')').last().trimmed().split(' ');
    // Field 22 of the whole line is the 20th after the command's closing parenthesis.
    constexpr int kStartTimeAfterParen = 19;
    if (fields.size() <= kStartTimeAfterParen)
        return -1;
    const double startedAt = fields[kStartTimeAfterParen].toDouble() / double(sysconf(_SC_CLK_TCK));
    const double now = uptime.readAll().split(' ').first().toDouble();
    return now - startedAt;
}

void WarmStartToFirstPaint(benchmark::State& state) {
    for (auto _ : state) {
        rt::Form::unloadAll();
        rt::Graveyard::flushIfIdle();
        QCoreApplication::processEvents();
        const auto start = Clock::now();
        double load = 0;
        if (!showMainWindowAndWaitForPaint(load))
            state.SkipWithError("the main window never painted");
        state.SetIterationTime(secondsSince(start));
    }
}

} // namespace

int main(int argc, char** argv) {
    const auto mainEntered = Clock::now();
    const double execToMain = secondsFromExecToMain();
    bench_main::preferOffscreen();
    const auto applicationStart = Clock::now();
    rt::Application app(argc, argv);
    const double application = secondsSince(applicationStart);
    double load = 0;
    const bool painted = showMainWindowAndWaitForPaint(load);
    const double cold = secondsSince(mainEntered);

    benchmark::RegisterBenchmark("ColdStartToFirstPaint",
                                 [=](benchmark::State& state) {
                                     for (auto _ : state)
                                         state.SetIterationTime(cold);
                                     if (!painted)
                                         state.SkipWithError("the main window never painted");
                                     state.counters["exec_to_main_ms"] = execToMain * 1000;
                                     state.counters["application_ms"] = application * 1000;
                                     state.counters["load_ms"] = load * 1000;
                                     state.counters["goal_ms"] = 300;
                                 })
        ->Iterations(1)
        ->UseManualTime()
        ->Unit(benchmark::kMillisecond);
    benchmark::RegisterBenchmark("WarmStartToFirstPaint", WarmStartToFirstPaint)
        ->Iterations(20)
        ->UseManualTime()
        ->Unit(benchmark::kMillisecond);

    return bench_main::runBenchmarks(argc, argv);
}
