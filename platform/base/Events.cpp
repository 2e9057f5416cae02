#include "platform/base/Events.h"

#include "platform/base/Errors.h"

#include <QApplication>
#include <chrono>
#include <cstdio>
#include <vector>

namespace rt {

namespace {

constexpr auto kPumpQuietPeriod = std::chrono::milliseconds(1);

int depth = 0;
std::vector<std::shared_ptr<void>>& graves() {
    static std::vector<std::shared_ptr<void>> list;
    return list;
}

bool flushPosted = false;

// When the outermost handler returns, the platform may still be delivering the event that ran it to a
// widget of the window just unloaded: the remains go only once control is back in the event loop.
void postFlush() {
    if (flushPosted || graves().empty())
        return;
    if (!QCoreApplication::instance()) {
        Graveyard::flushIfIdle();
        return;
    }
    flushPosted = true;
    QMetaObject::invokeMethod(
        QCoreApplication::instance(),
        [] {
            flushPosted = false;
            Graveyard::flushIfIdle();
        },
        Qt::QueuedConnection);
}

struct DepthGuard {
    DepthGuard() { ++depth; }
    ~DepthGuard() {
        if (--depth == 0)
            postFlush();
    }
};

} // namespace

void DoEvents() {
    static auto last = std::chrono::steady_clock::time_point{};
    const auto now = std::chrono::steady_clock::now();
    if (now - last < kPumpQuietPeriod)
        return;
    QCoreApplication::processEvents(QEventLoop::AllEvents);
    last = std::chrono::steady_clock::now();
}

void dispatch(const std::function<void()>& handler) {
    DepthGuard guard;
    try {
        handler();
    } catch (const RuntimeError& error) {
        // An error no procedure handles would end a handler; the program goes on and says why.
        std::fprintf(stderr, "ondara: run-time error %d: %s\n", error.number(), error.what());
    }
}

void dispatchSoon(QObject* context, std::function<void()> handler) {
    QMetaObject::invokeMethod(
        context, [handler = std::move(handler)] { dispatch(handler); }, Qt::QueuedConnection);
}

int dispatchDepth() {
    return depth;
}

void Graveyard::bury(std::shared_ptr<void> remains) {
    graves().push_back(std::move(remains));
    // Outside every handler nothing can still be using them.
    flushIfIdle();
}

void Graveyard::flushIfIdle() {
    if (depth != 0)
        return;
    // Destroying one may bury another (a window whose controls unload a child): loop until empty.
    while (!graves().empty()) {
        auto batch = std::move(graves());
        graves().clear();
        batch.clear();
    }
}

int Graveyard::size() {
    return static_cast<int>(graves().size());
}

} // namespace rt
