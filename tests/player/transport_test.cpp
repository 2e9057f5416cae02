// The transport command and its state table, the position timer with its number handling, the bit-rate
// label, the scrolling title and the keys, on the fake engine.
#include "PlayerFixture.h"

#include "platform/runtime/Numbers.h"

#include <QKeyEvent>
#include <QMouseEvent>
#include <QTimer>
#include <chrono>
#include <cmath>
#include <memory>
#include <ostream>
#include <string>
#include <thread>

namespace player_test {
namespace {

using player::sa;

const rt::String kSong = "C:\\Audio\\Song.mp3";
const rt::String kTake = "C:\\Audio\\Take 1.wav";

class TransportTest : public PlayerTest {
  protected:
    // Which of the two buttons on the shared rectangle the user sees, or nullptr when neither shows.
    static const rt::Control* frontTransportButton() {
        QWidget* seen = seenAtCentreOf(ui().Control(0));
        for (int index : {0, 1})
            if (seen == ui().Control(index).widget())
                return &ui().Control(index);
        return nullptr;
    }
    static void expectPlayingRow() {
        EXPECT_TRUE(ui().TimerTime.isRunning());
        EXPECT_TRUE(ui().TimerDisplay.isRunning());
        EXPECT_FALSE(ui().Control(0).Visible());
        EXPECT_TRUE(ui().Control(1).Visible());
        EXPECT_EQ(frontTransportButton(), &ui().Control(1));
    }
    static void expectPausedRow() {
        EXPECT_FALSE(ui().TimerTime.isRunning());
        EXPECT_TRUE(ui().TimerDisplay.isRunning());
        EXPECT_TRUE(ui().Control(0).Visible());
        EXPECT_FALSE(ui().Control(1).Visible());
        EXPECT_EQ(frontTransportButton(), &ui().Control(0));
    }
    static void expectStoppedRow() {
        EXPECT_FALSE(ui().TimerTime.isRunning());
        EXPECT_FALSE(ui().TimerDisplay.isRunning());
        EXPECT_TRUE(ui().Control(0).Visible());
        EXPECT_FALSE(ui().Control(1).Visible());
        EXPECT_EQ(frontTransportButton(), &ui().Control(0));
        EXPECT_EQ(ui().LabelDisplay.Left(), 100);
    }
    static void play(const rt::String& path, double duration) {
        load(path, duration);
        ui().Control(0).Click();
    }
};

// ---- the transport command ----

TEST_F(TransportTest, WithoutAMediaAddressOrWithIndexThreeNothingHappens) {
    fake().clearCalls();
    for (std::int16_t index : {0, 1, 2})
        main().Control_Click(index);
    EXPECT_TRUE(ui().Control(0).Visible());
    EXPECT_TRUE(ui().Control(1).Visible());
    EXPECT_FALSE(ui().TimerDisplay.isRunning());
    EXPECT_TRUE(fake().calls().empty());

    play(kSong, 240);
    fake().clearCalls();
    main().Control_Click(3);
    EXPECT_TRUE(fake().calls().empty());
    expectPlayingRow();
}

TEST_F(TransportTest, PlayPauseAndStopFollowTheStateTable) {
    play(kSong, 240);
    EXPECT_EQ(fake().count(Call::Play), 1);
    expectPlayingRow();
    EXPECT_EQ(ui().LabelDisplay.Left(), 100);

    ui().Control(1).Click();
    EXPECT_EQ(fake().playState(), rt::MediaPlayer::kPaused);
    expectPausedRow();

    ui().Control(0).Click();
    expectPlayingRow();
    ui().LabelDisplay.setLeft(-300);
    ui().Control(2).Click();
    ui().Control(2).Click(); // the command does not look at the engine: stop again calls stop again
    EXPECT_EQ(fake().count(Call::Stop), 2);
    expectStoppedRow();
}

TEST_F(TransportTest, AReleaseOverTheStopButtonStops) {
    play(kSong, 240);
    QWidget* stop = ui().Control(2).widget();
    const QPointF inside(30, 30);
    QMouseEvent press(QEvent::MouseButtonPress, inside, stop->mapToGlobal(inside), Qt::LeftButton,
                      Qt::LeftButton, Qt::NoModifier);
    QMouseEvent release(QEvent::MouseButtonRelease, inside, stop->mapToGlobal(inside), Qt::LeftButton,
                        Qt::NoButton, Qt::NoModifier);
    QApplication::sendEvent(stop, &press);
    QApplication::sendEvent(stop, &release);
    expectStoppedRow();
}

// ---- the position timer ----

TEST_F(TransportTest, TheEndOfAMediaBringsPlayBackWithTheTitleStillScrolling) {
    play(kSong, 240);
    fake().setPosition(239.6);
    tickTime();
    fake().setPlayState(rt::MediaPlayer::kStopped);
    tickTime();
    EXPECT_EQ(fake().count(Call::Pause), 1); // the pause branch, on a stopped engine
    expectPausedRow();
    const double left = ui().LabelDisplay.Left();
    tickTitle();
    EXPECT_EQ(ui().LabelDisplay.Left(), left - 10);
    // The seek bar and the time stay where the last tick put them.
    EXPECT_EQ(ui().SliderTime.Value(), 240);
    EXPECT_EQ(ui().LabelTime.Caption(), "04:00");
}

TEST_F(TransportTest, APausedEngineFoundByATickRunsTheStopBranch) {
    play(kSong, 240);
    fake().setPlayState(rt::MediaPlayer::kPaused);
    tickTime();
    EXPECT_EQ(fake().count(Call::Stop), 1);
    expectStoppedRow();
}

struct ElapsedCase {
    double position;
    const char* text;
};

void PrintTo(const ElapsedCase& c, std::ostream* out) {
    *out << c.position << " s";
}

class ElapsedTextTest : public TransportTest, public ::testing::WithParamInterface<ElapsedCase> {};

TEST_P(ElapsedTextTest, TickWritesTheElapsedTime) {
    play(kSong, 7200);
    fake().setPosition(GetParam().position);
    tickTime();
    EXPECT_EQ(ui().LabelTime.Caption(), GetParam().text);
}

INSTANTIATE_TEST_SUITE_P(Positions, ElapsedTextTest,
                         ::testing::Values(ElapsedCase{0.4, "00:00"}, ElapsedCase{0.5, "00:01"},
                                           ElapsedCase{5, "00:05"}, ElapsedCase{59.5, "01:00"},
                                           ElapsedCase{61, "01:01"}, ElapsedCase{3600, "60:00"},
                                           ElapsedCase{6000, "100:00"}),
                         [](const ::testing::TestParamInfo<ElapsedCase>& info) {
                             return "Tenths" + std::to_string(std::lround(info.param.position * 10));
                         });

TEST_F(TransportTest, TheSpectrumWindowShowsTheTimeOnlyWhileVisible) {
    play(kSong, 240);
    fake().setPosition(5);
    tickTime();
    EXPECT_EQ(saUi().LabelTime.Caption(), "");
    main().SAtoggle1_Click();
    tickTime();
    EXPECT_EQ(saUi().LabelTime.Caption(), "00:05");
}

TEST_F(TransportTest, SeekBarTakesWholeSecondsAndAPositionPastTheOldMaximumLandsNextTick) {
    ASSERT_EQ(ui().SliderTime.Max(), 100);
    play(kSong, 240);
    fake().setPosition(150);
    tickTime();
    EXPECT_EQ(ui().SliderTime.Max(), 240);
    EXPECT_NE(ui().SliderTime.Value(), 150); // dropped: the maximum was still 100
    fake().setPosition(150.5);
    tickTime();
    EXPECT_EQ(ui().SliderTime.Value(), 150); // halves to even
    fake().setPosition(151.5);
    tickTime();
    EXPECT_EQ(ui().SliderTime.Value(), 152);

    fake().setDuration(0); // a duration of 0 keeps the maximum
    tickTime();
    EXPECT_EQ(ui().SliderTime.Max(), 240);
}

TEST_F(TransportTest, WithADecimalCommaOnlyTheWholeSecondsOfTheDurationCount) {
    rt::setDecimalSeparatorForTesting(u',');
    play(kSong, 241.7);
    tickTime();
    rt::setDecimalSeparatorForTesting(QChar());
    EXPECT_EQ(ui().SliderTime.Max(), 241);
}

TEST_F(TransportTest, ADurationBeyondSixteenBitsEndsTheTickBeforeTheTransport) {
    play(kSong, 40000);
    fake().setPosition(7);
    fake().setPlayState(rt::MediaPlayer::kStopped);
    tickTime();
    EXPECT_EQ(fake().count(Call::Pause), 0);
    expectPlayingRow();
    EXPECT_EQ(ui().SliderTime.Value(), 7); // step 1 was done
    EXPECT_EQ(ui().LabelTime.Caption(), "00:00");
}

TEST_F(TransportTest, AnEmptiedMediaAddressEndsEveryTickAndFreezesTheTransport) {
    play(kSong, 240);
    fake().setPosition(30);
    tickTime();
    fake().setURL("");
    tickTime();
    EXPECT_EQ(ui().LabelTime.Caption(), "00:30");
    expectPlayingRow();
}

// ---- the bit rate ----

TEST_F(TransportTest, BitRateIsShownOnceForAnMp3AndHiddenForAWav) {
    fake().setStatus("Reproduciendo: 128 Kbps");
    play("C:\\Audio\\Song.MP3", 240);
    tickTime();
    EXPECT_TRUE(ui().mp3Baud.Visible());
    EXPECT_EQ(ui().mp3Baud.Caption(), " 128 Kbaud ");

    // Written only while hidden: the next MP3 keeps the first one's rate.
    fake().setStatus("Reproduciendo: 320 Kbps");
    play("C:\\Audio\\Other.mp3", 240);
    tickTime();
    EXPECT_EQ(ui().mp3Baud.Caption(), " 128 Kbaud ");

    play(kTake, 240);
    tickTime();
    EXPECT_FALSE(ui().mp3Baud.Visible());
}

TEST_F(TransportTest, BitRateWaitsForAPlayingStatus) {
    fake().setStatus("Conectando...");
    play(kSong, 240);
    tickTime();
    EXPECT_FALSE(ui().mp3Baud.Visible());
    fake().setStatus("Playing 64 kbps"); // no colon: the three characters from the second
    tickTime();
    EXPECT_TRUE(ui().mp3Baud.Visible());
    EXPECT_EQ(ui().mp3Baud.Caption(), " lay Kbaud ");
}

// ---- the title display ----

TEST_F(TransportTest, TitleIsRebuiltFromTheEngineWithTheExtensionInLowerCase) {
    play("C:\\Audio\\Song.MP3", 240);
    tickTitle();
    EXPECT_EQ(ui().LabelDisplay.Caption(), "  >>>> Song.mp3 -- 04:00 <<<< ");
    EXPECT_EQ(ui().LabelDisplay.Left(), 90);
}

// Ticks the title until it wraps; returns the number of ticks it took.
int ticksUntilTheTitleWraps() {
    for (int tick = 1; tick < 100000; ++tick) {
        const double before = player::player().d().LabelDisplay.Left();
        player::player().d().TimerDisplay.tick();
        const double after = player::player().d().LabelDisplay.Left();
        if (after != before - 10) {
            EXPECT_EQ(after, 100);
            return tick;
        }
    }
    ADD_FAILURE() << "the title never wraps";
    return 0;
}

TEST_F(TransportTest, ShortAndLongTitlesWrapOnceTheirRightEndIsTwentyTwipsPastTheEdge) {
    for (const char* path :
         {"C:\\a.wav", "C:\\Audio\\A long title of a take from the second day of the session.wav"}) {
        play(path, 5);
        tickTitle();
        const double width = ui().LabelDisplay.Width();
        ASSERT_GT(width, 0);
        // From 90 the title moves 10 twips a tick; it wraps at the first Left below -(width + 20).
        EXPECT_EQ(ticksUntilTheTitleWraps(), int((90 + width + 20) / 10) + 1) << path;
        EXPECT_EQ(ticksUntilTheTitleWraps(), int((100 + width + 20) / 10) + 1) << path;
    }
}

TEST_F(TransportTest, WithoutAMediaAddressTheTitleKeepsWhateverAnotherWriterLeft) {
    ui().LabelDisplay.setCaption("1.5 s");
    ui().LabelDisplay.setLeft(40);
    tickTitle();
    EXPECT_EQ(ui().LabelDisplay.Caption(), "1.5 s");
    EXPECT_EQ(ui().LabelDisplay.Left(), 40);
}

// ---- keys ----

void pressKey(QWidget* window, int key, Qt::KeyboardModifiers modifiers = Qt::NoModifier) {
    QKeyEvent event(QEvent::KeyPress, key, modifiers);
    QApplication::sendEvent(window, &event);
}

TEST_F(TransportTest, SpaceTogglesByTheEnginesStateAndEndStops) {
    QWidget* window = main().containerWidget();
    play(kSong, 240);
    pressKey(window, Qt::Key_Space); // playing -> pause
    expectPausedRow();
    pressKey(window, Qt::Key_Space); // paused -> play
    expectPlayingRow();
    for (int state : {rt::MediaPlayer::kStopped, rt::MediaPlayer::kReady}) {
        fake().setPlayState(state);
        pressKey(window, Qt::Key_Space);
    }
    EXPECT_EQ(fake().count(Call::Play), 4);
    // While the engine opens a media, Space does nothing.
    fake().setPlayState(rt::MediaPlayer::kTransitioning);
    fake().clearCalls();
    pressKey(window, Qt::Key_Space);
    EXPECT_TRUE(fake().calls().empty());

    pressKey(window, Qt::Key_End);
    expectStoppedRow();
}

// Posts a zero-time timer that notes when pending events run; the pump only runs them once its quiet
// millisecond has passed, so the caller waits that long first.
class PendingEventProbe {
  public:
    PendingEventProbe() {
        // Shared, so a timer that fires after a failed check writes into live memory.
        QTimer::singleShot(0, [ran = ran_] { *ran = true; });
        std::this_thread::sleep_for(std::chrono::milliseconds(2));
    }
    bool ran() const { return *ran_; }

