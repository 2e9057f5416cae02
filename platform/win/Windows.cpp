#include "platform/win/Windows.h"

#include <QApplication>
#include <QCursor>
#include <QEventLoop>
#include <QMouseEvent>
#include <QPalette>
#include <QPointer>
#include <QWindow>
#include <array>
#include <optional>

namespace rt::win {

namespace {

const char* const kExStyleProperty = "ondaraExStyle";
const char* const kColorKeyProperty = "ondaraColorKey";
const char* const kHorizontalExtentProperty = "horizontalExtent";
constexpr std::uint32_t kSystemColourFlag = 0x80000000u;

// Follows the pointer with a top-level window from the press that started it to the release that ends
// it, as the window manager does for a press on a caption bar. It sees the mouse events before any
// widget and keeps them: during the move the window's own controls get none.
class CaptionMove : public QObject {
  public:
    explicit CaptionMove(QWidget* window)
        : window_(window), startCursor_(QCursor::pos()), startPosition_(window->pos()) {}

    void run() {
        QObject::connect(window_, &QObject::destroyed, &loop_, &QEventLoop::quit);
        qApp->installEventFilter(this);
        loop_.exec();
        qApp->removeEventFilter(this);
    }

  protected:
    bool eventFilter(QObject* receiver, QEvent* event) override {
        // Window-level events pass, so Qt keeps its own record of the press; widgets get nothing.
        if (!receiver->isWidgetType())
            return false;
        switch (event->type()) {
        case QEvent::MouseMove:
            return follow(static_cast<QMouseEvent*>(event));
        case QEvent::MouseButtonRelease:
            release(static_cast<QMouseEvent*>(event));
            return true;
        case QEvent::MouseButtonPress:
        case QEvent::MouseButtonDblClick:
            return true;
        default:
            return false;
        }
    }

  private:
    bool follow(QMouseEvent* event) {
        // A move with no button held means the release went somewhere we never saw: the move is over.
        if (event->buttons() == Qt::NoButton) {
            finish();
            return false;
        }
        moveTo(event->globalPosition().toPoint());
        return true;
    }

    void release(QMouseEvent* event) {
        moveTo(event->globalPosition().toPoint());
        if (event->buttons() == Qt::NoButton)
            finish();
    }

    // Events already queued behind the release belong to the window again.
    void finish() {
        qApp->removeEventFilter(this);
        loop_.quit();
    }

    void moveTo(QPoint cursor) {
        if (window_)
            window_->move(startPosition_ + (cursor - startCursor_));
    }

