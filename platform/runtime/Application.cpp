#include "platform/runtime/Application.h"

#include "platform/base/Events.h"
#include "platform/runtime/Form.h"

#include <QApplication>
#include <cstdio>

namespace rt {

namespace {

// The program places its windows itself, which a Wayland client may not do: run on XWayland unless the
// user chose a platform or there is no X display to use.
void choosePlatform() {
    // The windows are small and repaint a strip many times a second: sending those few pixels to the X
    // server costs less than the round trip a shared-memory image waits for before every paint.
    if (qEnvironmentVariableIsEmpty("QT_XCB_NO_MITSHM"))
        qputenv("QT_XCB_NO_MITSHM", "1");
    if (!qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        return;
    if (!qEnvironmentVariableIsEmpty("DISPLAY")) {
        qputenv("QT_QPA_PLATFORM", "xcb");
        return;
    }
    if (!qEnvironmentVariableIsEmpty("WAYLAND_DISPLAY"))
        std::fprintf(stderr,
                     "ondara: no X display; on native Wayland the windows cannot be placed or docked\n");
}

} // namespace

struct Application::Impl {
    Impl(int& argc, char** argv) : app(argc, argv) {}
    QApplication app;
};

Application::Application(int& argc, char** argv) {
    choosePlatform();
    impl_ = std::make_unique<Impl>(argc, argv);
    QApplication::setApplicationName("Ondara");
    QApplication::setQuitOnLastWindowClosed(false);
}

Application::~Application() {
    Form::unloadAll();
    Graveyard::flushIfIdle();
}

int Application::run() {
    return QApplication::exec();
}

void End() {
    Form::unloadAll();
    QCoreApplication::exit(0);
}

} // namespace rt
