#pragma once
// The runtime's number conversions and checked integer arithmetic: halves round to the even neighbour,
// results outside the target type fail with an overflow (error 6) instead of wrapping, and numbers
// become text the way the runtime writes them.
#include "platform/base/Text.h"

#include <QChar>
#include <cstdint>

namespace rt {

// Nearest whole number, halves to even; NaN or a result outside the type fails with error 6.
std::int16_t CInt(double value);
std::int32_t CLng(double value);
// The largest whole number not above value.
double Int(double value);

// Integer arithmetic of the 16-bit and 32-bit types: a result outside the type fails with error 6.
std::int16_t add16(std::int32_t a, std::int32_t b);
std::int16_t sub16(std::int32_t a, std::int32_t b);
std::int16_t mul16(std::int32_t a, std::int32_t b);
std::int32_t add32(std::int32_t a, std::int32_t b);
std::int32_t sub32(std::int32_t a, std::int32_t b);
std::int32_t mul32(std::int32_t a, std::int32_t b);

// The runtime's Val: blanks, tabs and line feeds are skipped anywhere; an optional sign, digits, "." as the
// only decimal point and an optional exponent (E or D) are read up to the first other character; "&H" and
// "&O" read hexadecimal and octal numbers (16-bit when they fit in 16 bits, like the runtime). No number
// gives 0; a number too large for a double fails with error 6.
double Val(const String& text);

// Format for the formats "###" (whole number, halves away from zero, empty text when it rounds to 0), and
// "0#" and "00" (at least two digits, zero-padded). Any other format fails with error 5.
String Format(double value, const String& format);

// The runtime's number-to-text conversion: at most 15 significant digits, no trailing zeros, a 0 before
// the point of a number below 1, exponent form beyond 15 digits ("1E+16", "1E-05"), and the user's
// decimal separator.
String CStr(double value);
// The same text with "." as the decimal point and a leading blank for a number that is not negative.
String Str(double value);
// Two decimals with the user's decimal separator: 12.3 -> "12.30" (or "12,30").
String formatFixed2Locale(double value);

// The user's decimal separator (the system locale's), unless a test set one.
String decimalSeparator();
// Tests pin the separator; a null QChar goes back to the system locale's.
void setDecimalSeparatorForTesting(QChar separator);

} // namespace rt