  private:
    std::shared_ptr<bool> ran_ = std::make_shared<bool>(false);
};

TEST_F(TransportTest, SpaceThatActsSkipsTheEventPumpAndEndRunsIt) {
    QWidget* window = main().containerWidget();
    play(kSong, 240);
    {
        PendingEventProbe probe;
        pressKey(window, Qt::Key_Space);
        EXPECT_FALSE(probe.ran());
        QApplication::processEvents();
    }
    {
        PendingEventProbe probe;
        pressKey(window, Qt::Key_End);
        EXPECT_TRUE(probe.ran());
    }
}

TEST_F(TransportTest, KeypadPlusAndMinusStepTheFaderAndStopAtItsEnds) {
    QWidget* window = main().containerWidget();
    pressKey(window, Qt::Key_Plus, Qt::KeypadModifier);
    EXPECT_EQ(ui().SliderVol.Value(), 41);
    EXPECT_EQ(fake().settings.volume(), 41);
    EXPECT_EQ(ui().LabelVol.Caption(), "-49 dB");
    pressKey(window, Qt::Key_Plus); // the main block's plus is another key
    EXPECT_EQ(ui().SliderVol.Value(), 41);

    main().Vol(90);
    ui().SliderVol.setValue(90);
    pressKey(window, Qt::Key_Plus, Qt::KeypadModifier);
    EXPECT_EQ(ui().SliderVol.Value(), 90);
    EXPECT_EQ(ui().LabelVol.Caption(), "0 dB");

    ui().SliderVol.setValue(0);
    main().Vol(0);
    fake().clearCalls();
    pressKey(window, Qt::Key_Minus, Qt::KeypadModifier);
    EXPECT_EQ(ui().SliderVol.Value(), 0);
    EXPECT_EQ(fake().calls(), (std::vector<rt::FakeMediaPlayer::Record>{{Call::Volume, 0}}));
}

TEST_F(TransportTest, TheSpectrumWindowsKeysActOnTheMainWindow) {
    main().SAtoggle1_Click();
    QWidget* window = sa().containerWidget();
    play(kSong, 240);
    pressKey(window, Qt::Key_Space);
    expectPausedRow();
    pressKey(window, Qt::Key_Plus, Qt::KeypadModifier);
    EXPECT_EQ(ui().SliderVol.Value(), 41);
    EXPECT_EQ(saUi().ShapeVol.Height(), 123);
    pressKey(window, Qt::Key_End);
    expectStoppedRow();
}

} // namespace
} // namespace player_test
