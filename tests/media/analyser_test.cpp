// The spectrum picture: the sound kept for it, its bands (as GStreamer's spectrum element reports them), its
// bars from band magnitudes, their rise and soft fall, and the rule that the spectrum is computed and drawn
// only while the view is on screen and sound plays.
#include "MediaFixtures.h"

#include "platform/media/AnalyserView.h"
#include "platform/media/FrequencyBands.h"
#include "platform/media/GstMediaPlayer.h"
#include "platform/media/SoundTap.h"
#include "platform/win/Drives.h"

#include <QGuiApplication>
#include <QScreen>
#include <QTemporaryDir>
#include <gst/app/gstappsrc.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <numeric>
#include <random>
#include <vector>

namespace {

using namespace media_test;
using rt::AnalyserBars;

constexpr int kBands = 128;
constexpr int kRate = 44100;
constexpr double kFrameSeconds = 0.04;
constexpr float kSilenceDb = -100; // the spectrum element's threshold

// Silence except one loud band around the given frequency.
std::vector<float> toneAt(double hz, float db = -6) {
    std::vector<float> bands(kBands, kSilenceDb);
    bands[std::size_t(hz / (kRate / 2.0 / kBands))] = db;
    return bands;
}

int loudestBar(const AnalyserBars& bars) {
    const auto& levels = bars.levels();
    return int(std::max_element(levels.begin(), levels.end()) - levels.begin());
}

TEST(AnalyserBarsTest, SilenceDrawsNothing) {
    AnalyserBars bars;
    bars.feed(std::vector<float>(kBands, kSilenceDb), kRate, kFrameSeconds);
    EXPECT_TRUE(bars.atRest());
    for (double level : bars.levels())
        EXPECT_EQ(level, 0);
}

TEST(AnalyserBarsTest, HigherTonesLightBarsFurtherRight) {
    int previous = -1;
    for (double hz : {100.0, 440.0, 1000.0, 4000.0, 12000.0}) {
        AnalyserBars bars;
        bars.feed(toneAt(hz), kRate, 1.0);
        const int bar = loudestBar(bars);
        EXPECT_GT(bar, previous) << hz << " Hz";
        EXPECT_GT(bars.levels()[bar], 0.7) << hz << " Hz";
        previous = bar;
    }
}

TEST(AnalyserBarsTest, BarsSpreadOverTheAudibleRangeOnAMusicalScale) {
    // An octave takes the same number of bars in the middle and high up: 1-2 kHz and 4-8 kHz.
    AnalyserBars low1, low2, high1, high2;
    low1.feed(toneAt(1000), kRate, 1.0);
    low2.feed(toneAt(2000), kRate, 1.0);
    high1.feed(toneAt(4000), kRate, 1.0);
    high2.feed(toneAt(8000), kRate, 1.0);
    const int lowOctave = loudestBar(low2) - loudestBar(low1);
    const int highOctave = loudestBar(high2) - loudestBar(high1);
    EXPECT_NEAR(lowOctave, highOctave, 1);
    EXPECT_GE(lowOctave, 3);
}

TEST(AnalyserBarsTest, LouderBandsMakeTallerBars) {
    const int bar = [] {
        AnalyserBars bars;
        bars.feed(toneAt(1000), kRate, 1.0);
        return loudestBar(bars);
    }();
    EXPECT_LT(AnalyserBars::targetLevel(toneAt(1000, -40), kRate, bar),
              AnalyserBars::targetLevel(toneAt(1000, -20), kRate, bar));
    EXPECT_EQ(AnalyserBars::targetLevel(toneAt(1000, 10), kRate, bar), 1.0);
    EXPECT_EQ(AnalyserBars::targetLevel({}, kRate, bar), 0.0);
    EXPECT_EQ(AnalyserBars::targetLevel(toneAt(1000), 0, bar), 0.0);
}

TEST(AnalyserBarsTest, BarsRiseQuicklyAndFallSoftlyWithPeaksHeldAWhile) {
    AnalyserBars bars;
    const std::vector<float> loud = toneAt(1000);
    const std::vector<float> silent(kBands, kSilenceDb);
    bars.feed(loud, kRate, kFrameSeconds);
    bars.feed(loud, kRate, kFrameSeconds);
    const int bar = loudestBar(bars);
    const double top = bars.levels()[bar];
    EXPECT_NEAR(top, AnalyserBars::targetLevel(loud, kRate, bar), 0.05);

    double previous = top;
    int frames = 0;
    while (bars.levels()[bar] > 0) {
        bars.feed(silent, kRate, kFrameSeconds);
        ++frames;
        const double level = bars.levels()[bar];
        EXPECT_LT(level, previous + 1e-12);
        EXPECT_LT(previous - level, 0.1) << "a bar must not drop in one frame";
        previous = level;
        if (frames == 5) { // 0.2 s on, the cap is still at the top
            EXPECT_DOUBLE_EQ(bars.peaks()[bar], top);
        }
        ASSERT_LT(frames, 100);
    }
    EXPECT_GT(frames, 8);
    while (!bars.atRest()) {
        bars.fall(kFrameSeconds);
        ASSERT_LT(++frames, 200) << "the caps must come down";
    }
}

TEST(AnalyserBarsTest, ClearEmptiesEverything) {
    AnalyserBars bars;
    bars.feed(toneAt(1000), kRate, 1.0);
    ASSERT_FALSE(bars.atRest());
    bars.clear();
    EXPECT_TRUE(bars.atRest());
}

TEST(AnalyserViewTest, DrawsFramesOnlyWhileShownAndStopsAfterTheFall) {
    rt::AnalyserView view;
    view.resize(311, 303);
    const std::vector<float> loud = toneAt(1000);

    view.showSpectrum(loud, kRate);
    runEventsFor(100);
    EXPECT_EQ(view.paintCount(), 0);
    EXPECT_TRUE(view.bars().atRest());

    view.show();
    ASSERT_TRUE(waitUntil([&] { return view.isShown(); }));
    const int shownPaints = view.paintCount();
    view.showSpectrum(loud, kRate);
    ASSERT_TRUE(waitUntil([&] { return view.paintCount() > shownPaints; }));
    EXPECT_FALSE(view.bars().atRest());

    view.endOfSpectrum();
    EXPECT_TRUE(view.isFalling());
    ASSERT_TRUE(waitUntil([&] { return !view.isFalling(); }, 5000));
    EXPECT_TRUE(view.bars().atRest());
    runEventsFor(100); // the empty picture's own paint
    const int restingPaints = view.paintCount();
    runEventsFor(200);
    EXPECT_EQ(view.paintCount(), restingPaints);

    view.showSpectrum(loud, kRate);
    view.hide();
    EXPECT_FALSE(view.isShown());
    EXPECT_TRUE(view.bars().atRest());
    view.endOfSpectrum();
    EXPECT_FALSE(view.isFalling());
}

TEST(AnalyserViewTest, DrawsBarsInTheGradientOverADarkBackground) {
    rt::AnalyserView view;
    view.resize(311, 303);
    view.show();
    ASSERT_TRUE(waitUntil([&] { return view.isShown(); }));
    for (int frame = 0; frame < 5; ++frame)
        view.showSpectrum(toneAt(1000), kRate);
    const QImage picture = view.grab().toImage();
    const int bar = loudestBar(view.bars());
    const int x = 6 + (311 - 12) * bar / AnalyserBars::kBarCount + 2;
    const QColor inBar = picture.pixelColor(x, 303 - 10);
    const QColor background = picture.pixelColor(2, 2);
    EXPECT_GT(inBar.green(), 120);
    EXPECT_LT(background.lightness(), 40);
}

// Every band at a random level, the loud ones rarer.
std::vector<float> randomBands(std::mt19937& random) {
    std::uniform_real_distribution<float> level(0, 1);
    std::vector<float> bands(kBands);
    for (float& band : bands)
        band = kSilenceDb + 95 * level(random) * level(random);
    return bands;
}

// The picture kept up to date row by row, frame after frame, equals the one drawn afresh step by step (as a
// resize draws it), through rises, falls and dropping caps.
TEST(AnalyserViewTest, ThePictureKeptRowByRowEqualsOneDrawnAfresh) {
    rt::AnalyserView view;
    view.resize(311, 303);
    view.show();
    ASSERT_TRUE(waitUntil([&] { return view.isShown(); }));
    std::mt19937 random(5);
    const std::vector<float> silence(kBands, kSilenceDb);
    for (int frame = 0; frame < 48; ++frame) {
        view.showSpectrum(frame < 30 ? randomBands(random) : silence, kRate);
        QThread::msleep(frame % 3 == 0 ? 40 : 10);
        if (frame % 6 != 5)
            continue;
        const QImage kept = view.grab().toImage();
        view.resize(312, 303);
        view.resize(311, 303);
        EXPECT_TRUE(view.grab().toImage() == kept) << frame;
    }
    EXPECT_FALSE(view.bars().atRest()); // the caps are still on their way down
}

// What the screen shows of the view, once pending paints are done.
QImage viewOnScreen(const rt::AnalyserView& view) {
    QCoreApplication::processEvents();
    return QGuiApplication::primaryScreen()
        ->grabWindow(view.winId())
        .toImage()
        .convertToFormat(QImage::Format_RGB32)
        .copy(view.rect());
}

// Each frame paints only the rows of bars and caps that moved; the screen still equals a fresh paint, and a
// frame that moves no pixel paints nothing.
TEST(AnalyserViewTest, PaintsOnlyWhatMovedAndNothingWhenNothingMoves) {
    rt::AnalyserView view;
    view.resize(311, 303);
    view.show();
    ASSERT_TRUE(waitUntil([&] { return view.isShown(); }));
    runEventsFor(50);
    for (const double hz : {200.0, 200.0, 1000.0, 5000.0, 5000.0, 300.0}) {
        view.showSpectrum(toneAt(hz), kRate);
        runEventsFor(10);
        EXPECT_TRUE(viewOnScreen(view) == view.grab().toImage().convertToFormat(QImage::Format_RGB32)) << hz;
    }
    std::mt19937 random(11);
    for (int frame = 0; frame < 12; ++frame) {
        view.showSpectrum(randomBands(random), kRate);
        runEventsFor(10);
        EXPECT_TRUE(viewOnScreen(view) == view.grab().toImage().convertToFormat(QImage::Format_RGB32))
            << frame;
    }
    view.endOfSpectrum();
    ASSERT_TRUE(waitUntil([&] { return !view.isFalling(); }, 5000));
    runEventsFor(50);
    EXPECT_TRUE(viewOnScreen(view) == view.grab().toImage().convertToFormat(QImage::Format_RGB32));
    const int paints = view.paintCount();
    const std::vector<float> silence(kBands, kSilenceDb);
    for (int frame = 0; frame < 5; ++frame)
        view.showSpectrum(silence, kRate);
    runEventsFor(50);
    EXPECT_EQ(view.paintCount(), paints);
}

// --- The sound kept for the picture ---------------------------------------------------------------------

using rt::SoundTap;
constexpr int kTapRate = 1000; // a sample per millisecond keeps the arithmetic readable
constexpr GstClockTime kMs = GST_MSECOND;

// Interleaved 16-bit stereo frames whose mono mix is first, first + 1, ... (in units of 1/32767).
std::vector<std::byte> rampFrames(int first, int count) {
    std::vector<std::byte> bytes;
    for (int value = first; value < first + count; ++value)
        for (const int16_t sample : {int16_t(2 * value - 7), int16_t(7)}) {
            const auto little = qToLittleEndian(sample);
            const auto* raw = reinterpret_cast<const std::byte*>(&little);
            bytes.insert(bytes.end(), raw, raw + sizeof little);
        }
    return bytes;
}

std::vector<int> rampValues(const std::vector<float>& samples) {
    std::vector<int> values;
    for (const float sample : samples)
        values.push_back(int(std::lround(sample * 32767)));
    return values;
}

std::vector<int> countingFrom(int first, int count) {
    std::vector<int> values(static_cast<std::size_t>(count));
    std::iota(values.begin(), values.end(), first);
    return values;
}

TEST(SoundTapTest, KeepsTheMonoMixWithItsRunningTime) {
    SoundTap tap;
    tap.setFormat(SoundTap::Format::S16LE, 2, kTapRate);
    std::vector<float> samples;
    EXPECT_EQ(tap.copy(0, 100 * kMs, samples), 0);
    EXPECT_EQ(tap.end(), GST_CLOCK_TIME_NONE);

    tap.append(rampFrames(0, 100), 5000 * kMs);
    EXPECT_EQ(tap.end(), 5100 * kMs);
    ASSERT_EQ(tap.copy(5020 * kMs, 5050 * kMs, samples), kTapRate);
    EXPECT_EQ(rampValues(samples), countingFrom(20, 30));

    // A buffer with no time of its own follows on; one that starts where the last ended joins it too.
    tap.append(rampFrames(100, 100), GST_CLOCK_TIME_NONE);
    tap.append(rampFrames(200, 100), 5200 * kMs);
    EXPECT_EQ(tap.end(), 5300 * kMs);
    ASSERT_EQ(tap.copy(5090 * kMs, 5210 * kMs, samples), kTapRate);
    EXPECT_EQ(rampValues(samples), countingFrom(90, 120));

    // Asked past either end, only what is kept comes back; asked wholly outside, nothing.
    ASSERT_EQ(tap.copy(5280 * kMs, 5400 * kMs, samples), kTapRate);
    EXPECT_EQ(rampValues(samples), countingFrom(280, 20));
    ASSERT_EQ(tap.copy(4900 * kMs, 5005 * kMs, samples), kTapRate);
    EXPECT_EQ(rampValues(samples), countingFrom(0, 5));
    EXPECT_EQ(tap.copy(5300 * kMs, 5400 * kMs, samples), 0);
    EXPECT_EQ(tap.copy(5100 * kMs, 5100 * kMs, samples), 0);
    EXPECT_TRUE(samples.empty());

    // A buffer a little off where the last ended (a decoder's rounding) still continues the sound kept.
    tap.append(rampFrames(300, 100), 5310 * kMs);
    EXPECT_EQ(tap.end(), 5410 * kMs);
    ASSERT_EQ(tap.copy(5000 * kMs, 5500 * kMs, samples), kTapRate);
    EXPECT_EQ(rampValues(samples), countingFrom(0, 400));

    // A buffer that does not follow on (a gap, a new stretch after a seek) starts the kept sound afresh.
    tap.append(rampFrames(1000, 50), 9000 * kMs);
    EXPECT_EQ(tap.copy(5000 * kMs, 5300 * kMs, samples), 0);
    ASSERT_EQ(tap.copy(9000 * kMs, 9100 * kMs, samples), kTapRate);
    EXPECT_EQ(rampValues(samples), countingFrom(1000, 50));
}

TEST(SoundTapTest, KeepsOnlyTheLastMomentsInItsRing) {
    SoundTap tap;
    tap.setFormat(SoundTap::Format::S16LE, 2, kTapRate);
    for (int buffer = 0; buffer < 30; ++buffer)
        tap.append(rampFrames(buffer * 100, 100), GstClockTime(buffer) * 100 * kMs);
    std::vector<float> samples;
    ASSERT_EQ(tap.copy(0, 3000 * kMs, samples), kTapRate);
    EXPECT_EQ(rampValues(samples), countingFrom(3000 - SoundTap::kKeptMs, SoundTap::kKeptMs));
    // One buffer longer than the ring leaves its own newest samples.
    tap.append(rampFrames(0, 2000), 3000 * kMs);
    ASSERT_EQ(tap.copy(0, 6000 * kMs, samples), kTapRate);
    EXPECT_EQ(rampValues(samples), countingFrom(2000 - SoundTap::kKeptMs, SoundTap::kKeptMs));
    EXPECT_EQ(tap.end(), 5000 * kMs);
}

TEST(SoundTapTest, ANewFormatOrAClearForgetsTheSoundKept) {
    SoundTap tap;
    tap.setFormat(SoundTap::Format::F32LE, 1, kTapRate);
    std::vector<std::byte> bytes(10 * sizeof(float));
    for (int frame = 0; frame < 10; ++frame) {
        const float value = 0.25F * float(frame % 3) - 0.25F;
        std::memcpy(bytes.data() + frame * sizeof(float), &value, sizeof value);
    }
    tap.append(bytes, 0);
    std::vector<float> samples;
    ASSERT_EQ(tap.copy(0, 10 * kMs, samples), kTapRate);
    EXPECT_EQ(samples, std::vector<float>({-0.25F, 0, 0.25F, -0.25F, 0, 0.25F, -0.25F, 0, 0.25F, -0.25F}));

    tap.clear();
    EXPECT_EQ(tap.copy(0, 10 * kMs, samples), 0);
    tap.append(bytes, 0);
    tap.setFormat(SoundTap::Format::S16LE, 2, 2 * kTapRate);
    EXPECT_EQ(tap.end(), GST_CLOCK_TIME_NONE);
    // A layout it cannot read keeps nothing rather than garbage; a partial frame is no frame.
    tap.setFormat(SoundTap::Format::Unknown, 2, kTapRate);
    tap.append(rampFrames(0, 10), 0);
    EXPECT_EQ(tap.end(), GST_CLOCK_TIME_NONE);
    tap.setFormat(SoundTap::Format::S16LE, 2, kTapRate);
    const std::vector<std::byte> frames = rampFrames(0, 10);
    tap.append(std::span(frames).first(3), 0);
    EXPECT_EQ(tap.end(), GST_CLOCK_TIME_NONE);
}

// --- The bands, against GStreamer's spectrum element ------------------------------------------------------

constexpr int kEngineBands = rt::GstMediaPlayer::kFrequencyBands;
constexpr GstClockTime kInterval = rt::GstMediaPlayer::kSpectrumIntervalMs * GST_MSECOND;

struct Sound {
    SoundTap::Format format;
    int channels;
    std::vector<std::byte> bytes;
};

// Tones at random pitches and levels over noise, getting quieter until much of it lies under the floor.
Sound randomSound(std::mt19937& random, SoundTap::Format format, int channels, double seconds) {
    std::uniform_real_distribution<double> unit(0, 1);
    std::normal_distribution<double> noise(0, 1);
    struct Tone {
        double hz, level, phase;
    };
    std::vector<Tone> tones(3);
    for (Tone& tone : tones)
        tone = {30 + unit(random) * 20000, unit(random) * 0.3, unit(random) * 6.28};
    const double noiseLevel = unit(random) * 0.05;
    const auto frames = std::size_t(seconds * kRate);
    Sound sound{format, channels, {}};
    for (std::size_t frame = 0; frame < frames; ++frame) {
        const double fade = std::pow(1e-4, double(frame) / double(frames));
        for (int channel = 0; channel < channels; ++channel) {
            double value = noiseLevel * noise(random);
            for (const Tone& tone : tones)
                value +=
                    tone.level *
                    std::sin(tone.phase + 2 * std::numbers::pi * tone.hz * double(frame) / kRate + channel);
            value = std::clamp(value * fade, -1.0, 1.0);
            if (format == SoundTap::Format::S16LE) {
                const auto sample = qToLittleEndian(int16_t(std::lround(value * 32767)));
                const auto* raw = reinterpret_cast<const std::byte*>(&sample);
                sound.bytes.insert(sound.bytes.end(), raw, raw + sizeof sample);
            } else {
                const auto sample = float(value);
                const auto* raw = reinterpret_cast<const std::byte*>(&sample);
                sound.bytes.insert(sound.bytes.end(), raw, raw + sizeof sample);
            }
        }
    }
    return sound;
}

// What GStreamer's spectrum element reports for the sound, one frame of band magnitudes per interval.
std::vector<std::vector<float>> elementSpectrum(const Sound& sound) {
    if (!gst_is_initialized())
        gst_init(nullptr, nullptr);
    const QString description =
        QStringLiteral("appsrc name=source format=time ! spectrum bands=%1 interval=%2 threshold=%3 "
                       "post-messages=true ! fakesink sync=false")
            .arg(kEngineBands)
            .arg(kInterval)
            .arg(int(rt::GstMediaPlayer::kSpectrumThresholdDb));
    GError* error = nullptr;
    GstElement* pipeline = gst_parse_launch(description.toUtf8().constData(), &error);
    if (error) {
        ADD_FAILURE() << error->message;
        g_error_free(error);
        return {};
    }
    GstElement* source = gst_bin_get_by_name(GST_BIN(pipeline), "source");
    GstCaps* caps = gst_caps_new_simple("audio/x-raw", "format", G_TYPE_STRING,
                                        sound.format == SoundTap::Format::S16LE ? "S16LE" : "F32LE", "rate",
                                        G_TYPE_INT, kRate, "channels", G_TYPE_INT, sound.channels, "layout",
                                        G_TYPE_STRING, "interleaved", nullptr);
    gst_app_src_set_caps(GST_APP_SRC(source), caps);
    gst_caps_unref(caps);
    GstBuffer* buffer = gst_buffer_new_memdup(sound.bytes.data(), sound.bytes.size());
    GST_BUFFER_PTS(buffer) = 0;
    gst_element_set_state(pipeline, GST_STATE_PLAYING);
    gst_app_src_push_buffer(GST_APP_SRC(source), buffer);
    gst_app_src_end_of_stream(GST_APP_SRC(source));
    gst_object_unref(source);

    std::vector<std::vector<float>> frames;
    GstBus* bus = gst_element_get_bus(pipeline);
    const auto types = GstMessageType(GST_MESSAGE_ELEMENT | GST_MESSAGE_EOS | GST_MESSAGE_ERROR);
    while (GstMessage* message = gst_bus_timed_pop_filtered(bus, 10 * GST_SECOND, types)) {
        const GstMessageType type = GST_MESSAGE_TYPE(message);
        if (type == GST_MESSAGE_ELEMENT) {
            const GValue* list = gst_structure_get_value(gst_message_get_structure(message), "magnitude");
            std::vector<float>& frame = frames.emplace_back();
            for (guint band = 0; list && band < gst_value_list_get_size(list); ++band)
                frame.push_back(g_value_get_float(gst_value_list_get_value(list, band)));
        }
        gst_message_unref(message);
        if (type != GST_MESSAGE_ELEMENT)
            break;
    }
    gst_object_unref(bus);
    gst_element_set_state(pipeline, GST_STATE_NULL);
    gst_object_unref(pipeline);
    return frames;
}

// The tap's mono mix of each interval through our bands equals what the element reports for it.
TEST(FrequencyBandsTest, AgreeWithGStreamersSpectrumElementOnRandomSound) {
    std::mt19937 random(20240611);
    rt::FrequencyBands bands(kEngineBands, rt::GstMediaPlayer::kSpectrumThresholdDb);
    EXPECT_EQ(bands.blockSize(), 2 * kEngineBands - 2);
    for (const auto& [format, channels] :
         {std::pair{SoundTap::Format::S16LE, 2}, std::pair{SoundTap::Format::F32LE, 2},
          std::pair{SoundTap::Format::F32LE, 1}, std::pair{SoundTap::Format::S16LE, 1}}) {
        const Sound sound = randomSound(random, format, channels, 0.8);
        const std::vector<std::vector<float>> expected = elementSpectrum(sound);
        ASSERT_EQ(expected.size(), 20u);
        SoundTap tap;
        tap.setFormat(format, channels, kRate);
        tap.append(sound.bytes, 0);
        std::vector<float> samples;
        for (std::size_t frame = 0; frame < expected.size(); ++frame) {
            ASSERT_EQ(tap.copy(frame * kInterval, (frame + 1) * kInterval, samples), kRate);
            const std::span<const float> magnitudes = bands.analyse(samples);
            ASSERT_EQ(magnitudes.size(), expected[frame].size());
            for (std::size_t band = 0; band < magnitudes.size(); ++band)
                ASSERT_NEAR(magnitudes[band], expected[frame][band], 1e-3)
                    << "frame " << frame << ", band " << band << ", channels " << channels;
        }
    }
}

TEST(FrequencyBandsTest, ATonesBandStandsOutAndTooLittleSoundGivesNoBands) {
    rt::FrequencyBands bands(kEngineBands, rt::GstMediaPlayer::kSpectrumThresholdDb);
    std::vector<float> tone(1764);
    const double hz = 5000;
    for (std::size_t sample = 0; sample < tone.size(); ++sample)
        tone[sample] = float(0.5 * std::sin(2 * std::numbers::pi * hz * double(sample) / kRate));
    const std::span<const float> magnitudes = bands.analyse(tone);
    ASSERT_EQ(magnitudes.size(), std::size_t(kEngineBands));
    const auto loudest =
        std::size_t(std::max_element(magnitudes.begin(), magnitudes.end()) - magnitudes.begin());
    EXPECT_EQ(loudest, std::size_t(std::lround(hz / kRate * bands.blockSize())));
    EXPECT_GT(magnitudes[loudest], -20);
    EXPECT_TRUE(bands.analyse(std::span(tone).first(std::size_t(bands.blockSize() - 1))).empty());
    const std::vector<float> silence(tone.size(), 0.0F);
    for (const float magnitude : bands.analyse(silence))
        EXPECT_EQ(magnitude, rt::GstMediaPlayer::kSpectrumThresholdDb);
}

// --- The engine's spectrum ---------------------------------------------------------------------------------

class EngineSpectrumTest : public ::testing::Test {
  protected:
    void SetUp() override {
        ASSERT_TRUE(folder_.isValid());
        rt::setDriveTableForTesting({rt::Drive{u'C', QStringLiteral("/"), rt::kDriveFixed}});
        ASSERT_TRUE(writeSineWav(folder_.filePath("tone.wav"), 6.0));
        view_ = std::make_unique<rt::AnalyserView>();
        view_->resize(311, 303);
        engine_.attachAnalyserView(view_.get());
    }
    void TearDown() override { rt::resetDriveTable(); }

