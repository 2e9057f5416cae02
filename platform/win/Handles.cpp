#include "platform/win/Handles.h"

#include "platform/base/Picture.h"

#include <QApplication>
#include <QHash>
#include <unordered_map>
#include <utility>

namespace rt::win {

namespace {

// Picture handles count up from 1 and SelectObject takes them as bitmaps beside our own: ours start far
// above, so the two never name the same number.
constexpr std::int32_t kFirstHandle = 0x01000000;
// A memory DC starts with a 1x1 bitmap selected, as on the platform the system was written for.
constexpr int kStockBitmapSide = 1;

struct WindowEntry {
    QPointer<QWidget> widget;
    const QWidget* key = nullptr; // the widget's address, still known while it is being destroyed
    HDC surface = 0;
    QMetaObject::Connection destroyedConnection;
};

struct DcEntry {
    DcKind kind = DcKind::kNone;
    Surface surface;             // kSurface
    HGDIOBJ selected = 0;        // kMemory
    std::function<QFont()> font; // kMeasuring
};

struct BitmapEntry {
    QImage image;
    bool deletePending = false; // DeleteObject came while the bitmap was selected
};

// Process-wide and touched only on the UI thread, like the window system it stands in for.
struct Registry {
    std::int32_t nextHandle = kFirstHandle;
    std::unordered_map<HWND, WindowEntry> windows;
    QHash<const QWidget*, HWND> handleOfWidget;
    std::unordered_map<HDC, DcEntry> dcs;
    std::unordered_map<HGDIOBJ, BitmapEntry> bitmaps;
    std::unordered_map<HRGN, QRegion> regions;
    std::unordered_map<HGDIOBJ, HDC> holderOfBitmap; // bitmaps selected into a memory DC (not the stock one)
    HBITMAP stockBitmap = 0;