    QPointer<QWidget> window_;
    QPoint startCursor_;
    QPoint startPosition_;
    QEventLoop loop_;
};

// The desktop palette's colour for a system colour index, or the classic value where it has none.
struct SystemColour {
    std::optional<QPalette::ColorRole> role;
    QPalette::ColorGroup group = QPalette::Active;
    COLORREF classic = 0;
};

// Indexes 0..30 in the platform's order; 25 names no colour and reads as black.
const std::array<SystemColour, 31> kSystemColours = {{
    {std::nullopt, QPalette::Active, 0xC8C8C8},              // 0 scroll bar
    {std::nullopt, QPalette::Active, 0x808000},              // 1 desktop
    {std::nullopt, QPalette::Active, 0x800000},              // 2 active caption
    {std::nullopt, QPalette::Active, 0x808080},              // 3 inactive caption
    {QPalette::Window, QPalette::Active, 0xC0C0C0},          // 4 menu
    {QPalette::Base, QPalette::Active, 0xFFFFFF},            // 5 window
    {std::nullopt, QPalette::Active, 0x000000},              // 6 window frame
    {QPalette::WindowText, QPalette::Active, 0x000000},      // 7 menu text
    {QPalette::Text, QPalette::Active, 0x000000},            // 8 window text
    {std::nullopt, QPalette::Active, 0xFFFFFF},              // 9 caption text
    {std::nullopt, QPalette::Active, 0xC0C0C0},              // 10 active border
    {std::nullopt, QPalette::Active, 0xC0C0C0},              // 11 inactive border
    {std::nullopt, QPalette::Active, 0x808080},              // 12 application workspace
    {QPalette::Highlight, QPalette::Active, 0x800000},       // 13 highlight
    {QPalette::HighlightedText, QPalette::Active, 0xFFFFFF}, // 14 highlight text
    {QPalette::Button, QPalette::Active, 0xC0C0C0},          // 15 button face
    {QPalette::Dark, QPalette::Active, 0x808080},            // 16 button shadow
    {QPalette::Text, QPalette::Disabled, 0x808080},          // 17 grey text
    {QPalette::ButtonText, QPalette::Active, 0x000000},      // 18 button text
    {std::nullopt, QPalette::Active, 0xC0C0C0},              // 19 inactive caption text
    {QPalette::Light, QPalette::Active, 0xFFFFFF},           // 20 3D highlight
    {QPalette::Shadow, QPalette::Active, 0x000000},          // 21 3D dark shadow
    {QPalette::Midlight, QPalette::Active, 0xC0C0C0},        // 22 3D light
    {QPalette::ToolTipText, QPalette::Active, 0x000000},     // 23 tooltip text
    {QPalette::ToolTipBase, QPalette::Active, 0xE1FFFF},     // 24 tooltip background
    {std::nullopt, QPalette::Active, 0x000000},              // 25 (none)
    {QPalette::Link, QPalette::Active, 0xFF0000},            // 26 hot-tracked item
    {std::nullopt, QPalette::Active, 0xD08410},              // 27 active caption gradient
    {std::nullopt, QPalette::Active, 0xB5B5B5},              // 28 inactive caption gradient
    {QPalette::Highlight, QPalette::Active, 0xFF9933},       // 29 menu highlight
    {QPalette::Window, QPalette::Active, 0xF0F0F0},          // 30 menu bar
}};

COLORREF colourRefOf(const QColor& colour) {
    return COLORREF(colour.red()) | COLORREF(colour.green()) << 8 | COLORREF(colour.blue()) << 16;
}

QColor colourOf(COLORREF colour) {
    return QColor(int(colour & 0xFF), int((colour >> 8) & 0xFF), int((colour >> 16) & 0xFF));
}

// A widget's native window is made with its surface format; a translucent one needs a new native window.
void makeTranslucent(QWidget* widget) {
    if (widget->testAttribute(Qt::WA_TranslucentBackground))
        return;
    QWindow* native = widget->windowHandle();
    const bool nativeExists = native && native->handle();
    const bool wasVisible = widget->isVisible();
    if (nativeExists)
        widget->hide();
    widget->setAttribute(Qt::WA_TranslucentBackground);
    if (nativeExists) {
        native->destroy();
        if (wasVisible)
            widget->show();
    }
}

} // namespace

bool SetWindowPos(HWND window, HWND insertAfter, int, int, int, int, std::uint32_t flags) {
    QWidget* widget = widgetFromHandle(window);
    const std::uint32_t keepPlaceAndSize = SWP_NOSIZE | SWP_NOMOVE;
    if (!widget || !widget->isWindow() || insertAfter != HWND_TOPMOST ||
        (flags & keepPlaceAndSize) != keepPlaceAndSize)
        return false;
    if (widget->windowFlags().testFlag(Qt::WindowStaysOnTopHint))
        return true;
    // Qt hides a window whose flags change and may forget where it was.
    const bool wasVisible = widget->isVisible();
    const QRect geometry = widget->geometry();
    widget->setWindowFlag(Qt::WindowStaysOnTopHint, true);
    if (widget->geometry() != geometry)
        widget->setGeometry(geometry);
    if (wasVisible)
        widget->show();
    return true;
}

HWND SetCapture(HWND window) {
    const HWND previous = GetCapture();
    if (QWidget* widget = widgetFromHandle(window))
        widget->grabMouse();
    return previous;
}

bool ReleaseCapture() {
    if (QWidget* grabber = QWidget::mouseGrabber())
        grabber->releaseMouse();
    return true;
}

HWND GetCapture() {
    return handleOfWidget(QWidget::mouseGrabber());
}

bool GetCursorPos(Point& point) {
    const QPoint position = QCursor::pos();
    point = Point{position.x(), position.y()};
    return true;
}

HWND WindowFromPoint(Point point) {
    for (const QWidget* widget = QApplication::widgetAt(point.x, point.y); widget;
         widget = widget->parentWidget()) {
        if (const HWND handle = handleOfWidget(widget))
            return handle;
    }
    return 0;
}

std::int32_t GetWindowLongA(HWND window, int index) {
    const QWidget* widget = widgetFromHandle(window);
    if (!widget || index != GWL_EXSTYLE)
        return 0;
    return widget->property(kExStyleProperty).toInt();
}

std::int32_t SetWindowLongA(HWND window, int index, std::int32_t value) {
    QWidget* widget = widgetFromHandle(window);
    if (!widget || index != GWL_EXSTYLE)
        return 0;
    const std::int32_t previous = widget->property(kExStyleProperty).toInt();
    widget->setProperty(kExStyleProperty, value);
    return previous;
}

bool SetLayeredWindowAttributes(HWND window, COLORREF colourKey, std::uint8_t, std::uint32_t flags) {
    QWidget* widget = widgetFromHandle(window);
    if (!widget || !(GetWindowLongA(window, GWL_EXSTYLE) & WS_EX_LAYERED) || flags != LWA_COLORKEY)
        return false;
    widget->setProperty(kColorKeyProperty, colourOf(colourKey));
    makeTranslucent(widget);
    widget->update();
    return true;
}

int SetWindowRgn(HWND window, HRGN region, bool redraw) {
    QWidget* widget = widgetFromHandle(window);
    const QRegion* shape = regionOfHandle(region);
    if (!widget || (region != 0 && !shape))
        return 0;
    if (shape)
        widget->setMask(*shape);
    else
        widget->clearMask();
    DeleteObject(region);
    if (redraw)
        widget->update();
    return 1;
}

std::intptr_t SendMessageA(HWND window, std::uint32_t message, std::intptr_t wParam, std::intptr_t) {
    QWidget* widget = widgetFromHandle(window);
    if (!widget)
        return 0;
    if (message == WM_NCLBUTTONDOWN && wParam == HTCAPTION) {
        CaptionMove move(widget->window());
        move.run();
    } else if (message == LB_SETHORIZONTALEXTENT) {
        widget->setProperty(kHorizontalExtentProperty, int(wParam));
    }
    return 0;
}

std::int32_t OleTranslateColor(std::uint32_t colour, std::int32_t, COLORREF& result) {
    if (!(colour & kSystemColourFlag)) {
        result = colour;
        return S_OK;
    }
    const std::uint32_t index = colour & ~kSystemColourFlag;
    if (index >= kSystemColours.size())
        return E_INVALIDARG;
    const SystemColour& entry = kSystemColours[index];
    result =
        entry.role ? colourRefOf(QApplication::palette().color(entry.group, *entry.role)) : entry.classic;
    return S_OK;
}

} // namespace rt::win
