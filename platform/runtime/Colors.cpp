#include "platform/runtime/Controls.h"
#include "platform/win/Windows.h"

namespace rt {

QRgb rgbOf(std::int32_t colour) {
    win::COLORREF value = 0;
    // An unknown system colour paints black, as a failed translation leaves the output at zero.
    if (win::OleTranslateColor(static_cast<std::uint32_t>(colour), 0, value) != win::S_OK)
        value = 0;
    return qRgb(value & 0xFF, (value >> 8) & 0xFF, (value >> 16) & 0xFF);
}

} // namespace rt
