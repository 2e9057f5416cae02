// The program's start-up window on a real X server: the main window comes up at its place, shaped by its
// skin's key colour, with the skin inside the outline and the black root outside it.
#include "platform/base/Events.h"
#include "platform/base/Picture.h"
#include "platform/runtime/Form.h"
#include "platform/runtime/SkinCatalog.h"
#include "player/Player.h"
#include "player/SA.h"
#include "tests/support/EventLoop.h"

#include <QGuiApplication>
#include <QPixmap>
#include <QScreen>
#include <QWidget>
#include <gtest/gtest.h>

namespace {

const char* const kScreenshotPath = "/tmp/ondara-player.png";
constexpr QRgb kRootBlack = 0xFF000000;
constexpr QRgb kSkinKeyBlue = 0xFF0000FF;

// Where the runtime puts a window's place given in twips: the whole pixels it names.
int pixelsOf(int twips) {
    return twips / 15;
}

TEST(PlayerWindow, StartsShapedAtItsPlaceWithTheSkinInsideTheOutline) {
    player::Player& main = player::player();
    main.Show();
    fixtures::runEventsFor(800);
    QWidget* window = main.containerWidget();
    ASSERT_TRUE(window->isVisible());
    EXPECT_FALSE(player::sa().Visible());

    const QPoint origin(pixelsOf(main.PosX), pixelsOf(main.PosY));
    EXPECT_EQ(origin, QPoint(464, 326));
    EXPECT_EQ(window->geometry().topLeft(), origin);
    EXPECT_EQ(window->geometry().size(), QSize(384, 194));

    const QImage shot =
        QGuiApplication::primaryScreen()->grabWindow(0).toImage().convertToFormat(QImage::Format_RGB32);
    ASSERT_FALSE(shot.isNull());
    EXPECT_TRUE(shot.save(kScreenshotPath));

    const QImage skin =
        rt::PictureObject::fromSkin(rt::skin::kPlayer)->image().convertToFormat(QImage::Format_RGB32);
    ASSERT_EQ(skin.size(), QSize(384, 194));
    int keyPixels = 0, skinPixels = 0, keyShown = 0, skinWrong = 0;
    for (int y = 0; y < skin.height(); ++y) {
        for (int x = 0; x < skin.width(); ++x) {
            const QRgb expected = skin.pixel(x, y);
            const QRgb seen = shot.pixel(origin + QPoint(x, y));
            if (expected == kSkinKeyBlue) {
                ++keyPixels;
                keyShown += seen != kRootBlack;
            } else if (!window->childAt(x, y)) { // the body, where no control covers the skin
                ++skinPixels;
                skinWrong += seen != expected;
            }
        }
    }
    // The outline steps back where the companions dock; between the controls the body shows the skin.
    EXPECT_GT(keyPixels, 50);
    EXPECT_GT(skinPixels, 384 * 194 / 3);
    EXPECT_EQ(keyShown, 0) << "key-coloured pixels must show the root window";
    EXPECT_EQ(skinWrong, 0) << "the body must show the skin as drawn";
    // Just outside the window's box the root shows.
    EXPECT_EQ(shot.pixel(origin + QPoint(-1, 100)), kRootBlack);
    EXPECT_EQ(shot.pixel(origin + QPoint(384, 100)), kRootBlack);
    // The Play button sits in front of the Pause button at the transport's place.
    const QPoint playCentre = player::player().d().Control(0).widget()->geometry().center();
    EXPECT_EQ(window->childAt(playCentre), player::player().d().Control(0).widget());

    rt::Form::unloadAll();
    rt::Graveyard::flushIfIdle();
}

} // namespace
