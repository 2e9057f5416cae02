// The information window and the about window: their designs, loading, docking, double click, closing and
// coming back, and the main window's about toggle.
#include "platform/runtime/SkinCatalog.h"
#include "tests/info/InfoFixtures.h"

#include <QFontMetrics>

namespace info_test {
namespace {

constexpr int kTwipsPerPixel = 15;

class InfoWindowTest : public InfoTest {
  protected:
    InfoWindowTest() {
        player::Player& p = player::player();
        p.setLeft(6000);
        p.setTop(4500);
    }
};

TEST_F(InfoWindowTest, LoadsItsDesign) {
    player::InfoFile& info = player::infoFile();
    player::InfoFileDesign& design = info.d();

    EXPECT_FALSE(info.Visible());
    EXPECT_EQ(info.Caption(), QStringLiteral("Información"));
    EXPECT_EQ(info.Width(), 263 * kTwipsPerPixel);
    EXPECT_EQ(info.Height(), 193 * kTwipsPerPixel);
    EXPECT_EQ(design.TextInfo.Text(), "TextInfo");
    EXPECT_EQ(design.TextInfo.BackColor(), 0xC0E0FF);
    EXPECT_EQ(design.TextInfo.ForeColor(), 0x000000);
    EXPECT_EQ(design.TextInfo.Left(), 195);
    EXPECT_EQ(design.TextInfo.Top(), 900);
    EXPECT_EQ(design.cmdSalir.ToolTipText(), QStringLiteral("Cerrar la aplicación"));
    EXPECT_EQ(design.cmdSalir.Left(), 3435);
    EXPECT_TRUE(design.ImageInfo(0).Visible());
    EXPECT_FALSE(design.ImageInfo(1).Visible());
    EXPECT_EQ(design.ImageInfo(0).Left(), design.ImageInfo(1).Left());
    EXPECT_EQ(design.ImageInfo(0).Top(), design.ImageInfo(1).Top());
    EXPECT_EQ(design.ImageInfo(0).picture()->pixelWidth(), 32);
    EXPECT_EQ(design.ImageInfo(1).picture()->pixelHeight(), 31);
}

TEST_F(InfoWindowTest, CreatedWhileThePlaylistIsHiddenItStaysWhereTheSystemPutIt) {
    player::infoFile().Unload();
    playlist::playList().Unload();
    const int left = player::infoFile().Left();
    EXPECT_NE(left, 6000 + 3280);
    EXPECT_TRUE(playlist::playList().isLoaded());
    EXPECT_FALSE(playlist::playList().Visible());
}

TEST_F(InfoWindowTest, CreatedWhileThePlaylistIsVisibleItDocks) {
    player::infoFile().Unload();
    playlist::playList().Show();
    player::InfoFile& info = player::infoFile();
    EXPECT_EQ(info.Left(), 6000 + 3280);
    EXPECT_EQ(info.Top(), 4500 + 2100);
    EXPECT_TRUE(info.d().ImageInfo(0).Visible());
    EXPECT_FALSE(info.d().ImageInfo(1).Visible());
}

TEST_F(InfoWindowTest, DoubleClickDocksOnlyWhilePlayerIsVisible) {
    player::InfoFile& info = player::infoFile();
    info.setLeft(90);
    info.setTop(180);
    player::player().Hide();
    asEvent([&] { info.dblClick(); });
    EXPECT_EQ(info.Left(), 90);
    EXPECT_EQ(info.Top(), 180);

    player::player().Show();
    asEvent([&] { info.dblClick(); });
    EXPECT_EQ(info.Left(), 6000 + 3280);
    EXPECT_EQ(info.Top(), 4500 + 2100);
    EXPECT_FALSE(info.Visible()); // docking does not show it
}

TEST_F(InfoWindowTest, CloseButtonDestroysItAndTheNextInformationComesInAFreshWindow) {
    player::InfoFile& info = player::infoFile();
    info.d().TextInfo.setBackColor(player::kInfoMissingBack);
    info.d().ImageInfo(1).setVisible(true);
    info.Show();

    asEvent([&] { info.d().cmdSalir.Click(); });
    EXPECT_FALSE(info.isLoaded());

    player::player().InfoMp3(file("song.mp3", audioBytes(300) + id3v1Block({.album = "Again"})));
    EXPECT_TRUE(info.isLoaded());
    EXPECT_TRUE(info.Visible());
    EXPECT_TRUE(infoText().startsWith("Album: Again   \r\n"));
    EXPECT_EQ(info.d().TextInfo.BackColor(), player::kInfoNormalBack);
    EXPECT_TRUE(info.d().ImageInfo(0).Visible());
    EXPECT_FALSE(info.d().ImageInfo(1).Visible());
}

// ---- About window ----

class AboutWindowTest : public InfoWindowTest {
  protected:
    void clickAbout() {
        asEvent([] { player::player().Abaut_Click(); });
    }
};

TEST_F(AboutWindowTest, LoadsItsDesign) {
    player::Acerca& about = player::acerca();
    player::AcercaDesign& design = about.d();
    EXPECT_EQ(about.Caption(), "Acerca de...");
    EXPECT_EQ(about.Width(), 267 * kTwipsPerPixel);
    EXPECT_EQ(about.Height(), 150 * kTwipsPerPixel);
    EXPECT_EQ(design.cmdSalir.Left(), 2880);
    EXPECT_EQ(design.cmdSalir.Top(), 0);
    EXPECT_EQ(design.cmdSalir.ToolTipText(), QStringLiteral("Cerrar la aplicación"));
    EXPECT_EQ(design.Label2(0).Caption(), QStringLiteral("Diseñado y programado por: Belmor"));
    EXPECT_EQ(design.Label2(2).Caption(), QStringLiteral("Versión: 1.3"));
    EXPECT_EQ(design.Label2(3).Caption(), QStringLiteral("Aplicación para reproducir audio en Vip's"));
    EXPECT_EQ(design.Label2(4).Caption(), "Para Samplitude/Sequoia");
    for (int index = 0; index < 5; ++index) {
        EXPECT_EQ(design.Label2(index).ForeColor(), 0xF6F6ED);
        EXPECT_EQ(design.Label2(index).Height(), 195);
    }
    EXPECT_EQ(design.Label2(3).Left(), 255);
    EXPECT_EQ(design.Label2(3).Top(), 1125);
}

TEST_F(AboutWindowTest, ThePurposeLineIsOneLineThatFitsItsLabel) {
    const rt::Label& purpose = player::acerca().d().Label2(1);
    ASSERT_FALSE(purpose.Caption().isEmpty());
    EXPECT_FALSE(purpose.Caption().contains('\n'));
    const QFontMetrics metrics(rt::qFontOf({"MS Sans Serif", 8.25, true}));
    EXPECT_LE(metrics.horizontalAdvance(purpose.Caption()), purpose.Width() / kTwipsPerPixel);
}

TEST_F(AboutWindowTest, FirstClickShowsItBesideThePlayerAndTheSecondHidesIt) {
    player::acerca().Unload();
    clickAbout();
    EXPECT_TRUE(player::acerca().Visible());
    EXPECT_EQ(player::acerca().Left(), 6000 - 3000);
    EXPECT_EQ(player::acerca().Top(), 4500 + 1200);

    player::player().setLeft(7500);
    player::player().setTop(3000);
    clickAbout();
    EXPECT_FALSE(player::acerca().Visible());
    EXPECT_EQ(player::acerca().Left(), 7500 - 3000); // placed on the hiding click as well

    player::player().setLeft(8100);
    clickAbout();
    EXPECT_TRUE(player::acerca().Visible());
    EXPECT_EQ(player::acerca().Left(), 8100 - 3000);
    EXPECT_EQ(player::acerca().Top(), 3000 + 1200);
}

TEST_F(AboutWindowTest, AfterItsCloseButtonTheNextClickShowsItAgain) {
    clickAbout();
    if (!player::acerca().Visible())
        clickAbout();
    ASSERT_TRUE(player::acerca().Visible());

    asEvent([] { player::acerca().d().cmdSalir.Click(); });
    EXPECT_FALSE(player::acerca().isLoaded());

    clickAbout();
    EXPECT_TRUE(player::acerca().Visible());
}

} // namespace
} // namespace info_test
