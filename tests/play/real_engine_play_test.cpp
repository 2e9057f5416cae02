// A click on a playlist line through the GStreamer engine, on WAV files the test writes: the file plays,
// the title strip carries its name and duration, the seek bar follows; a moved file plays from its copy.
#include "platform/base/Events.h"
#include "platform/media/MediaPlayerControl.h"
#include "platform/runtime/Form.h"
#include "platform/win/Drives.h"
#include "player/InfoFile.h"
#include "player/Player.h"
#include "player/SA.h"
#include "playlist/PlayList.h"
#include "tests/media/MediaFixtures.h"

#include <QDir>
#include <QTemporaryDir>
#include <gtest/gtest.h>

namespace {

using media_test::waitUntil;
using player::player;
using player::sa;

constexpr double kSeconds = 2.6;

class ClickOnTheRealEngine : public ::testing::Test {
  protected:
    void SetUp() override {
        rt::Form::unloadAll();
        rt::Graveyard::flushIfIdle();
        rt::MediaPlayerControl::setEngineFactoryForTesting(nullptr);
        rt::setDriveTableForTesting({{u'C', fixed_.path(), rt::kDriveFixed},
                                     {u'D', moved_.path(), rt::kDriveFixed},
                                     {u'E', disc_.path(), rt::kDriveCdRom}});
        QDir(fixed_.path()).mkpath("Audio");
        QDir(moved_.path()).mkpath("Audio");
        player().Show();
        player().PL_Click();
    }
    void TearDown() override {
        rt::Form::unloadAll();
        rt::Graveyard::flushIfIdle();
        rt::resetDriveTable();
    }
    static playlist::PlayListDesign& list() { return playlist::playList().d(); }

    QTemporaryDir fixed_, moved_, disc_;
};

TEST_F(ClickOnTheRealEngine, AClickedWavPlaysWithItsTitleAndTheSeekBarMoves) {
    ASSERT_TRUE(media_test::writeSineWav(fixed_.filePath("Audio/Tono.wav"), kSeconds));
    list().ListFiles.AddItem(QString(35, u'-'));
    list().ListFiles.AddItem("C:\\Audio\\Tono.wav");
    list().ListFiles.setListIndex(1);

    player::PlayerDesign& ui = player().d();
    EXPECT_EQ(sa().engine().URL(), "C:\\Audio\\Tono.wav");
    EXPECT_TRUE(ui.LabelDisplay.Caption().startsWith("  >>>> Tono -- "));
    EXPECT_TRUE(waitUntil([] { return sa().engine().playState() == rt::MediaPlayer::kPlaying; }));
    EXPECT_TRUE(waitUntil([&] { return ui.LabelDisplay.Caption() == "  >>>> Tono.wav -- 00:03 <<<< "; }))
        << ui.LabelDisplay.Caption().toStdString();
    const double startLeft = ui.LabelDisplay.Left();
    // The design leaves the bar at 50: one second in, the ticks have put it at 1.
    EXPECT_TRUE(waitUntil([&] { return ui.SliderTime.Value() == 1 && ui.LabelTime.Caption() == "00:01"; }));
    EXPECT_EQ(ui.SliderTime.Max(), 3);
    EXPECT_NE(ui.LabelDisplay.Left(), startLeft); // the title scrolls
    EXPECT_TRUE(player::infoFile().d().TextInfo.Text().contains(" Frec: 44100"));
}

TEST_F(ClickOnTheRealEngine, AMovedFilePlaysFromTheDriveThatHoldsIt) {
    ASSERT_TRUE(media_test::writeSineWav(moved_.filePath("Audio/Movido.wav"), kSeconds));
    QDir(disc_.path()).mkpath("Audio");
    ASSERT_TRUE(media_test::writeSineWav(disc_.filePath("Audio/Movido.wav"), kSeconds));
    list().ListFiles.AddItem("C:\\Audio\\Movido.wav");
    list().ListFiles.setListIndex(0);

    EXPECT_EQ(sa().engine().URL(), "D:\\Audio\\Movido.wav");
    EXPECT_TRUE(waitUntil([] { return sa().engine().playState() == rt::MediaPlayer::kPlaying; }));
    EXPECT_TRUE(waitUntil([] { return player().d().LabelTime.Caption() == "00:01"; }));
    EXPECT_EQ(list().List1.ListCount(), 2); // C and D; E is a CD-ROM
    EXPECT_EQ(list().ListFiles.List(0), "C:\\Audio\\Movido.wav");
}

} // namespace
