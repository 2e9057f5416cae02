// A click on a playlist line with the real pointer plays it through the real engine: the engine plays and
// the title strip shows the file's name and duration.
#include "platform/base/Events.h"
#include "platform/media/MediaPlayerControl.h"
#include "platform/runtime/Form.h"
#include "player/Player.h"
#include "player/SA.h"
#include "playlist/PlayList.h"
#include "tests/media/MediaFixtures.h"
#include "tests/support/EventLoop.h"
#include "tests/support/QtPrinters.h"
#include "tests/support/TempDrive.h"

#include <QAbstractItemView>
#include <QListWidget>
#include <QProcess>
#include <QStandardPaths>
#include <gtest/gtest.h>

namespace {

TEST(ClickToPlay, AClickOnALineWithTheRealPointerPlaysIt) {
    if (QStandardPaths::findExecutable("xdotool").isEmpty())
        GTEST_SKIP() << "xdotool is needed to move the pointer";
    rt::Form::unloadAll();
    rt::Graveyard::flushIfIdle();
    rt::MediaPlayerControl::setEngineFactoryForTesting(nullptr);
    testing_support::TempDrive drive;
    drive.makeFolder("Audio");
    ASSERT_TRUE(media_test::writeSineWav(drive.host("Audio/Tono.wav"), 3.0));

    player::player().Show();
    player::player().PL_Click();
    playlist::PlayListDesign& list = playlist::playList().d();
    list.ListFiles.AddItem(QString(64, u'-'));
    list.ListFiles.AddItem(drive.windows("Audio/Tono.wav"));
    fixtures::runEventsFor(500);
    const QString titleBefore = player::player().d().LabelDisplay.Caption();

    auto* view = static_cast<QListWidget*>(list.ListFiles.widget());
    const QRect line = view->visualItemRect(view->item(1));
    const QPoint at = view->viewport()->mapToGlobal(line.center());
    ASSERT_EQ(QProcess::execute(
                  "xdotool", {"mousemove", QString::number(at.x()), QString::number(at.y()), "click", "1"}),
              0);

    EXPECT_TRUE(
        media_test::waitUntil([] { return player::sa().engine().playState() == rt::MediaPlayer::kPlaying; }));
    // The duration is known once the engine has read the file; the title's next tick shows it.
    media_test::waitUntil(
        [] { return player::player().d().LabelDisplay.Caption().endsWith(" -- 00:03 <<<< "); });
    const QString title = player::player().d().LabelDisplay.Caption();
    EXPECT_NE(title, titleBefore);
    EXPECT_TRUE(title.startsWith("  >>>> Tono")) << title.toStdString();
    EXPECT_TRUE(title.endsWith(" -- 00:03 <<<< ")) << title.toStdString();
    EXPECT_TRUE(player::player().d().TimerTime.isRunning());

    rt::Form::unloadAll();
    rt::Graveyard::flushIfIdle();
}

} // namespace
