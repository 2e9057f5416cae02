#pragma once
// Variable-rate MP3 files written by the tests: silent frames of two rates in turn, after a first frame
// with a Xing or VBRI header, or none.
#include "MediaFixtures.h"

#include <QByteArray>

namespace media_test {

// MPEG-1 layer III at 48 kHz, stereo: a frame of k kbit/s is 3k bytes long and lasts 1152 samples (24 ms).
inline constexpr int kFrameSamples = 1152;
inline constexpr int kVbrSampleRate = 48000;
inline constexpr int kAudioFrames = 100; // 2.4 s
enum BitRateIndex { k64 = 5, k128 = 9, k160 = 10 };
inline constexpr int kbpsOf(BitRateIndex index) {
    return index == k64 ? 64 : index == k128 ? 128 : 160;
}
// Frames of 64 and 160 kbit/s in turn average 112 kbit/s; the header frame itself is one of 128.
inline constexpr int kAverageKbps = 112;

inline QByteArray silentFrame(BitRateIndex index) {
    QByteArray frame(3 * kbpsOf(index), '\0');
    frame[0] = char(0xFF);
    frame[1] = char(0xFB);                // MPEG-1, layer III, no CRC
    frame[2] = char(index << 4 | 1 << 2); // 48 kHz, no padding
    return frame;
}

inline QByteArray alternatingAudio() {
    QByteArray audio;
    for (int frame = 0; frame < kAudioFrames; ++frame)
        audio += silentFrame(frame % 2 == 0 ? k64 : k160);
    return audio;
}

inline QByteArray bigEndian32(quint32 value) {
    QByteArray bytes;
    appendBig<quint32>(bytes, value);
    return bytes;
}

enum class VbrHeader { Xing, Vbri, None };

// A first frame carrying the header (after 32 bytes of side information), then the audio it describes.
inline QByteArray vbrMp3(VbrHeader kind) {
    const QByteArray audio = alternatingAudio();
    if (kind == VbrHeader::None)
        return audio;
    QByteArray first = silentFrame(k128);
    QByteArray header;
    if (kind == VbrHeader::Xing) {
        header = "Xing" + bigEndian32(0x3) + bigEndian32(kAudioFrames) + bigEndian32(quint32(audio.size()));
    } else {
        header = QByteArray("VBRI") +
                 QByteArray::fromHex("0001"
                                     "0000"
                                     "004b") +
                 bigEndian32(quint32(audio.size())) + bigEndian32(kAudioFrames) +
                 QByteArray::fromHex("0000000100020001");
    }
    first.replace(36, header.size(), header);
    return first + audio;
}

} // namespace media_test
