// Drops on the playlist and on the main window: the lines a drop writes, the counts, the load timer and the
// load time, and what a drop does to playback and the other windows.
#include "platform/runtime/Application.h"
#include "platform/runtime/Numbers.h"
#include "platform/shell/OpenFileDialog.h"
#include "player/InfoFile.h"
#include "playlist/PlayList.h"
#include "playlist/PlaylistLines.h"
#include "tests/player/PlayerFixture.h"
#include "tests/support/EventLoop.h"
#include "tests/support/QtPrinters.h"
#include "tests/support/TempDrive.h"
#include "tests/support/VipFixtures.h"

#include <QApplication>
#include <QDropEvent>
#include <QImage>
#include <QMimeData>
#include <QTimer>
#include <QUrl>
#include <gtest/gtest.h>

namespace {

using player_test::Call;
using player_test::PlayerTest;
using testing_support::TempDrive;

class DropTest : public PlayerTest {
  protected:
    void SetUp() override {
        PlayerTest::SetUp();
        rt::setDecimalSeparatorForTesting(u'.');
    }
    void TearDown() override {
        rt::setDecimalSeparatorForTesting(QChar());
        PlayerTest::TearDown();
    }

    static playlist::PlayList& list() { return playlist::playList(); }
    static playlist::PlayListDesign& listUi() { return playlist::playList().d(); }

    static QStringList lines() {
        QStringList result;
        for (int i = 0; i < listUi().ListFiles.ListCount(); ++i)
            result << listUi().ListFiles.List(i);
        return result;
    }

    static void drop(const QStringList& windowsPaths) {
        rt::shell::DropData data(windowsPaths);
        std::int32_t effect = 1;
        std::int16_t button = 1, shift = 0;
        float x = 0, y = 0;
        list().ListFiles_OLEDragDrop(data, effect, button, shift, x, y);
    }

