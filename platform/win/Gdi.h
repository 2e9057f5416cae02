#pragma once
// The graphics calls the system makes (device contexts, bitmaps, transfers, regions, text extents), on
// QImage and QRegion. Each does what the system relies on and no more; anything else fails as Windows'
// graphics calls fail, with 0 or false.
#include "platform/base/Text.h"
#include "platform/win/Handles.h"

#include <QRegion>
#include <cstdint>
#include <span>

namespace rt::win {

// A colour as the graphics calls take it: 0x00BBGGRR.
using COLORREF = std::uint32_t;

struct Size {
    std::int32_t cx = 0;
    std::int32_t cy = 0;
};

// The header of a device-independent bitmap; only uncompressed 24-bit bitmaps are handled.
struct BitmapInfoHeader {
    std::uint32_t size = 40;
    std::int32_t width = 0;
    std::int32_t height = 0; // positive: rows run bottom-up
    std::uint16_t planes = 1;
    std::uint16_t bitCount = 24;
    std::uint32_t compression = 0;
    std::uint32_t sizeImage = 0;
    std::int32_t xPelsPerMeter = 0;
    std::int32_t yPelsPerMeter = 0;
    std::uint32_t clrUsed = 0;
    std::uint32_t clrImportant = 0;
};

inline constexpr std::uint32_t SRCCOPY = 0xCC0020;
inline constexpr std::uint32_t DIB_RGB_COLORS = 0;
inline constexpr std::uint32_t BI_RGB = 0;
inline constexpr std::uint32_t DI_MASK = 1;
inline constexpr std::uint32_t DI_IMAGE = 2;
inline constexpr std::uint32_t DI_NORMAL = 3;
inline constexpr std::uint32_t DI_DEFAULTSIZE = 8;

// CombineRgn's modes and the region types it returns.
inline constexpr int RGN_AND = 1;
inline constexpr int RGN_OR = 2;
inline constexpr int RGN_XOR = 3;
inline constexpr int RGN_DIFF = 4;
inline constexpr int RGN_COPY = 5;
inline constexpr int ERROR_REGION = 0;
inline constexpr int NULLREGION = 1;
inline constexpr int SIMPLEREGION = 2;
inline constexpr int COMPLEXREGION = 3;

// 0: a DC of the screen. A window with a surface: that surface. Another registered window: a DC that
// draws nowhere but measures text in the widget's font. Unknown window: 0.
HDC GetDC(HWND window);
// 1 when released (a surface stays with its window), 0 for a handle that was not from GetDC.
int ReleaseDC(HWND window, HDC dc);
HDC CreateCompatibleDC(HDC dc);
bool DeleteDC(HDC dc);
// Bitmaps (ours or a picture's) into a memory DC; returns the bitmap it replaces, or 0.
HGDIOBJ SelectObject(HDC dc, HGDIOBJ object);
bool DeleteObject(HGDIOBJ object);

// SRCCOPY only: an opaque copy of the rectangle, clipped to both images.
bool BitBlt(HDC destination, int x, int y, int width, int height, HDC source, int sourceX, int sourceY,
            std::uint32_t rasterOperation);
// Copies all but the pixels of exactly `transparentColour`, stretching when the sizes differ.
bool TransparentBlt(HDC destination, int x, int y, int width, int height, HDC source, int sourceX,
                    int sourceY, int sourceWidth, int sourceHeight, COLORREF transparentColour);
// Draws an icon picture with its transparency at width x height (0: the icon's own size, or the standard
// icon size with DI_DEFAULTSIZE).
bool DrawIconEx(HDC dc, int x, int y, int icon, int width, int height, std::uint32_t animationStep,
                std::int32_t flickerFreeBrush, std::uint32_t flags);

// A 24-bit bitmap of width x |height| black pixels. The bits are not handed out (`bits` must be null, and
// there is no file mapping).
HBITMAP CreateDIBSection(HDC dc, const BitmapInfoHeader& header, std::uint32_t usage, void** bits = nullptr,
                         std::int32_t section = 0, std::uint32_t offset = 0);
// Writes `lines` scan lines from `startLine` in the layout of `header` (rows of 3 x width bytes B, G, R,
// padded to 4; bottom-up when the height is positive). Returns the lines written, 0 on failure.
int GetDIBits(HDC dc, HGDIOBJ bitmap, std::uint32_t startLine, std::uint32_t lines,
              std::span<std::uint8_t> buffer, BitmapInfoHeader& header, std::uint32_t usage);

// Right and bottom edges lie outside; empty when right <= left or bottom <= top.
HRGN CreateRectRgn(int left, int top, int right, int bottom);
int CombineRgn(HRGN destination, HRGN source1, HRGN source2, int mode);
QRegion regionOf(HRGN region); // empty for an unknown handle

// The width of the first `length` characters in the DC's font and the font's height.
bool GetTextExtentPoint32A(HDC dc, const String& text, int length, Size& size);

} // namespace rt::win
