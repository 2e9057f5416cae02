#include "platform/win/Gdi.h"

#include "platform/base/Picture.h"

#include <QApplication>
#include <QFontMetrics>
#include <QPainter>
#include <algorithm>
#include <array>
#include <cstdlib>
#include <initializer_list>
#include <optional>

namespace rt::win {

namespace {

constexpr std::uint32_t kBitmapHeaderBytes = 40;
constexpr int kBytesPerPixel = 3;
constexpr int kRowAlignmentBytes = 4;
// The standard icon size at 96 dots per inch, which DI_DEFAULTSIZE stands for.
constexpr int kDefaultIconPx = 32;
// QImage's own limit on a side; a header beyond it is refused before allocating.
constexpr int kMaxBitmapSide = 32767;
// Logical coordinates are 27-bit, as on Windows; beyond that a call fails, and sums of a
// position and a size stay far from overflowing.
constexpr int kMaxCoordinate = 1 << 27;

COLORREF colourRefOfRgb(QRgb rgb) {
    return COLORREF(qRed(rgb)) | COLORREF(qGreen(rgb)) << 8 | COLORREF(qBlue(rgb)) << 16;
}

int dibRowBytes(int width) {
    return (width * kBytesPerPixel + kRowAlignmentBytes - 1) / kRowAlignmentBytes * kRowAlignmentBytes;
}

bool isUsableDibHeader(const BitmapInfoHeader& header) {
    return header.size == kBitmapHeaderBytes && header.planes == 1 && header.bitCount == 24 &&
           header.compression == BI_RGB && header.width > 0 && header.width <= kMaxBitmapSide &&
           header.height != 0 && std::abs(header.height) <= kMaxBitmapSide;
}

// A destination that draws nowhere accepts every drawing; one that names nothing refuses it.
bool isDrawableDestination(HDC dc) {
    const DcKind kind = kindOfDC(dc);
    return kind != DcKind::kNone;
}

// The part of the destination rectangle that both images cover, for an unscaled copy.
QRect clippedCopyRect(const QRect& target, QPoint sourceOrigin, const QImage& source,
                      const QImage& destination) {
    const QPoint shift = target.topLeft() - sourceOrigin;
    return target.intersected(source.rect().translated(shift)).intersected(destination.rect());
}

bool inCoordinateSpace(std::initializer_list<int> values) {
    return std::all_of(values.begin(), values.end(),
                       [](int value) { return value >= -kMaxCoordinate && value <= kMaxCoordinate; });
}

QRgb opaque(QRgb pixel) {
    return pixel | 0xFF000000u;
}

// The image behind a destination DC, in a format that can be painted on and written pixel by pixel
// (a palette picture selected into a DC becomes a 32-bit one, as a drawn-on bitmap does).
QImage* paintableImageOf(HDC dc) {
    QImage* image = imageOfDC(dc);
    if (!image)
        return nullptr;
    const QImage::Format format = image->format();
    if (format != QImage::Format_RGB32 && format != QImage::Format_ARGB32 &&
        format != QImage::Format_ARGB32_Premultiplied)
        *image = image->convertToFormat(image->hasAlphaChannel() ? QImage::Format_ARGB32_Premultiplied
                                                                 : QImage::Format_RGB32);
    return image;
}

} // namespace

HDC GetDC(HWND window) {
    if (window == 0)
        return registerMeasuringDC([] { return QApplication::font(); });
    QWidget* widget = widgetFromHandle(window);
    if (!widget)
        return 0;
    if (const HDC surface = windowSurface(window))
        return surface;
    QPointer<QWidget> guarded(widget);
    return registerMeasuringDC([guarded] { return guarded ? guarded->font() : QApplication::font(); });
}

int ReleaseDC(HWND, HDC dc) {
    switch (kindOfDC(dc)) {
    case DcKind::kMeasuring:
        return unregisterDC(dc) ? 1 : 0;
    case DcKind::kSurface:
        return 1;
    default:
        return 0;
    }
}

HDC CreateCompatibleDC(HDC dc) {
    if (dc != 0 && kindOfDC(dc) == DcKind::kNone)
        return 0;
    return registerMemoryDC();
}

bool DeleteDC(HDC dc) {
    return kindOfDC(dc) == DcKind::kMemory && unregisterDC(dc);
}

HGDIOBJ SelectObject(HDC dc, HGDIOBJ object) {
    return selectBitmap(dc, object);
}

bool DeleteObject(HGDIOBJ object) {
    return deleteGdiObject(object);
}

bool BitBlt(HDC destination, int x, int y, int width, int height, HDC source, int sourceX, int sourceY,
            std::uint32_t rasterOperation) {
    if (rasterOperation != SRCCOPY || !isDrawableDestination(destination) ||
        !inCoordinateSpace({x, y, width, height, sourceX, sourceY}))
        return false;
    const QImage* from = imageOfDC(source);
    if (!from)
        return false;
    QImage* to = paintableImageOf(destination);
    if (!to || width <= 0 || height <= 0)
        return true;
    const QRect target = clippedCopyRect(QRect(x, y, width, height), QPoint(sourceX, sourceY), *from, *to);
    if (target.isEmpty())
        return true;
    const QPoint sourceTopLeft = target.topLeft() - QPoint(x, y) + QPoint(sourceX, sourceY);
    // A copy within one image reads from a snapshot, so overlapping rectangles copy as Windows does.
    const QImage block = from->copy(QRect(sourceTopLeft, target.size()));
    {
        QPainter painter(to);
        painter.setCompositionMode(QPainter::CompositionMode_Source);
        painter.drawImage(target.topLeft(), block);
    }
    notifySurfaceChanged(destination);
    return true;
}

bool TransparentBlt(HDC destination, int x, int y, int width, int height, HDC source, int sourceX,
                    int sourceY, int sourceWidth, int sourceHeight, COLORREF transparentColour) {
    if (width < 0 || height < 0 || sourceWidth < 0 || sourceHeight < 0 ||
        !isDrawableDestination(destination) ||
        !inCoordinateSpace({x, y, width, height, sourceX, sourceY, sourceWidth, sourceHeight}))
        return false;
    const QImage* fromImage = imageOfDC(source);
    if (!fromImage)
        return false;
    QImage* to = paintableImageOf(destination);
    if (!to || width == 0 || height == 0 || sourceWidth == 0 || sourceHeight == 0)
        return true;
    const QImage from = fromImage->convertToFormat(QImage::Format_RGB32);
    const QRect target = QRect(x, y, width, height).intersected(to->rect());
    // Each destination pixel takes the source pixel it falls on (nearest neighbour, as Windows does
    // when stretching); pixels beyond the source image, or of exactly the transparent colour, are skipped.
    for (int ty = target.top(); ty <= target.bottom(); ++ty) {
        const int fy = sourceY + int(qint64(ty - y) * sourceHeight / height);
        if (fy < 0 || fy >= from.height())
            continue;
        const auto* line = reinterpret_cast<const QRgb*>(from.constScanLine(fy));
        for (int tx = target.left(); tx <= target.right(); ++tx) {
            const int fx = sourceX + int(qint64(tx - x) * sourceWidth / width);
            if (fx < 0 || fx >= from.width() || colourRefOfRgb(line[fx]) == transparentColour)
                continue;
            to->setPixel(tx, ty, opaque(line[fx]));
        }
    }
    notifySurfaceChanged(destination);
    return true;
}

bool DrawIconEx(HDC dc, int x, int y, int icon, int width, int height, std::uint32_t, std::int32_t,
                std::uint32_t flags) {
    const PictureObject* picture = PictureObject::fromHandle(icon);
    if (!picture || picture->Type() != PictureObject::kIcon || !(flags & DI_IMAGE) ||
        !isDrawableDestination(dc) || width < 0 || height < 0 || !inCoordinateSpace({x, y, width, height}))
        return false;
    QImage* to = paintableImageOf(dc);
    if (!to)
        return true;
    const bool defaultSize = flags & DI_DEFAULTSIZE;
    const int drawnWidth = width != 0 ? width : (defaultSize ? kDefaultIconPx : picture->pixelWidth());
    const int drawnHeight = height != 0 ? height : (defaultSize ? kDefaultIconPx : picture->pixelHeight());
    {
        QPainter painter(to);
        painter.setRenderHint(QPainter::SmoothPixmapTransform);
        const bool withMask = flags & DI_MASK;
        const QImage image =
            withMask ? picture->image() : picture->image().convertToFormat(QImage::Format_RGB32);
        painter.drawImage(QRect(x, y, drawnWidth, drawnHeight), image);
    }
    notifySurfaceChanged(dc);
    return true;
}

HBITMAP CreateDIBSection(HDC, const BitmapInfoHeader& header, std::uint32_t usage, void** bits,
                         std::int32_t section, std::uint32_t) {
    if (!isUsableDibHeader(header) || usage != DIB_RGB_COLORS || bits != nullptr || section != 0)
        return 0;
    QImage image(header.width, std::abs(header.height), QImage::Format_RGB32);
    if (image.isNull())
        return 0;
    image.fill(Qt::black);
    return registerBitmap(std::move(image));
}

int GetDIBits(HDC, HGDIOBJ bitmap, std::uint32_t startLine, std::uint32_t lines,
              std::span<std::uint8_t> buffer, BitmapInfoHeader& header, std::uint32_t usage) {
    const QImage* image = imageOfBitmap(bitmap);
    if (!image || !isUsableDibHeader(header) || usage != DIB_RGB_COLORS)
        return 0;
    const int width = header.width;
    const int height = std::abs(header.height);
    if (startLine >= std::uint32_t(height) || lines == 0)
        return 0;
    const int count = int(std::min<std::uint32_t>(lines, std::uint32_t(height) - startLine));
    const int rowBytes = dibRowBytes(width);
    if (buffer.size() < std::size_t(count) * std::size_t(rowBytes))
        return 0;
    const QImage pixels = image->convertToFormat(QImage::Format_RGB32);
    const bool bottomUp = header.height > 0;
    for (int row = 0; row < count; ++row) {
        const int scanLine = int(startLine) + row;
        const int y = bottomUp ? height - 1 - scanLine : scanLine;
        std::uint8_t* out = buffer.data() + std::size_t(row) * std::size_t(rowBytes);
        std::fill(out, out + rowBytes, std::uint8_t(0));
        if (y >= pixels.height())
            continue;
        const auto* line = reinterpret_cast<const QRgb*>(pixels.constScanLine(y));
        for (int x = 0; x < std::min(width, pixels.width()); ++x) {
            out[kBytesPerPixel * x] = std::uint8_t(qBlue(line[x]));
            out[kBytesPerPixel * x + 1] = std::uint8_t(qGreen(line[x]));
            out[kBytesPerPixel * x + 2] = std::uint8_t(qRed(line[x]));
        }
    }
    return count;
}

HRGN CreateRectRgn(int left, int top, int right, int bottom) {
    if (!inCoordinateSpace({left, top, right, bottom}))
        return 0;
    if (right <= left || bottom <= top)
        return registerRegion(QRegion());
    return registerRegion(QRegion(left, top, right - left, bottom - top));
}

int CombineRgn(HRGN destination, HRGN source1, HRGN source2, int mode) {
    QRegion* target = regionOfHandle(destination);
    const QRegion* first = regionOfHandle(source1);
    const QRegion* second = mode == RGN_COPY ? first : regionOfHandle(source2);
    if (!target || !first || !second)
        return ERROR_REGION;
    switch (mode) {
    case RGN_AND:
        *target = first->intersected(*second);
        break;
    case RGN_OR:
        *target = first->united(*second);
        break;
    case RGN_XOR:
        *target = first->xored(*second);
        break;
    case RGN_DIFF:
        *target = first->subtracted(*second);
        break;
    case RGN_COPY:
        *target = *first;
        break;
    default:
        return ERROR_REGION;
    }
    if (target->isEmpty())
        return NULLREGION;
    return target->rectCount() == 1 ? SIMPLEREGION : COMPLEXREGION;
}

QRegion regionOf(HRGN region) {
    const QRegion* found = regionOfHandle(region);
    return found ? *found : QRegion();
}

namespace {

// The extent is the sum of the characters' advance widths, without kerning, as the platform's call gives
// it. The advances of the first 256 characters are kept for the last font: a list of 50,000 paths is then
// measured with a look-up per character instead of shaping each line.
class AdvanceCache {
  public:
    Size measure(const QFont& font, QStringView text) {
        if (!metrics_ || !(font == font_)) {
            font_ = font;
            metrics_.emplace(font);
            latin_.fill(kUnknown);
        }
        std::int32_t width = 0;
        for (const QChar c : text) {
            const char16_t code = c.unicode();
            if (code >= latin_.size()) {
                width += advanceOf(c);
                continue;
            }
            std::int32_t& advance = latin_[code];
            if (advance == kUnknown)
                advance = advanceOf(c);
            width += advance;
        }
        return {width, metrics_->height()};
    }

  private:
    static constexpr std::int32_t kUnknown = -1;
    // As a one-character text, so that the font's letter spacing counts.
    std::int32_t advanceOf(QChar c) const { return metrics_->horizontalAdvance(QString(c)); }

    QFont font_;
    std::optional<QFontMetrics> metrics_;
    std::array<std::int32_t, 256> latin_{};
};

} // namespace

bool GetTextExtentPoint32A(HDC dc, const String& text, int length, Size& size) {
    if (kindOfDC(dc) == DcKind::kNone || length < 0 || length > text.size())
        return false;
    static AdvanceCache cache;
    size = cache.measure(fontOfDC(dc), QStringView(text).left(length));
    return true;
}

} // namespace rt::win
