#pragma once
// Tells a hover poll whether anything that could change the window under the pointer has happened since
// it last looked: a pointer move or crossing, a window or control shown, hidden, moved, resized or
// restacked, a drag. Where asking the display costs round trips (X), a poll that finds nothing changed can
// keep its last answer; elsewhere the display is asked every time.
#include <cstdint>

namespace rt::win {

class PointerWatch {
  public:
    // True when nothing could have changed under the pointer since remember().
    bool nothingChanged() const;
    // The answer just found stands until something changes.
    void remember();
    // Forget the last answer: the next poll asks again.
    void forget() { seen_ = kNever; }

    // Whether watching is in force (X), or forced on or off for tests.
    static bool enabled();
    static void setEnabledForTesting(bool enabled);

  private:
    static constexpr std::uint64_t kNever = ~std::uint64_t{0};
    std::uint64_t seen_ = kNever;
};

} // namespace rt::win
