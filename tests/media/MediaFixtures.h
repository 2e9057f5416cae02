#pragma once
// Sound files the media tests make for themselves, and waiting on the event loop (which carries the
// engine's bus messages) with generous deadlines.
#include "platform/base/Text.h"

#include <QByteArray>
#include <QCoreApplication>
#include <QDeadlineTimer>
#include <QFile>
#include <QThread>
#include <QtEndian>
#include <gst/gst.h>

#include <cmath>
#include <cstdint>
#include <numbers>

namespace media_test {

constexpr int kSampleRate = 44100;
constexpr int kChannels = 2;
constexpr int kDeadlineMs = 10000;
constexpr double kToneHz = 440;
constexpr double kAmplitude = 0.5 * 32767;

// Runs the event loop until the condition holds or the deadline passes; returns the condition.
template <class Condition> bool waitUntil(Condition&& condition, int deadlineMs = kDeadlineMs) {
    QDeadlineTimer deadline(deadlineMs);
    while (!condition()) {
        if (deadline.hasExpired())
            return false;
        QCoreApplication::processEvents(QEventLoop::AllEvents, 5);
        QThread::msleep(2);
    }
    return true;
}

inline void runEventsFor(int milliseconds) {
    QDeadlineTimer deadline(milliseconds);
    waitUntil([&] { return deadline.hasExpired(); }, milliseconds + 1000);
}

// 16-bit samples of a sine, interleaved, in host order.
inline std::vector<int16_t> sineSamples(double seconds) {
    const auto frames = std::size_t(seconds * kSampleRate);
    std::vector<int16_t> samples(frames * kChannels);
    for (std::size_t frame = 0; frame < frames; ++frame) {
        const auto value = int16_t(
            std::lround(kAmplitude * std::sin(2 * std::numbers::pi * kToneHz * double(frame) / kSampleRate)));
        for (int channel = 0; channel < kChannels; ++channel)
            samples[frame * kChannels + channel] = value;
    }
    return samples;
}

template <class T> void appendLittle(QByteArray& bytes, T value) {
    value = qToLittleEndian(value);
    bytes.append(reinterpret_cast<const char*>(&value), sizeof value);
}
template <class T> void appendBig(QByteArray& bytes, T value) {
    value = qToBigEndian(value);
    bytes.append(reinterpret_cast<const char*>(&value), sizeof value);
}

inline bool writeFile(const QString& path, const QByteArray& bytes) {
    QFile file(path);
    return file.open(QIODevice::WriteOnly) && file.write(bytes) == bytes.size();
}

// A canonical 16-bit stereo WAV file of the given interleaved samples.
inline QByteArray wavBytes(const std::vector<int16_t>& samples) {
    const auto dataBytes = uint32_t(samples.size() * sizeof(int16_t));
    QByteArray bytes("RIFF");
    appendLittle<uint32_t>(bytes, 36 + dataBytes);
    bytes.append("WAVEfmt ");
    appendLittle<uint32_t>(bytes, 16);
    appendLittle<uint16_t>(bytes, 1); // PCM
    appendLittle<uint16_t>(bytes, kChannels);
    appendLittle<uint32_t>(bytes, kSampleRate);
    appendLittle<uint32_t>(bytes, kSampleRate * kChannels * 2);
    appendLittle<uint16_t>(bytes, kChannels * 2);
    appendLittle<uint16_t>(bytes, 16);
    bytes.append("data");
    appendLittle<uint32_t>(bytes, dataBytes);
    for (int16_t sample : samples)
        appendLittle<int16_t>(bytes, sample);
    return bytes;
}

// A canonical 16-bit stereo WAV file of a sine.
inline QByteArray sineWavBytes(double seconds) {
    return wavBytes(sineSamples(seconds));
}

inline bool writeSineWav(const QString& path, double seconds) {
    return writeFile(path, sineWavBytes(seconds));
}

// The same sine as an AIFF file (big-endian samples, the rate as an 80-bit float).
inline bool writeSineAiff(const QString& path, double seconds) {
    const std::vector<int16_t> samples = sineSamples(seconds);
    const auto frames = uint32_t(samples.size() / kChannels);
    const auto dataBytes = uint32_t(samples.size() * sizeof(int16_t));
    QByteArray bytes("FORM");
    appendBig<uint32_t>(bytes, 4 + 26 + 16 + dataBytes);
    bytes.append("AIFFCOMM");
    appendBig<uint32_t>(bytes, 18);
    appendBig<uint16_t>(bytes, kChannels);
    appendBig<uint32_t>(bytes, frames);
    appendBig<uint16_t>(bytes, 16);
    // 44100 = 1.3458251953125 * 2^15: exponent 16383 + 15, mantissa with its explicit leading one.
    appendBig<uint16_t>(bytes, 16383 + 15);
    appendBig<uint64_t>(bytes, uint64_t(kSampleRate) << (63 - 15));
    bytes.append("SSND");
    appendBig<uint32_t>(bytes, 8 + dataBytes);
    appendBig<uint32_t>(bytes, 0);
    appendBig<uint32_t>(bytes, 0);
    for (int16_t sample : samples)
        appendBig<int16_t>(bytes, sample);
    return writeFile(path, bytes);
}

// Encodes a test tone with GStreamer's own elements (description ends in the encoder and muxer).
// Returns false when an element is missing.
inline bool encodeTone(const QString& path, double seconds, const char* encoderAndMuxer) {
    if (!gst_is_initialized())
        gst_init(nullptr, nullptr);
    const int buffers = int(std::ceil(seconds * kSampleRate / 1024));
    const QByteArray description =
        QStringLiteral("audiotestsrc num-buffers=%1 samplesperbuffer=1024 ! audio/x-raw,rate=%2,channels=2 ! "
                       "audioconvert ! %3 ! filesink location=\"%4\"")
            .arg(buffers)
            .arg(kSampleRate)
            .arg(QString::fromUtf8(encoderAndMuxer), path)
            .toUtf8();
    GError* error = nullptr;
    GstElement* pipeline = gst_parse_launch(description.constData(), &error);
    if (error) {
        g_error_free(error);
        if (pipeline)
            gst_object_unref(pipeline);
        return false;
    }
    gst_element_set_state(pipeline, GST_STATE_PLAYING);
    GstBus* bus = gst_element_get_bus(pipeline);
    GstMessage* message =
        gst_bus_timed_pop_filtered(bus, 30 * GST_SECOND, GstMessageType(GST_MESSAGE_EOS | GST_MESSAGE_ERROR));
    const bool done = message && GST_MESSAGE_TYPE(message) == GST_MESSAGE_EOS;
    if (message)
        gst_message_unref(message);
    gst_object_unref(bus);
    gst_element_set_state(pipeline, GST_STATE_NULL);
    gst_object_unref(pipeline);
    return done;
}

constexpr const char* kMp3At128 = "lamemp3enc target=bitrate bitrate=128 cbr=true ! id3v2mux";

// "C:\tmp\x.wav" for /tmp/x.wav, with C: = "/".
inline rt::String windowsPath(const QString& hostPath) {
    return QStringLiteral("C:") + QString(hostPath).replace(u'/', u'\\');
}

} // namespace media_test
