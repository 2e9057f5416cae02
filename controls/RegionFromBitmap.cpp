#include "controls/RegionFromBitmap.h"

#include "platform/base/Errors.h"
#include "platform/win/Gdi.h"
#include "platform/win/Modules.h"
#include "platform/win/Windows.h"

#include <vector>

namespace controls {

namespace {

constexpr std::int32_t kRowAlignmentPx = 4;
constexpr std::int32_t kBytesPerPixel = 3;
constexpr std::int32_t kLayeredAlpha = 0; // unused without the alpha flag

// Colour of pixel x in a row of B, G, R bytes, as red + 256 green + 65536 blue.
std::int32_t pixelColour(const std::uint8_t* row, std::int32_t x) {
    const std::uint8_t* pixel = row + kBytesPerPixel * x;
    return pixel[2] + 256 * pixel[1] + 65536 * pixel[0];
}

void addRun(rt::win::HRGN region, std::int32_t left, std::int32_t top, std::int32_t right) {
    const rt::win::HRGN run = rt::win::CreateRectRgn(left, top, right, top + 1);
    rt::win::CombineRgn(region, region, run, rt::win::RGN_OR);
    rt::win::DeleteObject(run);
}

} // namespace

std::int32_t regionRowWidth(std::int32_t width) {
    return rt::add32(rt::mul32(kRowAlignmentPx, width / kRowAlignmentPx), kRowAlignmentPx);
}

rt::win::HRGN regionOfKeyedPixels(rt::win::HDC dc, std::int32_t width, std::int32_t height,
                                  std::int32_t keyColor) {
    // A window never measures less than nothing; a buffer of negative size would end the program.
    if (width < 0 || height < 0)
        rt::raise(rt::kInvalidProcedureCall, "a window of negative size has no region");
    const std::int32_t rowPx = regionRowWidth(width);
    const std::int32_t rows = rt::add32(height, 1);
    const std::int32_t rowBytes = rt::mul32(kBytesPerPixel, rowPx);
    rt::win::BitmapInfoHeader header;
    header.width = rowPx;
    header.height = rows; // positive: the rows run bottom-up
    std::vector<std::uint8_t> buffer(static_cast<std::size_t>(rt::mul32(rowBytes, rows)));

    const rt::win::HDC memory = rt::win::CreateCompatibleDC(dc);
    const rt::win::HBITMAP section = rt::win::CreateDIBSection(memory, header, rt::win::DIB_RGB_COLORS);
    rt::win::SelectObject(memory, section);
    rt::win::BitBlt(memory, 0, 0, rowPx, rows, dc, 0, 0, rt::win::SRCCOPY);
    rt::win::GetDIBits(dc, section, 0, static_cast<std::uint32_t>(rows), buffer, header,
                       rt::win::DIB_RGB_COLORS);
    rt::win::DeleteDC(memory);
    rt::win::DeleteObject(section);

    const rt::win::HRGN region = rt::win::CreateRectRgn(0, 0, 0, 0);
    for (std::int32_t y = 0; y < height; ++y) {
        // Window line y is buffer row H - y; row 0 lies just below the client area.
        const std::uint8_t* row = buffer.data() + static_cast<std::size_t>(height - y) * rowBytes;
        std::int32_t x = 0;
        while (x < width) {
            while (x < width && pixelColour(row, x) == keyColor)
                ++x;
            const std::int32_t start = x;
            while (x < width && pixelColour(row, x) != keyColor)
                ++x;
            addRun(region, start, y, x);
        }
    }
    return region;
}

bool FunctionExists(const rt::String& functionName, const rt::String& moduleName) {
    rt::win::HMODULE module = rt::win::GetModuleHandleA(moduleName);
    bool loadedHere = false;
    if (module == 0) {
        module = rt::win::LoadLibraryA(moduleName);
        loadedHere = module != 0;
    }
    const bool exists = module != 0 && rt::win::GetProcAddress(module, functionName) != nullptr;
    if (loadedHere)
        rt::win::FreeLibrary(module);
    return exists;
}

void ShapeForm(rt::Form& window, std::int32_t keyColor) {
    if (keyColor < 0) {
        // A system colour as key; a failed translation leaves the value as it was.
        auto translated = static_cast<rt::win::COLORREF>(keyColor);
        rt::win::OleTranslateColor(translated, 0, translated);
        keyColor = static_cast<std::int32_t>(translated);
    }
    if (FunctionExists("SetLayeredWindowAttributes", "user32")) {
        const rt::win::HWND handle = window.hWnd();
        const std::int32_t style = rt::win::GetWindowLongA(handle, rt::win::GWL_EXSTYLE);
        rt::win::SetWindowLongA(handle, rt::win::GWL_EXSTYLE, style | rt::win::WS_EX_LAYERED);
        rt::win::SetLayeredWindowAttributes(handle, static_cast<rt::win::COLORREF>(keyColor), kLayeredAlpha,
                                            rt::win::LWA_COLORKEY);
        return;
    }
    // The region belongs to the window from here on.
    const rt::win::HRGN region = CreateFormRegion(window, keyColor);
    rt::win::SetWindowRgn(window.hWnd(), region, true);
}

} // namespace controls
