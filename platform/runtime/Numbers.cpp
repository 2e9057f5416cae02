#include "platform/runtime/Numbers.h"

#include "platform/base/Errors.h"

#include <QLocale>
#include <algorithm>
#include <charconv>
#include <cmath>
#include <limits>
#include <string>

namespace rt {

namespace {

// The runtime works with 15 significant decimal digits when it turns a double into text.
constexpr int kSignificantDigits = 15;
constexpr std::uint64_t kMax16BitPattern = 0xFFFF;
constexpr std::uint64_t kMax32BitPattern = 0xFFFFFFFF;

QChar gDecimalSeparatorOverride;

[[noreturn]] void overflow() {
    raise(kOverflow, "overflow");
}

double roundHalfToEven(double value) {
    const double below = std::floor(value);
    const double fraction = value - below;
    if (fraction < 0.5)
        return below;
    if (fraction > 0.5)
        return below + 1;
    return std::fmod(below, 2.0) == 0 ? below : below + 1;
}

template <class Integer> Integer narrowChecked(double wholeNumber) {
    if (!(wholeNumber >= std::numeric_limits<Integer>::min() &&
          wholeNumber <= std::numeric_limits<Integer>::max()))
        overflow();
    return static_cast<Integer>(wholeNumber);
}

template <class Integer> Integer narrowChecked(std::int64_t value) {
    if (value < std::numeric_limits<Integer>::min() || value > std::numeric_limits<Integer>::max())
        overflow();
    return static_cast<Integer>(value);
}

// ---- Val ----

// Reads the text the way Val does: the skipped characters are invisible to the parser.
class ValReader {
  public:
    explicit ValReader(const String& text) : text_(text) {}

    char16_t peek() {
        while (pos_ < text_.size() && isSkipped(text_[pos_].unicode()))
            ++pos_;
        return pos_ < text_.size() ? text_[pos_].unicode() : u'\0';
    }
    void take() { ++pos_; }

