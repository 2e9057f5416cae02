#pragma once
// Should the engine open a pipe, it would wait on it for a writer for ever: after a while this opens the
// writing end (possible only while a reader waits) and closes it, so the test fails instead of hanging.
#include <QByteArray>
#include <QDeadlineTimer>
#include <QThread>
#include <atomic>
#include <fcntl.h>
#include <thread>
#include <unistd.h>

namespace media_test {

constexpr int kPipeWatchdogMs = 3000;

class PipeWatchdog {
  public:
    explicit PipeWatchdog(QByteArray path) : thread_([this, path] { watch(path); }) {}
    ~PipeWatchdog() {
        done_ = true;
        thread_.join();
    }
    PipeWatchdog(const PipeWatchdog&) = delete;
    PipeWatchdog& operator=(const PipeWatchdog&) = delete;

  private:
    void watch(const QByteArray& path) {
        const QDeadlineTimer deadline(kPipeWatchdogMs);
        while (!done_) {
            QThread::msleep(10);
            if (!deadline.hasExpired())
                continue;
            const int writer = ::open(path.constData(), O_WRONLY | O_NONBLOCK | O_CLOEXEC);
            if (writer >= 0)
                ::close(writer);
        }
    }
    std::atomic<bool> done_{false};
    std::thread thread_;
};

} // namespace media_test
