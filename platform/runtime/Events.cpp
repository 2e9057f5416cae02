#include "platform/runtime/Events.h"

#include "platform/runtime/Errors.h"

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

struct DepthGuard {
    DepthGuard() { ++depth; }
    ~DepthGuard() {
        --depth;
        Graveyard::flushIfIdle();
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

int dispatchDepth() {
    return depth;
}

void Graveyard::bury(std::shared_ptr<void> remains) {
    graves().push_back(std::move(remains));
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
