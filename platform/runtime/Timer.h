#pragma once
// The runtime's timer control: fires on the UI thread every Interval milliseconds while Enabled.
#include <functional>
#include <memory>

class QTimer;

namespace rt {

class Container;

class Timer {
  public:
    // The platform tick: the shortest period a timer really runs at.
    static constexpr int kPlatformTickMs = 15;

    Timer(int intervalMs, bool enabled);
    ~Timer();
    Timer(const Timer&) = delete;
    Timer& operator=(const Timer&) = delete;

    int Interval() const { return interval_; }
    void setInterval(int milliseconds);
    bool Enabled() const { return enabled_; }
    void setEnabled(bool enabled);
    // True only while the underlying timer really runs (Enabled with a nonzero interval).
    bool isRunning() const;

    // The Timer event.
    std::function<void()> onTimer;

    // Runs the Timer event as a tick would (tests).
    void tick();

  private:
    void apply();
    int interval_;
    bool enabled_;
    std::unique_ptr<QTimer> timer_;
};

} // namespace rt
