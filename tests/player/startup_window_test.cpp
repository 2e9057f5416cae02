// The main window's start-up, its design, moving it by its body with the re-docking of the companions,
// the double click, minimise and close.
#include "PlayerFixture.h"

#include "player/InfoFile.h"
#include "playlist/PlayList.h"

#include <QCursor>
#include <QMouseEvent>
#include <QTimer>

namespace player_test {
namespace {

using player::kDockPlayList;
using player::kDockPlayListDoubleClick;
using player::kDockSA;
using player::sa;
using playlist::playList;

TEST_F(PlayerTest, StartUpLeavesBothTransportButtonsUpWithPlayInFrontAndTheTimersOff) {
    EXPECT_TRUE(ui().Control(0).Visible());
    EXPECT_TRUE(ui().Control(1).Visible());
    EXPECT_EQ(seenAtCentreOf(ui().Control(1)), ui().Control(0).widget());
    EXPECT_FALSE(ui().TimerTime.isRunning());
    EXPECT_FALSE(ui().TimerDisplay.isRunning());
    EXPECT_EQ(ui().LabelDisplay.Caption(), QString(22, u'-'));
    EXPECT_EQ(ui().LabelDisplay.Left(), 105);
    EXPECT_FALSE(ui().mp3Baud.Visible());
    // The title label lives inside its strip, which clips it.
    EXPECT_EQ(ui().LabelDisplay.widget()->parentWidget(), ui().PictureLD.widget());
    // The sliders keep their stored sizes: a 200-pixel seek track and a 177-pixel fader.
    EXPECT_EQ(ui().SliderTime.ScaleWidth(), 200);
    EXPECT_EQ(ui().SliderVol.ScaleWidth(), 177);
}

TEST_F(PlayerTest, StartUpAppliesTheFaderLevelThroughTheHiddenSpectrumWindow) {
    EXPECT_EQ(ui().SliderVol.Value(), 40);
    EXPECT_EQ(fake().settings.volume(), 40);
    EXPECT_EQ(ui().LabelVol.Caption(), "-50 dB");
    EXPECT_EQ(saUi().ShapeVol.Height(), 120);
    EXPECT_EQ(saUi().ShapeVol.Top(), 200);
    EXPECT_TRUE(sa().isLoaded());
    EXPECT_FALSE(sa().Visible());
    EXPECT_EQ(enginesMade_, 1);
    // The other windows wait until something asks for them.
    EXPECT_FALSE(playList().isLoaded());
    EXPECT_FALSE(player::infoFile().isLoaded());
}

TEST_F(PlayerTest, StartUpPlacesTheWindowSizedToItsSkinAndOnTop) {
    EXPECT_EQ(main().Left(), 6960);
    EXPECT_EQ(main().Top(), 4900);
    EXPECT_EQ(main().Width(), 384 * 15);
    EXPECT_EQ(main().Height(), 194 * 15);
    EXPECT_TRUE(main().containerWidget()->windowFlags().testFlag(Qt::WindowStaysOnTopHint));
}

TEST_F(PlayerTest, MinimiseButtonsMinimiseTheirOwnWindowOnly) {
    main().SAtoggle1_Click();
    saUi().cmdMinimizar.Click();
    EXPECT_EQ(sa().WindowState(), 1);
    EXPECT_EQ(main().WindowState(), 0);
    ui().cmdMinimizar.Click();
    EXPECT_EQ(main().WindowState(), 1);
    EXPECT_TRUE(sa().Visible());
}

TEST_F(PlayerTest, CloseEndsTheProgramWithEveryWindowAndTheEngine) {
    main().PL_Click();
    QTimer::singleShot(0, [] { ui().Close.Click(); });
    // A safety net, never the expected way out; it dies with the test so no later loop sees it.
    QTimer safetyNet;
    safetyNet.setSingleShot(true);
    QObject::connect(&safetyNet, &QTimer::timeout, [] { QCoreApplication::exit(1); });
    safetyNet.start(5000);
    EXPECT_EQ(QApplication::exec(), 0);
    EXPECT_FALSE(main().isLoaded());
    EXPECT_FALSE(sa().isLoaded());
    EXPECT_FALSE(playList().isLoaded());
}

// Drives our caption-press move loop the way a user does: the button is held, the pointer moves, the
// button is let go. The events wait in the queue until the loop that follows the pointer takes them.
void dragMainWindowBy(QPoint delta, Qt::MouseButton button = Qt::LeftButton) {
    QWidget* window = player::player().containerWidget();
    const QPoint start = window->mapToGlobal(QPoint(8, 150));
    QCursor::setPos(start);
    const QPoint end = start + delta;
    QCoreApplication::postEvent(window, new QMouseEvent(QEvent::MouseMove, window->mapFromGlobal(end), end,
                                                        Qt::NoButton, button, Qt::NoModifier));
    QCoreApplication::postEvent(window,
                                new QMouseEvent(QEvent::MouseButtonRelease, window->mapFromGlobal(end), end,
                                                button, Qt::NoButton, Qt::NoModifier));
    std::int16_t code = button == Qt::LeftButton ? 1 : 2;
    std::int16_t shift = 0;
    float x = 120, y = 2250;
    player::player().mouseDown(code, shift, x, y);
    // The window system's own reports of the moves made at the end come in now, not in the next drag.
    QApplication::processEvents();
}

TEST_F(PlayerTest, DragMovesTheWindowAndDocksHiddenCompanionsToo) {
    dragMainWindowBy({-40, 30});
    EXPECT_EQ(main().Left(), 6960 - 40 * 15);
    EXPECT_EQ(main().Top(), 4890 + 30 * 15); // the start place lies on the pixel grid at 326
    EXPECT_FALSE(sa().Visible());
    EXPECT_EQ(sa().Left(), main().Left() + kDockSA.left);
    EXPECT_EQ(sa().Top(), main().Top() + kDockSA.top);
    // The drag creates the playlist (hidden) to dock it.
    EXPECT_TRUE(playList().isLoaded());
    EXPECT_FALSE(playList().Visible());
    EXPECT_EQ(playList().Left(), main().Left() + kDockPlayList.left);
    EXPECT_EQ(playList().Top(), main().Top() + kDockPlayList.top);

    // The right button moves and re-docks too.
    sa().setLeft(0);
    dragMainWindowBy({10, 0}, Qt::RightButton);
    EXPECT_EQ(main().Left(), 6960 - 30 * 15);
    EXPECT_EQ(sa().Left(), main().Left() + kDockSA.left);
}

TEST_F(PlayerTest, DragDocksAVisibleInformationWindowButNotAHiddenOne) {
    player::infoFile().Show();
    player::infoFile().setLeft(0);
    dragMainWindowBy({20, 0});
    EXPECT_EQ(player::infoFile().Left(), main().Left() + player::kDockInfoFile.left);
    EXPECT_EQ(player::infoFile().Top(), main().Top() + player::kDockInfoFile.top);

    player::infoFile().Hide();
    player::infoFile().setLeft(0);
    dragMainWindowBy({20, 0});
    EXPECT_EQ(player::infoFile().Left(), 0);
}

TEST_F(PlayerTest, DragEndsWithTheMainWindowActiveAndInFront) {
    main().SAtoggle1_Click();
    main().PL_Click();
    sa().SetFocus();
    dragMainWindowBy({5, 5});
    EXPECT_EQ(QApplication::activeWindow(), main().containerWidget());
    EXPECT_EQ(seenAtCentreOf(ui().Control(1)), ui().Control(0).widget());
}

TEST_F(PlayerTest, DragRestoresAMinimisedSpectrumWindowWithoutShowingIt) {
    sa().setWindowState(1);
    dragMainWindowBy({5, 5});
    EXPECT_EQ(sa().WindowState(), 0);
    EXPECT_FALSE(sa().Visible());

    main().SAtoggle1_Click();
    saUi().cmdMinimizar.Click();
    ASSERT_EQ(sa().WindowState(), 1);
    dragMainWindowBy({5, 5});
    EXPECT_EQ(sa().WindowState(), 0);
    EXPECT_TRUE(sa().Visible());
}

TEST_F(PlayerTest, DragAfterTheSpectrumWindowWasClosedLoadsAFreshOneHidden) {
    main().Vol(70);
    saUi().Close.Click();
    ASSERT_FALSE(sa().isLoaded());
    dragMainWindowBy({5, 5});
    EXPECT_TRUE(sa().isLoaded());
    EXPECT_FALSE(sa().Visible());
    EXPECT_EQ(enginesMade_, 2);
    EXPECT_EQ(fake().settings.volume(), 50);
    EXPECT_EQ(fake().URL(), "");
}

TEST_F(PlayerTest, DoubleClickDocksOnlyVisibleCompanionsWithThePlaylistBelow) {
    main().SAtoggle1_Click();
    main().PL_Click();
    player::infoFile().Show();
    sa().setLeft(15);
    playList().setLeft(30);
    player::infoFile().setLeft(45);
    main().dblClick();
    EXPECT_EQ(sa().Left(), main().Left() + kDockSA.left);
    EXPECT_EQ(sa().Top(), main().Top() + kDockSA.top);
    EXPECT_EQ(playList().Left(), main().Left() + kDockPlayListDoubleClick.left);
    EXPECT_EQ(playList().Top(), main().Top() + kDockPlayListDoubleClick.top);
    EXPECT_EQ(player::infoFile().Left(), 45);

    main().SAtoggle1_Click(); // hidden now
    sa().setLeft(15);
    main().dblClick();
    EXPECT_EQ(sa().Left(), 15);
}

} // namespace
} // namespace player_test
