#pragma once
// The controls keep their flags as 16-bit booleans, True stored as -1, like the runtime they were written
// for.
#include <cstdint>

namespace controls {

using Flag = std::int16_t;
inline constexpr Flag kTrue = -1;
inline constexpr Flag kFalse = 0;

inline constexpr Flag flagOf(bool value) {
    return value ? kTrue : kFalse;
}

} // namespace controls
