#pragma once
// The sound on its way to the device, mixed to mono and kept for a short while with its running time, so the
// UI thread can analyse the stretch being heard at any moment. A pad probe feeds it from the streaming
// thread, and only copies while capturing; the UI thread reads it. One mutex guards the samples.
#include <gst/gst.h>

#include <atomic>
#include <cstddef>
#include <memory>
#include <mutex>
#include <span>
#include <vector>

namespace rt {

class SoundTap {
  public:
    // The sample layouts the balance stage hands on (interleaved, little-endian).
    enum class Format { Unknown, S16LE, F32LE };
    // Longer than any device buffers ahead of what is heard, and a frame more.
    static constexpr int kKeptMs = 1200;
    // A buffer whose time lies this close to where the kept sound ends continues it, as the audio sink
    // itself takes such a buffer (its default alignment threshold): decoders' times wander a little.
    static constexpr GstClockTime kJoinTolerance = 40 * GST_MSECOND;

    // Watches the pad for as long as the pad lives; the probe holds a share of the tap, so the tap outlives
    // the last call from the streaming thread whoever lets go of it first.
    static void attach(const std::shared_ptr<SoundTap>& tap, GstPad* pad);

    // Samples are copied only while capturing; caps, segments and flushes are followed always.
    void setCapturing(bool capturing) { capturing_.store(capturing, std::memory_order_relaxed); }
    bool capturing() const { return capturing_.load(std::memory_order_relaxed); }

    // What the probe does with what passes (callable directly, for tests). A new format forgets the sound
    // kept; so does a buffer that does not follow on from it. `runningTime` may be GST_CLOCK_TIME_NONE: the
    // buffer then follows on.
    void setFormat(Format format, int channels, int rate);
    void append(std::span<const std::byte> interleaved, GstClockTime runningTime);
    void clear();

    // The mono samples kept that sound between running times `from` and `to`, in order, into `samples`;
    // returns the sample rate, or 0 when nothing is kept for that stretch.
    int copy(GstClockTime from, GstClockTime to, std::vector<float>& samples) const;
    // Running time just after the newest sample kept, GST_CLOCK_TIME_NONE while nothing is kept.
    GstClockTime end() const;

  private:
    static GstPadProbeReturn onProbe(GstPad* pad, GstPadProbeInfo* info, gpointer tap);
    void onEvent(GstEvent* event);
    void onBuffer(GstBuffer* buffer);
    void forget();
    float monoSample(const std::byte* frame) const;
    GstClockTime framesToTime(std::size_t frames) const;

    std::atomic<bool> capturing_{false};
    mutable std::mutex mutex_;
    Format format_ = Format::Unknown;
    int channels_ = 0;
    int rate_ = 0;
    GstSegment segment_{};
    std::vector<float> ring_;
    std::size_t next_ = 0;  // where the next sample goes
    std::size_t count_ = 0; // samples kept, the newest just before next_
    GstClockTime end_ = GST_CLOCK_TIME_NONE;
};

} // namespace rt
