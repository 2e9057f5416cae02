#include "playlist/ListWidth.h"

#include "platform/base/Errors.h"
#include "platform/runtime/Form.h"
#include "platform/win/Gdi.h"
#include "platform/win/Windows.h"

namespace playlist {

std::int32_t AnchoLista = 0;

namespace {

// Pixels added to a measured width, and again to a later line that sets the extent.
constexpr std::int32_t kMarginPixels = 10;

} // namespace

std::int32_t TextExtent(rt::ListBox& control, const rt::String& text, std::int32_t& cx, std::int32_t& cy) {
    rt::Form* parent = dynamic_cast<rt::Form*>(&control.container());
    rt::win::HDC dc = 0;
    rt::win::HWND borrowedFrom = 0; // a DC taken with GetDC goes back after the measurement
    if (!rt::skipOnError([&] {
            if (!parent)
                rt::raise(rt::kObjectRequired, "the control has no window");
            dc = parent->hDC();
        })) {
        rt::win::HWND window = 0;
        if (!rt::skipOnError([&] {
                if (!parent)
                    rt::raise(rt::kObjectRequired, "the control has no window");
                window = parent->hWnd();
            }))
            return -1;
        dc = rt::win::GetDC(window);
        borrowedFrom = window;
    }
    rt::skipOnError([&] { parent->setFontName(control.FontName()); });
    rt::skipOnError([&] { parent->setFontSize(control.FontSize()); });
    rt::skipOnError([&] { parent->setFontBold(control.FontBold()); });
    rt::skipOnError([&] { parent->setFontItalic(control.FontItalic()); });
    rt::skipOnError([&] { parent->setFontUnderline(control.FontUnderline()); });
    rt::win::Size size;
    rt::win::GetTextExtentPoint32A(dc, text, static_cast<int>(text.size()), size);
    if (borrowedFrom != 0)
        rt::win::ReleaseDC(borrowedFrom, dc);
    cx = size.cx + kMarginPixels;
    cy = size.cy;
    return size.cx;
}

void SetListHScroll(rt::ListBox& list) {
    std::int32_t cx = 0, cy = 0;
    TextExtent(list, list.List(0), cx, cy);
    std::int32_t widest = cx;
    // 32-bit: a playlist of several large projects passes 32,767 lines.
    const std::int32_t count = list.ListCount();
    for (std::int32_t i = 0; i < count; ++i) {
        TextExtent(list, list.List(i), cx, cy);
        if (cx > widest)
            widest = cx + kMarginPixels;
    }
    rt::win::SendMessageA(list.hWnd(), rt::win::LB_SETHORIZONTALEXTENT, widest, 0);
    AnchoLista = widest;
}

} // namespace playlist
