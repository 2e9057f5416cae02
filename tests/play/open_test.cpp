// The main window's open button, with the open dialog answered by a stand-in person.
#include "platform/shell/OpenFileDialog.h"
#include "tests/play/PlayFixture.h"

namespace play_test {
namespace {

using player_test::Call;

class OpenTest : public PlayTest {
  protected:
    void TearDown() override {
        rt::shell::setOpenFileResponderForTesting({});
        PlayTest::TearDown();
    }
    // The person picks these host files, in this order.
    void personPicks(const QStringList& hostPaths) {
        rt::shell::setOpenFileResponderForTesting(
            [this, hostPaths](const rt::shell::OpenFileRequest& request) -> rt::shell::OpenFileAnswer {
                asked = request;
                mainVisibleWhileAsked = main().Visible();
                return hostPaths;
            });
    }
    void personCancels() {
        rt::shell::setOpenFileResponderForTesting(
            [](const rt::shell::OpenFileRequest&) -> rt::shell::OpenFileAnswer { return std::nullopt; });
    }
    QString host(char16_t letter, const QString& relative) {
        makeFile(letter, relative);
        return hostRoot(letter) + u'/' + relative;
    }
    static QStringList lines() {
        QStringList all;
        for (int i = 0; i < list().ListFiles.ListCount(); ++i)
            all << list().ListFiles.List(i);
        return all;
    }
    // The state after a successful open.
    void expectOpenedState() {
        EXPECT_TRUE(main().Visible());
        EXPECT_TRUE(playlist::playList().Visible());
        EXPECT_EQ(playlist::playList().Left(), main().Left() - 825);
        EXPECT_EQ(playlist::playList().Top(), main().Top() + 1250);
        EXPECT_FALSE(player::infoFile().Visible());
        EXPECT_FALSE(player::sa().Visible());
        EXPECT_EQ(fake().URL(), "");
        EXPECT_EQ(ui().LabelDisplay.Caption(), "");
        EXPECT_EQ(ui().SliderVol.Value(), 40);
        EXPECT_EQ(ui().LabelVol.Caption(), "-50 dB");
        EXPECT_EQ(fake().settings.volume(), 40);
        EXPECT_TRUE(ui().TimerDisplay.isRunning());
        EXPECT_FALSE(ui().mp3Baud.Visible());
        EXPECT_TRUE(ui().Control(0).Visible());
        EXPECT_FALSE(ui().Control(1).Visible());
    }

