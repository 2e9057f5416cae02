// A frameless window with a region mask on a real X server: what lies outside the region is not the window.
#include "platform/runtime/Form.h"
#include "platform/win/Gdi.h"
#include "platform/win/Windows.h"
#include "tests/support/ControlsHost.h"
#include "tests/support/EventLoop.h"

#include <QBuffer>
#include <QGuiApplication>
#include <QPixmap>
#include <QScreen>
#include <gtest/gtest.h>

namespace {

struct NoControls {
    explicit NoControls(rt::Form&) {}
};

class Skinned : public rt::FormWithDesign<NoControls> {
  public:
    Skinned() : FormWithDesign("Skinned") {}
};

TEST(ShapedWindow, PixelsOutsideTheRegionAreNotTheWindows) {
    Skinned window;
    window.setPicture(fixtures::solidPicture(100, 80, qRgb(240, 120, 10)));
    window.setWidth(100 * 15);
    window.setHeight(80 * 15);
    window.setLeft(200 * 15);
    window.setTop(150 * 15);
    // An L-shaped region: the top half whole, the bottom half only its left 30 pixels.
    using namespace rt::win;
    const HRGN region = CreateRectRgn(0, 0, 100, 40);
    const HRGN foot = CreateRectRgn(0, 40, 30, 80);
    CombineRgn(region, region, foot, RGN_OR);
    DeleteObject(foot);
    SetWindowRgn(window.hWnd(), region, true);
    window.Show();
    fixtures::runEventsFor(500);

    const QImage shot = QGuiApplication::primaryScreen()->grabWindow(0).toImage();
    ASSERT_FALSE(shot.isNull());
    const QRgb orange = qRgb(240, 120, 10);
    EXPECT_EQ(shot.pixel(200 + 50, 150 + 20), orange); // top half
    EXPECT_EQ(shot.pixel(200 + 10, 150 + 70), orange); // the foot
    EXPECT_NE(shot.pixel(200 + 70, 150 + 70), orange); // cut away: the root shows through
    EXPECT_EQ(shot.pixel(200 + 70, 150 + 70), qRgb(0, 0, 0));
    EXPECT_NE(shot.pixel(199, 150 + 10), orange); // just outside the window
    // No frame: the window's first pixel row is the picture's.
    EXPECT_EQ(shot.pixel(200, 150), orange);
}

} // namespace
