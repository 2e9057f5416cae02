// The MP3 layout reader behind the bit rate of variable-rate files, on arbitrary file contents: it must
// never read outside what it asks for, never crash or hang, and describe only streams it can time.
// Random bytes rarely hold a frame header, so half the inputs are put behind a valid first frame (MPEG-1 or
// MPEG-2, the input choosing which), whose side information and VBR header then come from the input.
#include "fuzz/FuzzRecipe.h"
#include "platform/media/Mp3BitRate.h"

#include <QByteArray>
#include <cstdint>

namespace {

constexpr const char* kTarget = "mp3 vbr";

QByteArray fileOf(const uint8_t* data, size_t size) {
    const QByteArray input(reinterpret_cast<const char*>(data), qsizetype(size));
    if (size == 0 || (data[0] & 1) == 0)
        return input;
    // 0xFB: MPEG-1 layer III, 0xF3: MPEG-2; bit-rate index 1..14, a valid sample rate.
    const char second = (data[0] & 2) ? char(0xFB) : char(0xF3);
    const char third = char((1 + (data[0] >> 2) % 14) << 4 | ((data[0] >> 6) % 3) << 2);
    return QByteArray("\xFF", 1) + second + third + '\0' + input.mid(1);
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const QByteArray file = fileOf(data, size);
    const auto fileSize = std::uint64_t(file.size());
    const auto readAt = [&](std::uint64_t offset, int count) {
        if (count < 0)
            fuzzing::fail(kTarget, "asked for a negative count");
        return offset >= fileSize ? QByteArray() : file.mid(qsizetype(offset), count);
    };
    const auto stream = rt::mp3::examine(readAt, fileSize);
    if (!stream)
        return 0;
    if (stream->sampleRate < 8000 || stream->sampleRate > 48000)
        fuzzing::fail(kTarget, "a sample rate no MPEG stream has");
    if (stream->samplesPerFrame != 576 && stream->samplesPerFrame != 1152)
        fuzzing::fail(kTarget, "a frame length no layer III stream has");
    for (const double seconds : {0.0, 0.001, 1.0, 1e9})
        rt::mp3::averageBitRate(*stream, seconds);
    return 0;
}
