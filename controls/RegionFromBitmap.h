#pragma once
// Gives a skinned window the shape of its picture: pixels of one key colour become see-through, through
// colour-keyed layering where the desktop composites, otherwise through a window region built from the
// window's own pixels.
#include "platform/base/Text.h"
#include "platform/runtime/Controls.h"
#include "platform/runtime/Form.h"
#include "platform/runtime/Numbers.h"
#include "platform/win/Handles.h"

#include <cstdint>

namespace controls {

// Makes the key colour (0x00BBGGRR, or a system colour with the high bit set) of the window transparent.
void ShapeForm(rt::Form& window, std::int32_t keyColor);

// True when the named module exports the named function; a module loaded only to ask is freed again.
bool FunctionExists(const rt::String& functionName, const rt::String& moduleName);

// The row width of the region path's bitmap: the smallest multiple of 4 above the width, so rows of 24-bit
// pixels need no fill bytes (383 gives 384, 384 gives 388).
std::int32_t regionRowWidth(std::int32_t width);

// The region of every pixel of the device context's top-left width x height pixels whose colour differs
// from the key colour: one rectangle per run of such pixels in each line, merged top to bottom, left to
// right. The region belongs to the caller.
rt::win::HRGN regionOfKeyedPixels(rt::win::HDC dc, std::int32_t width, std::int32_t height,
                                  std::int32_t keyColor);

// The region of a window's client pixels that differ from the key colour. It reads hDC, ScaleMode,
// ScaleWidth and ScaleHeight on whatever object it is given, and leaves the coordinate unit as it was.
template <class Window> rt::win::HRGN CreateFormRegion(Window& window, std::int32_t keyColor) {
    const int savedScaleMode = window.ScaleMode();
    window.setScaleMode(rt::kScalePixels);
    const rt::win::HDC dc = window.hDC();
    const std::int32_t width = rt::CLng(window.ScaleWidth());
    const std::int32_t height = rt::CLng(window.ScaleHeight());
    const rt::win::HRGN region = regionOfKeyedPixels(dc, width, height, keyColor);
    window.setScaleMode(savedScaleMode);
    return region;
}

} // namespace controls
