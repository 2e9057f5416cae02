#include "platform/runtime/Timer.h"

#include "platform/base/Events.h"

#include <QAbstractEventDispatcher>
#include <QTimer>
#include <algorithm>
#include <optional>
#include <vector>

namespace rt {

namespace {
using Clock = std::chrono::steady_clock;
constexpr std::chrono::milliseconds kTick{Timer::kPlatformTickMs};
// A wake-up this close to a due time serves it: the system's timers are only as exact as a millisecond.
constexpr std::chrono::milliseconds kLateness{2};
} // namespace

// The one clock behind every running timer: a single-shot wake-up at the next platform tick on which some
// timer is due, and none while no timer runs.
class PlatformTick {
  public:
    static PlatformTick& instance() {
        // Lives to the end of the process, so timers destroyed during shutdown still find it.
        static auto* tick = new PlatformTick;
        return *tick;
    }

    void add(Timer* timer) {
        if (std::find(timers_.begin(), timers_.end(), timer) == timers_.end())
            timers_.push_back(timer);
        schedule();
    }

    void remove(Timer* timer) {
        timers_.erase(std::remove(timers_.begin(), timers_.end(), timer), timers_.end());
        schedule();
    }

  private:
    struct Due {
        Timer* timer;
        std::uint64_t serial;
    };

    PlatformTick() {
        wake_.setSingleShot(true);
        wake_.setTimerType(Qt::PreciseTimer);
        QObject::connect(&wake_, &QTimer::timeout, [this] { fireDue(); });
    }

    // The first tick of the grid at or after `time` (the grid starts where the process first needed it).
    Clock::time_point gridTickAtOrAfter(Clock::time_point time) const {
        if (time <= epoch_)
            return epoch_;
        const auto ticks = (time - epoch_ - kLateness + kTick - Clock::duration(1)) / kTick;
        return epoch_ + std::max<Clock::duration::rep>(ticks, 0) * kTick;
    }

    // A sleeping timer is left out of the schedule until an event wakes it; without an event loop to
    // tell of events, nothing sleeps.
    bool asleep(const Timer* timer) const {
        return timer->sleepsWhileNothingShows && timer->nextTickShowsNothing && watchingEvents_ &&
               timer->nextTickShowsNothing();
    }

    std::optional<Clock::time_point> earliestDue() {
        std::optional<Clock::time_point> earliest;
        sleeping_.clear();
        for (Timer* timer : timers_) {
            if (asleep(timer))
                sleeping_.push_back(timer);
            else if (!earliest || timer->due_ < *earliest)
                earliest = timer->due_;
        }
        return earliest;
    }

    void schedule() {
        if (epoch_ == Clock::time_point{})
            epoch_ = Clock::now();
        watchEvents();
        const auto due = earliestDue();
        if (!due) {
            wake_.stop();
            return;
        }
        const auto at = gridTickAtOrAfter(*due);
        const auto wait = std::chrono::ceil<std::chrono::milliseconds>(at - Clock::now());
        wake_.start(int(std::max<std::chrono::milliseconds::rep>(wait.count(), 0)));
    }

    // Events come through the main thread's event loop: after each batch of them, a sleeping timer may have
    // something to show again.
    void watchEvents() {
        if (watchingEvents_)
            return;
        QAbstractEventDispatcher* dispatcher = QAbstractEventDispatcher::instance();
        if (!dispatcher)
            return;
        QObject::connect(dispatcher, &QAbstractEventDispatcher::aboutToBlock, &wake_,
                         [this] { wakeSleepers(); });
        QObject::connect(dispatcher, &QAbstractEventDispatcher::awake, &wake_, [this] { wakeSleepers(); });
        watchingEvents_ = true;
    }

    void wakeSleepers() {
        if (sleeping_.empty())
            return;
        const auto now = Clock::now();
        bool woke = false;
        for (Timer* timer : sleeping_) {
            if (asleep(timer))
                continue;
            woke = true;
            // Back on its rhythm: the first of its due times still to come, as if it had ticked all along.
            if (timer->due_ <= now)
                timer->due_ += ((now - timer->due_) / timer->period() + 1) * timer->period();
        }
        if (woke)
            schedule();
    }

