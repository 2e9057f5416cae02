#pragma once
// The playlist's sideways scroll range: the width of its widest line plus a margin, measured in the
// list's font on its window's device context.
#include "platform/runtime/Controls.h"

#include <cstdint>

namespace playlist {

// The last horizontal extent SetListHScroll set, in pixels.
extern std::int32_t AnchoLista;

// Sets the list's horizontal extent from the measured widths of its lines.
void SetListHScroll(rt::ListBox& list);

// The text's width in pixels in the control's font, measured on its window's device context after
// handing that window the control's font; cx = width + 10, cy = height. -1, cx and cy untouched, when no
// device context can be had.
std::int32_t TextExtent(rt::ListBox& control, const rt::String& text, std::int32_t& cx, std::int32_t& cy);

} // namespace playlist
