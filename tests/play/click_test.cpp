// A click on a playlist line: what each kind of line does, the information a played file gets, and the
// search of the other drives for a file that has moved.
#include "playlist/PlaylistLines.h"
#include "tests/play/PlayFixture.h"

#include <QApplication>
#include <QKeyEvent>
#include <tuple>

namespace play_test {
namespace {

using player_test::Call;

class ClickTest : public PlayTest {
  protected:
    // Something playing with the information window showing a miss, the help text open, the title moving.
    void somethingPlays() {
        load(makeFile(u'D', "old.wav"), 7);
        main().Control_Click(0);
        fake().setDuration(3);
        info().TextInfo.setBackColor(player::kInfoMissingBack);
        info().ImageInfo(0).setVisible(false);
        info().ImageInfo(1).setVisible(true);
        player::infoFile().Show();
        list().TextInfo.setVisible(true);
        fake().clearCalls();
    }
    void expectInformationReset() {
        EXPECT_EQ(info().TextInfo.BackColor(), player::kInfoNormalBack);
        EXPECT_TRUE(info().ImageInfo(0).Visible());
        EXPECT_FALSE(info().ImageInfo(1).Visible());
    }
};

TEST_F(ClickTest, EveryLineThatIsNotAudioStopsAndResetsAndLoadsNothing) {
    addLines({playlist::lines::longSeparator(),
              playlist::lines::projectHeader(1, "D:\\Proyectos\\mezcla.VIP"), playlist::lines::indentLine(),
              playlist::lines::audiosExtraLine(), playlist::lines::shortSeparator()});
    for (int row = 0; row < list().ListFiles.ListCount(); ++row) {
        SCOPED_TRACE(list().ListFiles.List(row).toStdString());
        somethingPlays();
        click(row);

        EXPECT_EQ(fake().count(Call::Stop), 1);
        EXPECT_EQ(fake().count(Call::SetURL), 0);
        EXPECT_EQ(fake().count(Call::Play), 0);
        EXPECT_FALSE(player::infoFile().Visible());
        expectInformationReset();
        EXPECT_FALSE(ui().TimerDisplay.isRunning());
        EXPECT_FALSE(list().TextInfo.Visible());
        EXPECT_TRUE(ui().Control(0).Visible());
        EXPECT_TRUE(workList().isEmpty());
    }
}

TEST_F(ClickTest, AnExistingWavPlaysWithItsTitleAndItsFormat) {
    somethingPlays();
    const QString path = makeFile(u'D', "Audio/Toma 1.WAV", wavBytes(1, 48000));
    addLines({playlist::lines::indentLine(), path});
    click(1);

    const std::vector<rt::FakeMediaPlayer::Record> expected{
        {Call::Stop}, {Call::SetURL, 0, path}, {Call::Play}};
    EXPECT_EQ(fake().calls(), expected);
    EXPECT_EQ(ui().LabelDisplay.Caption(), "  >>>> Toma 1 -- 00:03 <<<< ");
    EXPECT_TRUE(ui().TimerTime.isRunning());
    EXPECT_TRUE(ui().TimerDisplay.isRunning());
    EXPECT_FALSE(ui().Control(0).Visible());
    EXPECT_TRUE(player::infoFile().Visible());
    EXPECT_TRUE(
        info().TextInfo.Text().startsWith(" Tipo: Wav" + kCrLf + " Canales: 1" + kCrLf + " Frec: 48000"));
    expectInformationReset();
    QApplication::processEvents();
    EXPECT_EQ(QApplication::focusWidget(), list().ListFiles.widget());
    EXPECT_TRUE(workList().isEmpty()); // found where it was: no drive was searched
}

// Over the focused list Space, End and the keypad's + act as on the main window and go no further; a
// letter still searches the list, and the line it finds plays.
TEST_F(ClickTest, TheMainWindowsKeysActOverTheListAndOtherKeysReachIt) {
    addLines({makeFile(u'D', "a.wav"), playlist::lines::indentLine(), makeFile(u'D', "b.wav")});
    click(0);
    QApplication::processEvents();
    using rt::MediaPlayer;
    for (const auto& [key, text, state, volume, row] :
         {std::tuple{Qt::Key_Space, " ", MediaPlayer::kPaused, 40, 0},
          {Qt::Key_Space, " ", MediaPlayer::kPlaying, 40, 0},
          {Qt::Key_Plus, "+", MediaPlayer::kPlaying, 41, 0},
          {Qt::Key_End, "", MediaPlayer::kStopped, 41, 0},
          {Qt::Key_D, "d", MediaPlayer::kPlaying, 41, 2}}) {
        QKeyEvent press(QEvent::KeyPress, key, key == Qt::Key_Plus ? Qt::KeypadModifier : Qt::NoModifier,
                        text);
        QApplication::sendEvent(QApplication::focusWidget(), &press);
        EXPECT_EQ(std::tuple(fake().playState(), ui().SliderVol.Value(), list().ListFiles.ListIndex()),
                  std::tuple(state, volume, row))
            << key;
    }
}

TEST_F(ClickTest, AnMp3OfAnyCaseShowsItsTag) {
    const QString path = makeFile(u'E', "Temas/canción.Mp3", mp3Bytes("Tema uno"));
    addLines({path});
    click(0);

    EXPECT_EQ(fake().URL(), path);
    EXPECT_TRUE(player::infoFile().Visible());
    EXPECT_TRUE(info().TextInfo.Text().contains("Título: Tema uno   "));
    EXPECT_EQ(main().Left() + 3280, player::infoFile().Left());
    EXPECT_EQ(ui().LabelDisplay.Caption(), "  >>>> canción -- 00:03 <<<< ");
}

TEST_F(ClickTest, OtherEndingsPlayWithTheInformationWindowHidden) {
    for (const QString name : {"a.aif", "b.M4A", "c.wma", "d.ogg"}) {
        SCOPED_TRACE(name.toStdString());
        player::infoFile().Show();
        list().ListFiles.Clear();
        const QString path = makeFile(u'D', name, "not read");
        addLines({path});
        fake().clearCalls();
        click(0);

        EXPECT_EQ(fake().URL(), path);
        EXPECT_EQ(fake().count(Call::Play), 1);
        EXPECT_EQ(ui().LabelDisplay.Caption(),
                  "  >>>> " + QFileInfo(name).completeBaseName() + " -- 00:03 <<<< ");
        EXPECT_FALSE(player::infoFile().Visible());
    }
}

// The worked example: C and D and E fixed, F a CD-ROM; E:\Audio\take1.wav has moved to D.
TEST_F(ClickTest, AMovedFileIsPlayedFromTheFirstDriveThatHoldsIt) {
    const QString moved = windows(u'E', "Audio/take1.wav");
    const QString copy = makeFile(u'D', "Audio/take1.wav", wavBytes(2, 22050));
    makeFile(u'F', "Audio/take1.wav"); // a CD-ROM is never looked at
    addLines({moved});
    click(0);

    EXPECT_EQ(workList(), (QStringList{"C:\\", "D:\\", "E:\\"}));
    EXPECT_EQ(missesOf(moved), 1); // C only: the search stops at D, E is not tried
    EXPECT_EQ(informationTexts().first(), missText(moved));
    EXPECT_EQ(fake().URL(), copy);
    EXPECT_EQ(fake().count(Call::SetURL), 1);
    EXPECT_EQ(fake().count(Call::Play), 1);
    EXPECT_EQ(ui().LabelDisplay.Caption(), "  >>>> take1 -- 00:03 <<<< ");
    EXPECT_TRUE(player::infoFile().Visible());
    EXPECT_TRUE(info().TextInfo.Text().contains(" Frec: 22050"));
    EXPECT_EQ(info().TextInfo.BackColor(), player::kInfoNormalBack);
    EXPECT_TRUE(info().ImageInfo(0).Visible());
    EXPECT_TRUE(info().ImageInfo(1).Visible()); // as C's miss left it
    QApplication::processEvents();
    EXPECT_EQ(QApplication::focusWidget(), list().ListFiles.widget());
    EXPECT_EQ(list().ListFiles.List(0), moved); // the line keeps the old path
}

TEST_F(ClickTest, AFoundMp3CopyIsDescribedByItsTag) {
    const QString moved = windows(u'C', "Temas/uno.mp3");
    makeFile(u'E', "Temas/uno.mp3", mp3Bytes("Uno"));
    addLines({moved});
    click(0);

    EXPECT_EQ(fake().URL(), windows(u'E', "Temas/uno.mp3"));
    EXPECT_EQ(missesOf(moved), 2);
    EXPECT_TRUE(info().TextInfo.Text().contains("Título: Uno   "));
    EXPECT_FALSE(info().TextInfo.Text().contains("Tipo: Wav"));
}

TEST_F(ClickTest, EveryDriveTypeButCdRomAndUnknownIsSearched) {
    setDriveType(u'C', rt::kDriveRemovable);
    setDriveType(u'D', rt::kDriveRamDisk);
    setDriveType(u'E', rt::kDriveUnknown);
    setDriveType(u'F', rt::kDriveRemote);
    addLines({"Z:\\x.wav"});
    click(0);
    EXPECT_EQ(workList(), (QStringList{"C:\\", "D:\\", "F:\\"}));

    setDriveType(u'C', rt::kDriveNoRootDir);
    setDriveType(u'D', rt::kDriveCdRom);
    click(0);
    EXPECT_EQ(workList(), (QStringList{"C:\\", "D:\\", "F:\\", "F:\\"}));
}

TEST_F(ClickTest, ASecondSearchWalksTheWorkListTwice) {
    const QString lost = windows(u'D', "nada.wav");
    addLines({lost});
    click(0);
    EXPECT_EQ(missesOf(lost), 3);

    forgetInformationTexts();
    click(0);
    EXPECT_EQ(workList(), (QStringList{"C:\\", "D:\\", "E:\\", "C:\\", "D:\\", "E:\\"}));
    EXPECT_EQ(missesOf(lost), 6);

    // Found at the first entry of the root that holds it: the same copy as in a first search.
    const QString copy = makeFile(u'E', "nada.wav");
    forgetInformationTexts();
    click(0);
    EXPECT_EQ(workList().size(), 9);
    EXPECT_EQ(missesOf(lost), 2);
    EXPECT_EQ(fake().URL(), copy);
}

TEST_F(ClickTest, AShareLosesItsFirstThreeCharacters) {
    const QString share = QStringLiteral("\\\\server\\share\\a.wav");
    const QString copy = makeFile(u'D', "erver/share/a.wav");
    addLines({share});
    click(0);

    EXPECT_EQ(missesOf(share), 1);
    EXPECT_EQ(fake().URL(), copy);
}

TEST_F(ClickTest, AFileNoDriveHoldsShowsEveryMissAndPlaysNothing) {
    const QString old = makeFile(u'D', "old.wav");
    load(old, 7);
    main().Control_Click(0);
    ui().LabelDisplay.setCaption("  >>>> old -- 00:07 <<<< ");
    const QString lost = windows(u'E', "Audio/perdido.wav");
    makeFile(u'W', "Audio/perdido.wav"); // W is past the searched letters
    addLines({lost});
    fake().clearCalls();
    click(0);

    EXPECT_EQ(missesOf(lost), 3);
    EXPECT_EQ(informationTexts().size(), 3);
    EXPECT_EQ(info().TextInfo.Text(), missText(lost));
    EXPECT_EQ(info().TextInfo.BackColor(), player::kInfoMissingBack);
    EXPECT_FALSE(info().ImageInfo(0).Visible());
    EXPECT_TRUE(info().ImageInfo(1).Visible());
    EXPECT_TRUE(player::infoFile().Visible());
    EXPECT_EQ(player::infoFile().Left(), main().Left() + 3280);
    EXPECT_EQ(player::infoFile().Top(), main().Top() + 2100);

    const std::vector<rt::FakeMediaPlayer::Record> onlyStopped{{Call::Stop}};
    EXPECT_EQ(fake().calls(), onlyStopped);
    EXPECT_EQ(fake().URL(), old);
    EXPECT_EQ(ui().LabelDisplay.Caption(), "  >>>> old -- 00:07 <<<< ");
    EXPECT_TRUE(ui().Control(0).Visible());
    QApplication::processEvents();
    EXPECT_EQ(QApplication::focusWidget(), list().ListFiles.widget());
}

TEST_F(ClickTest, WithTheMainWindowHiddenMissesAreWrittenButNotShown) {
    const QString lost = windows(u'E', "x.wav");
    addLines({lost});
    main().Hide();
    click(0);

    EXPECT_EQ(missesOf(lost), 3);
    EXPECT_EQ(info().TextInfo.BackColor(), player::kInfoMissingBack);
    EXPECT_FALSE(player::infoFile().Visible());
}

} // namespace
} // namespace play_test
