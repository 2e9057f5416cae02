#pragma once
// Lets the event loop run for a while, as the program's would: timers, posted events and the display's.
#include <QCoreApplication>
#include <QElapsedTimer>

namespace fixtures {

inline void runEventsFor(int milliseconds) {
    QElapsedTimer clock;
    clock.start();
    while (clock.elapsed() < milliseconds)
        QCoreApplication::processEvents(QEventLoop::AllEvents, 5);
}

} // namespace fixtures