  private:
    static bool isSkipped(char16_t c) { return c == u' ' || c == u'\t' || c == u'\n'; }
    const String& text_;
    qsizetype pos_ = 0;
};

bool isDecimalDigit(char16_t c) {
    return c >= u'0' && c <= u'9';
}

int digitValue(char16_t c, int radix) {
    int digit = -1;
    if (c >= u'0' && c <= u'9')
        digit = c - u'0';
    else if (c >= u'a' && c <= u'f')
        digit = c - u'a' + 10;
    else if (c >= u'A' && c <= u'F')
        digit = c - u'A' + 10;
    return digit < radix ? digit : -1;
}

// "&H" / "&O" numbers: a value that fits in 16 bits is a 16-bit pattern (&HFFFF is -1), a larger one a
// 32-bit pattern, unless a trailing "&" asks for 32 bits.
double readRadixNumber(ValReader& reader, int radix) {
    std::uint64_t value = 0;
    for (int digit = digitValue(reader.peek(), radix); digit >= 0; digit = digitValue(reader.peek(), radix)) {
        value = value * static_cast<std::uint64_t>(radix) + static_cast<std::uint64_t>(digit);
        if (value > kMax32BitPattern)
            overflow();
        reader.take();
    }
    const bool asLong = reader.peek() == u'&';
    if (!asLong && value <= kMax16BitPattern)
        return static_cast<std::int16_t>(static_cast<std::uint16_t>(value));
    return static_cast<std::int32_t>(static_cast<std::uint32_t>(value));
}

struct DecimalText {
    std::string text; // what std::from_chars reads
    int integerDigits = 0;
    int fractionDigits = 0;
    int exponent = 0;
    // Power of ten of the first significant digit without the exponent, to tell overflow from underflow.
    int leadingPower = 0;
    bool hasSignificantDigit = false;
};

void readDigits(ValReader& reader, DecimalText& number, bool fraction) {
    for (char16_t c = reader.peek(); isDecimalDigit(c); c = reader.peek()) {
        number.text += static_cast<char>(c);
        if (c != u'0' && !number.hasSignificantDigit) {
            number.hasSignificantDigit = true;
            number.leadingPower = fraction ? -(number.fractionDigits + 1) : 0;
        } else if (number.hasSignificantDigit && !fraction) {
            ++number.leadingPower;
        }
        (fraction ? number.fractionDigits : number.integerDigits) += 1;
        reader.take();
    }
}

void readExponent(ValReader& reader, DecimalText& number) {
    const char16_t marker = reader.peek();
    if (marker != u'E' && marker != u'e' && marker != u'D' && marker != u'd')
        return;
    reader.take();
    std::string exponentText = "e";
    if (reader.peek() == u'+' || reader.peek() == u'-') {
        exponentText += static_cast<char>(reader.peek());
        reader.take();
    }
    bool anyDigit = false;
    long exponent = 0;
    for (char16_t c = reader.peek(); isDecimalDigit(c); c = reader.peek()) {
        anyDigit = true;
        exponentText += static_cast<char>(c);
        exponent = std::min<long>(exponent * 10 + (c - u'0'), 1'000'000);
        reader.take();
    }
    if (!anyDigit)
        return; // "1E" reads as 1
    number.text += exponentText;
    number.exponent = static_cast<int>(exponentText[1] == '-' ? -exponent : exponent);
}

double readDecimalNumber(ValReader& reader) {
    DecimalText number;
    if (reader.peek() == u'+' || reader.peek() == u'-') {
        if (reader.peek() == u'-')
            number.text += '-';
        reader.take();
    }
    readDigits(reader, number, false);
    if (reader.peek() == u'.') {
        number.text += '.';
        reader.take();
        readDigits(reader, number, true);
    }
    if (number.integerDigits + number.fractionDigits == 0)
        return 0;
    readExponent(reader, number);

    double value = 0;
    const char* first = number.text.data();
    const char* last = first + number.text.size();
    const auto [end, error] = std::from_chars(first, last, value, std::chars_format::general);
    if (error == std::errc::result_out_of_range) {
        if (number.hasSignificantDigit && number.leadingPower + number.exponent > 0)
            overflow();
        return 0; // too small for a double
    }
    return value;
}

// ---- decimal rounding for Format ----

// |value| with the given number of decimals, rounded half away from zero. The value is taken to 15
// significant digits first, as the runtime does, so 2.4999999999999996 counts as 2.5.
std::string fixedHalfAwayFromZero(double magnitude, int decimals) {
    if (!std::isfinite(magnitude))
        overflow();
    char buffer[64];
    const auto result = std::to_chars(buffer, buffer + sizeof buffer, magnitude,
                                      std::chars_format::scientific, kSignificantDigits - 1);
    const std::string scientific(buffer, result.ptr); // d.dddddddddddddde+XX
    const std::size_t exponentMark = scientific.find('e');
    const std::string digits = scientific.substr(0, 1) + scientific.substr(2, exponentMark - 2);
    const int exponent = std::stoi(scientific.substr(exponentMark + 1));

    std::string integerPart;
    std::string fractionPart;
    if (exponent >= 0) {
        const std::size_t integerDigits = static_cast<std::size_t>(exponent) + 1;
        integerPart = digits.substr(0, std::min(integerDigits, digits.size()));
        integerPart.resize(integerDigits, '0');
        if (integerDigits < digits.size())
            fractionPart = digits.substr(integerDigits);
    } else {
        integerPart = "0";
        fractionPart = std::string(static_cast<std::size_t>(-exponent - 1), '0') + digits;
    }

    const std::size_t kept = static_cast<std::size_t>(decimals);
    bool roundUp = false;
    if (fractionPart.size() > kept) {
        roundUp = fractionPart[kept] >= '5';
        fractionPart.resize(kept);
    }
    fractionPart.resize(kept, '0');
    std::string all = integerPart + fractionPart;
    for (std::size_t i = all.size(); roundUp && i-- > 0;) {
        roundUp = all[i] == '9';
        all[i] = roundUp ? '0' : static_cast<char>(all[i] + 1);
    }
    if (roundUp)
        all.insert(all.begin(), '1');
    const std::size_t integerLength = all.size() - kept;
    std::string text = all.substr(0, integerLength);
    if (kept > 0)
        text += "." + all.substr(integerLength);
    return text;
}

bool isAllZeros(const std::string& text) {
    return text.find_first_not_of("0.") == std::string::npos;
}

// Signed text of a whole number rounded half away from zero; no sign when it rounds to 0.
std::string wholeHalfAwayFromZero(double value) {
    const std::string magnitude = fixedHalfAwayFromZero(std::fabs(value), 0);
    if (value < 0 && !isAllZeros(magnitude))
        return "-" + magnitude;
    return magnitude;
}

// The double as the runtime writes it, with "." as the decimal point.
String runtimeNumberText(double value) {
    if (!std::isfinite(value))
        overflow();
    if (value == 0)
        return QStringLiteral("0"); // no "-0"
    char buffer[64];
    const auto result =
        std::to_chars(buffer, buffer + sizeof buffer, value, std::chars_format::general, kSignificantDigits);
    return QString::fromLatin1(buffer, result.ptr - buffer).replace(u'e', u'E');
}

} // namespace

std::int16_t CInt(double value) {
    if (std::isnan(value))
        overflow();
    return narrowChecked<std::int16_t>(roundHalfToEven(value));
}

std::int32_t CLng(double value) {
    if (std::isnan(value))
        overflow();
    return narrowChecked<std::int32_t>(roundHalfToEven(value));
}

double Int(double value) {
    return std::floor(value);
}

std::int16_t add16(std::int32_t a, std::int32_t b) {
    return narrowChecked<std::int16_t>(std::int64_t{a} + b);
}
std::int16_t sub16(std::int32_t a, std::int32_t b) {
    return narrowChecked<std::int16_t>(std::int64_t{a} - b);
}
std::int16_t mul16(std::int32_t a, std::int32_t b) {
    return narrowChecked<std::int16_t>(std::int64_t{a} * b);
}
std::int32_t add32(std::int32_t a, std::int32_t b) {
    return narrowChecked<std::int32_t>(std::int64_t{a} + b);
}
std::int32_t sub32(std::int32_t a, std::int32_t b) {
    return narrowChecked<std::int32_t>(std::int64_t{a} - b);
}
std::int32_t mul32(std::int32_t a, std::int32_t b) {
    return narrowChecked<std::int32_t>(std::int64_t{a} * b);
}

double Val(const String& text) {
    ValReader reader(text);
    if (reader.peek() == u'&') {
        reader.take();
        const char16_t radixMark = reader.peek();
        reader.take();
        if (radixMark == u'H' || radixMark == u'h')
            return readRadixNumber(reader, 16);
        if (radixMark == u'O' || radixMark == u'o')
            return readRadixNumber(reader, 8);
        return 0;
    }
    return readDecimalNumber(reader);
}

String Format(double value, const String& format) {
    if (format == QLatin1String("###")) {
        const std::string text = wholeHalfAwayFromZero(value);
        return text == "0" ? String() : String::fromStdString(text);
    }
    if (format == QLatin1String("0#") || format == QLatin1String("00")) {
        std::string text = wholeHalfAwayFromZero(value);
        const bool negative = text.front() == '-';
        std::string digits = negative ? text.substr(1) : text;
        if (digits.size() < 2)
            digits.insert(digits.begin(), 2 - digits.size(), '0');
        return String::fromStdString((negative ? "-" : "") + digits);
    }
    raise(kInvalidProcedureCall, "unsupported number format: " + format.toStdString());
}

String CStr(double value) {
    return runtimeNumberText(value).replace(u'.', decimalSeparator());
}

String Str(double value) {
    const String text = runtimeNumberText(value);
    return value < 0 ? text : QStringLiteral(" ") + text;
}

String formatFixed2Locale(double value) {
    constexpr int kDecimals = 2;
    const std::string magnitude = fixedHalfAwayFromZero(std::fabs(value), kDecimals);
    const bool negative = value < 0 && !isAllZeros(magnitude);
    return String::fromStdString((negative ? "-" : "") + magnitude).replace(u'.', decimalSeparator());
}

String decimalSeparator() {
    if (!gDecimalSeparatorOverride.isNull())
        return String(gDecimalSeparatorOverride);
    return QLocale::system().decimalPoint();
}

void setDecimalSeparatorForTesting(QChar separator) {
    gDecimalSeparatorOverride = separator;
}

} // namespace rt
