#pragma once
// The window-manager calls the system makes, on Qt widgets: topmost, mouse capture, the pointer and the
// window under it, the extended style, colour-keyed layering, window regions, the two messages the system
// sends, and the translation of system colours.
#include "platform/win/Gdi.h"
#include "platform/win/Handles.h"

#include <cstdint>

namespace rt::win {

struct Point {
    std::int32_t x = 0;
    std::int32_t y = 0;
};

inline constexpr HWND HWND_TOPMOST = -1;
inline constexpr std::uint32_t SWP_NOSIZE = 0x1;
inline constexpr std::uint32_t SWP_NOMOVE = 0x2;
inline constexpr int GWL_EXSTYLE = -20;
inline constexpr std::int32_t WS_EX_LAYERED = 0x80000;
inline constexpr std::uint32_t LWA_COLORKEY = 0x1;
inline constexpr std::uint32_t WM_NCLBUTTONDOWN = 0xA1;
inline constexpr std::uint32_t LB_SETHORIZONTALEXTENT = 0x194;
inline constexpr std::intptr_t HTCAPTION = 2;
// OleTranslateColor's results.
inline constexpr std::int32_t S_OK = 0;
inline constexpr std::int32_t E_INVALIDARG = std::int32_t(0x80070057);

// Only HWND_TOPMOST with SWP_NOSIZE | SWP_NOMOVE: the top-level window stays above ordinary windows,
// keeping its place, size and visibility. Anything else fails.
bool SetWindowPos(HWND window, HWND insertAfter, int x, int y, int width, int height, std::uint32_t flags);

// Mouse capture: all mouse input goes to the capturing window. SetCapture returns the previous holder.
HWND SetCapture(HWND window);
bool ReleaseCapture();
HWND GetCapture(); // 0 when no registered window holds the capture

bool GetCursorPos(Point& point);
// The nearest registered window at or above the widget under the point; 0 if none.
HWND WindowFromPoint(Point point);

// GWL_EXSTYLE only, stored per window. SetWindowLongA returns the previous value; other indexes give 0.
std::int32_t GetWindowLongA(HWND window, int index);
std::int32_t SetWindowLongA(HWND window, int index, std::int32_t value);

// LWA_COLORKEY on a window with WS_EX_LAYERED: its pixels of exactly `colourKey` become see-through (the
// key is left on the widget as the dynamic property "ondaraColorKey" for its painting).
bool SetLayeredWindowAttributes(HWND window, COLORREF colourKey, std::uint8_t alpha, std::uint32_t flags);

// The window takes the region as its mask (0: no mask). On success the region handle is used up.
int SetWindowRgn(HWND window, HRGN region, bool redraw);

// WM_NCLBUTTONDOWN with HTCAPTION: moves the top-level window with the pointer until the mouse button is
// released, then returns. LB_SETHORIZONTALEXTENT: sets the list box's dynamic property "horizontalExtent"
// (pixels). Every other message does nothing. Returns 0.
std::intptr_t SendMessageA(HWND window, std::uint32_t message, std::intptr_t wParam, std::intptr_t lParam);

// A plain colour is returned as is; 0x800000nn is system colour nn of the desktop palette. An unknown
// index gives E_INVALIDARG and leaves `result` alone. The palette is not used.
std::int32_t OleTranslateColor(std::uint32_t colour, std::int32_t palette, COLORREF& result);

} // namespace rt::win
