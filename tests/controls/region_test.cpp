// Window shaping by key colour: the region built from a window's own pixels, both shaping paths, and the
// question whether a module exports a function.
#include "controls/RegionFromBitmap.h"
#include "platform/runtime/SkinCatalog.h"
#include "platform/win/Gdi.h"
#include "platform/win/Modules.h"
#include "platform/win/Windows.h"
#include "tests/support/ControlsHost.h"
#include "tests/support/ErrorCapture.h"

#include <QWidget>
#include <gtest/gtest.h>

namespace {

using fixtures::ControlsHost;

constexpr std::int32_t kBlueKey = 0xFF0000;
constexpr QRgb kKeyRgb = qRgb(0, 0, 255);

// Compositing forced on or off for one test, then asked of the display again.
class Compositing {
  public:
    explicit Compositing(bool active) { rt::win::setCompositingForTesting(active); }
    ~Compositing() { rt::win::setCompositingForTesting(std::nullopt); }
};

// A window that shows a picture as its skin, at the picture's size.
void giveSkin(ControlsHost& window, const QImage& skin) {
    window.setPicture(fixtures::pictureOf(skin));
    window.setWidth(skin.width() * rt::kTwipsPerPixel);
    window.setHeight(skin.height() * rt::kTwipsPerPixel);
}

// Every pixel of the skin's top-left width x height lies in the region exactly when it is not the key.
void expectRegionMatches(const QRegion& region, const QImage& skin, QRgb key, int width, int height) {
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x)
            ASSERT_EQ(region.contains(QPoint(x, y)), (skin.pixel(x, y) | 0xFF000000u) != key)
                << "pixel " << x << ", " << y;
    EXPECT_EQ(region.boundingRect().right() < width, true);
    EXPECT_EQ(region.boundingRect().bottom() < height, true);
}

// A skin with the awkward cases: a pixel one step off the key, a line that is all key, a line that ends in
// key colour, and top and bottom lines that differ (so a flipped buffer shows).
QImage awkwardSkin() {
    QImage skin(11, 6, QImage::Format_RGB32);
    skin.fill(kKeyRgb);
    skin.setPixel(0, 0, qRgb(200, 0, 0));
    skin.setPixel(1, 0, qRgb(200, 0, 0));
    skin.setPixel(3, 2, qRgb(0, 0, 254));
    for (int x = 2; x < 10; ++x)
        skin.setPixel(x, 3, qRgb(10, 10, 10));
    for (int x = 0; x < 11; ++x)
        skin.setPixel(x, 5, qRgb(0, 255, 255));
    return skin;
}

// Any object with the four properties will do: here a bare surface whose client area is narrower than
// its image.
struct BareSurface {
    explicit BareSurface(QImage pixels, int clientWidth)
        : image(std::move(pixels)), width(clientWidth), dc(rt::win::registerSurface({&image, {}})) {}
    ~BareSurface() { rt::win::unregisterSurface(dc); }
    rt::win::HDC hDC() const { return dc; }
    int ScaleMode() const { return mode; }
    void setScaleMode(int value) { mode = value; }
    double ScaleWidth() const { return mode == rt::kScaleTwips ? width * rt::kTwipsPerPixel : width; }
    double ScaleHeight() const {
        return mode == rt::kScaleTwips ? image.height() * rt::kTwipsPerPixel : image.height();
    }

    QImage image;
    int width;
    int mode = rt::kScaleTwips;
    rt::win::HDC dc;
};

TEST(RegionRows, AreTheSmallestMultipleOfFourAboveTheWidth) {
    EXPECT_EQ(controls::regionRowWidth(383), 384);
    EXPECT_EQ(controls::regionRowWidth(384), 388);
    EXPECT_EQ(controls::regionRowWidth(0), 4);
    EXPECT_EQ(controls::regionRowWidth(1), 4);
    EXPECT_EQ(controls::regionRowWidth(3), 4);
    EXPECT_EQ(controls::regionRowWidth(4), 8);
}

TEST(FormRegion, ANegativeSizeFailsAsARunTimeError) {
    EXPECT_EQ(fixtures::errorNumberOf([] { controls::regionOfKeyedPixels(0, 10, -2, 0xFF0000); }),
              rt::kInvalidProcedureCall);
    EXPECT_EQ(fixtures::errorNumberOf([] { controls::regionOfKeyedPixels(0, -5, 10, 0xFF0000); }),
              rt::kInvalidProcedureCall);
}

TEST(FormRegion, CoversExactlyThePixelsThatAreNotTheKey) {
    ControlsHost window;
    const QImage skin = awkwardSkin();
    giveSkin(window, skin);
    window.setScaleMode(rt::kScaleTwips);
    const rt::win::HRGN handle = controls::CreateFormRegion(window, kBlueKey);
    EXPECT_EQ(window.ScaleMode(), rt::kScaleTwips) << "the coordinate unit is restored";
    const QRegion region = rt::win::regionOf(handle);
    expectRegionMatches(region, skin, kKeyRgb, skin.width(), skin.height());
    EXPECT_TRUE(region.contains(QPoint(3, 2))) << "one step off the key stays opaque";
    EXPECT_FALSE(region.contains(QPoint(10, 3)));
    rt::win::DeleteObject(handle);
}

