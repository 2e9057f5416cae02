// The graphics stand-ins: transfers between surfaces and bitmaps, the bottom-up DIB read-back that window
// shaping relies on, regions, icons and text extents.
#include "platform/base/Picture.h"
#include "platform/win/Gdi.h"

#include <QBuffer>
#include <QWidget>
#include <gtest/gtest.h>
#include <limits>
#include <memory>
#include <vector>

namespace rt::win {
namespace {

constexpr COLORREF kBlueKey = 0xFF0000;

// An image registered as a drawing surface that counts the changes reported to it.
struct TestSurface {
    explicit TestSurface(int width, int height, QColor fill = Qt::white)
        : image(width, height, QImage::Format_ARGB32_Premultiplied) {
        image.fill(fill);
        dc = registerSurface({&image, [this] { ++changes; }});
    }
    ~TestSurface() { unregisterSurface(dc); }
    QRgb at(int x, int y) const { return image.pixel(x, y); }

    QImage image;
    HDC dc = 0;
    int changes = 0;
};

QByteArray encoded(const QImage& image, const char* format) {
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    image.save(&buffer, format);
    return bytes;
}

// A source whose pixel (x, y) is (10x, 10y, 77), so every pixel tells where it came from.
void paintCoordinates(QImage& image) {
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x)
            image.setPixel(x, y, qRgb(10 * x, 10 * y, 77));
}

TEST(BitBlt, CopiesTheRectangleAndTellsTheSurface) {
    TestSurface source(4, 4);
    paintCoordinates(source.image);
    TestSurface target(6, 6);

    ASSERT_TRUE(BitBlt(target.dc, 2, 3, 2, 2, source.dc, 1, 1, SRCCOPY));

    EXPECT_EQ(target.at(2, 3), qRgb(10, 10, 77));
    EXPECT_EQ(target.at(3, 4), qRgb(20, 20, 77));
    EXPECT_EQ(target.at(1, 3), qRgb(255, 255, 255));
    EXPECT_EQ(target.at(4, 3), qRgb(255, 255, 255));
    EXPECT_EQ(target.at(2, 5), qRgb(255, 255, 255));
    EXPECT_EQ(target.changes, 1);
    EXPECT_EQ(source.changes, 0);
}

TEST(BitBlt, ClipsToBothImages) {
    TestSurface source(4, 4);
    paintCoordinates(source.image);
    TestSurface target(5, 5);

    // The source has only 2 x 2 pixels from (2, 2); the target only 1 x 1 from (4, 4).
    ASSERT_TRUE(BitBlt(target.dc, 4, 4, 4, 4, source.dc, 2, 2, SRCCOPY));
    EXPECT_EQ(target.at(4, 4), qRgb(20, 20, 77));
    EXPECT_EQ(target.at(3, 4), qRgb(255, 255, 255));

    // A destination left of and above the image loses the part outside it.
    ASSERT_TRUE(BitBlt(target.dc, -1, -1, 3, 3, source.dc, 0, 0, SRCCOPY));
    EXPECT_EQ(target.at(0, 0), qRgb(10, 10, 77));
    EXPECT_EQ(target.at(1, 1), qRgb(20, 20, 77));
    EXPECT_EQ(target.at(2, 2), qRgb(255, 255, 255));

    // A source rectangle left of the source image copies only its overlap, to the matching place.
    TestSurface second(4, 4);
    ASSERT_TRUE(BitBlt(second.dc, 0, 0, 3, 1, source.dc, -2, 0, SRCCOPY));
    EXPECT_EQ(second.at(0, 0), qRgb(255, 255, 255));
    EXPECT_EQ(second.at(1, 0), qRgb(255, 255, 255));
    EXPECT_EQ(second.at(2, 0), qRgb(0, 0, 77));
}

TEST(BitBlt, IsOpaqueAndRefusesOtherRasterOperations) {
    TestSurface source(2, 1, Qt::transparent);
    TestSurface target(2, 1, Qt::red);

    EXPECT_FALSE(BitBlt(target.dc, 0, 0, 2, 1, source.dc, 0, 0, 0x00EE0086));
    EXPECT_EQ(target.at(0, 0), qRgb(255, 0, 0));
    EXPECT_EQ(target.changes, 0);

    // SRCCOPY replaces the pixels, it does not blend over them.
    ASSERT_TRUE(BitBlt(target.dc, 0, 0, 2, 1, source.dc, 0, 0, SRCCOPY));
    EXPECT_EQ(qAlpha(target.at(0, 0)), 0);
}

TEST(BitBlt, RefusesCoordinatesBeyondTheCoordinateSpace) {
    TestSurface source(2, 2);
    TestSurface target(2, 2, Qt::red);
    constexpr int kHuge = std::numeric_limits<int>::max();

    EXPECT_FALSE(BitBlt(target.dc, kHuge, 0, kHuge, 1, source.dc, 0, 0, SRCCOPY));
    EXPECT_FALSE(TransparentBlt(target.dc, 0, 0, 2, 2, source.dc, -kHuge, 0, kHuge, 2, kBlueKey));
    EXPECT_EQ(CreateRectRgn(-kHuge, 0, kHuge, 1), 0);
    EXPECT_EQ(target.at(0, 0), qRgb(255, 0, 0));
    EXPECT_EQ(target.changes, 0);
}

TEST(BitBlt, OverlappingCopyWithinOneImageReadsPixelsFromBeforeTheCopy) {
    TestSurface surface(4, 1);
    paintCoordinates(surface.image);

    ASSERT_TRUE(BitBlt(surface.dc, 1, 0, 3, 1, surface.dc, 0, 0, SRCCOPY));

    EXPECT_EQ(surface.at(1, 0), qRgb(0, 0, 77));
    EXPECT_EQ(surface.at(2, 0), qRgb(10, 0, 77));
    EXPECT_EQ(surface.at(3, 0), qRgb(20, 0, 77));
}

// What window shaping does: copy the window's image into a DIB section R pixels wide and H + 1 high, and
// read it back bottom-up, three bytes per pixel in the order blue, green, red.
TEST(DibSection, ReadsBackBottomUpRowsOfThreeBytesPerPixel) {
    constexpr int kWidth = 5;
    constexpr int kHeight = 3;
    constexpr int kRowPixels = 4 * (kWidth / 4) + 4; // 8: a multiple of 4, so rows need no padding
    TestSurface window(kWidth, kHeight);
    paintCoordinates(window.image);

    BitmapInfoHeader header;
    header.width = kRowPixels;
    header.height = kHeight + 1;
    const HDC memory = CreateCompatibleDC(window.dc);
    const HBITMAP dib = CreateDIBSection(memory, header, DIB_RGB_COLORS);
    ASSERT_NE(memory, 0);
    ASSERT_NE(dib, 0);
    ASSERT_NE(SelectObject(memory, dib), 0);
    ASSERT_TRUE(BitBlt(memory, 0, 0, kRowPixels, kHeight + 1, window.dc, 0, 0, SRCCOPY));

    std::vector<std::uint8_t> buffer(std::size_t(3 * kRowPixels * (kHeight + 1)), 0xAB);
    EXPECT_EQ(GetDIBits(window.dc, dib, 0, kHeight + 1, buffer, header, DIB_RGB_COLORS), kHeight + 1);
    EXPECT_TRUE(DeleteDC(memory));
    EXPECT_TRUE(DeleteObject(dib));

    const auto byteAt = [&](int row, int x, int channel) {
        return int(buffer[3 * (row * kRowPixels + x) + channel]);
    };
    for (int y = 0; y < kHeight; ++y) {
        const int row = kHeight - y; // window line y
        for (int x = 0; x < kWidth; ++x) {
            EXPECT_EQ(byteAt(row, x, 0), 77) << x << "," << y;
            EXPECT_EQ(byteAt(row, x, 1), 10 * y) << x << "," << y;
            EXPECT_EQ(byteAt(row, x, 2), 10 * x) << x << "," << y;
        }
        // Columns past the window keep the section's initial black.
        EXPECT_EQ(byteAt(row, kWidth, 0), 0);
    }
    // Row 0 lies below the window: black as well.
    EXPECT_EQ(byteAt(0, 0, 0), 0);
    EXPECT_EQ(byteAt(0, 0, 2), 0);
}

TEST(DibSection, PadsRowsToFourBytesAndNeedsRoomForThem) {
    TestSurface source(2, 2);
    paintCoordinates(source.image);
    BitmapInfoHeader header;
    header.width = 2;
    header.height = 2;
    const HBITMAP bitmap = CreateDIBSection(0, header, DIB_RGB_COLORS);
    const HDC memory = CreateCompatibleDC(0);
    SelectObject(memory, bitmap);
    BitBlt(memory, 0, 0, 2, 2, source.dc, 0, 0, SRCCOPY);

    std::vector<std::uint8_t> buffer(16, 0xAB); // rows of 6 bytes padded to 8; row 0 is the bottom line
    ASSERT_EQ(GetDIBits(0, bitmap, 0, 2, buffer, header, DIB_RGB_COLORS), 2);
    EXPECT_EQ(buffer[1], 10); // (0, 1) green
    EXPECT_EQ(buffer[6], 0);  // padding
    EXPECT_EQ(buffer[7], 0);
    EXPECT_EQ(buffer[8 + 5], 10); // (1, 0) red
    EXPECT_EQ(buffer[8 + 1], 0);  // (0, 0) green

    std::vector<std::uint8_t> tooSmall(15);
    EXPECT_EQ(GetDIBits(0, bitmap, 0, 2, tooSmall, header, DIB_RGB_COLORS), 0);
    EXPECT_EQ(GetDIBits(0, bitmap, 1, 5, buffer, header, DIB_RGB_COLORS), 1) << "only one line from line 1";
    DeleteDC(memory);
    DeleteObject(bitmap);
}

TEST(MemoryDC, SelectReturnsThePreviousBitmapAndHoldsItUntilDeselected) {
    BitmapInfoHeader header;
    header.width = 2;
    header.height = 2;
    const HBITMAP first = CreateDIBSection(0, header, DIB_RGB_COLORS);
    const HBITMAP second = CreateDIBSection(0, header, DIB_RGB_COLORS);
    const HDC memory = CreateCompatibleDC(0);
    const HDC other = CreateCompatibleDC(0);

    const HGDIOBJ stock = SelectObject(memory, first);
    EXPECT_NE(stock, 0);
    EXPECT_EQ(SelectObject(other, first), 0) << "a bitmap lives in one DC at a time";
    EXPECT_EQ(SelectObject(memory, second), first);

    // Deleting a selected bitmap waits for it to leave its DC.
    EXPECT_TRUE(DeleteObject(second));
    std::vector<std::uint8_t> buffer(32);
    EXPECT_EQ(GetDIBits(0, second, 0, 2, buffer, header, DIB_RGB_COLORS), 2);
    EXPECT_EQ(SelectObject(memory, stock), second);
    EXPECT_EQ(GetDIBits(0, second, 0, 2, buffer, header, DIB_RGB_COLORS), 0);

    EXPECT_FALSE(DeleteObject(stock)) << "the stock bitmap is not ours to delete";
    EXPECT_TRUE(DeleteObject(first));
    EXPECT_TRUE(DeleteDC(memory));
    EXPECT_TRUE(DeleteDC(other));
    EXPECT_FALSE(DeleteDC(memory));
}

TEST(TransparentBlt, LeavesPixelsOfExactlyTheKeyColourOut) {
    TestSurface source(3, 1);
    source.image.setPixel(0, 0, qRgb(0, 0, 255)); // the key
    source.image.setPixel(1, 0, qRgb(0, 0, 254)); // one step away: copied
    source.image.setPixel(2, 0, qRgb(0, 200, 0));
    TestSurface target(3, 1, Qt::white);

    ASSERT_TRUE(TransparentBlt(target.dc, 0, 0, 3, 1, source.dc, 0, 0, 3, 1, kBlueKey));

    EXPECT_EQ(target.at(0, 0), qRgb(255, 255, 255));
    EXPECT_EQ(target.at(1, 0), qRgb(0, 0, 254));
    EXPECT_EQ(target.at(2, 0), qRgb(0, 200, 0));
    EXPECT_EQ(target.changes, 1);
}

TEST(TransparentBlt, StretchesWhenTheSizesDifferAndClipsToTheDestination) {
    TestSurface source(2, 2);
    paintCoordinates(source.image);
    TestSurface target(3, 3, Qt::white);

    ASSERT_TRUE(TransparentBlt(target.dc, 0, 0, 4, 4, source.dc, 0, 0, 2, 2, kBlueKey));

    EXPECT_EQ(target.at(0, 0), qRgb(0, 0, 77));
    EXPECT_EQ(target.at(1, 1), qRgb(0, 0, 77));
    EXPECT_EQ(target.at(2, 0), qRgb(10, 0, 77));
    EXPECT_EQ(target.at(2, 2), qRgb(10, 10, 77));
}

// The button's transparent path: a bitmap picture selected into a memory DC made from the screen's DC.
TEST(TransparentBlt, DrawsAPictureSelectedIntoAMemoryDC) {
    QImage art(2, 1, QImage::Format_RGB32);
    art.setPixel(0, 0, qRgb(0, 0, 255));
    art.setPixel(1, 0, qRgb(255, 0, 0));
    const Picture picture = PictureObject::fromFileBytes(encoded(art, "BMP"));
    ASSERT_EQ(picture->Type(), PictureObject::kBitmap);
    TestSurface button(2, 1, Qt::green);

    const HDC screen = GetDC(0);
    const HDC memory = CreateCompatibleDC(screen);
    EXPECT_NE(SelectObject(memory, picture->handle()), 0);
    EXPECT_TRUE(TransparentBlt(button.dc, 0, 0, 2, 1, memory, 0, 0, 2, 1, kBlueKey));
    EXPECT_TRUE(DeleteDC(memory));
    EXPECT_EQ(ReleaseDC(0, screen), 1);

    EXPECT_EQ(button.at(0, 0), qRgb(0, 255, 0));
    EXPECT_EQ(button.at(1, 0), qRgb(255, 0, 0));
    EXPECT_FALSE(DeleteObject(picture->handle())) << "the picture owns its bitmap";
}

TEST(DrawIconEx, DrawsTheIconWithItsTransparencyAtTheGivenSize) {
    QImage art(16, 16, QImage::Format_ARGB32);
    art.fill(Qt::transparent);
    for (int y = 0; y < 16; ++y)
        for (int x = 0; x < 8; ++x)
            art.setPixel(x, y, qRgba(200, 0, 0, 255));
    const Picture icon = PictureObject::fromFileBytes(encoded(art, "ICO"));
    ASSERT_EQ(icon->Type(), PictureObject::kIcon);
    TestSurface target(40, 40, Qt::white);

    ASSERT_TRUE(DrawIconEx(target.dc, 4, 4, icon->handle(), 32, 32, 0, 0, DI_NORMAL | DI_DEFAULTSIZE));

    EXPECT_EQ(target.at(10, 20), qRgb(200, 0, 0));     // left half of the icon, scaled to 16 pixels
    EXPECT_EQ(target.at(30, 20), qRgb(255, 255, 255)); // its transparent right half
    EXPECT_EQ(target.at(2, 2), qRgb(255, 255, 255));
    EXPECT_EQ(target.changes, 1);

    const Picture bitmap =
        PictureObject::fromFileBytes(encoded(art.convertToFormat(QImage::Format_RGB32), "BMP"));
    EXPECT_FALSE(DrawIconEx(target.dc, 0, 0, bitmap->handle(), 16, 16, 0, 0, DI_NORMAL));
}

TEST(DrawIconEx, ZeroSizeMeansTheIconsOwnSizeOrTheStandardOne) {
    QImage art(8, 8, QImage::Format_ARGB32);
    art.fill(qRgba(0, 0, 200, 255));
    const Picture icon = PictureObject::fromFileBytes(encoded(art, "ICO"));
    TestSurface own(40, 40, Qt::white);
    TestSurface standard(40, 40, Qt::white);

    ASSERT_TRUE(DrawIconEx(own.dc, 0, 0, icon->handle(), 0, 0, 0, 0, DI_NORMAL));
    ASSERT_TRUE(DrawIconEx(standard.dc, 0, 0, icon->handle(), 0, 0, 0, 0, DI_NORMAL | DI_DEFAULTSIZE));

    EXPECT_EQ(own.at(7, 7), qRgb(0, 0, 200));
    EXPECT_EQ(own.at(8, 8), qRgb(255, 255, 255));
    EXPECT_EQ(standard.at(31, 31), qRgb(0, 0, 200));
    EXPECT_EQ(standard.at(32, 32), qRgb(255, 255, 255));
}

TEST(Regions, UnionOfOnePixelHighRectanglesIsTheShape) {
    // An L: a 4-pixel bar on line 0, then the left pixel alone on lines 1 and 2.
    const HRGN shape = CreateRectRgn(0, 0, 0, 0);
    const struct {
        int left, top, right, bottom;
    } runs[] = {{0, 0, 4, 1}, {0, 1, 1, 2}, {0, 2, 1, 3}, {3, 2, 3, 3}};
    for (const auto& run : runs) {
        const HRGN rectangle = CreateRectRgn(run.left, run.top, run.right, run.bottom);
        CombineRgn(shape, shape, rectangle, RGN_OR);
        EXPECT_TRUE(DeleteObject(rectangle));
    }

    const QRegion expected = QRegion(0, 0, 4, 1) + QRegion(0, 1, 1, 2);
    EXPECT_EQ(regionOf(shape), expected);
    EXPECT_TRUE(DeleteObject(shape));
    EXPECT_TRUE(regionOf(shape).isEmpty());
}

TEST(Regions, CombineReportsTheRegionType) {
    const HRGN result = CreateRectRgn(0, 0, 0, 0);
    const HRGN left = CreateRectRgn(0, 0, 10, 10);
    const HRGN right = CreateRectRgn(5, 5, 15, 15);
    const HRGN empty = CreateRectRgn(7, 7, 7, 20);

    EXPECT_EQ(CombineRgn(result, left, empty, RGN_OR), SIMPLEREGION);
    EXPECT_EQ(regionOf(result), QRegion(0, 0, 10, 10)) << "an empty rectangle changes nothing";
    EXPECT_EQ(CombineRgn(result, left, right, RGN_OR), COMPLEXREGION);
    EXPECT_EQ(CombineRgn(result, left, right, RGN_AND), SIMPLEREGION);
    EXPECT_EQ(regionOf(result), QRegion(5, 5, 5, 5));
    EXPECT_EQ(CombineRgn(result, left, right, RGN_DIFF), COMPLEXREGION);
    EXPECT_FALSE(regionOf(result).contains(QPoint(6, 6)));
    EXPECT_EQ(CombineRgn(result, left, right, RGN_XOR), COMPLEXREGION);
    EXPECT_EQ(CombineRgn(result, empty, 0, RGN_COPY), NULLREGION);
    EXPECT_EQ(CombineRgn(result, left, right, 9), ERROR_REGION);
    EXPECT_EQ(CombineRgn(result, left, 123, RGN_OR), ERROR_REGION);

    for (const HRGN region : {result, left, right, empty})
        DeleteObject(region);
    EXPECT_EQ(CombineRgn(result, left, right, RGN_OR), ERROR_REGION);
}

TEST(TextExtent, GrowsWithTheTextAndUsesTheWindowsFont) {
    QWidget window;
    QFont large = window.font();
    large.setPixelSize(40);
    window.setFont(large);
    const HWND handle = registerWindow(&window);
    const HDC dc = GetDC(handle);
    ASSERT_NE(dc, 0);

    Size shortText;
    Size longText;
    Size prefix;
    ASSERT_TRUE(GetTextExtentPoint32A(dc, "ab", 2, shortText));
    ASSERT_TRUE(GetTextExtentPoint32A(dc, "abcdef", 6, longText));
    ASSERT_TRUE(GetTextExtentPoint32A(dc, "abcdef", 2, prefix));
    EXPECT_GT(longText.cx, shortText.cx);
    EXPECT_EQ(prefix.cx, shortText.cx) << "only the first `length` characters count";
    EXPECT_EQ(shortText.cy, QFontMetrics(large).height());
    EXPECT_FALSE(GetTextExtentPoint32A(dc, "ab", 3, prefix));

    const HDC screen = GetDC(0);
    Size onScreen;
    ASSERT_TRUE(GetTextExtentPoint32A(screen, "abcdef", 6, onScreen));
    EXPECT_LT(onScreen.cx, longText.cx) << "the screen measures in the application's smaller font";

    EXPECT_EQ(ReleaseDC(handle, dc), 1);
    EXPECT_EQ(ReleaseDC(0, screen), 1);
    EXPECT_EQ(ReleaseDC(0, screen), 0);
    EXPECT_FALSE(GetTextExtentPoint32A(dc, "ab", 2, prefix)) << "a released DC measures nothing";
    unregisterWindow(handle);
}

TEST(GetDC, GivesAWindowItsOwnSurfaceWhichMeasuresInTheWindowsFont) {
    QWidget window;
    QFont large = window.font();
    large.setPixelSize(40);
    window.setFont(large);
    const HWND handle = registerWindow(&window);
    TestSurface surface(4, 4);
    setWindowSurface(handle, surface.dc);

    EXPECT_EQ(GetDC(handle), surface.dc);
    Size size;
    ASSERT_TRUE(GetTextExtentPoint32A(surface.dc, "x", 1, size));
    EXPECT_EQ(size.cy, QFontMetrics(large).height());
    EXPECT_EQ(ReleaseDC(handle, surface.dc), 1);
    EXPECT_EQ(kindOfDC(surface.dc), DcKind::kSurface) << "releasing leaves the surface to its window";

    unregisterWindow(handle);
    EXPECT_EQ(GetDC(handle), 0);
}

} // namespace
} // namespace rt::win
