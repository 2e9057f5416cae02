#pragma once
// The runtime's timer control: fires on the UI thread every Interval milliseconds while Enabled. Every timer
// fires on the platform tick, one shared clock: a timer's ticks come at the first platform tick at or after
// each of its due times, so timers that run together wake the program together, and a timer keeps its
// average rate (a 25 ms timer ticks 40 times a second).
#include <chrono>
#include <cstdint>
#include <functional>

namespace rt {

class Timer {
  public:
    // The platform tick: the shortest period a timer really runs at, and the grid every timer fires on.
    static constexpr int kPlatformTickMs = 15;

    Timer(int intervalMs, bool enabled);
    ~Timer();
    Timer(const Timer&) = delete;
    Timer& operator=(const Timer&) = delete;

    int Interval() const { return interval_; }
    void setInterval(int milliseconds);
    bool Enabled() const { return enabled_; }
    void setEnabled(bool enabled);
    // True only while the timer really runs (Enabled with a nonzero interval).
    bool isRunning() const { return running_; }

    // The Timer event.
    std::function<void()> onTimer;
    // Whether the coming tick would change nothing on screen. Such a tick runs at once, right after the
    // tick before it, instead of waking the program by itself; what is seen at each moment is the same.
    std::function<bool()> nextTickShowsNothing;
    // Its ticks need not come exactly on time: rather than wake the program by itself, a tick may run at
    // the wake-up of another timer on the platform tick before it.
    bool ticksMayComeEarly = false;
    // Its ticks that would change nothing do nothing at all (a poll that finds nothing new): while
    // nextTickShowsNothing holds the timer does not wake the program, and once an event has made it false
    // the timer ticks again on its own rhythm.
    bool sleepsWhileNothingShows = false;

    // Runs the Timer event as a tick would (tests).
    void tick();

  private:
    friend class PlatformTick;
    using TimePoint = std::chrono::steady_clock::time_point;

    void apply(bool restart);
    std::chrono::milliseconds period() const;
    int interval_;
    bool enabled_;
    bool running_ = false;
    std::uint64_t serial_ = 0; // this run's number: a tick meant for an earlier run is not delivered
    TimePoint due_{};
};

} // namespace rt
