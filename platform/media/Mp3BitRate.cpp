#include "platform/media/Mp3BitRate.h"

#include <array>
#include <cmath>
#include <limits>

namespace rt::mp3 {

namespace {
constexpr int kId3HeaderBytes = 10;
constexpr int kId3FooterBytes = 10;
constexpr std::uint8_t kId3FooterFlag = 0x10;
// Files tagged twice carry more than one ID3v2 tag in a row; a few are skipped, no more.
constexpr int kMostId3Tags = 4;
constexpr int kId3v1Bytes = 128;
// How far past the tags the first frame is looked for (encoders may leave some junk before it).
constexpr int kFrameSearchBytes = 64 * 1024;
constexpr int kFrameHeaderBytes = 4;
constexpr int kFramesToChainInside = 3;
// The VBRI header sits 32 bytes after the frame header, whatever the channels.
constexpr int kVbriOffset = kFrameHeaderBytes + 32;
constexpr std::uint32_t kXingFramesFlag = 0x1;
constexpr std::uint32_t kXingBytesFlag = 0x2;
constexpr double kBitsPerByte = 8;

enum Version { kMpeg25 = 0, kReservedVersion = 1, kMpeg2 = 2, kMpeg1 = 3 };
constexpr int kLayer3Bits = 1;
constexpr int kBadBitRateIndex = 15;
constexpr int kBadSampleRateIndex = 3;
constexpr int kMonoMode = 3;

// Kilobits per second by bit-rate index, layer III.
constexpr std::array<int, 15> kMpeg1KbpsByIndex{0,   32,  40,  48,  56,  64,  80, 96,
                                                112, 128, 160, 192, 224, 256, 320};
constexpr std::array<int, 15> kMpeg2KbpsByIndex{0, 8, 16, 24, 32, 40, 48, 56, 64, 80, 96, 112, 128, 144, 160};
constexpr std::array<int, 3> kMpeg1Rates{44100, 48000, 32000};

struct FrameHeader {
    int version = kMpeg1;
    int bitRate = 0; // bits per second; 0 for a free-format stream
    int sampleRate = 0;
    bool padded = false;
    bool mono = false;

