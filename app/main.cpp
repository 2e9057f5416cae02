// Ondara: starts the platform and the main window, then runs until the main window's close button.
#include "platform/runtime/Application.h"
#include "player/Player.h"

int main(int argc, char** argv) {
    rt::Application app(argc, argv);
    // The first touch loads the main window (its load handler places it and creates the hidden spectrum
    // window with the engine); the start-up window is then shown.
    player::player().Show();
    return app.run();
}