    TempDrive drive_{u'X'};
};

TEST(LoadTimeText, SecondsWithTwoDecimalsUpTo59ThenMinutesAndSeconds) {
    rt::setDecimalSeparatorForTesting(u'.');
    EXPECT_EQ(playlist::loadTimeText(0), "0.00 seg");
    EXPECT_EQ(playlist::loadTimeText(12.3), "12.30 seg");
    EXPECT_EQ(playlist::loadTimeText(59.0), "59.00 seg");
    EXPECT_EQ(playlist::loadTimeText(59.3), "0 min 59 seg");
    EXPECT_EQ(playlist::loadTimeText(60.2), "1 min 0 seg");
    // Halves go to the even second.
    EXPECT_EQ(playlist::loadTimeText(119.5), "2 min 0 seg");
    EXPECT_EQ(playlist::loadTimeText(120.5), "2 min 0 seg");
    EXPECT_EQ(playlist::loadTimeText(121.5), "2 min 2 seg");
    EXPECT_EQ(playlist::loadTimeText(3725), "62 min 5 seg");
    rt::setDecimalSeparatorForTesting(u',');
    EXPECT_EQ(playlist::loadTimeText(12.3), "12,30 seg");
    rt::setDecimalSeparatorForTesting(QChar());
}

TEST(LapFigure, CountsUpInTenthsFromTheNumberThatStartsTheTitle) {
    QString figure;
    QStringList seen;
    for (int tick = 0; tick < 11; ++tick)
        seen << (figure = playlist::nextLapFigure(figure));
    EXPECT_EQ(seen, QStringList({"0.1", "0.2", "0.3", "0.4", "0.5", "0.6", "0.7", "0.8", "0.9", "1", "1.1"}));
    EXPECT_EQ(playlist::nextLapFigure("2.35 seg"), "2.45");
    EXPECT_EQ(playlist::nextLapFigure("2.45"), "2.55");
    EXPECT_EQ(playlist::nextLapFigure("1 min 0 seg"), "1.1");
    EXPECT_EQ(playlist::nextLapFigure("  >>>> take -- 00:03 <<<< "), "0.1");
    EXPECT_EQ(playlist::nextLapFigure("12,30 seg"), "12.1");
}

TEST_F(DropTest, TheLoadTimerWritesTheRunningFigureAndCountsTenths) {
    ui().LabelDisplay.setCaption("2.35 seg");
    list().setTiempoLap(0);
    listUi().TimerLap.tick();
    listUi().TimerLap.tick();
    EXPECT_EQ(ui().LabelDisplay.Caption(), "2.55");
    EXPECT_DOUBLE_EQ(list().TiempoLap(), 0.2);
}

TEST_F(DropTest, LooseAudioFilesAreListedAsDroppedWithTheFinalSeparator) {
    drive_.makeFile("a.wav", "RIFF");
    drive_.makeFile("Loud/B.MP3", "ID3");
    drive_.makeFile("c.ogg", "OggS");
    drive_.makeFile("readme.txt", "text");
    drop({drive_.windows("a.wav"), drive_.windows("Loud/B.MP3"), drive_.windows("c.ogg"),
          drive_.windows("readme.txt"), drive_.windows("missing.wav")});

    EXPECT_EQ(lines(), QStringList({drive_.windows("a.wav"), drive_.windows("Loud/B.MP3"),
                                    playlist::lines::longSeparator()}));
    EXPECT_TRUE(listUi().Files.Visible());
    EXPECT_EQ(listUi().Files.Caption(), "2 archivos de audio");
    EXPECT_FALSE(listUi().LabelNvip.Visible());
    EXPECT_EQ(list().NumVips(), 0);
    EXPECT_FALSE(listUi().TimerLap.Enabled());
    EXPECT_TRUE(ui().LabelDisplay.Caption().endsWith(" seg")) << ui().LabelDisplay.Caption().toStdString();
}

TEST_F(DropTest, DroppedNamesHoldingWildcardsAreTheFilesThemselves) {
    for (const char* name : {"!antes.wav", "*", "?.wav"}) // "!antes.wav" sorts before whatever "*" matches
        drive_.makeFile(name, "RIFF");
    drive_.makeFile("a*b.vip", testing_support::vipProject({drive_.windows("!antes.wav")}));
    drop({drive_.windows("*"), drive_.windows("?.wav"), drive_.windows("a*b.vip")});
    using namespace playlist::lines;
    EXPECT_EQ(lines(), QStringList({drive_.windows("?.wav"), longSeparator(),
                                    projectHeader(1, drive_.windows("a*b.vip")), longSeparator(),
                                    indentLine(), drive_.windows("!antes.wav"), longSeparator()}));
}

TEST_F(DropTest, ADropReplacesTheListStopsPlaybackAndHidesHelpAndInformation) {
    drive_.makeFile("a.wav", "RIFF");
    listUi().ListFiles.AddItem("old line");
    load(drive_.windows("a.wav"), 3);
    main().Control_Click(0);
    player::infoFile().Show();
    listUi().TextInfo.setVisible(true);
    listUi().Files.setVisible(true);

    drop({drive_.windows("a.wav")});

    EXPECT_EQ(lines(), QStringList({drive_.windows("a.wav"), playlist::lines::longSeparator()}));
    EXPECT_EQ(fake().URL(), "");
    EXPECT_GE(fake().count(Call::Stop), 1);
    EXPECT_FALSE(player::infoFile().Visible());
    EXPECT_FALSE(listUi().TextInfo.Visible());
    EXPECT_TRUE(ui().Control(0).Visible());
}

TEST_F(DropTest, ADropWithoutFilesOrOfAFileWithoutExtensionAddsOnlyTheFinalSeparator) {
    drop({});
    EXPECT_EQ(lines(), QStringList({playlist::lines::longSeparator()}));
    EXPECT_FALSE(listUi().Files.Visible());
    drive_.makeFile("notes", "x");
    drop({drive_.windows("notes")});
    EXPECT_EQ(lines(), QStringList({playlist::lines::longSeparator()}));
}

TEST_F(DropTest, ADropOnTheMainWindowShowsThePlaylistDockedThenLoadsIt) {
    drive_.makeFile("a.wav", "RIFF");
    for (const int state : {0, 1, 2}) {
        SCOPED_TRACE(state);
        if (state == 1)
            list().setWindowState(1);
        if (state == 2)
            list().Show();
        rt::shell::DropData data({drive_.windows("a.wav")});
        std::int32_t effect = 1;
        std::int16_t button = 1, shift = 0;
        float x = 0, y = 0;
        main().dropped(data, effect, button, shift, x, y);

        EXPECT_TRUE(list().Visible());
        EXPECT_EQ(list().WindowState(), 0);
        EXPECT_EQ(list().Left(), main().Left() - 825);
        EXPECT_EQ(list().Top(), main().Top() + 1250);
        EXPECT_EQ(lines(), QStringList({drive_.windows("a.wav"), playlist::lines::longSeparator()}));
    }
}

// The file manager is not held while a drop loads: the drop is accepted and the load runs from the loop.
TEST_F(DropTest, AWindowDropIsAcceptedAtOnceAndLoadedFromTheEventLoop) {
    drive_.makeFile("a.wav", "RIFF");
    QMimeData mime;
    mime.setUrls({QUrl::fromLocalFile(drive_.host("a.wav"))});
    QDropEvent event(QPointF(5, 5), Qt::CopyAction, &mime, Qt::LeftButton, Qt::NoModifier);
    event.ignore();
    // Straight to the window's handler: outside a real drag Qt's notify does not deliver drop events.
    static_cast<QObject*>(main().containerWidget())->event(&event);

    EXPECT_TRUE(event.isAccepted());
    EXPECT_EQ(listUi().ListFiles.ListCount(), 0);
    QApplication::processEvents();
    EXPECT_TRUE(list().Visible());
    EXPECT_EQ(lines(), QStringList({drive_.windows("a.wav"), playlist::lines::longSeparator()}));
}

// A folder whose search pumps the event loop many times.
void makeBusyFolder(const TempDrive& drive, const QString& folder, int files) {
    for (int i = 0; i < files; ++i)
        drive.makeFile(QStringLiteral("%1/sub%2/take%3.wav").arg(folder).arg(i % 10).arg(i), "RIFF");
}

TEST_F(DropTest, ADropDuringALoadWaitsAndOnlyTheNewestIsLoadedAfterIt) {
    makeBusyFolder(drive_, "Grande", 300);
    drive_.makeFile("b.wav", "RIFF");
    drive_.makeFile("c.wav", "RIFF");
    bool arrivedDuringLoad = false;
    int linesWhenTheyArrived = -1;
    QTimer::singleShot(0, [&] {
        arrivedDuringLoad = listUi().TimerLap.Enabled();
        drop({drive_.windows("b.wav")});
        drop({drive_.windows("c.wav")});
        linesWhenTheyArrived = listUi().ListFiles.ListCount();
    });
    drop({drive_.windows("Grande")});

    EXPECT_TRUE(arrivedDuringLoad) << "the drops must arrive inside the first load's event pump";
    // They did not clear or fill the list inside the running load.
    EXPECT_NE(linesWhenTheyArrived, 2);
    EXPECT_EQ(lines(), QStringList({drive_.windows("c.wav"), playlist::lines::longSeparator()}));
    EXPECT_FALSE(listUi().TimerLap.Enabled());
    // The next drop, with no load running, loads at once.
    drop({drive_.windows("b.wav")});
    EXPECT_EQ(lines(), QStringList({drive_.windows("b.wav"), playlist::lines::longSeparator()}));
}

TEST_F(DropTest, EventsKeepRunningDuringALoad) {
    makeBusyFolder(drive_, "Grande", 300);
    int handled = 0;
    QTimer::singleShot(0, [&] { ++handled; });
    drop({drive_.windows("Grande")});
    EXPECT_EQ(handled, 1);
    EXPECT_EQ(listUi().Files.Caption(), "300 archivos de audio");
}

TEST_F(DropTest, ClosingThePlaylistDuringALoadEndsTheLoadWithoutTouchingTheWindowAgain) {
    makeBusyFolder(drive_, "Grande", 300);
    ui().LabelDisplay.setCaption("title");
    QTimer::singleShot(0, [&] { listUi().Close.Click(); });
    drop({drive_.windows("Grande")});

    EXPECT_FALSE(list().isLoaded());
    EXPECT_FALSE(ui().LabelDisplay.Caption().endsWith(" seg"));
    rt::Graveyard::flushIfIdle();
    // The next use loads the window again, empty.
    EXPECT_EQ(listUi().ListFiles.ListCount(), 0);
}

TEST_F(DropTest, EndingTheProgramDuringALoadLeavesEveryWindowUnloaded) {
    makeBusyFolder(drive_, "Grande", 300);
    QTimer::singleShot(0, [] { rt::End(); });
    drop({drive_.windows("Grande")});
    EXPECT_FALSE(list().isLoaded());
    EXPECT_FALSE(main().isLoaded());
}

} // namespace

