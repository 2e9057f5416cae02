#include "platform/media/SoundTap.h"

#include <gst/audio/audio.h>

#include <algorithm>
#include <bit>
#include <cmath>
#include <cstdint>
#include <cstring>

namespace rt {

namespace {
constexpr std::size_t kMillisecondsPerSecond = 1000;
// Past this distance a time lies far outside what is kept; bounding it keeps the arithmetic in range.
constexpr GstClockTimeDiff kFarAway = 10 * GST_SECOND;
// Full scale of a 16-bit sample, as GStreamer's analysis elements divide by it.
constexpr float kS16FullScale = 32767.0F;

std::size_t bytesPerSample(SoundTap::Format format) {
    switch (format) {
    case SoundTap::Format::S16LE:
        return sizeof(std::int16_t);
    case SoundTap::Format::F32LE:
        return sizeof(float);
    default:
        return 0;
    }
}

float readS16(const std::byte* bytes) {
    std::int16_t value = 0;
    std::memcpy(&value, bytes, sizeof value);
    return float(GINT16_FROM_LE(value)) / kS16FullScale;
}

float readF32(const std::byte* bytes) {
    std::uint32_t value = 0;
    std::memcpy(&value, bytes, sizeof value);
    return std::bit_cast<float>(GUINT32_FROM_LE(value));
}
} // namespace

void SoundTap::attach(const std::shared_ptr<SoundTap>& tap, GstPad* pad) {
    const auto types = GstPadProbeType(GST_PAD_PROBE_TYPE_BUFFER | GST_PAD_PROBE_TYPE_BUFFER_LIST |
                                       GST_PAD_PROBE_TYPE_EVENT_DOWNSTREAM | GST_PAD_PROBE_TYPE_EVENT_FLUSH);
    gst_pad_add_probe(pad, types, &SoundTap::onProbe, new std::shared_ptr<SoundTap>(tap),
                      [](gpointer share) { delete static_cast<std::shared_ptr<SoundTap>*>(share); });
}

GstPadProbeReturn SoundTap::onProbe(GstPad*, GstPadProbeInfo* info, gpointer share) {
    SoundTap& tap = **static_cast<std::shared_ptr<SoundTap>*>(share);
    const GstPadProbeType type = GST_PAD_PROBE_INFO_TYPE(info);
    if (type & (GST_PAD_PROBE_TYPE_EVENT_DOWNSTREAM | GST_PAD_PROBE_TYPE_EVENT_FLUSH)) {
        tap.onEvent(GST_PAD_PROBE_INFO_EVENT(info));
    } else if (!tap.capturing()) {
        // Nobody looks: the sound passes untouched.
    } else if (type & GST_PAD_PROBE_TYPE_BUFFER) {
        tap.onBuffer(GST_PAD_PROBE_INFO_BUFFER(info));
    } else if (type & GST_PAD_PROBE_TYPE_BUFFER_LIST) {
        gst_buffer_list_foreach(
            GST_PAD_PROBE_INFO_BUFFER_LIST(info),
            [](GstBuffer** buffer, guint, gpointer self) {
                static_cast<SoundTap*>(self)->onBuffer(*buffer);
                return gboolean(TRUE);
            },
            &tap);
    }
    return GST_PAD_PROBE_OK;
}

void SoundTap::onEvent(GstEvent* event) {
    switch (GST_EVENT_TYPE(event)) {
    case GST_EVENT_CAPS: {
        GstCaps* caps = nullptr;
        gst_event_parse_caps(event, &caps);
        GstAudioInfo info;
        if (!caps || !gst_audio_info_from_caps(&info, caps))
            return setFormat(Format::Unknown, 0, 0);
        const GstAudioFormat format = GST_AUDIO_INFO_FORMAT(&info);
        const Format kept = format == GST_AUDIO_FORMAT_S16LE   ? Format::S16LE
                            : format == GST_AUDIO_FORMAT_F32LE ? Format::F32LE
                                                               : Format::Unknown;
        return setFormat(kept, GST_AUDIO_INFO_CHANNELS(&info), GST_AUDIO_INFO_RATE(&info));
    }
    case GST_EVENT_SEGMENT: {
        std::lock_guard lock(mutex_);
        gst_event_copy_segment(event, &segment_);
        return;
    }
    case GST_EVENT_FLUSH_STOP: {
        // A seek: running time starts again, so nothing kept matches it any more.
        std::lock_guard lock(mutex_);
        gst_segment_init(&segment_, GST_FORMAT_UNDEFINED);
        return forget();
    }
    default:
        return;
    }
}

void SoundTap::onBuffer(GstBuffer* buffer) {
    GstClockTime runningTime = GST_CLOCK_TIME_NONE;
    {
        std::lock_guard lock(mutex_);
        if (segment_.format == GST_FORMAT_TIME && GST_BUFFER_PTS_IS_VALID(buffer))
            runningTime = gst_segment_to_running_time(&segment_, GST_FORMAT_TIME, GST_BUFFER_PTS(buffer));
    }
    GstMapInfo map;
    if (!gst_buffer_map(buffer, &map, GST_MAP_READ))
        return;
    append(std::as_bytes(std::span(map.data, map.size)), runningTime);
    gst_buffer_unmap(buffer, &map);
}

void SoundTap::setFormat(Format format, int channels, int rate) {
    std::lock_guard lock(mutex_);
    if (channels <= 0 || rate <= 0)
        format = Format::Unknown;
    if (format == Format::Unknown)
        channels = rate = 0;
    if (rate != rate_)
        ring_ = {};
    format_ = format;
    channels_ = channels;
    rate_ = rate;
    forget();
}

void SoundTap::clear() {
    std::lock_guard lock(mutex_);
    forget();
}

void SoundTap::forget() {
    next_ = 0;
    count_ = 0;
    end_ = GST_CLOCK_TIME_NONE;
}

GstClockTime SoundTap::framesToTime(std::size_t frames) const {
    return gst_util_uint64_scale_int_round(frames, GST_SECOND, rate_);
}

// Channels averaged, as the spectrum is taken of what both ears hear together.
float SoundTap::monoSample(const std::byte* frame) const {
    const std::size_t step = bytesPerSample(format_);
    const auto read = format_ == Format::S16LE ? &readS16 : &readF32;
    float sum = read(frame);
    for (int channel = 1; channel < channels_; ++channel)
        sum += read(frame + std::size_t(channel) * step);
    return sum / float(channels_);
}

void SoundTap::append(std::span<const std::byte> interleaved, GstClockTime runningTime) {
    std::lock_guard lock(mutex_);
    if (format_ == Format::Unknown)
        return;
    const std::size_t frameBytes = bytesPerSample(format_) * std::size_t(channels_);
    const std::size_t frames = interleaved.size() / frameBytes;
    if (frames == 0)
        return;
    if (GST_CLOCK_TIME_IS_VALID(runningTime)) {
        if (!GST_CLOCK_TIME_IS_VALID(end_) ||
            std::abs(GST_CLOCK_DIFF(end_, runningTime)) > GstClockTimeDiff(kJoinTolerance))
            forget();
    } else if (!GST_CLOCK_TIME_IS_VALID(end_)) {
        return; // nowhere to place it in time
    }
    if (ring_.empty())
        ring_.assign(std::size_t(rate_) * kKeptMs / kMillisecondsPerSecond, 0.0F);
    // Only the newest samples fit when a buffer is longer than the ring.
    const std::size_t skipped = frames > ring_.size() ? frames - ring_.size() : 0;
    for (std::size_t frame = skipped; frame < frames; ++frame) {
        ring_[next_] = monoSample(interleaved.data() + frame * frameBytes);
        if (++next_ == ring_.size())
            next_ = 0;
    }
    count_ = std::min(count_ + frames - skipped, ring_.size());
    // The buffer's own time when it has one, so rounding never piles up over a long track.
    end_ = (GST_CLOCK_TIME_IS_VALID(runningTime) ? runningTime : end_) + framesToTime(frames);
}

GstClockTime SoundTap::end() const {
    std::lock_guard lock(mutex_);
    return count_ > 0 ? end_ : GST_CLOCK_TIME_NONE;
}

int SoundTap::copy(GstClockTime from, GstClockTime to, std::vector<float>& samples) const {
    samples.clear();
    std::lock_guard lock(mutex_);
    if (count_ == 0 || !GST_CLOCK_TIME_IS_VALID(from) || !GST_CLOCK_TIME_IS_VALID(to) || to <= from)
        return 0;
    // Position of a time among the kept samples, counted from the oldest and bounded to them.
    const auto indexOf = [&](GstClockTime time) {
        const GstClockTimeDiff beforeEnd = std::clamp(GST_CLOCK_DIFF(time, end_), -kFarAway, kFarAway);
        const auto framesBeforeEnd = std::llround(double(beforeEnd) * rate_ / double(GST_SECOND));
        return std::size_t(std::clamp<long long>(static_cast<long long>(count_) - framesBeforeEnd, 0,
                                                 static_cast<long long>(count_)));
    };
    const std::size_t first = indexOf(from);
    const std::size_t last = indexOf(to);
    if (last <= first)
        return 0;
    const std::size_t oldest = (next_ + ring_.size() - count_) % ring_.size();
    samples.reserve(last - first);
    for (std::size_t index = first; index < last; ++index)
        samples.push_back(ring_[(oldest + index) % ring_.size()]);
    return rate_;
}

} // namespace rt
