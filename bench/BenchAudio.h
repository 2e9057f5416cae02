#pragma once
// What the engine benchmarks share: a generated 16-bit stereo WAV, and an event loop that sleeps until a
// condition holds.
#include <QByteArray>
#include <QCoreApplication>
#include <QDeadlineTimer>
#include <QFile>
#include <QString>
#include <QTimer>
#include <QtEndian>
#include <cmath>
#include <cstdint>
#include <numbers>

namespace bench_audio {

constexpr int kSampleRate = 44100;
constexpr int kChannels = 2;
constexpr int kBytesPerSample = 2;
constexpr double kAmplitude = 12000;

// A steady 440 Hz tone, or one sweeping from 100 Hz to 10 kHz so that the spectrum keeps moving.
enum class Tone { Steady, Sweep };

template <class T> void appendLittle(QByteArray& bytes, T value) {
    value = qToLittleEndian(value);
    bytes.append(reinterpret_cast<const char*>(&value), sizeof value);
}

inline bool writeToneWav(const QString& path, double seconds, Tone tone) {
    const auto frames = std::uint32_t(seconds * kSampleRate);
    const std::uint32_t dataBytes = frames * kChannels * kBytesPerSample;
    QByteArray bytes("RIFF");
    appendLittle<std::uint32_t>(bytes, 36 + dataBytes);
    bytes.append("WAVEfmt ");
    appendLittle<std::uint32_t>(bytes, 16);
    appendLittle<std::uint16_t>(bytes, 1);
    appendLittle<std::uint16_t>(bytes, kChannels);
    appendLittle<std::uint32_t>(bytes, kSampleRate);
    appendLittle<std::uint32_t>(bytes, kSampleRate * kChannels * kBytesPerSample);
    appendLittle<std::uint16_t>(bytes, kChannels * kBytesPerSample);
    appendLittle<std::uint16_t>(bytes, 16);
    bytes.append("data");
    appendLittle<std::uint32_t>(bytes, dataBytes);
    bytes.reserve(bytes.size() + qsizetype(dataBytes));
    double phase = 0;
    for (std::uint32_t frame = 0; frame < frames; ++frame) {
        const double hz = tone == Tone::Sweep ? 100 * std::pow(100.0, double(frame) / frames) : 440;
        phase += 2 * std::numbers::pi * hz / kSampleRate;
        const auto sample = std::int16_t(std::lround(kAmplitude * std::sin(phase)));
        appendLittle<std::int16_t>(bytes, sample);
        appendLittle<std::int16_t>(bytes, sample);
    }
    QFile file(path);
    return file.open(QIODevice::WriteOnly) && file.write(bytes) == bytes.size();
}

// Sleeps in the event loop until an event comes (a bus message, a paint, the wake-up tick) and checks again.
template <class Condition> bool pumpUntil(Condition&& condition, int deadlineMs, int wakeUpMs) {
    QDeadlineTimer deadline(deadlineMs);
    QTimer wakeUp;
    wakeUp.start(wakeUpMs);
    while (!condition()) {
        if (deadline.hasExpired())
            return false;
        QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents);
    }
    return true;
}

} // namespace bench_audio
