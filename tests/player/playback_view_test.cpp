// What the user sees while a media plays, tick by tick: the elapsed text in both windows, the seek bar's
// value, maximum and thumb pixel, the title's place in twips and in pixels, and the pixels on screen of the
// strips and the seek bar, which must equal a fresh paint of them however little each tick repainted.
#include "PlayerFixture.h"

#include <QGuiApplication>
#include <QImage>
#include <QPixmap>
#include <QScreen>

#include <cfenv>
#include <cmath>

namespace player_test {
namespace {

using player::sa;

constexpr double kTickSeconds = 0.025;
constexpr int kTrackTravelPx = 191; // 200-pixel track, 9-pixel thumb

// The elapsed text written out by hand: whole seconds rounded half away from zero, "mm:ss".
rt::String expectedElapsed(double position) {
    const int seconds = int(std::floor(position + 0.5));
    return QString::asprintf("%02d:%02d", seconds / 60, seconds % 60);
}

long halvesToEven(double value) {
    std::fesetround(FE_TONEAREST);
    return std::lrint(value);
}

class PlaybackViewTest : public PlayerTest {
  protected:
    static void play(const rt::String& path, double duration) {
        load(path, duration);
        ui().Control(0).Click();
    }
    // The widget's pixels as the screen shows them once pending paints are done.
    static QImage onScreen(const QWidget* widget) {
        QApplication::processEvents();
        const QWidget* window = widget->window();
        const QRect area(widget->mapTo(window, QPoint(0, 0)), widget->size());
        return QGuiApplication::primaryScreen()
            ->grabWindow(window->winId(), area.x(), area.y(), area.width(), area.height())
            .toImage()
            .convertToFormat(QImage::Format_RGB32);
    }
    // The same place of its window painted afresh, with whatever lies in front of the widget.
    static QImage freshPaint(QWidget* widget) {
        QWidget* window = widget->window();
        return window->grab(QRect(widget->mapTo(window, QPoint(0, 0)), widget->size()))
            .toImage()
            .convertToFormat(QImage::Format_RGB32);
    }
    static void expectScreenIsFresh(QWidget* widget, int tick, const char* name) {
        EXPECT_TRUE(onScreen(widget) == freshPaint(widget)) << "tick " << tick << ", " << name;
    }
};

TEST_F(PlaybackViewTest, ElapsedTextSeekBarAndTitleFollowEveryTick) {
    sa().Show();
    const double duration = 125;
    play("C:\\Audio\\Take 1.wav", duration);
    double position = 58.71; // never exactly on a half second
    double left = 100;
    int wraps = 0;
    for (int tick = 1; tick <= 400; ++tick) {
        position += kTickSeconds;
        fake().setPosition(position);
        tickTime();
        tickTitle();
        left -= 10;
        if (ui().LabelDisplay.Width() + 20 + left < 0) {
            left = 100;
            ++wraps;
        }
        ASSERT_EQ(ui().LabelTime.Caption(), expectedElapsed(position)) << tick;
        ASSERT_EQ(saUi().LabelTime.Caption(), expectedElapsed(position)) << tick;
        ASSERT_EQ(ui().SliderTime.Max(), 125) << tick;
        ASSERT_EQ(ui().SliderTime.Value(), halvesToEven(position)) << tick;
        ASSERT_EQ(ui().SliderTime.barPos(),
                  halvesToEven(double(halvesToEven(position)) / duration * kTrackTravelPx))
            << tick;
        ASSERT_EQ(ui().LabelDisplay.Left(), left) << tick;
        ASSERT_EQ(ui().LabelDisplay.textPixels().x(), std::lround(left / rt::kTwipsPerPixel)) << tick;
        ASSERT_EQ(ui().LabelDisplay.Caption(), "  >>>> Take 1.wav -- 02:05 <<<< ") << tick;
    }
    EXPECT_GE(wraps, 1); // the title went round at least once
    EXPECT_EQ(ui().LabelTime.Caption(), "01:09");
}

// The title's timer is told which of its ticks change nothing on screen (they are run early, with the tick
// before): such a tick keeps the title's pixel and caption, and about a third of the ticks are such.
TEST_F(PlaybackViewTest, ATitleTickSaidToShowNothingKeepsThePixelAndTheCaption) {
    play("C:\\Audio\\Take 1.wav", 125);
    rt::Timer& timer = ui().TimerDisplay;
    ASSERT_TRUE(timer.nextTickShowsNothing);
    int unseen = 0;
    for (int tick = 0; tick < 300; ++tick) {
        const bool showsNothing = timer.nextTickShowsNothing();
        const QRect before = ui().LabelDisplay.textPixels();
        const rt::String caption = ui().LabelDisplay.Caption();
        tickTitle();
        if (!showsNothing)
            continue;
        ++unseen;
        ASSERT_EQ(ui().LabelDisplay.textPixels(), before) << tick;
        ASSERT_EQ(ui().LabelDisplay.Caption(), caption) << tick;
    }
    EXPECT_GT(unseen, 80);
    EXPECT_LT(unseen, 110);
    fake().setDuration(200);
    EXPECT_FALSE(timer.nextTickShowsNothing()) << "a new duration changes the caption";
}

// The position timer's ticks said to show nothing (they are run early, with an earlier wake-up) keep both
// elapsed read-outs and the seek bar as they are; most ticks are such, none near a half second or while
// the transport may act.
TEST_F(PlaybackViewTest, APositionTickSaidToShowNothingKeepsTheReadOutsAndTheSeekBar) {
    sa().Show();
    play("C:\\Audio\\Take 1.wav", 125);
    rt::Timer& timer = ui().TimerTime;
    ASSERT_TRUE(timer.nextTickShowsNothing);
    double position = 3.31;
    int unseen = 0;
    for (int tick = 0; tick < 400; ++tick) {
        fake().setPosition(position);
        const bool showsNothing = timer.nextTickShowsNothing();
        const rt::String elapsed = ui().LabelTime.Caption();
        const std::int32_t value = ui().SliderTime.Value();
        tickTime();
        position += kTickSeconds;
        if (!showsNothing)
            continue;
        ++unseen;
        ASSERT_EQ(ui().LabelTime.Caption(), elapsed) << tick;
        ASSERT_EQ(saUi().LabelTime.Caption(), elapsed) << tick;
        ASSERT_EQ(ui().SliderTime.Value(), value) << tick;
    }
    EXPECT_GT(unseen, 300);
    fake().setPosition(9.47);
    tickTime();
    EXPECT_FALSE(timer.nextTickShowsNothing()) << "a half second within reach";
    fake().setPosition(9.2);
    tickTime();
    EXPECT_TRUE(timer.nextTickShowsNothing());
    fake().setPlayState(rt::MediaPlayer::kStopped);
    EXPECT_FALSE(timer.nextTickShowsNothing()) << "the transport acts";
}

TEST_F(PlaybackViewTest, APlayingTickReadsThePositionOnceAndAStoppingTickReadsItAfterTheStop) {
    play("C:\\Audio\\Take 1.wav", 240);
    fake().setPosition(42.2);
    const int before = fake().positionReads();
    tickTime();
    EXPECT_EQ(fake().positionReads(), before + 1);
    EXPECT_EQ(ui().LabelTime.Caption(), "00:42");

    // A paused engine makes the tick stop it, which rewinds it: the time shown is read after the stop.
    fake().setPlayState(rt::MediaPlayer::kPaused);
    tickTime();
    EXPECT_EQ(ui().SliderTime.Value(), 42);
    EXPECT_EQ(ui().LabelTime.Caption(), "00:00");
}

TEST_F(PlaybackViewTest, TheScreenShowsWhatAFreshPaintShowsAfterEveryTick) {
    sa().Show();
    play("C:\\Audio\\Take 1.wav", 240);
    double position = 0.3;
    for (int tick = 1; tick <= 120; ++tick) {
        position += 0.4; // the thumb and the text change every few ticks
        fake().setPosition(position);
        tickTime();
        tickTitle();
        if (tick % 7 != 0 && tick > 3)
            continue;
        expectScreenIsFresh(ui().PictureLD.widget(), tick, "title strip");
        expectScreenIsFresh(ui().Picture1.widget(), tick, "time strip");
        expectScreenIsFresh(ui().SliderTime.widget(), tick, "seek bar");
        expectScreenIsFresh(saUi().Picture1.widget(), tick, "spectrum window's time strip");
    }
    // Stop puts the title back at its start, on screen too.
    ui().Control(2).Click();
    expectScreenIsFresh(ui().PictureLD.widget(), 0, "title strip");
    EXPECT_EQ(ui().LabelDisplay.textPixels().x(), 7);
}

// Counts paints of every widget.
class PaintCounter : public QObject {
  public:
    int paints = 0;

