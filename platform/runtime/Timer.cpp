#include "platform/runtime/Timer.h"

#include "platform/runtime/Events.h"

#include <QTimer>
#include <algorithm>

namespace rt {

Timer::Timer(int intervalMs, bool enabled)
    : interval_(intervalMs), enabled_(enabled), timer_(std::make_unique<QTimer>()) {
    timer_->setTimerType(Qt::PreciseTimer);
    QObject::connect(timer_.get(), &QTimer::timeout, [this] { tick(); });
    apply();
}

Timer::~Timer() = default;

void Timer::setInterval(int milliseconds) {
    interval_ = milliseconds;
    apply();
}

void Timer::setEnabled(bool enabled) {
    enabled_ = enabled;
    apply();
}

bool Timer::isRunning() const {
    return timer_->isActive();
}

void Timer::tick() {
    if (onTimer)
        dispatch(onTimer);
}

void Timer::apply() {
    // An interval of 0 keeps the timer silent, as the runtime's timer does.
    if (!enabled_ || interval_ <= 0) {
        timer_->stop();
        return;
    }
    const int period = std::max(interval_, kPlatformTickMs);
    if (timer_->isActive() && timer_->interval() == period)
        return;
    timer_->start(period);
}

} // namespace rt
