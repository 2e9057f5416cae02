// The main window's Info button: toggling the information window and describing what the engine holds.
#include "tests/info/InfoFixtures.h"

#include <QFile>

namespace info_test {
namespace {

const QString kRule(50, QChar('-'));

class InfoClickTest : public InfoTest {
  protected:
    InfoClickTest() {
        player::Player& p = player::player();
        p.setLeft(6960);
        p.setTop(4900);
    }
    void click() {
        asEvent([] { player::player().Info_Click(); });
    }
    void load(const QString& path) { fakeEngine().setURL(path); }
};

TEST_F(InfoClickTest, NothingLoadedShowsTheSingleLineDockedWhenPlayerIsVisible) {
    player::player().Show();
    click();
    EXPECT_EQ(infoText(), "No hay nada a reproducir");
    EXPECT_TRUE(player::infoFile().Visible());
    EXPECT_EQ(player::infoFile().Left(), 6960 + 3280);
    EXPECT_EQ(player::infoFile().Top(), 4900 + 2100);
}

TEST_F(InfoClickTest, NothingLoadedWhilePlayerIsHiddenLeavesTheWindowWhereItIs) {
    player::infoFile().setLeft(120);
    player::infoFile().setTop(240);
    click();
    EXPECT_EQ(infoText(), "No hay nada a reproducir");
    EXPECT_TRUE(player::infoFile().Visible());
    EXPECT_EQ(player::infoFile().Left(), 120);
    EXPECT_EQ(player::infoFile().Top(), 240);
}

TEST_F(InfoClickTest, TwoClicksOnAPlayingWavShowThenHideWithoutReadingAgain) {
    player::player().Show();
    load(file("take.wav", wavBytes({.sampleRate = 48000})));

    click();
    EXPECT_TRUE(player::infoFile().Visible());
    EXPECT_TRUE(infoText().startsWith(" Tipo: Wav\r\n Canales: 2\r\n Frec: 48000\r\n"));

    // Were the second click to read, it would find the file gone and say so.
    QFile::remove(drive.host("take.wav"));
    click();
    EXPECT_FALSE(player::infoFile().Visible());
    EXPECT_TRUE(player::infoFile().isLoaded());
    EXPECT_TRUE(infoText().startsWith(" Tipo: Wav\r\n"));
}

TEST_F(InfoClickTest, AFileDeletedAfterLoadingGivesTheFiveLineTextAndKeepsPicturesAndColour) {
    player::player().Show();
    const QString path = file("Proyecto 1/gone.mp3", audioBytes(300));
    load(path);
    QFile::remove(drive.host("Proyecto 1/gone.mp3"));
    player::InfoFileDesign& design = player::infoFile().d();
    design.TextInfo.setBackColor(player::kInfoMissingBack);
    design.ImageInfo(0).setVisible(false);
    design.ImageInfo(1).setVisible(true);

    click();

    EXPECT_EQ(infoText(), QStringLiteral("Información de este archivo: \r\n") + kRule +
                              "\r\nEste archivo no existe en la ruta: \r\n" + kRule + "\r\n" + path);
    EXPECT_EQ(infoText().split("\r\n").size(), 5);
    EXPECT_EQ(design.TextInfo.BackColor(), player::kInfoMissingBack);
    EXPECT_FALSE(design.ImageInfo(0).Visible());
    EXPECT_TRUE(design.ImageInfo(1).Visible());
    EXPECT_TRUE(player::infoFile().Visible());
    EXPECT_EQ(player::infoFile().Left(), 6960 + 3280);
}

TEST_F(InfoClickTest, EndingsAreComparedInLowerCase) {
    load(file("SONG.MP3", audioBytes(300) + id3v1Block({.title = "Loud"})));
    click();
    EXPECT_TRUE(infoText().contains(QStringLiteral("Título: Loud   \r\n")));

    click(); // hides
    load(file("take.Wav", wavBytes({.bits = 8})));
    click();
    EXPECT_TRUE(infoText().contains(" Bits: 8\r\n"));
}

TEST_F(InfoClickTest, OtherEndingsShowNothingAndLeaveTheText) {
    player::infoFile().d().TextInfo.setText("as it was");
    for (const QString name : {"a.wma", "b.aif", "c.m4a", "d.WMA", "e.mp3x", "f.wav.txt"}) {
        SCOPED_TRACE(name.toStdString());
        load(file(name, audioBytes(300) + id3v1Block({.title = "x"})));
        click();
        EXPECT_FALSE(player::infoFile().Visible());
        EXPECT_EQ(infoText(), "as it was");
    }
}

TEST_F(InfoClickTest, TheFirstClickCreatesTheWindowAndThePlaylistHidden) {
    player::infoFile().Unload();
    playlist::playList().Unload();
    click();
    EXPECT_TRUE(player::infoFile().Visible());
    EXPECT_TRUE(playlist::playList().isLoaded());
    EXPECT_FALSE(playlist::playList().Visible());
}

} // namespace
} // namespace info_test
