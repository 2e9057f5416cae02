// Ondara: starts the platform and the main window, then runs until the main window's close button.
#include "platform/runtime/Application.h"

#include <cstdio>

int main(int argc, char** argv) {
    rt::Application app(argc, argv);
    std::fprintf(stderr, "ondara: the main window is not built yet; nothing to show\n");
    return 0;
}
