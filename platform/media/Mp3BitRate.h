#pragma once
// The average bit rate of an MP3 file that states no nominal one (variable rate): from the VBR header of its
// first frame (Xing/Info or VBRI) when there is one, otherwise from its audio bytes and its duration.
#include <QByteArray>

#include <cstdint>
#include <functional>
#include <optional>

namespace rt::mp3 {

// Reads up to count bytes at offset; fewer at the end of the file, none on failure.
using ReadAt = std::function<QByteArray(std::uint64_t offset, int count)>;

struct Stream {
    std::uint64_t audioBytes = 0; // as the VBR header states, otherwise the file between its tags
    std::uint64_t frames = 0;     // as the VBR header states; 0 when it does not
    int sampleRate = 0;
    int samplesPerFrame = 0;
};

// The layout of an MP3 file of fileSize bytes, read through read; nullopt when its audio does not start
// with an MPEG layer III frame (after any ID3v2 tags).
std::optional<Stream> examine(const ReadAt& read, std::uint64_t fileSize);

// Bits per second: the header's bytes over the header's frames when it states both, otherwise over the
// given duration (seconds); 0 when neither gives a length.
unsigned averageBitRate(const Stream& stream, double durationSeconds);

} // namespace rt::mp3
