#pragma once
// The media engine on GStreamer: one playbin (audio only) whose audio sink is our own bin (float samples,
// balance, then the device), driven from the UI thread. Its bus is watched on the default main context, which
// Qt runs, so every message is handled on the UI thread; state changes are never waited for, and the play
// state reported is the one the bus last confirmed. While its spectrum view is shown and sound plays, a tap
// keeps the last moments of the sound going to the device, and a frame clock on the platform tick turns the
// stretch being heard into the view's next picture.
#include "platform/media/FrequencyBands.h"
#include "platform/media/GstRefs.h"
#include "platform/media/MediaPlayer.h"
#include "platform/media/Mp3BitRate.h"
#include "platform/media/SoundTap.h"
#include "platform/runtime/Timer.h"

#include <QObject>
#include <QPointer>

#include <memory>
#include <optional>
#include <vector>

namespace rt {

class GstMediaPlayer final : public MediaPlayer {
  public:
    static constexpr int kFrequencyBands = 64;
    static constexpr int kSpectrumIntervalMs = 40;
    // Band magnitudes below this are reported as this (dB); the picture's floor lies just above it.
    static constexpr float kSpectrumThresholdDb = -100;

    GstMediaPlayer();
    ~GstMediaPlayer() override;

    String URL() const override { return url_; }
    void setURL(const String& windowsPath) override;
    void close() override;
    int playState() const override { return state_; }
    String status() const override;
    void attachAnalyserView(AnalyserView* view) override;

    // The pipeline and the elements of its audio sink ("panorama", "device"), for inspection.
    GstElement* pipeline() const { return playbin_.get(); }
    GstElement* sinkElement(const char* name) const;
    // The sound is tapped and its spectrum goes to the view (a view is shown and sound plays).
    bool spectrumEnabled() const { return spectrumOn_; }
    // Spectrum frames worked out so far; lets a caller see that nothing is computed while nobody looks.
    int spectrumFrames() const { return spectrumFrames_; }
    const SoundTap& soundTap() const { return *tap_; }

  protected:
    void playMedia() override;
    void pauseMedia() override;
    void stopMedia() override;
    double position() const override;
    void seekTo(double seconds) override;
    int volumeLevel() const override { return volume_; }
    void applyVolume(int volume) override;
    int balanceLevel() const override { return balance_; }
    void applyBalance(int balance) override;
    const Media* loadedMedia() const override { return media_ ? &*media_ : nullptr; }

  private:
    enum class Target { Stopped, Paused, Playing };

    void buildPipeline();
    gst::Element buildAudioSink();
    void start();
    void sendSeek();
    void halt(GstState state);
    void fail(const String& message);
    void noticeSilentSink();
    void updateSpectrum();
    GstElement* heardSink() const;
    bool askPosition(GstElement* element, gint64& nanoseconds) const;

    static gboolean onBusMessage(GstBus* bus, GstMessage* message, gpointer engine);
    void handleMessage(GstMessage* message);
    void onStateChanged(GstMessage* message);
    void onEndOfMedia();
    void onError(GstMessage* message);
    void onPrerolled();
    void onTags(GstMessage* message);
    void showHeardSpectrum();
    GstClockTime heardRunningTime() const;
    void readDuration();
    void examineMp3();
    unsigned bitRate() const;

    gst::Pipeline playbin_;
    gst::Element panorama_;
    gst::Element device_;
    gst::Bus bus_;
    gst::BusWatch busWatch_;
    // The position is asked many times a second: the sink the device chose and the query are kept.
    mutable gst::Element heardSink_;
    mutable gst::Query positionQuery_;

    String url_;
    QByteArray hostFile_;   // the host's bytes for url_, which need not be UTF-8
    bool uriGiven_ = false; // the pipeline was given url_ (a refused address never reaches it)
    std::optional<Media> media_;
    int state_ = kUndefined;
    Target target_ = Target::Stopped;
    bool running_ = false; // asked to be at least prerolled (PAUSED)
    bool prerolled_ = false;
    String error_;
    unsigned bitrate_ = 0; // nominal bits per second, from the stream's tags
    bool mp3Examined_ = false;
    std::optional<mp3::Stream> mp3_; // the file's MP3 layout, for a rate where the stream states none
    double seekingTo_ = -1;          // seconds; a seek waiting for the preroll or on its way
    bool seekSent_ = false;

    int volume_ = kDefaultVolume;
    int balance_ = 0;

    QPointer<AnalyserView> view_;
    bool spectrumOn_ = false;
    // Shared with the probe on the pipeline's pad, which may outlive this engine by a moment.
    std::shared_ptr<SoundTap> tap_ = std::make_shared<SoundTap>();
    FrequencyBands spectrum_{kFrequencyBands, kSpectrumThresholdDb};
    std::vector<float> heard_; // the stretch being analysed, kept to save an allocation per frame
    Timer frameClock_{kSpectrumIntervalMs, false};
    int spectrumFrames_ = 0;
    // The receiving end of the view's signals; destroyed first, so none reaches an engine that is going.
    QObject relay_;
};

} // namespace rt
