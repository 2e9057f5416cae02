#include "platform/media/GstMediaPlayer.h"

#include "platform/base/Errors.h"
#include "platform/media/AnalyserView.h"
#include "platform/win/Drives.h"
#include "platform/win/HostNames.h"

#include <QAbstractEventDispatcher>
#include <gst/audio/audio.h>
#include <gst/audio/streamvolume.h>

#include <algorithm>
#include <cstdio>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#include <vector>

namespace rt {

namespace {
constexpr double kSecondsPerNanosecond = 1e-9;
constexpr double kNanosecondsPerSecond = 1e9;
constexpr unsigned kBitsPerKilobit = 1000;
constexpr double kPercent = 100.0;

bool isFakeSink(GstElement* element) {
    GstElementFactory* factory = gst_element_get_factory(element);
    return factory && g_strcmp0(gst_plugin_feature_get_name(GST_PLUGIN_FEATURE(factory)), "fakesink") == 0;
}

String errorText(const GError* error) {
    return QStringLiteral("Error: ") + QString::fromUtf8(error ? error->message : "desconocido");
}

String errorTextOf(GstMessage* message) {
    GError* rawError = nullptr;
    gchar* rawDebug = nullptr;
    gst_message_parse_error(message, &rawError, &rawDebug);
    gst::Error error(rawError);
    gst::CharBuffer debug(rawDebug);
    return errorText(error.get());
}

// Bus messages arrive through GLib's default main context, which Qt's event loop runs on Linux.
void checkEventLoopRunsGlib() {
    const QAbstractEventDispatcher* dispatcher = QAbstractEventDispatcher::instance();
    if (dispatcher && !dispatcher->inherits("QEventDispatcherGlib"))
        qWarning("ondara: the event loop does not run GLib's main context; the media engine hears nothing");
}
} // namespace

GstMediaPlayer::GstMediaPlayer() {
    if (!gst_is_initialized()) {
        gst_init(nullptr, nullptr);
        checkEventLoopRunsGlib();
    }
    buildPipeline();
    applyVolume(volume_);
    applyBalance(balance_);
    frameClock_.onTimer = [this] { showHeardSpectrum(); };
    // A frame shows what is heard when it runs, so it may as well come with the main window's ticks.
    frameClock_.ticksMayComeEarly = true;
}

// The members release themselves: first the relay (no frame or view signal reaches us any more), then the
// bus watch, and last the pipeline, brought down to NULL, which stops the sound.
GstMediaPlayer::~GstMediaPlayer() = default;

void GstMediaPlayer::buildPipeline() {
    playbin_.reset(gst::makeElement("playbin", "engine").release());
    if (!playbin_)
        qFatal("ondara: GStreamer's playbin is missing (gstreamer1.0-plugins-base)");
    // Sound only: no video or subtitle decoding, and our own volume so it is the same on every sink.
    gst_util_set_object_arg(G_OBJECT(playbin_.get()), "flags", "audio+soft-volume");
    gst::Element sink = buildAudioSink();
    g_object_set(playbin_.get(), "audio-sink", sink.get(), nullptr);
    bus_.reset(gst_element_get_bus(playbin_.get()));
    busWatch_ = gst::BusWatch(bus_.get(), &GstMediaPlayer::onBusMessage, this);
}

// float samples ! panorama ! audioconvert ! autoaudiosink, with the spectrum's tap on the balanced sound: a
// probe that only copies samples while someone looks, so playing without the picture costs nothing more.
gst::Element GstMediaPlayer::buildAudioSink() {
    gst::Element bin(GST_ELEMENT(gst_object_ref_sink(gst_bin_new("audiosink"))));
    gst::Element floats = gst::makeElement("capsfilter", "floats");
    panorama_ = gst::makeElement("audiopanorama", "panorama");
    gst::Element convert = gst::makeElement("audioconvert", "convert");
    device_ = gst::makeElement("autoaudiosink", "device");
    if (!floats || !panorama_ || !convert || !device_)
        qFatal("ondara: a GStreamer element is missing (gstreamer1.0-plugins-base and -good are needed)");
    // Balance attenuates one side, as a balance knob does, rather than moving a mono source.
    gst_util_set_object_arg(G_OBJECT(panorama_.get()), "method", "simple");
    // Playbin's volume stage, just before this bin, then works on floats: a gain down to -90 dB stays exact,
    // where 16-bit samples would lose it in rounding.
    gst::Caps floatCaps(gst_caps_from_string("audio/x-raw, format=" GST_AUDIO_NE(F32)));
    g_object_set(floats.get(), "caps", floatCaps.get(), nullptr);
    // The elements are no longer floating, so the bin takes references of its own.
    gst_bin_add_many(GST_BIN(bin.get()), floats.get(), panorama_.get(), convert.get(), device_.get(),
                     nullptr);
    if (!gst_element_link_many(floats.get(), panorama_.get(), convert.get(), device_.get(), nullptr))
        qFatal("ondara: cannot link the audio output");
    gst::Pad input(gst_element_get_static_pad(floats.get(), "sink"));
    gst_element_add_pad(bin.get(), gst_ghost_pad_new("sink", input.get()));
    gst::Pad balanced(gst_element_get_static_pad(panorama_.get(), "src"));
    SoundTap::attach(tap_, balanced.get());
    return bin;
}

GstElement* GstMediaPlayer::sinkElement(const char* name) const {
    for (GstElement* element : {panorama_.get(), device_.get()})
        if (g_strcmp0(GST_OBJECT_NAME(element), name) == 0)
            return element;
    return nullptr;
}

// --- Media address -------------------------------------------------------------------------------------

void GstMediaPlayer::setURL(const String& windowsPath) {
    // READY keeps the audio device open for the next media; with none, it is let go.
    halt(windowsPath.isEmpty() ? GST_STATE_NULL : GST_STATE_READY);
    url_ = windowsPath;
    error_.clear();
    hostFile_.clear();
    bitrate_ = 0;
    mp3Examined_ = false;
    mp3_.reset();
    seekingTo_ = -1;
    uriGiven_ = false;
    if (windowsPath.isEmpty()) {
        media_.reset();
        state_ = kStopped;
        return;
    }
    media_ = Media{mediaNameOf(windowsPath), 0, durationStringOf(0), windowsPath};
    // The host's own bytes: a name that is not UTF-8 reaches the file as it is on the disk.
    if (!skipOnError([&] { hostFile_ = hostBytes(hostPathOf(windowsPath)); }))
        return fail(QStringLiteral("Error: no se encuentra la ruta %1").arg(windowsPath));
    // Opening a pipe waits for a writer, on this thread; a device may never end. Only files are read.
    if (struct stat entry{}; ::stat(hostFile_.constData(), &entry) == 0 && !S_ISREG(entry.st_mode))
        return fail(QStringLiteral("Error: %1 no es un archivo").arg(windowsPath));
    GError* rawError = nullptr;
    gst::CharBuffer uri(gst_filename_to_uri(hostFile_.constData(), &rawError));
    gst::Error error(rawError);
    if (!uri)
        return fail(errorText(error.get()));
    g_object_set(playbin_.get(), "uri", uri.get(), nullptr);
    uriGiven_ = true;
    start();
}

void GstMediaPlayer::close() {
    setURL(String());
}

// --- Transport -------------------------------------------------------------------------------------------

void GstMediaPlayer::playMedia() {
    if (url_.isEmpty() || (running_ && target_ == Target::Playing))
        return;
    if (!running_)
        return start();
    target_ = Target::Playing;
    gst_element_set_state(playbin_.get(), GST_STATE_PLAYING);
}

// Pausing a stopped engine succeeds and leaves it stopped: the end-of-track handling relies on it.
void GstMediaPlayer::pauseMedia() {
    if (!running_ || target_ == Target::Paused)
        return;
    target_ = Target::Paused;
    gst_element_set_state(playbin_.get(), GST_STATE_PAUSED);
    updateSpectrum();
}

void GstMediaPlayer::stopMedia() {
    if (url_.isEmpty())
        return;
    halt(GST_STATE_READY);
    seekingTo_ = -1;
    if (error_.isEmpty())
        state_ = kStopped;
}

double GstMediaPlayer::position() const {
    // While a seek is on its way the position is where it goes, as the caller just set it.
    if (seekingTo_ >= 0)
        return seekingTo_;
    if (!running_)
        return 0;
    // The device's position is what is heard, and asking it alone is far cheaper than asking the whole
    // pipeline, which asks every sink; the pipeline answers while the device cannot yet.
    gint64 nanoseconds = -1;
    if (!askPosition(heardSink(), nanoseconds) || nanoseconds < 0)
        if (!askPosition(playbin_.get(), nanoseconds) || nanoseconds < 0)
            return 0;
    return double(nanoseconds) * kSecondsPerNanosecond;
}

// The kept query is asked again once nobody else holds it; otherwise a new one is made.
bool GstMediaPlayer::askPosition(GstElement* element, gint64& nanoseconds) const {
    if (!positionQuery_ || !gst_query_is_writable(positionQuery_.get()))
        positionQuery_.reset(gst_query_new_position(GST_FORMAT_TIME));
    gst_query_set_position(positionQuery_.get(), GST_FORMAT_TIME, -1);
    if (!gst_element_query(element, positionQuery_.get()))
        return false;
    GstFormat format = GST_FORMAT_UNDEFINED;
    gst_query_parse_position(positionQuery_.get(), &format, &nanoseconds);
    return format == GST_FORMAT_TIME;
}

// The sink the device chose, asked directly (its bin would ask every child in turn); found once the
// device has chosen, and let go whenever the pipeline halts, since the device may choose again.
GstElement* GstMediaPlayer::heardSink() const {
    if (heardSink_)
        return heardSink_.get();
    if (GST_IS_CHILD_PROXY(device_.get())) {
        GstChildProxy* proxy = GST_CHILD_PROXY(device_.get());
        if (gst_child_proxy_get_children_count(proxy) == 1) {
            gst::GObjectRef child(gst_child_proxy_get_child_by_index(proxy, 0));
            if (GST_IS_ELEMENT(child.get())) {
                heardSink_.reset(GST_ELEMENT(child.release()));
                return heardSink_.get();
            }
        }
    }
    return device_.get();
}

void GstMediaPlayer::seekTo(double seconds) {
    if (!media_)
        return;
    seekingTo_ = std::max(seconds, 0.0);
    seekSent_ = false;
    if (running_ && prerolled_)
        sendSeek();
}

// A seek asked for before the media prerolled waits for it (onPrerolled sends it).
void GstMediaPlayer::sendSeek() {
    const auto target = gint64(seekingTo_ * kNanosecondsPerSecond);
    const auto flags = GstSeekFlags(GST_SEEK_FLAG_FLUSH | GST_SEEK_FLAG_ACCURATE);
    seekSent_ = gst_element_seek_simple(playbin_.get(), GST_FORMAT_TIME, flags, target);
}

void GstMediaPlayer::start() {
    // The pipeline still holds the media before a refused address: it must not play in its place.
    if (!uriGiven_)
        return fail(error_);
    error_.clear();
    target_ = Target::Playing;
    running_ = true;
    prerolled_ = false;
    state_ = kTransitioning;
    const GstStateChangeReturn result = gst_element_set_state(playbin_.get(), GST_STATE_PLAYING);
    // The device was chosen while the pipeline became READY, inside the call above.
    noticeSilentSink();
    if (result != GST_STATE_CHANGE_FAILURE)
        return;
    // The reason is already on the bus; take it before the failure path drops the bus's messages.
    gst::Message error(gst_bus_pop_filtered(bus_.get(), GST_MESSAGE_ERROR));
    fail(error ? errorTextOf(error.get()) : QStringLiteral("Error: no se puede reproducir %1").arg(url_));
}

// Brings the pipeline down (synchronous: no streaming thread runs afterwards) and drops the messages it
// posted, so nothing said about the old media is taken for the next one.
void GstMediaPlayer::halt(GstState state) {
    gst_element_set_state(playbin_.get(), state);
    heardSink_.reset();
    gst_bus_set_flushing(bus_.get(), TRUE);
    gst_bus_set_flushing(bus_.get(), FALSE);
    running_ = false;
    prerolled_ = false;
    target_ = Target::Stopped;
    // The next media's running time starts again from zero: no sound kept may be taken for it.
    tap_->clear();
    updateSpectrum();
}

void GstMediaPlayer::fail(const String& message) {
    // NULL rather than READY: a failed device is opened afresh by the next attempt.
    halt(GST_STATE_NULL);
    error_ = message;
    state_ = kStopped;
}

// autoaudiosink falls back to a fake sink when no device opens; it must keep time so playback runs at speed.
void GstMediaPlayer::noticeSilentSink() {
    static bool told = false;
    if (!GST_IS_CHILD_PROXY(device_.get()))
        return;
    GstChildProxy* proxy = GST_CHILD_PROXY(device_.get());
    for (guint index = 0; index < gst_child_proxy_get_children_count(proxy); ++index) {
        gst::GObjectRef child(gst_child_proxy_get_child_by_index(proxy, index));
        if (!GST_IS_ELEMENT(child.get()) || !isFakeSink(GST_ELEMENT(child.get())))
            continue;
        g_object_set(child.get(), "sync", TRUE, nullptr);
        if (!told)
            std::fputs("ondara: no audio device; playing silently\n", stderr);
        told = true;
    }
}

// --- Settings --------------------------------------------------------------------------------------------

void GstMediaPlayer::applyVolume(int volume) {
    volume_ = std::clamp(volume, 0, kMaxVolume);
    gst_stream_volume_set_volume(GST_STREAM_VOLUME(playbin_.get()), GST_STREAM_VOLUME_FORMAT_LINEAR,
                                 gainOfVolume(volume_));
}

void GstMediaPlayer::applyBalance(int balance) {
    balance_ = std::clamp(balance, -kMaxBalance, kMaxBalance);
    g_object_set(panorama_.get(), "panorama", gfloat(balance_ / kPercent), nullptr);
}

// --- State and status ------------------------------------------------------------------------------------

String GstMediaPlayer::status() const {
    if (!error_.isEmpty())
        return error_;
    switch (state_) {
    case kPlaying:
        if (const unsigned rate = bitRate(); rate > 0)
            return QStringLiteral("Reproduciendo: %1 Kbps")
                .arg((rate + kBitsPerKilobit / 2) / kBitsPerKilobit);
        return QStringLiteral("Reproduciendo");
    case kPaused:
        return QStringLiteral("En pausa");
    case kTransitioning:
        return QStringLiteral("Abriendo: ") + (media_ ? media_->name : String());
    case kStopped:
        if (media_)
            return QStringLiteral("Detenido");
        break;
    default:
        break;
    }
    return QStringLiteral("Listo");
}

// --- Spectrum --------------------------------------------------------------------------------------------

void GstMediaPlayer::attachAnalyserView(AnalyserView* view) {
    if (view_)
        QObject::disconnect(view_, nullptr, &relay_, nullptr);
    view_ = view;
    if (view) {
        QObject::connect(view, &AnalyserView::shownChanged, &relay_, [this] { updateSpectrum(); });
        // A view destroyed first stops the frames at once (a widget says so while it is still whole).
        QObject::connect(view, &QObject::destroyed, &relay_, [this] {
            view_ = nullptr;
            updateSpectrum();
        });
    }
    updateSpectrum();
}

// The spectrum is computed and sent only while someone can see it and there is sound to show.
void GstMediaPlayer::updateSpectrum() {
    const bool wanted = view_ && view_->isShown() && state_ == kPlaying && target_ == Target::Playing;
    if (wanted == spectrumOn_)
        return;
    spectrumOn_ = wanted;
    tap_->setCapturing(wanted);
    frameClock_.setEnabled(wanted);
    if (!wanted && view_)
        view_->endOfSpectrum();
}

// One frame: the bands of the stretch of sound heard during the last frame interval. With no sound kept for
// it (just started, or the device is ahead of what passed the tap) the bars fall.
void GstMediaPlayer::showHeardSpectrum() {
    if (!spectrumOn_ || !view_)
        return;
    ++spectrumFrames_;
    const GstClockTime heard = heardRunningTime();
    const GstClockTime interval = GstClockTime(kSpectrumIntervalMs) * GST_MSECOND;
    const int rate = GST_CLOCK_TIME_IS_VALID(heard)
                         ? tap_->copy(heard > interval ? heard - interval : 0, heard, heard_)
                         : 0;
    view_->showSpectrum(rate > 0 ? spectrum_.analyse(heard_) : std::span<const float>(), rate);
}

// The running time of the sound the device plays now: the device renders a sample when the clock reaches
// its running time plus the pipeline's latency.
GstClockTime GstMediaPlayer::heardRunningTime() const {
    gst::Object<GstClock> clock(gst_element_get_clock(playbin_.get()));
    if (!clock)
        return GST_CLOCK_TIME_NONE;
    const GstClockTime now = gst_clock_get_time(clock.get());
    const GstClockTime delay =
        gst_element_get_base_time(playbin_.get()) + gst_pipeline_get_latency(GST_PIPELINE(playbin_.get()));
    return now > delay ? now - delay : GST_CLOCK_TIME_NONE;
}

// --- Bus -------------------------------------------------------------------------------------------------

gboolean GstMediaPlayer::onBusMessage(GstBus*, GstMessage* message, gpointer engine) {
    static_cast<GstMediaPlayer*>(engine)->handleMessage(message);
    return G_SOURCE_CONTINUE;
}

void GstMediaPlayer::handleMessage(GstMessage* message) {
    switch (GST_MESSAGE_TYPE(message)) {
    case GST_MESSAGE_STATE_CHANGED:
        return onStateChanged(message);
    case GST_MESSAGE_ASYNC_DONE:
        return onPrerolled();
    case GST_MESSAGE_DURATION_CHANGED:
        return readDuration();
    case GST_MESSAGE_EOS:
        return onEndOfMedia();
    case GST_MESSAGE_ERROR:
        return onError(message);
    case GST_MESSAGE_TAG:
        return onTags(message);
    default:
        // Warnings (among them the device's complaint before it falls back to silence) leave playback going.
        return;
    }
}

void GstMediaPlayer::onStateChanged(GstMessage* message) {
    if (GST_MESSAGE_SRC(message) != GST_OBJECT(playbin_.get()) || !running_)
        return;
    GstState reached = GST_STATE_VOID_PENDING;
    gst_message_parse_state_changed(message, nullptr, &reached, nullptr);
    if (reached == GST_STATE_PLAYING && target_ == Target::Playing)
        state_ = kPlaying;
    else if (reached == GST_STATE_PAUSED && target_ == Target::Paused)
        state_ = kPaused;
    updateSpectrum();
}

void GstMediaPlayer::onPrerolled() {
    if (!running_)
        return;
    prerolled_ = true;
    readDuration();
    examineMp3();
    // Prerolled again after a flushing seek: it has landed.
    if (seekSent_)
        seekingTo_ = -1;
    seekSent_ = false;
    if (seekingTo_ >= 0)
        sendSeek();
}

void GstMediaPlayer::readDuration() {
    gint64 nanoseconds = 0;
    if (!media_ || !running_ || !gst_element_query_duration(playbin_.get(), GST_FORMAT_TIME, &nanoseconds) ||
        nanoseconds <= 0)
        return;
    media_->duration = double(nanoseconds) * kSecondsPerNanosecond;
    media_->durationString = durationStringOf(media_->duration);
}

// At the end the engine stops and rewinds, as after a stop.
void GstMediaPlayer::onEndOfMedia() {
    if (!running_)
        return;
    halt(GST_STATE_READY);
    state_ = kStopped;
}

void GstMediaPlayer::onError(GstMessage* message) {
    if (running_)
        fail(errorTextOf(message));
}

void GstMediaPlayer::onTags(GstMessage* message) {
    GstTagList* rawTags = nullptr;
    gst_message_parse_tag(message, &rawTags);
    gst::TagList tags(rawTags);
    // Only the encoder's nominal rate: the running average wanders, and plain PCM reports one too.
    guint bitrate = 0;
    if (gst_tag_list_get_uint(tags.get(), GST_TAG_NOMINAL_BITRATE, &bitrate) && bitrate > 0)
        bitrate_ = bitrate;
}

// The nominal rate when the stream states one; for an MP3 without one (variable rate), the average its
// VBR header gives, or else its audio bytes over its duration.
unsigned GstMediaPlayer::bitRate() const {
    if (bitrate_ > 0)
        return bitrate_;
    return mp3_ && media_ ? mp3::averageBitRate(*mp3_, media_->duration) : 0;
}

// Once per media, when it has prerolled (so the file is known to be readable): a few kilobytes from its head.
void GstMediaPlayer::examineMp3() {
    if (mp3Examined_)
        return;
    mp3Examined_ = true;
    const int descriptor = ::open(hostFile_.constData(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
    if (descriptor < 0)
        return;
    struct stat info {};
    if (::fstat(descriptor, &info) == 0 && S_ISREG(info.st_mode)) {
        const auto readAt = [descriptor](std::uint64_t offset, int count) {
            QByteArray bytes(count, '\0');
            const ssize_t got = ::pread(descriptor, bytes.data(), std::size_t(count), off_t(offset));
            bytes.resize(got > 0 ? got : 0);
            return bytes;
        };
        mp3_ = mp3::examine(readAt, std::uint64_t(info.st_size));
    }
    ::close(descriptor);
}

std::unique_ptr<MediaPlayer> createMediaPlayer() {
    return std::make_unique<GstMediaPlayer>();
}

} // namespace rt
