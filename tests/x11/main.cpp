// Tests on a real X server: uses the display there is, or starts an Xvfb of its own for the run.
#include <QApplication>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <gtest/gtest.h>
#include <string>
#include <sys/wait.h>
#include <unistd.h>

namespace {

bool exists(const std::string& path) {
    return access(path.c_str(), F_OK) == 0;
}

// Starts Xvfb on the first display number that nothing uses and waits for its socket.
pid_t startXvfb() {
    for (int display = 90; display < 140; ++display) {
        const std::string number = std::to_string(display);
        if (exists("/tmp/.X" + number + "-lock") || exists("/tmp/.X11-unix/X" + number))
            continue;
        const std::string name = ":" + number;
        const pid_t pid = fork();
        if (pid == 0) {
            // -br: a black root window, so whatever is not our window reads black.
            execlp("Xvfb", "Xvfb", name.c_str(), "-screen", "0", "1280x1024x24", "-br", "-nolisten", "tcp",
                   static_cast<char*>(nullptr));
            _exit(127);
        }
        if (pid < 0)
            return -1;
        for (int tries = 0; tries < 200; ++tries) {
            if (exists("/tmp/.X11-unix/X" + number)) {
                setenv("DISPLAY", name.c_str(), 1);
                return pid;
            }
            if (waitpid(pid, nullptr, WNOHANG) == pid)
                break; // it could not take this display: try the next
            usleep(50 * 1000);
        }
        kill(pid, SIGTERM);
        waitpid(pid, nullptr, 0);
    }
    return -1;
}

} // namespace

int main(int argc, char** argv) {
    ::testing::InitGoogleTest(&argc, argv);
    pid_t xvfb = 0;
    if (!getenv("DISPLAY") || !*getenv("DISPLAY")) {
        xvfb = startXvfb();
        if (xvfb < 0) {
            std::fprintf(stderr, "x11 tests: no display and Xvfb could not start; skipped\n");
            return 0;
        }
    }
    setenv("QT_QPA_PLATFORM", "xcb", 1);
    int status;
    {
        QApplication app(argc, argv);
        status = RUN_ALL_TESTS();
    }
    if (xvfb > 0) {
        kill(xvfb, SIGTERM);
        waitpid(xvfb, nullptr, 0);
    }
    return status;
}
