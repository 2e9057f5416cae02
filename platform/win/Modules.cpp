#include "platform/win/Modules.h"

#include <QGuiApplication>
#include <QtGui/qguiapplication_platform.h>
#include <algorithm>
#include <array>
#include <cstdlib>
#include <memory>
#include <string_view>
#include <vector>

#if QT_CONFIG(xcb)
#include <xcb/xcb.h>
#endif

namespace rt::win {

namespace {

constexpr std::string_view kLayeredExport = "SetLayeredWindowAttributes";
// Module handles look like the load addresses they stand for: one fixed base per module.
constexpr HMODULE kFirstModuleBase = 0x70000000;
constexpr HMODULE kModuleBaseStride = 0x00100000;

struct Module {
    std::string_view name;
    bool resident; // loaded with the process: never unloaded
    std::vector<std::string_view> exports;
    int count = 0;
};

std::vector<Module> makeModules() {
    return {
        {"user32",
         true,
         {"SetWindowPos", "ReleaseCapture", "SendMessageA", "SetCapture", "GetCapture", "GetCursorPos",
          "WindowFromPoint", "GetWindowLongA", "SetWindowLongA", kLayeredExport, "SetWindowRgn", "GetDC",
          "ReleaseDC", "DrawIconEx"},
         1},
        {"gdi32",
         true,
         {"CreateCompatibleDC", "DeleteDC", "SelectObject", "BitBlt", "CreateDIBSection", "GetDIBits",
          "CreateRectRgn", "CombineRgn", "DeleteObject", "GetTextExtentPoint32A"},
         1},
        {"kernel32",
         true,
         {"GetModuleHandleA", "LoadLibraryA", "GetProcAddress", "FreeLibrary", "GetDriveTypeA"},
         1},
        {"msimg32", false, {"TransparentBlt"}, 0},
        {"comdlg32", false, {"GetFileTitleA"}, 0},
        {"oleaut32", false, {"OleTranslateColor"}, 0},
    };
}

std::vector<Module>& modules() {
    static std::vector<Module> table = makeModules();
    return table;
}

std::optional<bool>& compositingOverride() {
    static std::optional<bool> forced;
    return forced;
}

QString baseName(const String& name) {
    QString lower = name.trimmed().toLower();
    if (lower.endsWith(QLatin1String(".dll")))
        lower.chop(4);
    return lower;
}

Module* findByName(const String& name) {
    const QByteArray wanted = baseName(name).toLatin1();
    auto& table = modules();
    const auto found = std::find_if(table.begin(), table.end(), [&](const Module& module) {
        return module.name == std::string_view(wanted.constData(), std::size_t(wanted.size()));
    });
    return found == table.end() ? nullptr : &*found;
}

HMODULE handleOf(const Module& module) {
    return kFirstModuleBase + HMODULE(&module - modules().data()) * kModuleBaseStride;
}

Module* findLoaded(HMODULE handle) {
    auto& table = modules();
    for (Module& module : table) {
        if (handleOf(module) == handle)
            return module.count > 0 ? &module : nullptr;
    }
    return nullptr;
}

#if QT_CONFIG(xcb)
template <class Reply> using XcbReply = std::unique_ptr<Reply, decltype(&std::free)>;

// A compositing manager owns the selection _NET_WM_CM_S<screen> of the screen it composites.
bool x11CompositingManagerRuns() {
    auto* x11 = qGuiApp->nativeInterface<QNativeInterface::QX11Application>();
    xcb_connection_t* connection = x11 ? x11->connection() : nullptr;
    if (!connection)
        return false;
    int screen = 0;
    int display = 0;
    char* host = nullptr;
    if (xcb_parse_display(nullptr, &host, &display, &screen))
        std::free(host);
    const QByteArray selection = "_NET_WM_CM_S" + QByteArray::number(screen);
    const XcbReply<xcb_intern_atom_reply_t> atom(
        xcb_intern_atom_reply(
            connection, xcb_intern_atom(connection, true, std::uint16_t(selection.size()), selection.data()),
            nullptr),
        &std::free);
    if (!atom || atom->atom == XCB_ATOM_NONE)
        return false;
    const XcbReply<xcb_get_selection_owner_reply_t> owner(
        xcb_get_selection_owner_reply(connection, xcb_get_selection_owner(connection, atom->atom), nullptr),
        &std::free);
    return owner && owner->owner != XCB_WINDOW_NONE;
}
#endif

} // namespace

bool compositingActive() {
    if (compositingOverride())
        return *compositingOverride();
    if (!qGuiApp || QGuiApplication::platformName() != QLatin1String("xcb"))
        return false;
#if QT_CONFIG(xcb)
    return x11CompositingManagerRuns();
#else
    return false;
#endif
}

void setCompositingForTesting(std::optional<bool> active) {
    compositingOverride() = active;
}

HMODULE GetModuleHandleA(const String& name) {
    const Module* module = findByName(name);
    return module && module->count > 0 ? handleOf(*module) : 0;
}

HMODULE LoadLibraryA(const String& name) {
    Module* module = findByName(name);
    if (!module)
        return 0;
    ++module->count;
    return handleOf(*module);
}

FARPROC GetProcAddress(HMODULE handle, const String& name) {
    const Module* module = findLoaded(handle);
    if (!module)
        return nullptr;
    const QByteArray wanted = name.toLatin1();
    const std::string_view wantedName(wanted.constData(), std::size_t(wanted.size()));
    const auto found = std::find(module->exports.begin(), module->exports.end(), wantedName);
    if (found == module->exports.end())
        return nullptr;
    if (*found == kLayeredExport && !compositingActive())
        return nullptr;
    return found->data();
}

bool FreeLibrary(HMODULE handle) {
    Module* module = findLoaded(handle);
    if (!module)
        return false;
    // A module loaded with the process keeps the process's own reference.
    if (module->count > 1 || !module->resident)
        --module->count;
    return true;
}

int loadCount(const String& name) {
    const Module* module = findByName(name);
    return module ? module->count : 0;
}

} // namespace rt::win
