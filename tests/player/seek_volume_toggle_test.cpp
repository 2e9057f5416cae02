// Seeking with the seek bar, the volume routine and the level bar, the companion toggles, and the spectrum
// window's own load, double click, buttons and unload, on the fake engine.
#include "PlayerFixture.h"

#include "playlist/PlayList.h"

namespace player_test {
namespace {

using player::kDockPlayList;
using player::kDockSA;
using player::sa;
using playlist::playList;

const rt::String kSong = "C:\\Audio\\Song.mp3";

// The seek bar's track is 200 pixels wide, so a press at x seeks to duration / 200 x x (the quotient in
// single precision).
double pressSeek(double duration, float x) {
    return static_cast<double>(static_cast<float>(duration / 200)) * static_cast<double>(x);
}

class SeekTest : public PlayerTest {
  protected:
    void SetUp() override {
        PlayerTest::SetUp();
        load(kSong, 240);
        ui().Control(0).Click();
        fake().setPosition(10);
        tickTime(); // Max 240, thumb at 10 s
        fake().clearCalls();
    }
    static void press(float x, std::int16_t button = 1) {
        std::int16_t shift = 0;
        float y = 5;
        ui().SliderTime.picBack_MouseDown(button, shift, x, y);
    }
    static void move(float x) {
        std::int16_t button = 1, shift = 0;
        float y = 5;
        ui().SliderTime.picBack_MouseMove(button, shift, x, y);
    }
    static void release(float x, std::int16_t button = 1) {
        std::int16_t shift = 0;
        float y = 5;
        ui().SliderTime.picBack_MouseUp(button, shift, x, y);
    }
    static std::vector<double> seeks() {
        std::vector<double> seconds;
        for (const auto& record : fake().calls())
            if (record.call == Call::Seek)
                seconds.push_back(record.value);
        return seconds;
    }
};

TEST_F(SeekTest, AClickOnTheTrackSeeksAtThePressAndAgainAtTheRelease) {
    press(100);
    EXPECT_EQ(seeks(), std::vector<double>{pressSeek(240, 100)});
    release(100);
    // The thumb centred on x 100 sits at 96 of a 191-pixel travel: 96 / 191 x 240 = 120.6 -> 121.
    EXPECT_EQ(seeks(), (std::vector<double>{pressSeek(240, 100), 121}));

    fake().clearCalls();
    press(0);
    release(0);
    EXPECT_EQ(seeks(), (std::vector<double>{0, 0}));
}

TEST_F(SeekTest, NothingIsSoughtAtThePressAtPositionZeroOrWithNoMedia) {
    fake().setPosition(0);
    press(100);
    EXPECT_TRUE(seeks().empty());
    release(100);
    EXPECT_EQ(seeks(), std::vector<double>{121});

    fake().clearCalls();
    fake().setURL("");
    fake().setPosition(3); // whatever the engine says, an empty address stops the press
    press(100);
    EXPECT_TRUE(seeks().empty());
}

TEST_F(SeekTest, ADragSeeksAtThePressAndOnceAtEveryMove) {
    // The thumb is at 10 s: BarPos 10 / 240 x 191 = 7.96 -> 8, so x 10 lies on it.
    ASSERT_EQ(ui().SliderTime.barPos(), 8);
    press(10);
    move(50);
    move(50);
    move(120);
    release(120);
    const std::vector<double> sought = seeks();
    ASSERT_EQ(sought.size(), 4u);
    EXPECT_EQ(sought[0], pressSeek(240, 10));
    // Centred thumbs at 46 and 116 of 191: 57.8 -> 58 s and 145.8 -> 146 s.
    EXPECT_EQ(sought[1], 58);
    EXPECT_EQ(sought[2], 58);
    EXPECT_EQ(sought[3], 146);
}

TEST_F(SeekTest, ARightClickSeeksOnlyAtTheRelease) {
    press(100, 2);
    EXPECT_TRUE(seeks().empty());
    release(100, 2);
    EXPECT_EQ(seeks().size(), 1u);
}

TEST_F(SeekTest, ThePositionTimerNeverSeeks) {
    fake().setPosition(42);
    tickTime();
    tickTime();
    EXPECT_TRUE(seeks().empty());
    EXPECT_EQ(ui().SliderTime.Value(), 42);
}

// ---- volume ----

TEST_F(PlayerTest, VolumeMapsTheLevelToEngineLabelAndBar) {
    struct Case {
        std::int32_t level;
        const char* label;
        double height, top;
    };
    for (const Case& c :
         {Case{0, "-90 dB", 0, 320}, Case{40, "-50 dB", 120, 200}, Case{90, "0 dB", 270, 50}}) {
        main().Vol(c.level);
        EXPECT_EQ(fake().settings.volume(), c.level);
        EXPECT_EQ(ui().LabelVol.Caption(), c.label);
        EXPECT_EQ(saUi().ShapeVol.Height(), c.height);
        EXPECT_EQ(saUi().ShapeVol.Top(), c.top);
    }
}

TEST_F(PlayerTest, MovingTheFaderAfterTheSpectrumWindowClosedCreatesItAgainWithTheLevel) {
    saUi().Close.Click();
    ASSERT_FALSE(sa().isLoaded());
    std::int16_t button = 1, shift = 0;
    float x = 100, y = 7;
    ui().SliderVol.picBack_MouseDown(button, shift, x, y);
    ui().SliderVol.picBack_MouseUp(button, shift, x, y);
    EXPECT_TRUE(sa().isLoaded());
    EXPECT_FALSE(sa().Visible());
    EXPECT_EQ(enginesMade_, 2);
    // Centred at 86 of a 150-pixel travel: 86 / 150 x 90 = 51.6 -> 52.
    EXPECT_EQ(fake().settings.volume(), 52);
    EXPECT_EQ(ui().LabelVol.Caption(), "-38 dB");
    EXPECT_EQ(saUi().ShapeVol.Height(), 156);
    EXPECT_EQ(saUi().ShapeVol.Top(), 164);
}

// ---- companion toggles ----

TEST_F(PlayerTest, PlaylistToggleCreatesShowsAndDocksItThenHidesIt) {
    ASSERT_FALSE(playList().isLoaded());
    ui().SliderVol.setValue(60); // the fader moved without telling anyone
    ui().PL.Click();
    EXPECT_TRUE(playList().Visible());
    EXPECT_EQ(playList().Left(), main().Left() + kDockPlayList.left);
    EXPECT_EQ(playList().Top(), main().Top() + kDockPlayList.top);
    EXPECT_EQ(fake().settings.volume(), 60);
    QApplication::processEvents(); // activation is the window system's answer, which comes as an event
    EXPECT_EQ(QApplication::activeWindow(), main().containerWidget());

    fake().clearCalls();
    playList().setLeft(0);
    ui().PL.Click();
    EXPECT_FALSE(playList().Visible());
    EXPECT_TRUE(fake().calls().empty());
    EXPECT_EQ(playList().Left(), 0);
}

TEST_F(PlayerTest, SpectrumToggleAfterCloseShowsAFreshEngineDockedWithTheFadersLevel) {
    load(kSong, 240);
    saUi().Close.Click();
    ui().SAtoggle1.Click();
    EXPECT_TRUE(sa().Visible());
    EXPECT_EQ(enginesMade_, 2);
    EXPECT_EQ(fake().URL(), "");
    EXPECT_FALSE(fake().hasCurrentMedia());
    EXPECT_EQ(fake().settings.volume(), 40);
    EXPECT_EQ(saUi().ShapeVol.Height(), 120);
    EXPECT_EQ(sa().Left(), main().Left() + kDockSA.left);
    EXPECT_EQ(sa().Top(), main().Top() + kDockSA.top);
}

TEST_F(PlayerTest, AToggleOnAMinimisedWindowLeavesItRestoredAndHidden) {
    main().SAtoggle1_Click();
    saUi().cmdMinimizar.Click();
    ASSERT_EQ(sa().WindowState(), 1);
    main().SAtoggle1_Click();
    EXPECT_EQ(sa().WindowState(), 0);
    EXPECT_FALSE(sa().Visible());
    sa().setLeft(0);
    main().SAtoggle1_Click();
    EXPECT_TRUE(sa().Visible());
    EXPECT_EQ(sa().Left(), main().Left() + kDockSA.left);

    main().PL_Click();
    playList().setWindowState(1);
    main().PL_Click();
    EXPECT_EQ(playList().WindowState(), 0);
    EXPECT_FALSE(playList().Visible());
}

// ---- the spectrum window itself ----

TEST_F(PlayerTest, SpectrumWindowLoadsHiddenSizedToItsSkinWithAnEmptyBar) {
    saUi().Close.Click();
    EXPECT_FALSE(sa().Visible()); // the touch loads it again
    EXPECT_EQ(sa().Width(), 383 * 15);
    EXPECT_EQ(sa().Height(), 377 * 15);
    EXPECT_EQ(sa().ScaleMode(), rt::kScalePixels);
    EXPECT_TRUE(sa().containerWidget()->windowFlags().testFlag(Qt::WindowStaysOnTopHint));
    EXPECT_EQ(saUi().ShapeVol.Height(), 0);
    EXPECT_EQ(saUi().ShapeVol.Top(), 320);
    // Its controls are measured in pixels: the engine's area is 4665 twips wide.
    EXPECT_EQ(saUi().WindowsMediaPlayer.Width(), 311);
    EXPECT_EQ(fake().settings.volume(), 50);
}

TEST_F(PlayerTest, SpectrumDoubleClickDocksItAndCentresTheBalance) {
    main().SAtoggle1_Click();
    fake().settings.setBalance(40);
    sa().setLeft(150);
    sa().setTop(150);
    sa().dblClick();
    EXPECT_EQ(sa().Left(), main().Left() + kDockSA.left);
    EXPECT_EQ(sa().Top(), main().Top() + kDockSA.top);
    EXPECT_EQ(fake().settings.balance(), 0);

    // With the main window hidden only the balance is centred.
    main().Hide();
    fake().settings.setBalance(-40);
    sa().setLeft(150);
    sa().dblClick();
    EXPECT_EQ(sa().Left(), 150);
    EXPECT_EQ(fake().settings.balance(), 0);
}

TEST_F(PlayerTest, SpectrumCloseDestroysTheEngineAndTheNextTouchStartsAfresh) {
    load(kSong, 240);
    ui().Control(0).Click();
    main().SAtoggle1_Click();
    main().Vol(80);
    saUi().Close.Click();
    EXPECT_FALSE(sa().isLoaded());
    // The main window is not told: its transport keeps its state.
    EXPECT_TRUE(ui().TimerTime.isRunning());
    EXPECT_FALSE(ui().Control(0).Visible());
    tickTime(); // touches the spectrum window, which comes back hidden with an engine holding nothing
    EXPECT_TRUE(sa().isLoaded());
    EXPECT_FALSE(sa().Visible());
    EXPECT_EQ(enginesMade_, 2);
    EXPECT_EQ(fake().URL(), "");
    EXPECT_EQ(fake().settings.volume(), 50);
    EXPECT_EQ(saUi().ShapeVol.Height(), 0);
}

} // namespace
} // namespace player_test