TEST(FormRegion, ReadsWhateverObjectItIsGivenAndIgnoresColumnsBeyondTheWidth) {
    QImage pixels(390, 3, QImage::Format_RGB32);
    pixels.fill(kKeyRgb);
    pixels.setPixel(382, 0, qRgb(1, 2, 3));
    for (int x = 383; x < 390; ++x)
        pixels.setPixel(x, 1, qRgb(1, 2, 3)); // beyond the client area
    BareSurface surface(pixels, 383);
    const rt::win::HRGN handle = controls::CreateFormRegion(surface, kBlueKey);
    const QRegion region = rt::win::regionOf(handle);
    EXPECT_EQ(surface.mode, rt::kScaleTwips);
    expectRegionMatches(region, pixels, kKeyRgb, 383, 3);
    EXPECT_EQ(region.rectCount(), 1);
    rt::win::DeleteObject(handle);
}

TEST(FormRegion, ASkinWithoutKeyPixelsIsOneRectangleOverTheClientArea) {
    ControlsHost window;
    QImage skin(384, 4, QImage::Format_RGB32);
    skin.fill(qRgb(0, 0, 254));
    giveSkin(window, skin);
    const rt::win::HRGN handle = controls::CreateFormRegion(window, kBlueKey);
    EXPECT_EQ(rt::win::regionOf(handle), QRegion(0, 0, 384, 4));
    rt::win::DeleteObject(handle);
}

TEST(ShapeForm, LayeredPathKeysTheColourWhereTheDesktopComposites) {
    Compositing on(true);
    ControlsHost window;
    giveSkin(window, awkwardSkin());
    controls::ShapeForm(window, kBlueKey);
    const rt::win::HWND handle = window.hWnd();
    EXPECT_TRUE(rt::win::GetWindowLongA(handle, rt::win::GWL_EXSTYLE) & rt::win::WS_EX_LAYERED);
    EXPECT_EQ(window.containerWidget()->property("ondaraColorKey").value<QColor>(), QColor(kKeyRgb));
    EXPECT_TRUE(window.containerWidget()->mask().isEmpty());
}

TEST(ShapeForm, RegionPathMasksTheWindowOtherwise) {
    Compositing off(false);
    ControlsHost window;
    const QImage skin = awkwardSkin();
    giveSkin(window, skin);
    controls::ShapeForm(window, kBlueKey);
    EXPECT_FALSE(rt::win::GetWindowLongA(window.hWnd(), rt::win::GWL_EXSTYLE) & rt::win::WS_EX_LAYERED);
    expectRegionMatches(window.containerWidget()->mask(), skin, kKeyRgb, skin.width(), skin.height());
}

TEST(ShapeForm, SystemColourKeyIsTranslatedFirst) {
    Compositing on(true);
    ControlsHost window;
    giveSkin(window, awkwardSkin());
    const auto faceColour = static_cast<std::int32_t>(0x8000000F);
    controls::ShapeForm(window, faceColour);
    rt::win::COLORREF translated = 0;
    ASSERT_EQ(rt::win::OleTranslateColor(0x8000000F, 0, translated), rt::win::S_OK);
    const QColor key = window.containerWidget()->property("ondaraColorKey").value<QColor>();
    EXPECT_EQ(key, QColor(int(translated & 0xFF), int(translated >> 8 & 0xFF), int(translated >> 16 & 0xFF)));
}

TEST(ShapeForm, PlayerSkinTakesTheShapeOfItsPicture) {
    Compositing off(false);
    ControlsHost window;
    const QImage skin =
        QImage(QString(rt::skin::kResourcePrefix) + rt::skin::kPlayer).convertToFormat(QImage::Format_RGB32);
    ASSERT_FALSE(skin.isNull());
    giveSkin(window, skin);
    controls::ShapeForm(window, rt::skin::kBlueKey);
    const QRegion mask = window.containerWidget()->mask();
    expectRegionMatches(mask, skin, kKeyRgb, skin.width(), skin.height());
    EXPECT_FALSE(mask.isEmpty());
    EXPECT_NE(mask, QRegion(0, 0, skin.width(), skin.height())) << "the skin has see-through parts";
}

TEST(FunctionExists, AsksLoadedModulesAndFreesWhatItLoadsToAsk) {
    ASSERT_EQ(rt::win::loadCount("msimg32"), 0);
    const int user32 = rt::win::loadCount("user32");
    EXPECT_TRUE(controls::FunctionExists("TransparentBlt", "msimg32"));
    EXPECT_FALSE(controls::FunctionExists("transparentblt", "msimg32")) << "export names keep their case";
    EXPECT_EQ(rt::win::loadCount("msimg32"), 0);
    EXPECT_TRUE(controls::FunctionExists("SetWindowRgn", "user32"));
    EXPECT_EQ(rt::win::loadCount("user32"), user32);
    EXPECT_FALSE(controls::FunctionExists("SetWindowRgn", "nosuchmodule"));

    const int loaded = rt::win::LoadLibraryA("msimg32");
    EXPECT_TRUE(controls::FunctionExists("TransparentBlt", "msimg32"));
    EXPECT_EQ(rt::win::loadCount("msimg32"), 1) << "an already loaded module is neither loaded nor freed";
    rt::win::FreeLibrary(loaded);
}

TEST(FunctionExists, LayeredWindowsExistOnlyWhereTheDesktopComposites) {
    {
        Compositing on(true);
        EXPECT_TRUE(controls::FunctionExists("SetLayeredWindowAttributes", "user32"));
    }
    Compositing off(false);
    EXPECT_FALSE(controls::FunctionExists("SetLayeredWindowAttributes", "user32"));
}

} // namespace
