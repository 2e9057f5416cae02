#include "platform/win/HostNames.h"

#include <QStringDecoder>
#include <cstdint>

namespace rt {
namespace {

constexpr char16_t kEscapeBase = 0xDC00;
constexpr char16_t kEscapeFirst = 0xDC80; // bytes below 0x80 are always valid UTF-8
constexpr char16_t kEscapeLast = 0xDCFF;

bool isContinuation(std::uint8_t byte) {
    return (byte & 0xC0) == 0x80;
}

// Length of the valid UTF-8 sequence starting at data[i], or 0 when the bytes there are not one.
int validSequenceLength(const std::uint8_t* data, int size, int i) {
    const std::uint8_t lead = data[i];
    if (lead < 0x80)
        return 1;
    int length = 0;
    std::uint8_t low = 0x80;  // allowed range of the second byte, which rules out overlong forms,
    std::uint8_t high = 0xBF; // surrogates and code points above U+10FFFF
    if (lead >= 0xC2 && lead <= 0xDF) {
        length = 2;
    } else if (lead >= 0xE0 && lead <= 0xEF) {
        length = 3;
        low = lead == 0xE0 ? 0xA0 : 0x80;
        high = lead == 0xED ? 0x9F : 0xBF;
    } else if (lead >= 0xF0 && lead <= 0xF4) {
        length = 4;
        low = lead == 0xF0 ? 0x90 : 0x80;
        high = lead == 0xF4 ? 0x8F : 0xBF;
    } else {
        return 0;
    }
    if (i + length > size || data[i + 1] < low || data[i + 1] > high)
        return 0;
    for (int k = 2; k < length; ++k) {
        if (!isContinuation(data[i + k]))
            return 0;
    }
    return length;
}

QString decodeWithEscapes(const QByteArray& bytes) {
    const auto* data = reinterpret_cast<const std::uint8_t*>(bytes.constData());
    const int size = int(bytes.size());
    QString result;
    result.reserve(size);
    int runStart = 0;
    for (int i = 0; i < size;) {
        const int length = validSequenceLength(data, size, i);
        if (length > 0) {
            i += length;
            continue;
        }
        result += QString::fromUtf8(bytes.constData() + runStart, i - runStart);
        result += QChar(char16_t(kEscapeBase + data[i]));
        runStart = ++i;
    }
    result += QString::fromUtf8(bytes.constData() + runStart, size - runStart);
    return result;
}

bool isEscape(const QString& text, qsizetype i) {
    const char16_t unit = text.at(i).unicode();
    if (unit < kEscapeFirst || unit > kEscapeLast)
        return false;
    // A low surrogate after a high one is half of a real pair.
    return i == 0 || !text.at(i - 1).isHighSurrogate();
}

} // namespace

QString hostString(const QByteArray& hostBytes) {
    // Keep a leading byte-order mark: it is part of the name.
    QStringDecoder strictUtf8(QStringDecoder::Utf8,
                              QStringDecoder::Flag::Stateless | QStringDecoder::Flag::ConvertInitialBom);
    QString decoded = strictUtf8(hostBytes);
    if (!strictUtf8.hasError())
        return decoded;
    return decodeWithEscapes(hostBytes);
}

QByteArray hostBytes(const QString& hostPath) {
    QByteArray result;
    result.reserve(hostPath.size());
    qsizetype runStart = 0;
    for (qsizetype i = 0; i < hostPath.size(); ++i) {
        if (!isEscape(hostPath, i))
            continue;
        result += QStringView(hostPath).mid(runStart, i - runStart).toUtf8();
        result += char(hostPath.at(i).unicode() - kEscapeBase);
        runStart = i + 1;
    }
    result += QStringView(hostPath).mid(runStart).toUtf8();
    return result;
}

} // namespace rt