  protected:
    bool eventFilter(QObject*, QEvent* event) override {
        paints += event->type() == QEvent::Paint;
        return false;
    }
};

TEST_F(PlaybackViewTest, AMinimisedWindowKeepsTickingButPaintsNothingUntilRestored) {
    play("C:\\Audio\\Take 1.wav", 240);
    main().setWindowState(1);
    QApplication::processEvents();
    PaintCounter counter;
    QApplication::instance()->installEventFilter(&counter);
    double position = 10;
    for (int tick = 1; tick <= 60; ++tick) {
        fake().setPosition(position += 0.5);
        tickTime();
        tickTitle();
        QApplication::processEvents();
    }
    QApplication::instance()->removeEventFilter(&counter);
    EXPECT_EQ(counter.paints, 0);
    EXPECT_EQ(ui().LabelDisplay.Left(), 100 - 600); // the title went on moving
    EXPECT_EQ(ui().LabelTime.Caption(), "00:40");

    main().setWindowState(0);
    expectScreenIsFresh(ui().PictureLD.widget(), 0, "title strip");
    expectScreenIsFresh(ui().Picture1.widget(), 0, "time strip");
    expectScreenIsFresh(ui().SliderTime.widget(), 0, "seek bar");
}

} // namespace
} // namespace player_test
