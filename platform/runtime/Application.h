#pragma once
// Starts the platform for the program: the windowing system and its event loop.
#include <memory>

namespace rt {

class Application {
  public:
    Application(int& argc, char** argv);
    ~Application();
    Application(const Application&) = delete;
    Application& operator=(const Application&) = delete;

    // Runs the event loop until the program ends.
    int run();

  private:
    struct Impl;
    std::unique_ptr<Impl> impl_;
};

// Ends the program: every window is unloaded and the event loop stops once the running handler returns.
void End();

} // namespace rt
