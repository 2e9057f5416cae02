// The window-manager stand-ins on offscreen widgets: handles, topmost, capture, the window under the
// pointer, the extended style and colour key, window regions, the two messages and system colours.
#include "platform/win/Windows.h"

#include <QApplication>
#include <QCursor>
#include <QMouseEvent>
#include <QPalette>
#include <QTimer>
#include <gtest/gtest.h>
#include <memory>

namespace rt::win {
namespace {

// A shown, frameless top-level widget with a handle, as the forms runtime makes them.
struct TestWindow {
    explicit TestWindow(QRect geometry)
        : widget(std::make_unique<QWidget>(nullptr, Qt::FramelessWindowHint)) {
        widget->setGeometry(geometry);
        handle = registerWindow(widget.get());
    }
    ~TestWindow() { unregisterWindow(handle); }
    void show() {
        widget->show();
        QApplication::processEvents();
    }

    std::unique_ptr<QWidget> widget;
    HWND handle = 0;
};

// Records where the mouse events that reach a widget happened.
class MouseWitness : public QObject {
  public:
    QList<QPoint> seen;

  protected:
    bool eventFilter(QObject*, QEvent* event) override {
        if (event->type() == QEvent::MouseMove || event->type() == QEvent::MouseButtonRelease)
            seen << static_cast<QMouseEvent*>(event)->globalPosition().toPoint();
        return false;
    }
};

// Queues a mouse event made when it is delivered, as the window system's events are.
void postMouse(QWidget* receiver, QEvent::Type type, QPoint global, Qt::MouseButtons buttons) {
    QMetaObject::invokeMethod(
        receiver,
        [=] {
            const Qt::MouseButton button = type == QEvent::MouseMove ? Qt::NoButton : Qt::LeftButton;
            QMouseEvent event(type, receiver->mapFromGlobal(QPointF(global)), QPointF(global), button,
                              buttons, Qt::NoModifier);
            QApplication::sendEvent(receiver, &event);
        },
        Qt::QueuedConnection);
}

TEST(WindowHandles, AreNonzeroStableAndForgottenWithTheWidget) {
    auto widget = std::make_unique<QWidget>();
    const HWND handle = registerWindow(widget.get());
    EXPECT_NE(handle, 0);
    EXPECT_EQ(registerWindow(widget.get()), handle);
    EXPECT_EQ(widgetFromHandle(handle), widget.get());
    EXPECT_EQ(handleOfWidget(widget.get()), handle);

    QWidget other;
    const HWND otherHandle = registerWindow(&other);
    EXPECT_NE(otherHandle, handle);

    widget.reset();
    EXPECT_EQ(widgetFromHandle(handle), nullptr);
    EXPECT_EQ(widgetFromHandle(0), nullptr);
    unregisterWindow(otherHandle);
    EXPECT_EQ(handleOfWidget(&other), 0);
    EXPECT_NE(registerWindow(&other), otherHandle) << "a handle is never given out twice";
}

TEST(SetWindowPos, TopmostKeepsGeometryAndVisibility) {
    TestWindow shown(QRect(100, 120, 50, 40));
    shown.show();
    TestWindow hidden(QRect(10, 20, 30, 30));

    EXPECT_TRUE(SetWindowPos(shown.handle, HWND_TOPMOST, 0, 0, 0, 0, SWP_NOSIZE | SWP_NOMOVE));
    EXPECT_TRUE(SetWindowPos(hidden.handle, HWND_TOPMOST, 0, 0, 0, 0, SWP_NOSIZE | SWP_NOMOVE));
    QApplication::processEvents();

    EXPECT_TRUE(shown.widget->windowFlags().testFlag(Qt::WindowStaysOnTopHint));
    EXPECT_TRUE(shown.widget->isVisible());
    EXPECT_EQ(shown.widget->geometry(), QRect(100, 120, 50, 40));
    EXPECT_TRUE(shown.widget->windowFlags().testFlag(Qt::FramelessWindowHint));
    EXPECT_TRUE(hidden.widget->windowFlags().testFlag(Qt::WindowStaysOnTopHint));
    EXPECT_FALSE(hidden.widget->isVisible());
    EXPECT_EQ(hidden.widget->geometry(), QRect(10, 20, 30, 30));

    EXPECT_FALSE(SetWindowPos(shown.handle, HWND_TOPMOST, 5, 5, 0, 0, SWP_NOSIZE))
        << "moves are not ours to do";
    EXPECT_EQ(shown.widget->pos(), QPoint(100, 120));
    EXPECT_FALSE(SetWindowPos(0, HWND_TOPMOST, 0, 0, 0, 0, SWP_NOSIZE | SWP_NOMOVE));
}

TEST(Capture, FollowsSetAndRelease) {
    TestWindow window(QRect(0, 0, 20, 20));
    window.show();

    EXPECT_EQ(SetCapture(window.handle), 0);
    EXPECT_EQ(GetCapture(), window.handle);
    EXPECT_EQ(QWidget::mouseGrabber(), window.widget.get());
    EXPECT_TRUE(ReleaseCapture());
    EXPECT_EQ(GetCapture(), 0);
    EXPECT_EQ(QWidget::mouseGrabber(), nullptr);
}

TEST(Pointer, CursorPositionAndTheWindowUnderIt) {
    TestWindow form(QRect(300, 300, 100, 100));
    auto* child = new QWidget(form.widget.get());
    child->setGeometry(10, 10, 40, 40);
    auto* grandchild = new QWidget(child);
    grandchild->setGeometry(5, 5, 10, 10);
    form.show();

    QCursor::setPos(320, 321);
    Point cursor;
    ASSERT_TRUE(GetCursorPos(cursor));
    EXPECT_EQ(cursor.x, 320);
    EXPECT_EQ(cursor.y, 321);

    // Neither child has a handle: the form is the window there.
    EXPECT_EQ(WindowFromPoint(Point{316, 316}), form.handle);
    const HWND childHandle = registerWindow(child);
    EXPECT_EQ(WindowFromPoint(Point{316, 316}), childHandle) << "the nearest registered ancestor";
    EXPECT_EQ(WindowFromPoint(Point{311, 311}), childHandle);
    EXPECT_EQ(WindowFromPoint(Point{390, 390}), form.handle);
    EXPECT_EQ(WindowFromPoint(Point{20, 20}), 0);
    unregisterWindow(childHandle);
}

TEST(WindowLong, StoresTheExtendedStylePerWindow) {
    TestWindow first(QRect(0, 0, 10, 10));
    TestWindow second(QRect(0, 0, 10, 10));

    EXPECT_EQ(GetWindowLongA(first.handle, GWL_EXSTYLE), 0);
    EXPECT_EQ(SetWindowLongA(first.handle, GWL_EXSTYLE, WS_EX_LAYERED), 0);
    EXPECT_EQ(SetWindowLongA(first.handle, GWL_EXSTYLE, WS_EX_LAYERED | 0x8), WS_EX_LAYERED);
    EXPECT_EQ(GetWindowLongA(first.handle, GWL_EXSTYLE), WS_EX_LAYERED | 0x8);
    EXPECT_EQ(GetWindowLongA(second.handle, GWL_EXSTYLE), 0);

    EXPECT_EQ(SetWindowLongA(first.handle, -16, 1234), 0) << "only the extended style is kept";
    EXPECT_EQ(GetWindowLongA(first.handle, -16), 0);
    EXPECT_EQ(GetWindowLongA(0, GWL_EXSTYLE), 0);
}

TEST(LayeredWindow, ColourKeyNeedsTheLayeredStyle) {
    TestWindow window(QRect(0, 0, 10, 10));

    EXPECT_FALSE(SetLayeredWindowAttributes(window.handle, 0xFF0000, 0, LWA_COLORKEY));
    EXPECT_FALSE(window.widget->property("ondaraColorKey").isValid());

    SetWindowLongA(window.handle, GWL_EXSTYLE, GetWindowLongA(window.handle, GWL_EXSTYLE) | WS_EX_LAYERED);
    EXPECT_FALSE(SetLayeredWindowAttributes(window.handle, 0xFF0000, 128, 2))
        << "alpha layering is not offered";
    ASSERT_TRUE(SetLayeredWindowAttributes(window.handle, 0xFF0000, 0, LWA_COLORKEY));

    EXPECT_EQ(window.widget->property("ondaraColorKey").value<QColor>(), QColor(0, 0, 255));
    EXPECT_TRUE(window.widget->testAttribute(Qt::WA_TranslucentBackground));
}

TEST(LayeredWindow, AShownWindowStaysShownInPlace) {
    TestWindow window(QRect(40, 50, 30, 20));
    window.show();
    SetWindowLongA(window.handle, GWL_EXSTYLE, WS_EX_LAYERED);

    ASSERT_TRUE(SetLayeredWindowAttributes(window.handle, 0xFFFFFF, 0, LWA_COLORKEY));
    QApplication::processEvents();

    EXPECT_EQ(window.widget->property("ondaraColorKey").value<QColor>(), QColor(255, 255, 255));
    EXPECT_TRUE(window.widget->testAttribute(Qt::WA_TranslucentBackground));
    EXPECT_TRUE(window.widget->isVisible());
    EXPECT_EQ(window.widget->geometry(), QRect(40, 50, 30, 20));
}

TEST(SetWindowRgn, GivesTheWidgetTheMaskAndUsesTheRegionUp) {
    TestWindow window(QRect(0, 0, 20, 20));
    const HRGN region = CreateRectRgn(0, 0, 10, 1);
    const HRGN line = CreateRectRgn(2, 1, 4, 2);
    CombineRgn(region, region, line, RGN_OR);
    DeleteObject(line);

    EXPECT_EQ(SetWindowRgn(window.handle, region, true), 1);

    EXPECT_EQ(window.widget->mask(), QRegion(0, 0, 10, 1) + QRegion(2, 1, 2, 1));
    EXPECT_FALSE(DeleteObject(region)) << "the window system owns the region now";
    EXPECT_EQ(SetWindowRgn(window.handle, region, true), 0);

    EXPECT_EQ(SetWindowRgn(window.handle, 0, false), 1);
    EXPECT_TRUE(window.widget->mask().isEmpty());
}

TEST(SendMessage, CaptionPressMovesTheWindowWithThePointerUntilRelease) {
    TestWindow window(QRect(100, 100, 80, 60));
    window.show();
    QCursor::setPos(110, 110);
    QApplication::processEvents();
    MouseWitness witness;
    window.widget->installEventFilter(&witness);

    QPoint duringMove;
    QTimer::singleShot(0, [&] {
        postMouse(window.widget.get(), QEvent::MouseMove, QPoint(120, 115), Qt::LeftButton);
        QTimer::singleShot(0, [&] {
            duringMove = window.widget->pos();
            postMouse(window.widget.get(), QEvent::MouseMove, QPoint(150, 140), Qt::LeftButton);
            postMouse(window.widget.get(), QEvent::MouseButtonRelease, QPoint(160, 145), Qt::NoButton);
            // Anything after the release is no longer part of the move.
            postMouse(window.widget.get(), QEvent::MouseMove, QPoint(400, 400), Qt::LeftButton);
        });
    });

    EXPECT_EQ(SendMessageA(window.handle, WM_NCLBUTTONDOWN, HTCAPTION, 0), 0);

    EXPECT_EQ(duringMove, QPoint(110, 105));
    EXPECT_EQ(window.widget->pos(), QPoint(150, 135));
    QApplication::processEvents();
    EXPECT_EQ(window.widget->pos(), QPoint(150, 135));
    EXPECT_EQ(witness.seen, QList<QPoint>{QPoint(400, 400)}) << "the move keeps the mouse to itself";
}

TEST(SendMessage, CaptionPressOnAControlMovesItsWindowAndEndsWhenTheWindowGoes) {
    TestWindow window(QRect(100, 100, 80, 60));
    auto* control = new QWidget(window.widget.get());
    control->setGeometry(5, 5, 10, 10);
    const HWND controlHandle = registerWindow(control);
    window.show();
    QCursor::setPos(105, 105);
    QApplication::processEvents();

    QTimer::singleShot(0, [&] {
        postMouse(control, QEvent::MouseMove, QPoint(100, 95), Qt::LeftButton);
        QTimer::singleShot(0, [&] { window.widget.reset(); });
    });
    SendMessageA(controlHandle, WM_NCLBUTTONDOWN, HTCAPTION, 0);

    EXPECT_EQ(window.widget, nullptr);
}

TEST(SendMessage, CaptionMoveEndsAtAMoveWithNoButtonHeld) {
    TestWindow window(QRect(100, 100, 80, 60));
    window.show();
    QCursor::setPos(110, 110);
    QApplication::processEvents();

    QTimer::singleShot(0, [&] {
        postMouse(window.widget.get(), QEvent::MouseMove, QPoint(120, 110), Qt::LeftButton);
        postMouse(window.widget.get(), QEvent::MouseMove, QPoint(130, 110), Qt::NoButton);
    });
    SendMessageA(window.handle, WM_NCLBUTTONDOWN, HTCAPTION, 0);

    EXPECT_EQ(window.widget->pos(), QPoint(110, 100));
}

TEST(SendMessage, SetsTheListBoxExtentAndIgnoresOtherMessages) {
    TestWindow list(QRect(0, 0, 50, 50));

    EXPECT_EQ(SendMessageA(list.handle, LB_SETHORIZONTALEXTENT, 125, 0), 0);
    EXPECT_EQ(list.widget->property("horizontalExtent").toInt(), 125);

    const QPoint before = list.widget->pos();
    EXPECT_EQ(SendMessageA(list.handle, WM_NCLBUTTONDOWN, 5, 0), 0) << "only a caption press moves";
    EXPECT_EQ(SendMessageA(list.handle, 0x0010, 0, 0), 0);
    EXPECT_EQ(list.widget->pos(), before);
    EXPECT_EQ(list.widget->property("horizontalExtent").toInt(), 125);
}

COLORREF colourRefOf(const QColor& colour) {
    return COLORREF(colour.red()) | COLORREF(colour.green()) << 8 | COLORREF(colour.blue()) << 16;
}

TEST(OleTranslateColor, PlainColoursPassAndSystemColoursComeFromTheDesktop) {
    COLORREF result = 0;
    EXPECT_EQ(OleTranslateColor(0x123456, 0, result), S_OK);
    EXPECT_EQ(result, 0x123456u);

    EXPECT_EQ(OleTranslateColor(0x8000000F, 0, result), S_OK);
    EXPECT_EQ(result, colourRefOf(QApplication::palette().color(QPalette::Active, QPalette::Button)));
    EXPECT_EQ(OleTranslateColor(0x80000005, 0, result), S_OK);
    EXPECT_EQ(result, colourRefOf(QApplication::palette().color(QPalette::Active, QPalette::Base)));
    EXPECT_EQ(OleTranslateColor(0x80000009, 0, result), S_OK);
    EXPECT_EQ(result, 0xFFFFFFu) << "caption text has no palette colour: the classic white";

    result = 0xABCDEF;
    EXPECT_NE(OleTranslateColor(0x80000063, 0, result), S_OK);
    EXPECT_EQ(result, 0xABCDEFu);
}

} // namespace
} // namespace rt::win