    int samplesPerFrame() const { return version == kMpeg1 ? 1152 : 576; }
    // 0 when the length is not written in the header (free format).
    int frameBytes() const {
        const int slotFactor = version == kMpeg1 ? 144 : 72;
        return bitRate == 0 ? 0 : slotFactor * bitRate / sampleRate + (padded ? 1 : 0);
    }
    int sideInfoBytes() const {
        if (version == kMpeg1)
            return mono ? 17 : 32;
        return mono ? 9 : 17;
    }
    bool sameStream(const FrameHeader& other) const {
        return version == other.version && sampleRate == other.sampleRate;
    }
};

std::uint8_t byteAt(const QByteArray& bytes, qsizetype offset) {
    return std::uint8_t(bytes.at(offset));
}

std::uint32_t bigEndianAt(const QByteArray& bytes, qsizetype offset) {
    std::uint32_t value = 0;
    for (int k = 0; k < 4; ++k)
        value = value << 8 | byteAt(bytes, offset + k);
    return value;
}

std::optional<FrameHeader> frameHeaderAt(const QByteArray& bytes, qsizetype offset) {
    if (offset < 0 || offset + kFrameHeaderBytes > bytes.size())
        return std::nullopt;
    const std::uint8_t b1 = byteAt(bytes, offset + 1), b2 = byteAt(bytes, offset + 2);
    if (byteAt(bytes, offset) != 0xFF || (b1 & 0xE0) != 0xE0)
        return std::nullopt;
    const int version = (b1 >> 3) & 3, layer = (b1 >> 1) & 3;
    const int bitRateIndex = b2 >> 4, sampleRateIndex = (b2 >> 2) & 3;
    if (version == kReservedVersion || layer != kLayer3Bits || bitRateIndex == kBadBitRateIndex ||
        sampleRateIndex == kBadSampleRateIndex)
        return std::nullopt;
    FrameHeader header;
    header.version = version;
    const auto& kbps = version == kMpeg1 ? kMpeg1KbpsByIndex : kMpeg2KbpsByIndex;
    header.bitRate = kbps[std::size_t(bitRateIndex)] * 1000;
    const int divisor = version == kMpeg1 ? 1 : version == kMpeg2 ? 2 : 4;
    header.sampleRate = kMpeg1Rates[std::size_t(sampleRateIndex)] / divisor;
    header.padded = (b2 >> 1) & 1;
    header.mono = (byteAt(bytes, offset + 3) >> 6) == kMonoMode;
    return header;
}

// A header where the audio starts is taken for the first frame when the next frame's header follows it (or
// the bytes end first). Further in, where other data may look like a header now and then, the frames that
// follow it must chain for a while, and a free-format frame, whose length is not written, is not taken.
bool isFirstFrame(const QByteArray& bytes, qsizetype offset, const FrameHeader& header) {
    const bool atStart = offset == 0;
    FrameHeader current = header;
    qsizetype position = offset;
    for (int chained = 0; chained < (atStart ? 1 : kFramesToChainInside); ++chained) {
        const int length = current.frameBytes();
        if (length == 0 || position + length + kFrameHeaderBytes > bytes.size())
            return atStart;
        position += length;
        const std::optional<FrameHeader> next = frameHeaderAt(bytes, position);
        if (!next || !next->sameStream(header))
            return false;
        current = *next;
    }
    return true;
}

// Where the audio starts: after the ID3v2 tags at the head of the file.
std::uint64_t audioStartOf(const ReadAt& read, std::uint64_t fileSize) {
    std::uint64_t start = 0;
    for (int tag = 0; tag < kMostId3Tags; ++tag) {
        const QByteArray header = read(start, kId3HeaderBytes);
        if (header.size() < kId3HeaderBytes || !header.startsWith("ID3"))
            break;
        std::uint64_t size = 0;
        for (int k = 6; k < kId3HeaderBytes; ++k)
            size = size << 7 | (byteAt(header, k) & 0x7F);
        size += kId3HeaderBytes;
        if (byteAt(header, 5) & kId3FooterFlag)
            size += kId3FooterBytes;
        if (start + size > fileSize)
            break;
        start += size;
    }
    return start;
}

std::uint64_t audioEndOf(const ReadAt& read, std::uint64_t fileSize, std::uint64_t audioStart) {
    if (fileSize < audioStart + kId3v1Bytes)
        return fileSize;
    return read(fileSize - kId3v1Bytes, 3) == "TAG" ? fileSize - kId3v1Bytes : fileSize;
}

// The frames and bytes a Xing/Info or VBRI header in the first frame states, into stream.
void readVbrHeader(const QByteArray& frame, const FrameHeader& header, Stream& stream) {
    const qsizetype xing = kFrameHeaderBytes + header.sideInfoBytes();
    if (frame.size() >= xing + 8 && (frame.mid(xing, 4) == "Xing" || frame.mid(xing, 4) == "Info")) {
        const std::uint32_t flags = bigEndianAt(frame, xing + 4);
        qsizetype field = xing + 8;
        if ((flags & kXingFramesFlag) && frame.size() >= field + 4) {
            stream.frames = bigEndianAt(frame, field);
            field += 4;
        }
        if ((flags & kXingBytesFlag) && frame.size() >= field + 4 && bigEndianAt(frame, field) > 0)
            stream.audioBytes = bigEndianAt(frame, field);
        return;
    }
    // "VBRI", version, delay, quality, then bytes and frames.
    constexpr qsizetype kBytesField = kVbriOffset + 10, kFramesField = kVbriOffset + 14;
    if (frame.size() >= kFramesField + 4 && frame.mid(kVbriOffset, 4) == "VBRI") {
        if (bigEndianAt(frame, kBytesField) > 0)
            stream.audioBytes = bigEndianAt(frame, kBytesField);
        stream.frames = bigEndianAt(frame, kFramesField);
    }
}
} // namespace

std::optional<Stream> examine(const ReadAt& read, std::uint64_t fileSize) {
    const std::uint64_t start = audioStartOf(read, fileSize);
    const QByteArray head = read(start, kFrameSearchBytes);
    for (qsizetype offset = 0; offset + kFrameHeaderBytes <= head.size(); ++offset) {
        const std::optional<FrameHeader> header = frameHeaderAt(head, offset);
        if (!header || !isFirstFrame(head, offset, *header))
            continue;
        Stream stream;
        stream.sampleRate = header->sampleRate;
        stream.samplesPerFrame = header->samplesPerFrame();
        stream.audioBytes = audioEndOf(read, fileSize, start) - (start + std::uint64_t(offset));
        readVbrHeader(head.mid(offset), *header, stream);
        return stream;
    }
    return std::nullopt;
}

unsigned averageBitRate(const Stream& stream, double durationSeconds) {
    const double seconds = stream.frames > 0 && stream.sampleRate > 0
                               ? double(stream.frames) * stream.samplesPerFrame / stream.sampleRate
                               : durationSeconds;
    if (!(seconds > 0) || stream.audioBytes == 0)
        return 0;
    const double rate = std::round(double(stream.audioBytes) * kBitsPerByte / seconds);
    return rate <= double(std::numeric_limits<unsigned>::max()) ? unsigned(rate) : 0;
}

} // namespace rt::mp3