    std::int32_t newHandle() { return nextHandle++; }
};

Registry& registry() {
    static Registry instance;
    return instance;
}

HBITMAP stockBitmap() {
    Registry& r = registry();
    if (r.stockBitmap == 0) {
        QImage image(kStockBitmapSide, kStockBitmapSide, QImage::Format_RGB32);
        image.fill(Qt::black);
        r.stockBitmap = registerBitmap(std::move(image));
    }
    return r.stockBitmap;
}

DcEntry* findDC(HDC handle) {
    auto& dcs = registry().dcs;
    const auto found = dcs.find(handle);
    return found == dcs.end() ? nullptr : &found->second;
}

WindowEntry* findWindow(HWND handle) {
    auto& windows = registry().windows;
    const auto found = windows.find(handle);
    return found == windows.end() ? nullptr : &found->second;
}

void forgetWindow(HWND handle) {
    Registry& r = registry();
    const auto found = r.windows.find(handle);
    if (found == r.windows.end())
        return;
    QObject::disconnect(found->second.destroyedConnection);
    r.handleOfWidget.remove(found->second.key);
    r.windows.erase(found);
}

// The bitmap leaves its DC; a delete that waited for this happens now.
void releaseSelection(HGDIOBJ bitmap) {
    Registry& r = registry();
    r.holderOfBitmap.erase(bitmap);
    const auto found = r.bitmaps.find(bitmap);
    if (found != r.bitmaps.end() && found->second.deletePending)
        r.bitmaps.erase(found);
}

QWidget* widgetWithSurface(HDC surface) {
    for (const auto& [handle, entry] : registry().windows) {
        if (entry.surface == surface && entry.widget)
            return entry.widget;
    }
    return nullptr;
}

} // namespace

HWND registerWindow(QWidget* widget) {
    if (!widget)
        return 0;
    Registry& r = registry();
    if (const HWND existing = r.handleOfWidget.value(widget, 0))
        return existing;
    const HWND handle = r.newHandle();
    WindowEntry entry;
    entry.widget = widget;
    entry.key = widget;
    entry.destroyedConnection =
        QObject::connect(widget, &QObject::destroyed, [handle] { forgetWindow(handle); });
    r.windows.emplace(handle, std::move(entry));
    r.handleOfWidget.insert(widget, handle);
    return handle;
}

void unregisterWindow(HWND handle) {
    forgetWindow(handle);
}

QWidget* widgetFromHandle(HWND handle) {
    const WindowEntry* entry = findWindow(handle);
    return entry ? entry->widget.data() : nullptr;
}

HWND handleOfWidget(const QWidget* widget) {
    return widget ? registry().handleOfWidget.value(widget, 0) : 0;
}

HDC registerSurface(Surface surface) {
    const HDC handle = registry().newHandle();
    DcEntry& entry = registry().dcs[handle];
    entry.kind = DcKind::kSurface;
    entry.surface = std::move(surface);
    return handle;
}

void unregisterSurface(HDC handle) {
    const DcEntry* entry = findDC(handle);
    if (entry && entry->kind == DcKind::kSurface)
        registry().dcs.erase(handle);
}

QImage* imageOfDC(HDC handle) {
    const DcEntry* entry = findDC(handle);
    if (!entry)
        return nullptr;
    switch (entry->kind) {
    case DcKind::kSurface:
        return entry->surface.image;
    case DcKind::kMemory:
        return imageOfBitmap(entry->selected);
    default:
        return nullptr;
    }
}

void notifySurfaceChanged(HDC handle) {
    const DcEntry* entry = findDC(handle);
    if (entry && entry->kind == DcKind::kSurface && entry->surface.changed)
        entry->surface.changed();
}

void setWindowSurface(HWND window, HDC surface) {
    if (WindowEntry* entry = findWindow(window))
        entry->surface = surface;
}

HDC windowSurface(HWND window) {
    const WindowEntry* entry = findWindow(window);
    if (!entry || !entry->widget || kindOfDC(entry->surface) != DcKind::kSurface)
        return 0;
    return entry->surface;
}

DcKind kindOfDC(HDC handle) {
    const DcEntry* entry = findDC(handle);
    return entry ? entry->kind : DcKind::kNone;
}

HDC registerMemoryDC() {
    const HBITMAP stock = stockBitmap();
    const HDC handle = registry().newHandle();
    DcEntry& entry = registry().dcs[handle];
    entry.kind = DcKind::kMemory;
    entry.selected = stock;
    return handle;
}

HDC registerMeasuringDC(std::function<QFont()> font) {
    const HDC handle = registry().newHandle();
    DcEntry& entry = registry().dcs[handle];
    entry.kind = DcKind::kMeasuring;
    entry.font = std::move(font);
    return handle;
}

bool unregisterDC(HDC handle) {
    const DcEntry* entry = findDC(handle);
    if (!entry || entry->kind == DcKind::kSurface)
        return false;
    const HGDIOBJ selected = entry->kind == DcKind::kMemory ? entry->selected : 0;
    registry().dcs.erase(handle);
    if (selected != 0)
        releaseSelection(selected);
    return true;
}

QFont fontOfDC(HDC handle) {
    const DcEntry* entry = findDC(handle);
    if (entry && entry->kind == DcKind::kMeasuring && entry->font)
        return entry->font();
    if (entry && entry->kind == DcKind::kSurface && entry->surface.font)
        return entry->surface.font();
    if (entry && entry->kind == DcKind::kSurface) {
        if (const QWidget* widget = widgetWithSurface(handle))
            return widget->font();
    }
    return QApplication::font();
}

HBITMAP registerBitmap(QImage image) {
    const HBITMAP handle = registry().newHandle();
    registry().bitmaps[handle] = BitmapEntry{std::move(image)};
    return handle;
}

QImage* imageOfBitmap(HGDIOBJ handle) {
    auto& bitmaps = registry().bitmaps;
    if (const auto found = bitmaps.find(handle); found != bitmaps.end())
        return &found->second.image;
    PictureObject* picture = handle >= kFirstHandle ? nullptr : PictureObject::fromHandle(handle);
    if (!picture || picture->Type() != PictureObject::kBitmap)
        return nullptr;
    // Drawing into a picture selected into a DC changes the picture, as it does on Windows.
    return const_cast<QImage*>(&picture->image());
}

HGDIOBJ selectBitmap(HDC memoryDC, HGDIOBJ bitmap) {
    DcEntry* entry = findDC(memoryDC);
    if (!entry || entry->kind != DcKind::kMemory || !imageOfBitmap(bitmap))
        return 0;
    Registry& r = registry();
    const auto holder = r.holderOfBitmap.find(bitmap);
    if (holder != r.holderOfBitmap.end())
        return holder->second == memoryDC ? bitmap : 0;
    const HGDIOBJ previous = entry->selected;
    entry->selected = bitmap;
    if (bitmap != r.stockBitmap)
        r.holderOfBitmap[bitmap] = memoryDC;
    releaseSelection(previous);
    return previous;
}

HRGN registerRegion(const QRegion& region) {
    const HRGN handle = registry().newHandle();
    registry().regions[handle] = region;
    return handle;
}

QRegion* regionOfHandle(HRGN handle) {
    auto& regions = registry().regions;
    const auto found = regions.find(handle);
    return found == regions.end() ? nullptr : &found->second;
}

bool deleteGdiObject(HGDIOBJ handle) {
    Registry& r = registry();
    if (r.regions.erase(handle) > 0)
        return true;
    const auto bitmap = r.bitmaps.find(handle);
    if (bitmap == r.bitmaps.end() || handle == r.stockBitmap)
        return false;
    if (r.holderOfBitmap.count(handle) > 0)
        bitmap->second.deletePending = true;
    else
        r.bitmaps.erase(bitmap);
    return true;
}

} // namespace rt::win