    rt::shell::OpenFileRequest asked;
    bool mainVisibleWhileAsked = true;
};

TEST_F(OpenTest, OneFileReplacesThePlaylist) {
    addLines({"1 --> D:\\p.vip", "D:\\a.wav"});
    personPicks({host(u'D', "Audio/Take 1.wav")});
    ui().Open.Click();

    EXPECT_EQ(lines(), QStringList{"D:\\Audio\\Take 1.wav"});
    EXPECT_FALSE(mainVisibleWhileAsked);
    EXPECT_TRUE(asked.multiSelect);
    ASSERT_EQ(asked.nameFilters.size(), 1);
    EXPECT_TRUE(asked.nameFilters.first().startsWith("Archivos (*.wav, *.aif, *.mp3, *.wma, *.m4a) ("));
    expectOpenedState();
}

TEST_F(OpenTest, ThreeFilesOfOneFolderAreListedInTheDialogsOrder) {
    personPicks({host(u'E', "Mezclas/c.mp3"), host(u'E', "Mezclas/a.wav"), host(u'E', "Mezclas/B.WMA")});
    ui().Open.Click();

    EXPECT_EQ(lines(), (QStringList{"E:\\Mezclas\\c.mp3", "E:\\Mezclas\\a.wav", "E:\\Mezclas\\B.WMA"}));
    expectOpenedState();
}

// The lines keep the doubled separator; a click finds the file all the same, as Windows would.
TEST_F(OpenTest, FilesAtADriveRootGiveLinesWithTwoBackslashesThatStillPlay) {
    personPicks({host(u'D', "x.wav"), host(u'D', "y.aif")});
    ui().Open.Click();
    EXPECT_EQ(lines(), (QStringList{"D:\\\\x.wav", "D:\\\\y.aif"}));

    click(1);
    EXPECT_EQ(fake().URL(), "D:\\\\y.aif");
    EXPECT_EQ(fake().playState(), rt::MediaPlayer::kPlaying);
    EXPECT_TRUE(workList().isEmpty());
}

// The list scrolls sideways over its widest picked line.
TEST_F(OpenTest, TheListScrollsSidewaysOverItsWidestLine) {
    const QString longName = QString(120, u'n') + ".wav";
    personPicks({host(u'D', "a.wav"), host(u'D', longName)});
    ui().Open.Click();

    const int extent = list().ListFiles.horizontalExtent();
    EXPECT_GT(extent, list().ListFiles.widget()->width());
    personPicks({host(u'D', "a.wav")});
    ui().Open.Click();
    EXPECT_LT(list().ListFiles.horizontalExtent(), extent);
}

// A cancel leaves the program as the user had it, less the media the open closed.
TEST_F(OpenTest, CancelKeepsThePlaylistAndShowsTheTransportStopped) {
    load(makeFile(u'D', "old.wav"), 3);
    main().Control_Click(0);
    ui().LabelDisplay.setLeft(-300);
    player::sa().Show();
    player::infoFile().Show();
    addLines({"1 --> D:\\p.vip", " ", "D:\\a.wav"});
    fake().clearCalls();
    personCancels();
    ui().Open.Click();

    EXPECT_EQ(lines(), (QStringList{"1 --> D:\\p.vip", " ", "D:\\a.wav"}));
    EXPECT_TRUE(main().Visible());
    EXPECT_TRUE(playlist::playList().Visible());
    EXPECT_EQ(playlist::playList().Left(), main().Left() - 825);
    EXPECT_FALSE(player::infoFile().Visible());
    EXPECT_FALSE(player::sa().Visible());
    EXPECT_EQ(fake().calls().front(), rt::FakeMediaPlayer::Record(Call::Close));
    EXPECT_EQ(fake().URL(), "");
    EXPECT_EQ(fake().count(Call::Play), 0);
    EXPECT_FALSE(ui().Control(1).Visible() || ui().TimerTime.isRunning() || ui().TimerDisplay.isRunning());
    EXPECT_EQ(seenAtCentreOf(ui().Control(0)), ui().Control(0).widget());
    EXPECT_EQ(ui().LabelDisplay.Left(), 100);
    // A playlist hidden before the dialog stays hidden.
    main().PL_Click();
    ui().Open.Click();
    EXPECT_FALSE(playlist::playList().Visible());
}

TEST_F(OpenTest, AnOpenDuringPlaybackLeavesOnlyPlayShowingAndNothingLoaded) {
    load(makeFile(u'D', "old.mp3", mp3Bytes("x")), 3);
    main().Control_Click(0);
    fake().setStatus("Reproduciendo: 128 Kbps");
    tickTime();
    ASSERT_TRUE(ui().mp3Baud.Visible());
    ui().SliderVol.setValue(70);
    player::sa().Show();
    personPicks({host(u'D', "nuevo.wav")});
    ui().Open.Click();

    EXPECT_EQ(lines(), QStringList{"D:\\nuevo.wav"});
    EXPECT_GE(fake().count(Call::Close), 1);
    EXPECT_EQ(fake().playState(), rt::MediaPlayer::kStopped);
    expectOpenedState();
}

TEST_F(OpenTest, APickNoDriveHoldsEndsTheOpenWithTheMainWindowShown) {
    addLines({"D:\\a.wav"});
    personPicks({"/proc/version"});
    ui().Open.Click();

    EXPECT_EQ(lines(), QStringList{"D:\\a.wav"});
    EXPECT_TRUE(main().Visible());
    EXPECT_FALSE(playlist::playList().Visible());
}

// A picked line is played by a click like any other.
TEST_F(OpenTest, APickedLinePlaysWhenClicked) {
    personPicks({host(u'D', "Audio/a.wav"), host(u'D', "Audio/b.wav")});
    ui().Open.Click();
    click(1);

    EXPECT_EQ(fake().URL(), "D:\\Audio\\b.wav");
    EXPECT_EQ(fake().playState(), rt::MediaPlayer::kPlaying);
    EXPECT_TRUE(workList().isEmpty());
}

} // namespace
} // namespace play_test
