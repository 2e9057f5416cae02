// What playback costs: a generated 44.1 kHz stereo WAV played through the real GStreamer engine, first by the
// engine alone (no windows; its spectrum view shown or hidden, so the spectrum branch is on or off), then by
// the whole program (main window shown, spectrum window hidden or shown). Each case reports CPU as a
// percentage of one core and wake-ups per second (voluntary and involuntary context switches of every
// thread, from /proc), the median of a few windows of playback; the program's windows alternate with
// windows of the engine alone with the same spectrum branch state, whose medians give the program's ratio
// to its engine. A last case rests the pointer on a button with nothing playing: the hover poll alone. The
// per-tick case times one tick of each timer of the main window with the paint it causes, on the main
// thread's own CPU clock; the work-per-wake-up case times each pass of the event loop while playing; the
// empty-ticks case is the cost of the wake-ups alone. Offscreen unless QT_QPA_PLATFORM says otherwise (xcb
// with an X server, Xvfb included, gives the round trips a real display costs); scripts/bench-playback-cost
// runs it on Xvfb into a PulseAudio null sink.
#include "bench/BenchAudio.h"
#include "bench/BenchMain.h"
#include "platform/media/AnalyserView.h"
#include "platform/media/MediaPlayer.h"
#include "platform/runtime/Application.h"
#include "platform/runtime/Timer.h"
#include "platform/win/Drives.h"
#include "player/Player.h"
#include "player/SA.h"

#include <QAbstractEventDispatcher>
#include <QByteArray>
#include <QCoreApplication>
#include <QCursor>
#include <QDeadlineTimer>
#include <QDir>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QFile>
#include <QMouseEvent>
#include <QTemporaryDir>
#include <QTimer>
#include <QWidget>
#include <QtEndian>
#include <benchmark/benchmark.h>

#include <sys/resource.h>
#include <time.h>

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <memory>
#include <numbers>
#include <vector>

namespace {

// Long enough for every window of a case to fall inside the media.
constexpr double kFileSeconds = 30;
constexpr int kSettleMs = 500;
constexpr int kWindowMs = 3000;
constexpr int kWindows = 5;
constexpr int kStartDeadlineMs = 10000;
constexpr int kStartPollMs = 5;
constexpr double kPercent = 100;

// A 16-bit stereo WAV of a tone sweeping from 100 Hz to 10 kHz, so the spectrum keeps moving.
QString writeWav(const QString& folder) {
    const QString path = QDir(folder).filePath("playback.wav");
    return bench_audio::writeToneWav(path, kFileSeconds, bench_audio::Tone::Sweep) ? path : QString();
}

double cpuSeconds() {
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    const auto seconds = [](const timeval& t) { return double(t.tv_sec) + double(t.tv_usec) / 1e6; };
    return seconds(usage.ru_utime) + seconds(usage.ru_stime);
}

// Context switches of every live thread of the process: each is a wake-up or a preemption.
long long contextSwitches() {
    long long total = 0;
    for (const QString& task : QDir("/proc/self/task").entryList(QDir::Dirs | QDir::NoDotAndDotDot)) {
        QFile status("/proc/self/task/" + task + "/status");
        if (!status.open(QIODevice::ReadOnly))
            continue;
        for (const QByteArray& line : status.readAll().split('\n'))
            if (line.startsWith("voluntary_ctxt_switches:") || line.startsWith("nonvoluntary_ctxt_switches:"))
                total += line.mid(line.indexOf(':') + 1).trimmed().toLongLong();
    }
    return total;
}

void runEventLoopFor(int milliseconds) {
    QEventLoop loop;
    QTimer::singleShot(milliseconds, &loop, &QEventLoop::quit);
    loop.exec();
}

template <class Condition> bool pumpUntil(Condition&& condition) {
    return bench_audio::pumpUntil(condition, kStartDeadlineMs, kStartPollMs);
}

struct Cost {
    double cpuPercent = 0;
    double wakeUpsPerSecond = 0;
};

double median(std::vector<double> values) {
    std::sort(values.begin(), values.end());
    return values[values.size() / 2];
}

// One window of the event loop left to itself.
Cost window() {
    QElapsedTimer wall;
    wall.start();
    const double cpuBefore = cpuSeconds();
    const long long switchesBefore = contextSwitches();
    runEventLoopFor(kWindowMs);
    const double seconds = double(wall.nsecsElapsed()) / 1e9;
    return {kPercent * (cpuSeconds() - cpuBefore) / seconds,
            double(contextSwitches() - switchesBefore) / seconds};
}

Cost medianOf(const std::vector<Cost>& windows) {
    std::vector<double> cpu;
    std::vector<double> wakeUps;
    for (const Cost& each : windows) {
        cpu.push_back(each.cpuPercent);
        wakeUps.push_back(each.wakeUpsPerSecond);
    }
    return {median(cpu), median(wakeUps)};
}

// The event loop left to itself for a few windows; the median of each figure.
Cost measure() {
    runEventLoopFor(kSettleMs);
    std::vector<Cost> windows;
    for (int each = 0; each < kWindows; ++each)
        windows.push_back(window());
    return medianOf(windows);
}

QString& wavPath() {
    static QString path;
    return path;
}

void report(benchmark::State& state, const Cost& cost) {
    state.counters["cpu_percent_of_one_core"] = cost.cpuPercent;
    state.counters["wakeups_per_s"] = cost.wakeUpsPerSecond;
}

// An engine of its own, with no window but its spectrum view, shown (the spectrum branch on) or not.
class LoneEngine {
  public:
    explicit LoneEngine(bool spectrum) : engine_(rt::createMediaPlayer()) {
        view_.resize(311, 303);
        if (spectrum)
            view_.show();
        engine_->attachAnalyserView(&view_);
    }
    bool play() {
        engine_->setURL(rt::windowsPathOf(wavPath()));
        return pumpUntil([&] { return engine_->playState() == rt::MediaPlayer::kPlaying; });
    }
    void stop() { engine_->setURL({}); }

