#pragma once
// The event pump and the dispatch of window events into the system's handlers.
#include <functional>
#include <memory>

class QObject;

namespace rt {

// Lets pending window events run. A call within a millisecond of the previous one returns at once, so
// byte-by-byte scans that pump after every byte stay fast.
void DoEvents();

// Every entry from the platform's event loop into a handler of the system runs inside a dispatch: it counts
// the nesting (handlers run inside DoEvents nest), reports an uncaught run-time error instead of letting
// it into the event loop, and, once the outermost handler has returned, has what was unloaded destroyed
// when control is back in the event loop (the event that ran the handler may still be on its way).
void dispatch(const std::function<void()>& handler);
int dispatchDepth();
// Runs the handler in a dispatch once control is back in the event loop (or at the next event pump), unless
// `context` is destroyed first. A drop is accepted at once this way, and the file manager is not held while
// the drop loads.
void dispatchSoon(QObject* context, std::function<void()> handler);

// Something whose destruction must wait until no handler is running (an unloaded window's controls).
// Buried outside every handler it goes at once; flushIfIdle destroys what waits when no handler runs.
struct Graveyard {
    static void bury(std::shared_ptr<void> remains);
    static void flushIfIdle();
    static int size();
};

} // namespace rt
