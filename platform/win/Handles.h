#pragma once
// Handles as the window-manager and graphics stand-ins see them: small nonzero integers that name a
// window (a QWidget) or a drawing surface (a QImage that some window shows).
#include <QFont>
#include <QImage>
#include <QPointer>
#include <QRegion>
#include <QWidget>
#include <cstdint>
#include <functional>

namespace rt::win {

using HWND = std::int32_t;
using HDC = std::int32_t;
using HGDIOBJ = std::int32_t;
using HRGN = std::int32_t;
using HBITMAP = std::int32_t;

// Windows: every form and windowed control registers its widget and keeps the handle for its life.
HWND registerWindow(QWidget* widget);
void unregisterWindow(HWND handle);
QWidget* widgetFromHandle(HWND handle);     // nullptr for 0, unknown or destroyed
HWND handleOfWidget(const QWidget* widget); // 0 when the widget has none

// A drawing surface: the persistent image of a form or control. `changed` is called after a drawing call
// wrote into it, so its owner can repaint.
struct Surface {
    QImage* image = nullptr;
    std::function<void()> changed;
    // The font text measured on the surface uses; the showing widget's font when empty.
    std::function<QFont()> font = nullptr;
};
HDC registerSurface(Surface surface);
void unregisterSurface(HDC handle);
// The surface behind a device context (a registered surface or a memory DC's selected bitmap);
// nullptr when the handle names none.
QImage* imageOfDC(HDC handle);
void notifySurfaceChanged(HDC handle);

// A window's own surface: GetDC of the window returns it. The forms runtime attaches it; text measured on
// it uses the window's font.
void setWindowSurface(HWND window, HDC surface);
HDC windowSurface(HWND window); // 0 when the window has none (or it is gone)

// Device contexts that are not surfaces. A memory DC holds one selected bitmap (at first a 1x1 stock one);
// a measuring DC (GetDC of a window without a surface, or of the screen) draws nowhere and only measures
// text in the font it is given.
enum class DcKind { kNone, kSurface, kMemory, kMeasuring };
DcKind kindOfDC(HDC handle);
HDC registerMemoryDC();
HDC registerMeasuringDC(std::function<QFont()> font);
// Memory and measuring DCs only; a memory DC lets go of its bitmap. False for anything else.
bool unregisterDC(HDC handle);
QFont fontOfDC(HDC handle); // the application font for DCs without one of their own

// GDI objects. A bitmap is our own image or a picture of kind bitmap (its handle is the picture's).
HBITMAP registerBitmap(QImage image);
QImage* imageOfBitmap(HGDIOBJ handle); // nullptr when the handle names no bitmap
// Selects a bitmap into a memory DC and returns the one it replaces; 0 when the DC is no memory DC or the
// bitmap is unknown or held by another DC.
HGDIOBJ selectBitmap(HDC memoryDC, HGDIOBJ bitmap);
HRGN registerRegion(const QRegion& region);
QRegion* regionOfHandle(HRGN handle); // nullptr when the handle names no region
// Frees a bitmap or region of ours. A bitmap still selected into a DC stays usable until it is deselected.
bool deleteGdiObject(HGDIOBJ handle);

} // namespace rt::win
