#include "platform/base/Text.h"

#include "platform/base/Errors.h"

#include <array>

namespace rt {

namespace {

// Windows-1252 places printable characters in 0x80..0x9F; the five bytes it leaves undefined keep their
// own code point, as the system's code page conversion does.
constexpr std::array<char16_t, 32> kHighControlRow = {
    0x20AC, 0x0081, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021, 0x02C6, 0x2030, 0x0160,
    0x2039, 0x0152, 0x008D, 0x017D, 0x008F, 0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022,
    0x2013, 0x2014, 0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x009D, 0x017E, 0x0178,
};
constexpr int kHighControlFirst = 0x80;
constexpr int kHighControlLast = 0x9F;

constexpr std::array<char16_t, 256> makeByteTable() {
    std::array<char16_t, 256> table{};
    for (int byte = 0; byte < 256; ++byte)
        table[byte] = static_cast<char16_t>(byte);
    for (int i = 0; i < static_cast<int>(kHighControlRow.size()); ++i)
        table[kHighControlFirst + i] = kHighControlRow[i];
    return table;
}
constexpr std::array<char16_t, 256> kByteTable = makeByteTable();

constexpr char kUnmappable = '?';

char byteFromChar(char16_t unit) {
    if (unit < kHighControlFirst || (unit > kHighControlLast && unit <= 0xFF))
        return static_cast<char>(unit);
    for (int i = 0; i < static_cast<int>(kHighControlRow.size()); ++i) {
        if (kHighControlRow[i] == unit)
            return static_cast<char>(kHighControlFirst + i);
    }
    return kUnmappable;
}

void requireNonNegative(int length) {
    if (length < 0)
        raise(kInvalidProcedureCall, "negative length");
}

void requirePositiveStart(int start) {
    if (start < 1)
        raise(kInvalidProcedureCall, "start must be 1 or more");
}

// Simple (one-to-one) case mapping per code point: the runtime's case functions never change a
// text's length, unlike full case mapping ("ß" -> "SS").
template <class Map> String mapCase(const String& text, Map map) {
    String result;
    result.reserve(text.size());
    const qsizetype size = text.size();
    for (qsizetype i = 0; i < size; ++i) {
        const QChar unit = text[i];
        if (unit.isHighSurrogate() && i + 1 < size && text[i + 1].isLowSurrogate()) {
            const char32_t mapped = map(QChar::surrogateToUcs4(unit, text[i + 1]));
            result.append(QString::fromUcs4(&mapped, 1));
            ++i;
        } else {
            result.append(QChar(static_cast<char16_t>(map(unit.unicode()))));
        }
    }
    return result;
}

// The runtime's trims remove blanks (code 32) only, not tabs or line breaks.
constexpr char16_t kBlank = u' ';

} // namespace

QChar charFromByte(std::uint8_t byte) {
    return QChar(kByteTable[byte]);
}

String fromWindows1252(const char* data, std::size_t size) {
    String text(static_cast<qsizetype>(size), Qt::Uninitialized);
    QChar* out = text.data();
    for (std::size_t i = 0; i < size; ++i)
        out[i] = QChar(kByteTable[static_cast<std::uint8_t>(data[i])]);
    return text;
}

String fromWindows1252(const QByteArray& bytes) {
    return fromWindows1252(bytes.constData(), static_cast<std::size_t>(bytes.size()));
}

// One byte per 16-bit unit, so a text and its bytes keep the same length.
QByteArray toWindows1252(const String& text) {
    QByteArray bytes(text.size(), Qt::Uninitialized);
    for (qsizetype i = 0; i < text.size(); ++i)
        bytes[i] = byteFromChar(text[i].unicode());
    return bytes;
}

int InStr(int start, const String& haystack, const String& needle, bool textCompare) {
    requirePositiveStart(start);
    if (start > haystack.size() + 1)
        return 0;
    if (needle.isEmpty())
        return start;
    const Qt::CaseSensitivity sensitivity = textCompare ? Qt::CaseInsensitive : Qt::CaseSensitive;
    return static_cast<int>(haystack.indexOf(needle, start - 1, sensitivity)) + 1;
}

String LCase(const String& text) {
    return mapCase(text, [](char32_t c) { return QChar::toLower(c); });
}

String UCase(const String& text) {
    return mapCase(text, [](char32_t c) { return QChar::toUpper(c); });
}

String Left(const String& text, int length) {
    requireNonNegative(length);
    return text.left(length);
}

String Right(const String& text, int length) {
    requireNonNegative(length);
    return text.right(length);
}

String LTrim(const String& text) {
    qsizetype first = 0;
    while (first < text.size() && text[first] == kBlank)
        ++first;
    return text.mid(first);
}

String RTrim(const String& text) {
    qsizetype end = text.size();
    while (end > 0 && text[end - 1] == kBlank)
        --end;
    return text.left(end);
}

String Trim(const String& text) {
    return LTrim(RTrim(text));
}

String Mid(const String& text, int start) {
    requirePositiveStart(start);
    return text.mid(start - 1);
}

String Mid(const String& text, int start, int length) {
    requirePositiveStart(start);
    requireNonNegative(length);
    if (start > text.size())
        return {};
    return text.mid(start - 1, length);
}

} // namespace rt
