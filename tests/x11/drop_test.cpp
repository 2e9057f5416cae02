// Drops from a real drag source in another process, under a window manager: a folder dragged onto the
// playlist and onto the main window loads, and the lines are there for screen readers.
#include "platform/base/Events.h"
#include "platform/media/MediaPlayerControl.h"
#include "platform/runtime/Form.h"
#include "player/Player.h"
#include "playlist/PlayList.h"
#include "playlist/PlaylistLines.h"
#include "tests/support/EventLoop.h"
#include "tests/support/FakeMediaPlayer.h"
#include "tests/support/QtPrinters.h"
#include "tests/support/TempDrive.h"
#include "tests/support/VipFixtures.h"

#include <QAccessible>
#include <QElapsedTimer>
#include <QProcess>
#include <QStandardPaths>
#include <QWidget>
#include <gtest/gtest.h>

namespace {

using testing_support::TempDrive;

constexpr int kDropDeadlineMs = 15000;
const QPoint kSourcePlace(40, 40);

template <class Done> bool settleUntil(Done done, int milliseconds) {
    QElapsedTimer clock;
    clock.start();
    while (!done() && clock.elapsed() < milliseconds)
        QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
    return done();
}

QStringList linesOf(rt::ListBox& list) {
    QStringList lines;
    for (int i = 0; i < list.ListCount(); ++i)
        lines << list.List(i);
    return lines;
}

class RealDropTest : public ::testing::Test {
  protected:
    static void SetUpTestSuite() {
        const QString wm = QStandardPaths::findExecutable("openbox");
        if (wm.isEmpty())
            return;
        windowManager_ = new QProcess;
        windowManager_->start(wm, {});
        windowManager_->waitForStarted();
        fixtures::runEventsFor(500);
    }
    static void TearDownTestSuite() {
        if (!windowManager_)
            return;
        windowManager_->terminate();
        windowManager_->waitForFinished();
        delete windowManager_;
        windowManager_ = nullptr;
    }

    void SetUp() override {
        rt::Form::unloadAll();
        rt::Graveyard::flushIfIdle();
        rt::MediaPlayerControl::setEngineFactoryForTesting(
            [] { return std::make_unique<rt::FakeMediaPlayer>(); });
        if (QStandardPaths::findExecutable("xdotool").isEmpty())
            GTEST_SKIP() << "xdotool is needed to move the pointer";
        makeProjects();
        player::player().Show();
        player::player().PL_Click();
        fixtures::runEventsFor(500);
    }
    void TearDown() override {
        rt::Form::unloadAll();
        rt::Graveyard::flushIfIdle();
        rt::MediaPlayerControl::setEngineFactoryForTesting(nullptr);
    }

    void makeProjects() {
        drive_.makeFile("Sesiones/Uno/uno.vip", testing_support::vipProject({"C:\\audio\\uno.wav"}));
        drive_.makeFile("Sesiones/Dos/dos.vip",
                        testing_support::vipProject({"D:\\takes\\dos a.wav", "D:\\takes\\dos b.mp3"}));
        drive_.makeFile("Sesiones/suelto.wav", "RIFF");
    }

    QStringList expectedLines() const {
        using namespace playlist::lines;
        // The root folder is listed first: its loose file, then the projects of each subfolder in order.
        return {indentLine(),
                audiosExtraLine(),
                drive_.windows("Sesiones/suelto.wav"),
                shortSeparator(),
                projectHeader(1, drive_.windows("Sesiones/Dos/dos.vip")),
                shortSeparator(),
                indentLine(),
                "D:\\takes\\dos a.wav",
                "D:\\takes\\dos b.mp3",
                shortSeparator(),
                projectHeader(2, drive_.windows("Sesiones/Uno/uno.vip")),
                shortSeparator(),
                indentLine(),
                "C:\\audio\\uno.wav",
                longSeparator()};
    }

    // Drags the folder from the source window to `target`'s centre with the real pointer, as a user would.
    void dragFolderOnto(QWidget* target) {
        QProcess source;
        source.start(ONDARA_DRAG_SOURCE, {QString::number(kSourcePlace.x()),
                                          QString::number(kSourcePlace.y()), drive_.host("Sesiones")});
        ASSERT_TRUE(source.waitForStarted());
        fixtures::runEventsFor(800);
        const QPoint to = target->mapToGlobal(target->rect().center());
        const QPoint from = kSourcePlace + QPoint(40, 30);
        QProcess pointer;
        pointer.start("xdotool", {"mousemove",
                                  QString::number(from.x()),
                                  QString::number(from.y()),
                                  "sleep",
                                  "0.3",
                                  "mousedown",
                                  "1",
                                  "sleep",
                                  "0.3",
                                  "mousemove",
                                  QString::number(from.x() + 30),
                                  QString::number(from.y() + 30),
                                  "sleep",
                                  "0.3",
                                  "mousemove",
                                  QString::number(to.x() - 10),
                                  QString::number(to.y() - 10),
                                  "sleep",
                                  "0.3",
                                  "mousemove",
                                  QString::number(to.x()),
                                  QString::number(to.y()),
                                  "sleep",
                                  "0.5",
                                  "mouseup",
                                  "1"});
        ASSERT_TRUE(pointer.waitForStarted());
        settleUntil([&] { return pointer.state() == QProcess::NotRunning; }, kDropDeadlineMs);
        settleUntil([&] { return source.state() == QProcess::NotRunning; }, kDropDeadlineMs);
        if (source.state() != QProcess::NotRunning)
            source.kill();
        source.waitForFinished();
    }

    TempDrive drive_{u'X'};
    static inline QProcess* windowManager_ = nullptr;
};

TEST_F(RealDropTest, AFolderDraggedOntoThePlaylistLoadsItsProjects) {
    rt::ListBox& list = playlist::playList().d().ListFiles;
    dragFolderOnto(list.widget());
    ASSERT_TRUE(settleUntil([&] { return list.ListCount() > 0; }, kDropDeadlineMs));
    fixtures::runEventsFor(200);
    EXPECT_EQ(linesOf(list), expectedLines());

    // What a screen reader finds: the list by its name, and every line as a child.
    QAccessibleInterface* node = QAccessible::queryAccessibleInterface(list.widget());
    ASSERT_NE(node, nullptr);
    EXPECT_EQ(node->text(QAccessible::Name), "ListFiles");
    QStringList spoken;
    for (int i = 0; i < node->childCount(); ++i)
        if (QAccessibleInterface* child = node->child(i); child && child->role() == QAccessible::ListItem)
            spoken << child->text(QAccessible::Name);
    EXPECT_EQ(spoken, expectedLines());
}

TEST_F(RealDropTest, AFolderDraggedOntoTheMainWindowShowsAndLoadsThePlaylist) {
    playlist::playList().Hide();
    fixtures::runEventsFor(200);
    player::Player& main = player::player();
    dragFolderOnto(main.d().Control(0).widget()->parentWidget());
    rt::ListBox& list = playlist::playList().d().ListFiles;
    ASSERT_TRUE(settleUntil([&] { return list.ListCount() > 0; }, kDropDeadlineMs));
    fixtures::runEventsFor(200);
    EXPECT_TRUE(playlist::playList().Visible());
    EXPECT_EQ(playlist::playList().Left(), main.Left() - 825);
    EXPECT_EQ(linesOf(list), expectedLines());
}

} // namespace