// Whether the title shows in its strip: the strip differs from itself without the title.
bool titleShows() {
    rt::Label& title = player::player().d().LabelDisplay;
    const rt::String caption = title.Caption();
    const QImage shown = player::player().d().PictureLD.widget()->grab().toImage();
    title.setCaption({});
    const bool differs = shown != player::player().d().PictureLD.widget()->grab().toImage();
    title.setCaption(caption);
    return differs;
}

// Wherever the marquee left the title, the running load time and then the final time show in the strip.
TEST_F(DropTest, TheLoadTimeShowsInTheTitleStripAfterACancelledOpenOrAClosedSpectrum) {
    makeBusyFolder(drive_, "Grande", 300);
    rt::shell::setOpenFileResponderForTesting([](const auto&) { return rt::shell::OpenFileAnswer{}; });
    for (auto emptyTheEngine : {+[] { ui().Open.Click(); }, +[] { saUi().Close.Click(); }}) {
        load("C:\\take.wav", 3);
        main().Control_Click(0);
        ui().LabelDisplay.setLeft(-1000);
        emptyTheEngine();
        bool runningShown = false;
        QTimer::singleShot(0, [&] {
            fixtures::runEventsFor(250);
            runningShown = rt::Val(ui().LabelDisplay.Caption()) > 0 && titleShows();
        });
        drop({drive_.windows("Grande")});
        EXPECT_TRUE(runningShown && ui().LabelDisplay.Caption().endsWith(" seg") && titleShows());
    }
    rt::shell::setOpenFileResponderForTesting({});
}
