// The main window on the GStreamer engine, with a WAV file the test writes: the real timers move the seek
// bar and the time labels while it plays, and the end of the file brings the Play button back.
#include "platform/base/Events.h"
#include "platform/media/MediaPlayerControl.h"
#include "platform/runtime/Form.h"
#include "player/Player.h"
#include "player/SA.h"
#include "tests/media/MediaFixtures.h"
#include "tests/support/TempDrive.h"

#include <gtest/gtest.h>

namespace {

using media_test::waitUntil;
using player::player;
using player::sa;

constexpr double kSeconds = 2.6;

class PlayerOnTheRealEngine : public ::testing::Test {
  protected:
    void SetUp() override {
        rt::Form::unloadAll();
        rt::Graveyard::flushIfIdle();
        rt::MediaPlayerControl::setEngineFactoryForTesting(nullptr);
        drive_.makeFolder("Audio");
        ASSERT_TRUE(media_test::writeSineWav(drive_.host("Audio/Tone.wav"), kSeconds));
        player().Show();
    }
    void TearDown() override {
        rt::Form::unloadAll();
        rt::Graveyard::flushIfIdle();
    }

    testing_support::TempDrive drive_;
};

TEST_F(PlayerOnTheRealEngine, PlayingMovesSeekBarAndTimeThenTheEndBringsPlayBack) {
    player::PlayerDesign& ui = player().d();
    player().SAtoggle1_Click();
    sa().engine().setURL(drive_.windows("Audio/Tone.wav"));
    ui.Control(0).Click();
    ASSERT_TRUE(ui.TimerTime.isRunning());

    // Whole seconds: the bar reaches 1 and the labels read 00:01 while the file plays, in real time.
    EXPECT_TRUE(waitUntil([&] { return ui.SliderTime.Value() >= 1; }));
    EXPECT_TRUE(waitUntil([&] { return ui.LabelTime.Caption() == "00:01"; }));
    EXPECT_TRUE(waitUntil([&] { return sa().d().LabelTime.Caption() == "00:01"; }));
    EXPECT_EQ(ui.SliderTime.Max(), 3); // 2.6 s, to the nearest whole second
    EXPECT_FALSE(ui.Control(0).Visible());
    EXPECT_TRUE(ui.LabelDisplay.Caption().startsWith("  >>>> Tone.wav -- "));

    // The end of the file: the engine reports stopped, the tick pauses the transport.
    EXPECT_TRUE(waitUntil([&] { return ui.Control(0).Visible(); }));
    EXPECT_FALSE(ui.Control(1).Visible());
    EXPECT_FALSE(ui.TimerTime.isRunning());
    EXPECT_TRUE(ui.TimerDisplay.isRunning());
    EXPECT_EQ(sa().engine().playState(), rt::MediaPlayer::kStopped);
}

} // namespace
