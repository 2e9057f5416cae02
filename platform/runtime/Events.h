#pragma once
// The event pump and the dispatch of window events into the system's handlers.
#include <functional>
#include <memory>

namespace rt {

// Lets pending window events run. A call within a millisecond of the previous one returns at once, so
// byte-by-byte scans that pump after every byte stay fast.
void DoEvents();

// Every entry from the platform's event loop into a handler of the system runs inside a dispatch: it counts
// the nesting (handlers run inside DoEvents nest), reports an uncaught run-time error instead of letting
// it into the event loop, and destroys what was unloaded once the outermost handler has returned.
void dispatch(const std::function<void()>& handler);
int dispatchDepth();

// Something whose destruction must wait until no handler is running (an unloaded window's controls).
struct Graveyard {
    static void bury(std::shared_ptr<void> remains);
    static void flushIfIdle();
    static int size();
};

} // namespace rt
