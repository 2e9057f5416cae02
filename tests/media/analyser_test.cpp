// The spectrum picture: its bars from band magnitudes, their rise and soft fall, and the rule that the
// spectrum is computed and drawn only while the view is on screen and sound plays.
#include "MediaFixtures.h"

#include "platform/media/AnalyserView.h"
#include "platform/media/GstMediaPlayer.h"
#include "platform/win/Drives.h"

#include <QGuiApplication>
#include <QScreen>
#include <QTemporaryDir>
#include <gtest/gtest.h>

#include <algorithm>
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

TEST_F(EngineSpectrumTest, TheSpectrumRunsOnlyWhileShownAndPlaying) {
    engine_.setURL(windowsPath(folder_.filePath("tone.wav")));
    ASSERT_TRUE(playing());
    EXPECT_FALSE(engine_.spectrumEnabled()); // the view is hidden

    view_->show();
    ASSERT_TRUE(waitUntil([&] { return engine_.spectrumEnabled(); }));
    ASSERT_TRUE(drawing());
    // The 440 Hz tone lights the bars around 440 Hz and not the treble.
    const int bar = loudestBar(view_->bars());
    EXPECT_GT(bar, 5);
    EXPECT_LT(bar, AnalyserBars::kBarCount / 2);

    view_->hide();
    EXPECT_FALSE(engine_.spectrumEnabled());
    const int hiddenPaints = view_->paintCount();
    runEventsFor(300);
    EXPECT_EQ(view_->paintCount(), hiddenPaints);

    view_->show();
    ASSERT_TRUE(waitUntil([&] { return engine_.spectrumEnabled(); }));
    engine_.controls.pause();
    EXPECT_FALSE(engine_.spectrumEnabled());
    ASSERT_TRUE(waitUntil([&] { return !view_->isFalling() && view_->bars().atRest(); }));
    runEventsFor(100); // the empty picture's own paint
    const int pausedPaints = view_->paintCount();
    runEventsFor(300);
    EXPECT_EQ(view_->paintCount(), pausedPaints);

    engine_.controls.play();
    ASSERT_TRUE(playing());
    EXPECT_TRUE(engine_.spectrumEnabled());
    engine_.controls.stop();
    EXPECT_FALSE(engine_.spectrumEnabled());
}

TEST_F(EngineSpectrumTest, AViewDestroyedFirstIsLetGo) {
    view_->show();
    engine_.setURL(windowsPath(folder_.filePath("tone.wav")));
    ASSERT_TRUE(playing());
    ASSERT_TRUE(waitUntil([&] { return engine_.spectrumEnabled(); }));
    view_.reset();
    runEventsFor(200);
    engine_.controls.pause();
    EXPECT_FALSE(engine_.spectrumEnabled());
    engine_.attachAnalyserView(nullptr);
}

} // namespace
