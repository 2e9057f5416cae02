// What the main window shows of the pieces below it: the bit rate the engine reads from a variable-rate
// MP3, and the progress bar with the colour and font of its design.
#include "platform/base/Events.h"
#include "platform/media/MediaPlayerControl.h"
#include "platform/runtime/Form.h"
#include "platform/shell/ProgressBar.h"
#include "player/Player.h"
#include "player/SA.h"
#include "tests/media/VbrFixtures.h"
#include "tests/player/PlayerFixture.h"
#include "tests/shell/BarColour.h"
#include "tests/support/TempDrive.h"

#include <QProgressBar>
#include <gtest/gtest.h>

namespace {

using namespace media_test;
using shell_test::filledWith;

TEST(VbrInTheMainWindow, TheBitRateLabelShowsTheAverageRate) {
    rt::Form::unloadAll();
    rt::Graveyard::flushIfIdle();
    rt::MediaPlayerControl::setEngineFactoryForTesting(nullptr);
    testing_support::TempDrive drive;
    drive.makeFile("Audio/vbr.mp3", vbrMp3(VbrHeader::Xing));
    player::player().Show();
    player::PlayerDesign& ui = player::player().d();
    player::sa().engine().setURL(drive.windows("Audio/vbr.mp3"));
    ui.Control(0).Click();
    EXPECT_TRUE(waitUntil([&] { return ui.mp3Baud.Visible(); }));
    EXPECT_EQ(ui.mp3Baud.Caption().toStdString(),
              QStringLiteral(" %1 Kbaud ").arg(kAverageKbps).toStdString());
    rt::Form::unloadAll();
    rt::Graveyard::flushIfIdle();
}

class MainWindowProgressBar : public player_test::PlayerTest {};

TEST_F(MainWindowProgressBar, TakesTheStoredColourAndFontOfTheDesign) {
    rt::shell::ProgressBar& bar = ui().XP_ProgressBar1;
    EXPECT_EQ(bar.Color(), 192);
    EXPECT_EQ(bar.Font().name, "MS Sans Serif");
    EXPECT_EQ(bar.Font().points, 8.25);
    EXPECT_FALSE(bar.Font().bold);
    auto* shown = static_cast<QProgressBar*>(bar.widget());
    EXPECT_EQ(shown->font(), rt::qFontOf(rt::FontSpec{"MS Sans Serif", 8.25, false}));
    bar.setMax(10);
    bar.setValue(10);
    EXPECT_TRUE(filledWith(*shown, QColor(192, 0, 0))) << "colour 192 is a dark red";
}

} // namespace