  private:
    std::unique_ptr<rt::MediaPlayer> engine_;
    rt::AnalyserView view_;
};

bool playWholeProgram() {
    // As the playlist starts an entry: the address starts the media, then the transport's play.
    player::sa().engine().setURL(rt::windowsPathOf(wavPath()));
    player::player().Control_Click(0);
    return pumpUntil([] { return player::sa().engine().playState() == rt::MediaPlayer::kPlaying; });
}

void stopWholeProgram() {
    player::player().Control_Click(2);
    player::sa().engine().setURL({});
}

void EngineAlone(benchmark::State& state) {
    LoneEngine engine(state.range(0) != 0);
    Cost cost;
    for (auto _ : state) {
        if (!engine.play())
            return state.SkipWithError("the engine did not start playing");
        cost = measure();
        engine.stop();
        state.SetIterationTime(double(kWindows * kWindowMs) / 1000);
    }
    report(state, cost);
}

// The whole program's windows alternate with windows of the engine alone (same spectrum branch state), so
// that both figures of the ratio come from the same stretch of the machine's ever-changing load.
void WholeProgram(benchmark::State& state) {
    const bool spectrum = state.range(0) != 0;
    player::Player& main = player::player();
    main.Show();
    player::sa().setVisible(spectrum);
    LoneEngine alone(spectrum);
    std::vector<Cost> program;
    std::vector<Cost> engine;
    for (auto _ : state) {
        for (int round = 0; round < kWindows; ++round) {
            if (!alone.play())
                return state.SkipWithError("the engine did not start playing");
            runEventLoopFor(kSettleMs);
            engine.push_back(window());
            alone.stop();
            if (!playWholeProgram())
                return state.SkipWithError("the program did not start playing");
            runEventLoopFor(kSettleMs);
            program.push_back(window());
            stopWholeProgram();
        }
        state.SetIterationTime(double(2 * kWindows * kWindowMs) / 1000);
    }
    player::sa().setVisible(false);
    const Cost cost = medianOf(program);
    const Cost engineCost = medianOf(engine);
    report(state, cost);
    state.counters["engine_cpu_percent"] = engineCost.cpuPercent;
    state.counters["engine_wakeups_per_s"] = engineCost.wakeUpsPerSecond;
    state.counters["cpu_ratio_to_engine"] = cost.cpuPercent / engineCost.cpuPercent;
    state.counters["wakeup_ratio_to_engine"] = cost.wakeUpsPerSecond / engineCost.wakeUpsPerSecond;
    state.counters["running_timers_after_stop"] =
        double(main.d().TimerTime.isRunning() + main.d().TimerDisplay.isRunning());
}

double threadCpuMicroseconds() {
    timespec now{};
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &now);
    return double(now.tv_sec) * 1e6 + double(now.tv_nsec) / 1e3;
}

// Main-thread CPU of one tick and the paint it causes, the timers stopped so only the ticks run: the
// median, so that a tick the system interrupted does not count.
double microsecondsPerTick(rt::Timer& timer, int ticks) {
    std::vector<double> spent;
    for (int tick = 0; tick < ticks; ++tick) {
        const double before = threadCpuMicroseconds();
        timer.tick();
        QCoreApplication::processEvents();
        spent.push_back(threadCpuMicroseconds() - before);
        runEventLoopFor(rt::Timer::kPlatformTickMs);
    }
    return median(spent);
}

void PerTick(benchmark::State& state) {
    constexpr int kTicks = 300;
    player::Player& main = player::player();
    main.Show();
    double title = 0;
    double position = 0;
    for (auto _ : state) {
        if (!playWholeProgram())
            return state.SkipWithError("the program did not start playing");
        main.d().TimerDisplay.setEnabled(false);
        main.d().TimerTime.setEnabled(false);
        title = microsecondsPerTick(main.d().TimerDisplay, kTicks);
        position = microsecondsPerTick(main.d().TimerTime, kTicks);
        stopWholeProgram();
        state.SetIterationTime(double(2 * kTicks * rt::Timer::kPlatformTickMs) / 1000);
    }
    state.counters["title_tick_us"] = title;
    state.counters["position_tick_us"] = position;
}