    void fireDue() {
        const auto now = Clock::now();
        // Handlers may start, stop or destroy timers, or pump events that come back here: each due timer
        // is checked again just before its tick.
        std::vector<Due> due;
        for (Timer* timer : timers_) {
            if (timer->due_ > now + kLateness || asleep(timer))
                continue;
            due.push_back({timer, timer->serial_});
            // The next due time keeps the timer's rate; ticks missed while the program was busy are dropped.
            timer->due_ += timer->period();
            if (timer->due_ <= now)
                timer->due_ = now + timer->period();
        }
        schedule();
        bool mayFallAsleep = false;
        for (const Due& entry : due) {
            if (stillRuns(entry)) {
                // Read before the tick, which may destroy the timer.
                mayFallAsleep = mayFallAsleep || entry.timer->sleepsWhileNothingShows;
                entry.timer->tick();
            }
        }
        runUnseenTicksEarly(due);
        // A poll that just found nothing new sleeps from now on, rather than waking the program once more.
        if (mayFallAsleep)
            schedule();
    }

    bool stillRuns(const Due& entry) const {
        return std::find(timers_.begin(), timers_.end(), entry.timer) != timers_.end() &&
               entry.timer->serial_ == entry.serial;
    }

    // The ticks due on the next platform tick run now when none of them would change anything on screen
    // (or they may come early and the timer did not tick at this wake-up), so the program does not wake
    // for them alone. A timer runs at most one tick early per wake-up, so each keeps its rate.
    void runUnseenTicksEarly(const std::vector<Due>& ticked) {
        std::vector<const Timer*> ranNow;
        for (const Due& entry : ticked)
            ranNow.push_back(entry.timer);
        std::vector<const Timer*> ranEarly;
        const auto contains = [](const std::vector<const Timer*>& list, const Timer* timer) {
            return std::find(list.begin(), list.end(), timer) != list.end();
        };
        while (!timers_.empty()) {
            const auto due = earliestDue();
            if (!due)
                return;
            const auto next = gridTickAtOrAfter(*due);
            std::vector<Due> early;
            for (Timer* timer : timers_) {
                if (gridTickAtOrAfter(timer->due_) != next || asleep(timer))
                    continue;
                const bool unseen = timer->nextTickShowsNothing && timer->nextTickShowsNothing();
                const bool mayCome = timer->ticksMayComeEarly && !contains(ranNow, timer);
                if (contains(ranEarly, timer) || !(unseen || mayCome))
                    return;
                early.push_back({timer, timer->serial_});
            }
            for (const Due& entry : early) {
                entry.timer->due_ += entry.timer->period();
                ranEarly.push_back(entry.timer);
                ranNow.push_back(entry.timer);
            }
            schedule();
            for (const Due& entry : early)
                if (stillRuns(entry))
                    entry.timer->tick();
        }
    }

    std::vector<Timer*> timers_;
    QTimer wake_;
    Clock::time_point epoch_{};
    bool watchingEvents_ = false;
    std::vector<Timer*> sleeping_; // running timers left out of the schedule until an event
};

Timer::Timer(int intervalMs, bool enabled) : interval_(intervalMs), enabled_(enabled) {
    apply(true);
}

Timer::~Timer() {
    if (running_)
        PlatformTick::instance().remove(this);
}

void Timer::setInterval(int milliseconds) {
    const bool changed = milliseconds != interval_;
    interval_ = milliseconds;
    apply(changed);
}

void Timer::setEnabled(bool enabled) {
    enabled_ = enabled;
    apply(false);
}

std::chrono::milliseconds Timer::period() const {
    return std::chrono::milliseconds(std::max(interval_, kPlatformTickMs));
}

void Timer::tick() {
    if (onTimer)
        dispatch(onTimer);
}

void Timer::apply(bool restart) {
    // An interval of 0 keeps the timer silent, as the runtime's timer does.
    const bool run = enabled_ && interval_ > 0;
    if (!run) {
        if (running_)
            PlatformTick::instance().remove(this);
        running_ = false;
        return;
    }
    // Enabling a running timer again leaves its rhythm alone; a new interval starts it afresh.
    if (running_ && !restart)
        return;
    running_ = true;
    // Unique across timers, so a timer made where a destroyed one lay is never taken for it.
    static std::uint64_t lastSerial = 0;
    serial_ = ++lastSerial;
    due_ = Clock::now() + period();
    PlatformTick::instance().add(this);
}

} // namespace rt
