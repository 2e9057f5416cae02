#include "platform/runtime/Application.h"

#include "platform/runtime/Events.h"
#include "platform/runtime/Form.h"

#include <QApplication>
#include <cstdio>

namespace rt {

namespace {

// The program places its windows itself, which a Wayland client may not do: run on XWayland unless the
// user chose a platform or there is no X display to use.
void choosePlatform() {
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

bool Application::canPlaceWindows() {
    return QGuiApplication::platformName() != "wayland";
}

void End() {
    Form::unloadAll();
    QCoreApplication::exit(0);
}

} // namespace rt