// The main thread's CPU for each pass of its event loop: the wait, the wake-up, and what it then does.
class PassClock {
  public:
    PassClock() {
        QAbstractEventDispatcher* dispatcher = QAbstractEventDispatcher::instance();
        asleep_ = QObject::connect(dispatcher, &QAbstractEventDispatcher::aboutToBlock,
                                   [this] { sleptAt_ = threadCpuMicroseconds(); });
        awake_ = QObject::connect(dispatcher, &QAbstractEventDispatcher::awake, [this] {
            if (sleptAt_ >= 0)
                spent_.push_back(threadCpuMicroseconds() - sleptAt_);
            sleptAt_ = -1;
        });
    }
    ~PassClock() {
        QObject::disconnect(asleep_);
        QObject::disconnect(awake_);
    }
    PassClock(const PassClock&) = delete;
    PassClock& operator=(const PassClock&) = delete;

    void restart() { spent_.clear(); }
    // The median and the mean: a mean far above the median says rare heavy passes weigh most.
    void report(benchmark::State& state) const {
        if (spent_.empty())
            return;
        double total = 0;
        for (const double each : spent_)
            total += each;
        state.counters["pass_median_us"] = median(spent_);
        state.counters["pass_mean_us"] = total / double(spent_.size());
    }

  private:
    std::vector<double> spent_;
    double sleptAt_ = -1;
    QMetaObject::Connection asleep_;
    QMetaObject::Connection awake_;
};

// Each pass of the event loop while the whole program plays, spectrum hidden, and the main thread's CPU.
void WorkPerWakeUp(benchmark::State& state) {
    player::player().Show();
    PassClock passes;
    double mainThread = 0;
    for (auto _ : state) {
        if (!playWholeProgram())
            return state.SkipWithError("the program did not start playing");
        runEventLoopFor(kSettleMs);
        passes.restart();
        QElapsedTimer wall;
        wall.start();
        const double before = threadCpuMicroseconds();
        runEventLoopFor(kWindows * kWindowMs);
        mainThread = kPercent * (threadCpuMicroseconds() - before) / double(wall.nsecsElapsed() / 1000);
        stopWholeProgram();
        state.SetIterationTime(double(kWindows * kWindowMs) / 1000);
    }
    passes.report(state);
    state.counters["main_thread_cpu_percent"] = mainThread;
}

// A timer at the platform tick whose ticks do nothing: what waking the program this often costs by itself
// on this machine, the floor under every figure above.
void EmptyTicks(benchmark::State& state) {
    player::player().Show();
    rt::Timer timer(1, true);
    timer.onTimer = [] {};
    PassClock passes;
    Cost cost;
    for (auto _ : state) {
        cost = measure();
        state.SetIterationTime(double(kWindows * kWindowMs) / 1000);
    }
    report(state, cost);
    passes.report(state);
}

// The pointer rests on the open button with nothing playing: only its hover poll runs.
void HoverPollAtRest(benchmark::State& state) {
    player::Player& main = player::player();
    main.Show();
    QWidget* button = main.d().Open.widget();
    const QPoint centre = button->rect().center();
    QCursor::setPos(button->mapToGlobal(centre));
    QMouseEvent move(QEvent::MouseMove, centre, button->mapToGlobal(centre), Qt::NoButton, Qt::NoButton,
                     Qt::NoModifier);
    QCoreApplication::sendEvent(button, &move);
    Cost cost;
    for (auto _ : state) {
        cost = measure();
        state.SetIterationTime(double(kWindows * kWindowMs) / 1000);
    }
    report(state, cost);
    state.counters["hover_poll_running"] = main.d().Open.overTimer().isRunning();
}

} // namespace

int main(int argc, char** argv) {
    bench_main::preferOffscreen();
    rt::Application app(argc, argv);
    QTemporaryDir folder;
    wavPath() = writeWav(folder.path());
    if (wavPath().isEmpty())
        return 1;
    // The program as it starts (the main window loads its hidden spectrum window and its engine); it idles,
    // with no timer running, while the engine alone is measured.
    player::player().load();

    const auto registerCase = [](const char* name, auto function, const char* argName) {
        auto* bench = benchmark::RegisterBenchmark(name, function)
                          ->Iterations(1)
                          ->UseManualTime()
                          ->Unit(benchmark::kMillisecond);
        if (argName)
            bench->ArgName(argName)->Arg(0)->Arg(1);
        return bench;
    };
    registerCase("EngineAlone", EngineAlone, "spectrum");
    registerCase("WholeProgram", WholeProgram, "spectrum_window");
    registerCase("PerTick", PerTick, nullptr);
    registerCase("WorkPerWakeUp", WorkPerWakeUp, nullptr);
    registerCase("EmptyTicks", EmptyTicks, nullptr);
    registerCase("HoverPollAtRest", HoverPollAtRest, nullptr);
    return bench_main::runBenchmarks(argc, argv);
}