    bool playing() {
        return waitUntil([&] { return engine_.playState() == rt::MediaPlayer::kPlaying; });
    }
    bool drawing() {
        const int paints = view_->paintCount();
        return waitUntil([&] { return view_->paintCount() > paints + 3; }, 3000);
    }

    QTemporaryDir folder_;
    rt::GstMediaPlayer engine_;
    std::unique_ptr<rt::AnalyserView> view_;
};

// Nothing is kept, computed or drawn while nobody looks.
void expectQuietFor(int milliseconds, const rt::GstMediaPlayer& engine, const rt::AnalyserView& view) {
    const int paints = view.paintCount();
    const int frames = engine.spectrumFrames();
    const GstClockTime kept = engine.soundTap().end();
    runEventsFor(milliseconds);
    EXPECT_EQ(view.paintCount(), paints);
    EXPECT_EQ(engine.spectrumFrames(), frames);
    EXPECT_EQ(engine.soundTap().end(), kept);
    EXPECT_FALSE(engine.soundTap().capturing());
}

TEST_F(EngineSpectrumTest, TheSpectrumRunsOnlyWhileShownAndPlaying) {
    engine_.setURL(windowsPath(folder_.filePath("tone.wav")));
    ASSERT_TRUE(playing());
    EXPECT_FALSE(engine_.spectrumEnabled()); // the view is hidden
    expectQuietFor(200, engine_, *view_);
    EXPECT_EQ(engine_.spectrumFrames(), 0);
    EXPECT_EQ(engine_.soundTap().end(), GST_CLOCK_TIME_NONE);

    view_->show();
    ASSERT_TRUE(waitUntil([&] { return engine_.spectrumEnabled(); }));
    ASSERT_TRUE(drawing());
    EXPECT_TRUE(engine_.soundTap().capturing());
    EXPECT_NE(engine_.soundTap().end(), GST_CLOCK_TIME_NONE);
    // The 440 Hz tone lights the bars around 440 Hz and not the treble.
    const int bar = loudestBar(view_->bars());
    EXPECT_GT(bar, 5);
    EXPECT_LT(bar, AnalyserBars::kBarCount / 2);

    view_->hide();
    EXPECT_FALSE(engine_.spectrumEnabled());
    expectQuietFor(300, engine_, *view_);

    view_->show();
    ASSERT_TRUE(waitUntil([&] { return engine_.spectrumEnabled(); }));
    engine_.controls.pause();
    EXPECT_FALSE(engine_.spectrumEnabled());
    ASSERT_TRUE(waitUntil([&] { return !view_->isFalling() && view_->bars().atRest(); }));
    runEventsFor(100); // the empty picture's own paint
    expectQuietFor(300, engine_, *view_);

    engine_.controls.play();
    ASSERT_TRUE(playing());
    EXPECT_TRUE(engine_.spectrumEnabled());
    engine_.controls.stop();
    EXPECT_FALSE(engine_.spectrumEnabled());
}

// A tone that starts after a silence lights the bars when it is heard, not when it passes by.
TEST_F(EngineSpectrumTest, TheBarsFollowTheSoundAsItIsHeard) {
    constexpr double kSilenceSeconds = 1.5;
    std::vector<int16_t> samples(std::size_t(kSilenceSeconds * kSampleRate) * kChannels, 0);
    const std::vector<int16_t> tone = sineSamples(1.5);
    samples.insert(samples.end(), tone.begin(), tone.end());
    ASSERT_TRUE(writeFile(folder_.filePath("late.wav"), wavBytes(samples)));
    view_->show();
    engine_.setURL(windowsPath(folder_.filePath("late.wav")));
    ASSERT_TRUE(playing());
    double litAt = -1;
    ASSERT_TRUE(waitUntil([&] {
        if (view_->bars().atRest())
            return false;
        litAt = engine_.controls.currentPosition();
        return true;
    }));
    EXPECT_GT(litAt, kSilenceSeconds - 0.05);
    EXPECT_LT(litAt, kSilenceSeconds + 0.5);
    EXPECT_GT(engine_.spectrumFrames(), 20);
}

TEST_F(EngineSpectrumTest, AViewDestroyedFirstIsLetGo) {
    view_->show();
    engine_.setURL(windowsPath(folder_.filePath("tone.wav")));
    ASSERT_TRUE(playing());
    ASSERT_TRUE(waitUntil([&] { return engine_.spectrumEnabled(); }));
    view_.reset();
    // The frames stop with the view, while the sound plays on.
    EXPECT_FALSE(engine_.spectrumEnabled());
    const int frames = engine_.spectrumFrames();
    runEventsFor(200);
    EXPECT_EQ(engine_.spectrumFrames(), frames);
    EXPECT_EQ(engine_.playState(), rt::MediaPlayer::kPlaying);
    engine_.controls.pause();
    EXPECT_FALSE(engine_.spectrumEnabled());
    engine_.attachAnalyserView(nullptr);
}

TEST_F(EngineSpectrumTest, AnEngineDestroyedFirstLeavesTheViewAlone) {
    auto engine = std::make_unique<rt::GstMediaPlayer>();
    engine->attachAnalyserView(view_.get());
    view_->show();
    engine->setURL(windowsPath(folder_.filePath("tone.wav")));
    ASSERT_TRUE(waitUntil([&] { return engine->spectrumEnabled(); }));
    ASSERT_TRUE(drawing());
    engine.reset();
    view_->hide();
    view_->show();
    runEventsFor(100); // the picture's own paint on showing
    const int paints = view_->paintCount();
    runEventsFor(200);
    EXPECT_EQ(view_->paintCount(), paints);
}

// A decoded MP3 reaches the tap in the decoder's own sample layout and times; its tone lights its bars.
TEST_F(EngineSpectrumTest, ACompressedTrackLightsTheBarsOfItsTone) {
    const QString path = folder_.filePath("tone.mp3");
    if (!encodeTone(path, 3.0, kMp3At128))
        GTEST_SKIP() << "no MP3 encoder";
    view_->show();
    engine_.setURL(windowsPath(path));
    ASSERT_TRUE(playing());
    ASSERT_TRUE(drawing());
    const int bar = loudestBar(view_->bars());
    EXPECT_GT(bar, 5);
    EXPECT_LT(bar, AnalyserBars::kBarCount / 2);
}

} // namespace
