#pragma once
// The drive table in use, for the path lookup beside it.
#include "platform/win/Drives.h"

#include <optional>

namespace rt::drives {

inline constexpr char16_t kLastLetter = u'Z';

// The drive of a letter (any case) in the table in use, with the test delay of its lookups.
std::optional<Drive> driveOfLetter(QChar letter, int* lookupDelayMs = nullptr);

} // namespace rt::drives
