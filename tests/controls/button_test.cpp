// The picture-drawn button: its states under press, move, release, double click and the hover poll, the
// events it raises, how it places and paints its pictures, and its properties and bag.
#include "controls/Button.h"
#include "platform/base/Errors.h"
#include "platform/win/PointerWatch.h"
#include "platform/win/Windows.h"
#include "tests/support/ControlsHost.h"
#include "tests/support/ErrorCapture.h"
#include "tests/support/EventLoop.h"
#include "tests/support/PictureFixtures.h"

#include <QApplication>
#include <QMouseEvent>
#include <QWindow>
#include <gtest/gtest.h>
#include <string>
#include <vector>

// QtGui's entry for mouse reports as a window system delivers them (what Qt's own test library uses), so
// Qt itself decides which press of two is a double click.
Q_GUI_EXPORT void qt_handleMouseEvent(QWindow* window, const QPointF& local, const QPointF& global,
                                      Qt::MouseButtons state, Qt::MouseButton button, QEvent::Type type,
                                      Qt::KeyboardModifiers mods, int timestamp);

namespace {

using controls::Button;
using fixtures::ControlsHost;

constexpr std::int16_t kLeft = 1;
constexpr std::int16_t kRight = 2;
constexpr std::int16_t kMiddle = 4;
constexpr int kSidePx = 20;

constexpr QRgb kFace = qRgb(40, 40, 40);
constexpr QRgb kNormal = qRgb(200, 0, 0);
constexpr QRgb kDown = qRgb(0, 200, 0);
constexpr QRgb kOver = qRgb(0, 0, 200);
constexpr QRgb kDisabled = qRgb(200, 200, 0);

std::int32_t colourValueOf(QRgb rgb) {
    return qRed(rgb) | qGreen(rgb) << 8 | qBlue(rgb) << 16;
}

// A 20 x 20 button whose four state pictures fill it, each in its own colour, over a dark face.
struct StatefulButton {
    explicit StatefulButton(ControlsHost& host) : button(host) {
        button.Move(10, 10, kSidePx, kSidePx);
        button.setButtonColor(colourValueOf(kFace));
        button.setPictureNormal(fixtures::solidPicture(kSidePx, kSidePx, kNormal));
        button.setPictureDown(fixtures::solidPicture(kSidePx, kSidePx, kDown));
        button.setPictureOver(fixtures::solidPicture(kSidePx, kSidePx, kOver));
        button.setPictureDisabled(fixtures::solidPicture(kSidePx, kSidePx, kDisabled));
        button.setStyle(1);
        button.Click = [this] { log.push_back("Click"); };
        button.MouseDown = [this](std::int16_t& b, std::int16_t& s, float& x, float& y) {
            log.push_back("MouseDown " + args(b, s, x, y));
        };
        button.MouseUp = [this](std::int16_t& b, std::int16_t& s, float& x, float& y) {
            log.push_back("MouseUp " + args(b, s, x, y));
        };
        button.MouseMove = [this](std::int16_t&, std::int16_t&, float&, float&) {
            log.push_back("MouseMove");
        };
        button.MouseIn = [this](std::int16_t& s) { log.push_back("MouseIn " + std::to_string(s)); };
        button.MouseOut = [this](std::int16_t& s) { log.push_back("MouseOut " + std::to_string(s)); };
    }
    static std::string args(std::int16_t b, std::int16_t s, float x, float y) {
        return std::to_string(b) + " " + std::to_string(s) + " " + std::to_string(int(x)) + " " +
               std::to_string(int(y));
    }
    QRgb look() const { return button.image().pixel(kSidePx / 2, kSidePx / 2); }

    void down(std::int16_t b, float x = 5, float y = 5, std::int16_t s = 0) {
        button.UserControl_MouseDown(b, s, x, y);
    }
    void move(float x, float y, std::int16_t b = 0, std::int16_t s = 0) {
        button.UserControl_MouseMove(b, s, x, y);
    }
    void up(std::int16_t b, float x = 5, float y = 5, std::int16_t s = 0) {
        button.UserControl_MouseUp(b, s, x, y);
    }
    // A hover poll with the pointer on the button or away from every window.
    void pollOver() {
        fixtures::pointAt(button.widget(), 5, 5);
        button.overTimer().tick();
    }
    void pollAway() {
        fixtures::pointAway();
        button.overTimer().tick();
    }

    Button button;
    std::vector<std::string> log;
};

// ---- placement ----

TEST(ButtonPlacement, NineteenByEighteenPictureInNineteenByEighteenButtonForEveryAlignment) {
    const int w = rt::pixelsToHiMetric(19);
    const int h = rt::pixelsToHiMetric(18);
    struct Case {
        std::int32_t align;
        int x, y;
    };
    for (const Case c : {Case{0, 0, 0}, Case{1, 0, 3}, Case{2, 0, -4}, Case{3, 3, 0}, Case{4, -4, 0},
                         Case{5, 0, 0}, Case{-1, 0, 0}}) {
        const controls::PicturePlacement at = controls::placeStatePicture(w, h, 19, 18, c.align);
        EXPECT_EQ(at.width, 19);
        EXPECT_EQ(at.height, 18);
        EXPECT_EQ(at.x, c.x) << "PictureAlign " << c.align;
        EXPECT_EQ(at.y, c.y) << "PictureAlign " << c.align;
    }
}

TEST(ButtonPlacement, DivisorKeepsPixelSizesFromTwoToSeventyThreeOnlyAndOverflowFails) {
    EXPECT_EQ(controls::placeStatePicture(rt::pixelsToHiMetric(1), 0, 0, 0, 0).width, 0);
    for (int pixels = 2; pixels <= 73; ++pixels)
        EXPECT_EQ(controls::placeStatePicture(rt::pixelsToHiMetric(pixels), 0, 0, 0, 0).width, pixels);
    EXPECT_EQ(controls::placeStatePicture(rt::pixelsToHiMetric(100), 0, 0, 0, 0).width, 101);
    EXPECT_EQ(controls::placeStatePicture(0, rt::pixelsToHiMetric(384), 0, 0, 0).height, 389);
    const controls::PicturePlacement at =
        controls::placeStatePicture(rt::pixelsToHiMetric(30), rt::pixelsToHiMetric(11), 19, 18, 0);
    EXPECT_EQ(at.x, -6); // Int(-5.5)
    EXPECT_EQ(at.y, 3);  // Int(3.5)
    EXPECT_EQ(fixtures::errorNumberOf([] { controls::placeStatePicture(900000, 10, 19, 18, 0); }),
              rt::kOverflow);
    EXPECT_EQ(fixtures::errorNumberOf([] { controls::placeStatePicture(10, 10, 70000, 18, 4); }),
              rt::kOverflow);
}

TEST(ButtonDrawing, PaintsThePictureWhereEachAlignmentPlacesIt) {
    ControlsHost host;
    Button button(host);
    button.Move(0, 0, 19, 18);
    button.setButtonColor(colourValueOf(kFace));
    button.setPictureNormal(fixtures::solidPicture(19, 18, kNormal));
    button.setStyle(1);
    const QImage& image = button.image();

    EXPECT_EQ(image.pixel(0, 0), kNormal);
    EXPECT_EQ(image.pixel(18, 17), kNormal);
    button.setPictureAlign(1); // top: (0, 3)
    EXPECT_EQ(image.pixel(0, 2), kFace);
    EXPECT_EQ(image.pixel(0, 3), kNormal);
    button.setPictureAlign(2); // bottom: (0, -4)
    EXPECT_EQ(image.pixel(0, 13), kNormal);
    EXPECT_EQ(image.pixel(0, 14), kFace);
    button.setPictureAlign(3); // left: (3, 0)
    EXPECT_EQ(image.pixel(2, 0), kFace);
    EXPECT_EQ(image.pixel(3, 0), kNormal);
    button.setPictureAlign(4); // right: (-4, 0)
    EXPECT_EQ(image.pixel(14, 0), kNormal);
    EXPECT_EQ(image.pixel(15, 0), kFace);
}

// ---- states and events ----

TEST(ButtonStates, HoverPressAndReleaseInsideClickBeforeMouseUp) {
    ControlsHost host;
    StatefulButton b(host);
    EXPECT_EQ(b.look(), kNormal);
    b.move(5, 5);
    EXPECT_TRUE(b.button.mouseIsOver());
    EXPECT_TRUE(b.button.overTimer().Enabled());
    EXPECT_EQ(b.look(), kOver);
    b.down(kLeft, 6, 7, 1);
    EXPECT_EQ(b.look(), kDown);
    b.up(kLeft, 8, 9);
    EXPECT_EQ(b.look(), kOver);
    EXPECT_EQ(b.log, (std::vector<std::string>{"MouseIn 0", "MouseMove", "MouseDown 1 1 6 7", "Click",
                                               "MouseUp 1 0 8 9"}));
}

TEST(ButtonStates, DoubleClickGivesTwoMouseDownsTwoClicksAndTwoMouseUps) {
    ControlsHost host;
    StatefulButton b(host);
    QWidget* widget = b.button.widget();
    const auto send = [widget](QEvent::Type type, QPoint at, Qt::MouseButtons held,
                               Qt::KeyboardModifiers keys) {
        QMouseEvent event(type, QPointF(at), QPointF(widget->mapToGlobal(at)), Qt::LeftButton, held, keys);
        QApplication::sendEvent(widget, &event);
    };
    send(QEvent::MouseButtonPress, {3, 4}, Qt::LeftButton, Qt::ShiftModifier);
    send(QEvent::MouseButtonRelease, {3, 4}, Qt::NoButton, Qt::ShiftModifier);
    send(QEvent::MouseButtonDblClick, {7, 8}, Qt::LeftButton, Qt::NoModifier);
    EXPECT_EQ(rt::win::GetCapture(), b.button.hWnd()) << "the double click takes the capture";
    EXPECT_EQ(b.look(), kDown);
    send(QEvent::MouseButtonRelease, {7, 8}, Qt::NoButton, Qt::NoModifier);
    EXPECT_EQ(rt::win::GetCapture(), 0) << "the release gives it back";

    // The replayed press carries the first press's place and shift state.
    EXPECT_EQ(b.log, (std::vector<std::string>{"MouseDown 1 1 3 4", "Click", "MouseUp 1 1 3 4",
                                               "MouseDown 1 1 3 4", "Click", "MouseUp 1 0 7 8"}));
}

TEST(ButtonStates, DoubleClickFromTheWindowSystemReplaysTheFirstPressOnlyOnce) {
    ControlsHost host;
    StatefulButton b(host);
    QWidget* widget = b.button.widget();
    QWindow* window = widget->window()->windowHandle();
    ASSERT_NE(window, nullptr);
    int timestamp = 1000;
    const auto report = [&](QEvent::Type type, Qt::MouseButtons held, QPointF at) {
        const QPointF local = widget->mapTo(widget->window(), at);
        qt_handleMouseEvent(window, local, window->mapToGlobal(local), held, Qt::LeftButton, type,
                            Qt::NoModifier, timestamp++);
        QApplication::processEvents();
    };
    report(QEvent::MouseButtonPress, Qt::LeftButton, {5, 6});
    report(QEvent::MouseButtonRelease, Qt::NoButton, {5, 6});
    report(QEvent::MouseButtonPress, Qt::LeftButton, {6, 7});
    EXPECT_EQ(rt::win::GetCapture(), b.button.hWnd()) << "the second press came as a double click";
    report(QEvent::MouseButtonRelease, Qt::NoButton, {6, 7});

    // Qt reports the second press as a double click only, so the replay is its one MouseDown.
    std::vector<std::string> presses;
    for (const std::string& line : b.log)
        // The hover poll may run between the reports (a slow build): leaving is not what this is about.
        if (line != "MouseMove" && line.rfind("MouseIn", 0) != 0 && line.rfind("MouseOut", 0) != 0)
            presses.push_back(line);
    EXPECT_EQ(presses, (std::vector<std::string>{"MouseDown 1 0 5 6", "Click", "MouseUp 1 0 5 6",
                                                 "MouseDown 1 0 5 6", "Click", "MouseUp 1 0 6 7"}));
}

TEST(ButtonStates, DoubleClickAfterRightPressReplaysARightPress) {
    ControlsHost host;
    StatefulButton b(host);
    b.down(kRight);
    b.up(kRight);
    b.button.UserControl_DblClick();
    EXPECT_FALSE(b.button.mouseIsDown());
    EXPECT_EQ(b.look(), kNormal);
    b.up(kRight);
    rt::win::ReleaseCapture();
    EXPECT_EQ(std::count(b.log.begin(), b.log.end(), "Click"), 0);
    EXPECT_EQ(b.log.size(), 4u);
}

// Where the display costs round trips to ask, a pointer resting on the button costs no polls: the poll
// sleeps until the pointer moves, and then still finds it gone.
TEST(ButtonStates, APointerRestingOnTheButtonCostsNoPollsUntilItMoves) {
    rt::win::PointerWatch::setEnabledForTesting(true);
    ControlsHost host;
    StatefulButton b(host);
    int polls = 0;
    const auto poll = b.button.overTimer().onTimer;
    b.button.overTimer().onTimer = [&] {
        ++polls;
        poll();
    };
    fixtures::runEventsFor(50); // the window's own showing is over
    fixtures::pointAt(b.button.widget(), 5, 5);
    b.move(5, 5);
    fixtures::runEventsFor(200);
    // One poll finds the pointer on the button; polling all along would have been 13 polls.
    EXPECT_GE(polls, 1);
    EXPECT_LE(polls, 2) << "the polls that would find nothing new";
    EXPECT_EQ(b.look(), kOver);

    fixtures::pointAway();
    const int pollsBeforeLeaving = polls;
    QEvent leave(QEvent::Leave);
    QApplication::sendEvent(b.button.widget(), &leave);
    fixtures::runEventsFor(100);
    rt::win::PointerWatch::setEnabledForTesting(false);
    EXPECT_GT(polls, pollsBeforeLeaving);
    EXPECT_FALSE(b.button.overTimer().Enabled());
    EXPECT_EQ(b.look(), kNormal);
    EXPECT_EQ(b.log.back(), "MouseOut 0");
}

TEST(ButtonStates, PressLeaveComeBackAndReleaseRaisesClick) {
    ControlsHost host;
    StatefulButton b(host);
    b.move(5, 5);
    b.down(kLeft, 5, 5, 2);
    b.pollOver();
    EXPECT_EQ(b.look(), kDown) << "a poll that finds the button under the pointer changes nothing";
    EXPECT_TRUE(b.button.overTimer().Enabled());

    b.pollAway();
    EXPECT_FALSE(b.button.overTimer().Enabled());
    EXPECT_FALSE(b.button.mouseIsOver());
    EXPECT_TRUE(b.button.mouseIsDown()) << "the press stays in force";
    EXPECT_EQ(b.look(), kNormal) << "released look while outside";

    b.move(30, 5); // still outside: nothing
    b.move(4, 4);
    EXPECT_EQ(b.look(), kDown);
    b.up(kLeft, 4, 4);
    EXPECT_EQ(b.log,
              (std::vector<std::string>{"MouseIn 0", "MouseMove", "MouseDown 1 2 5 5", "MouseOut 2",
                                        "MouseMove", "MouseIn 0", "MouseMove", "Click", "MouseUp 1 0 4 4"}));
}

TEST(ButtonStates, PressLeaveAndReleaseOutsideRaisesNoClick) {
    ControlsHost host;
    StatefulButton b(host);
    b.move(5, 5);
    b.down(kLeft);
    b.pollAway();
    b.up(kLeft, -3, 5);
    EXPECT_EQ(b.log, (std::vector<std::string>{"MouseIn 0", "MouseMove", "MouseDown 1 0 5 5", "MouseOut 0",
                                               "MouseUp 1 0 -3 5"}));
    EXPECT_EQ(b.look(), kNormal);
}

TEST(ButtonStates, RightAndBottomEdgesLieOutside) {
    ControlsHost host;
    StatefulButton b(host);
    b.down(kLeft, 0, 0);
    b.up(kLeft, kSidePx, 0);
    b.down(kLeft, 0, 0);
    b.up(kLeft, 0, kSidePx);
    EXPECT_EQ(std::count(b.log.begin(), b.log.end(), "Click"), 0);
    b.down(kLeft, 0, 0);
    b.up(kLeft, kSidePx - 1, kSidePx - 1);
    EXPECT_EQ(std::count(b.log.begin(), b.log.end(), "Click"), 1);
    EXPECT_EQ(b.log.back(), "MouseUp 1 0 19 19");
}

TEST(ButtonStates, OnlyTheRightButtonIsLeftOutOfPressAndClick) {
    ControlsHost host;
    StatefulButton b(host);
    b.down(kRight);
    EXPECT_FALSE(b.button.mouseIsDown());
    EXPECT_EQ(b.look(), kNormal);
    b.up(kRight);
    b.down(kMiddle);
    EXPECT_EQ(b.look(), kDown);
    b.up(kMiddle);
    EXPECT_EQ(b.log, (std::vector<std::string>{"MouseDown 2 0 5 5", "MouseUp 2 0 5 5", "MouseDown 4 0 5 5",
                                               "Click", "MouseUp 4 0 5 5"}));
}

TEST(ButtonStates, RightReleaseWhileLeftHeldClearsThePressWithoutRedraw) {
    ControlsHost host;
    StatefulButton b(host);
    b.down(kLeft);
    b.up(kRight);
    EXPECT_FALSE(b.button.mouseIsDown());
    EXPECT_EQ(b.look(), kDown) << "no redraw on a right release";
    b.up(kLeft);
    EXPECT_EQ(b.look(), kNormal);
    EXPECT_EQ(std::count(b.log.begin(), b.log.end(), "Click"), 1);
}

TEST(ButtonStates, PressWithoutHoverDrawsDownButLeavesThePollOff) {
    ControlsHost host;
    StatefulButton b(host);
    b.down(kLeft);
    EXPECT_EQ(b.look(), kDown);
    EXPECT_FALSE(b.button.overTimer().Enabled());
}

TEST(ButtonEvents, MouseOutCarriesTheStoredShiftByReference) {
    ControlsHost host;
    StatefulButton b(host);
    b.move(5, 5, 0, 4);
    b.pollAway();
    EXPECT_EQ(b.log[2], "MouseOut 0") << "before any press";

    b.button.MouseOut = [&](std::int16_t& shift) {
        b.log.push_back("MouseOut " + std::to_string(shift));
        shift = 6;
    };
    b.down(kLeft, 5, 5, 1);
    b.move(5, 5, 1, 3);
    b.pollAway();
    EXPECT_EQ(b.log.back(), "MouseOut 1") << "the press's shift state, not the one at leaving";
    EXPECT_EQ(b.button.downShift(), 6) << "the handler's change stays in the member";
}

TEST(ButtonEvents, ArgumentsAreTheHostsReferences) {
    ControlsHost host;
    StatefulButton b(host);
    b.button.MouseIn = [](std::int16_t& shift) { shift = 5; };
    std::int16_t seen = 0;
    b.button.MouseMove = [&](std::int16_t&, std::int16_t& shift, float&, float&) { seen = shift; };
    std::int16_t button = 0, shift = 1;
    float x = 2, y = 2;
    b.button.UserControl_MouseMove(button, shift, x, y);
    EXPECT_EQ(seen, 5);
    EXPECT_EQ(shift, 5);
}

TEST(ButtonEvents, SelectedShowsDisabledAtRestAndHoverButNotWhenPressed) {
    ControlsHost host;
    StatefulButton b(host);
    b.button.setSelected(true);
    EXPECT_EQ(b.look(), kDisabled);
    b.move(5, 5);
    EXPECT_EQ(b.look(), kDisabled);
    b.down(kLeft);
    EXPECT_EQ(b.look(), kDown);
}

// ---- drawing ----

TEST(ButtonDrawing, StyleOtherThanOneShowsOnlyTheBackground) {
    ControlsHost host;
    StatefulButton b(host);
    QImage back = fixtures::solidImage(kSidePx, kSidePx, qRgb(1, 2, 3));
    back.setPixel(0, 0, qRgb(9, 9, 9));
    b.button.setPictureBack(fixtures::pictureOf(back));
    for (std::int32_t style : {0, 2}) {
        b.button.setStyle(style);
        b.down(kLeft);
        EXPECT_EQ(b.look(), qRgb(1, 2, 3));
        EXPECT_EQ(b.button.image().pixel(0, 0), qRgb(9, 9, 9));
        b.up(kLeft);
    }
    EXPECT_EQ(b.button.Style(), 2);
}

TEST(ButtonDrawing, OnlyAMissingPictureFallsBackToNormal) {
    ControlsHost host;
    StatefulButton b(host);
    b.button.setPictureDown(nullptr);
    b.down(kLeft);
    EXPECT_EQ(b.look(), kNormal);
    b.button.setPictureDown(rt::PictureObject::empty());
    EXPECT_EQ(b.look(), kFace);
    b.button.setPictureNormal(nullptr);
    b.button.setPictureDown(nullptr);
    EXPECT_EQ(b.look(), kFace);
}

TEST(ButtonDrawing, ResetLeavesEmptyPicturesThatDrawNothing) {
    ControlsHost host;
    StatefulButton b(host);
    const auto reports = b.button.changeReports().size();
    b.button.Reset();
    EXPECT_EQ(b.look(), kNormal) << "no redraw";
    EXPECT_EQ(b.button.changeReports().size(), reports);
    ASSERT_TRUE(b.button.PictureDown());
    EXPECT_EQ(b.button.PictureDown()->handle(), 0);
    ASSERT_TRUE(b.button.MouseIcon());
    b.move(5, 5);
    EXPECT_EQ(b.look(), kFace);
    b.down(kLeft);
    EXPECT_EQ(b.look(), kFace);
}

TEST(ButtonDrawing, MaskColourMakesBitmapPixelsTransparent) {
    ControlsHost host;
    StatefulButton b(host);
    QImage picture = fixtures::solidImage(kSidePx, kSidePx, qRgb(255, 0, 0));
    picture.setPixel(10, 10, kNormal);
    b.button.setPictureNormal(fixtures::pictureOf(picture));
    b.button.setMaskColor(0x0000FF);
    b.button.setUseMaskColor(true);
    EXPECT_EQ(b.button.image().pixel(2, 2), kFace);
    EXPECT_EQ(b.look(), kNormal);

    // The stored system colour is not translated: nothing matches it.
    b.button.setMaskColor(static_cast<std::int32_t>(0x8000000F));
    EXPECT_EQ(b.button.image().pixel(2, 2), qRgb(255, 0, 0));
}

TEST(ButtonDrawing, IconsKeepTheirTransparencyOnTheMaskPath) {
    ControlsHost host;
    StatefulButton b(host);
    QImage icon(kSidePx, kSidePx, QImage::Format_ARGB32);
    icon.fill(Qt::transparent);
    icon.setPixel(10, 10, kOver);
    b.button.setPictureNormal(rt::PictureObject::fromFileBytes(fixtures::iconFileBytes({icon})));
    b.button.setUseMaskColor(true);
    EXPECT_EQ(b.button.image().pixel(2, 2), kFace);
    EXPECT_EQ(b.look(), kOver);
}

// ---- properties ----

TEST(ButtonProperties, SettersReportTheirKeyAndRedrawButCursorOnesDoNot) {
    ControlsHost host;
    StatefulButton b(host);
    QImage& image = const_cast<QImage&>(b.button.image());
    const auto poke = [&] { image.setPixel(0, 0, qRgb(1, 1, 1)); };
    const auto redrawn = [&] { return image.pixel(0, 0) != qRgb(1, 1, 1); };
    const auto lastReport = [&] { return b.button.changeReports().back().toStdString(); };

    poke();
    b.button.setMousePointer(2);
    EXPECT_FALSE(redrawn());
    EXPECT_EQ(lastReport(), "MousePointer");
    b.button.setMouseIcon(fixtures::solidPicture(2, 2, kOver));
    EXPECT_FALSE(redrawn());
    EXPECT_EQ(lastReport(), "MouseIcon");

    const std::vector<std::pair<std::string, std::function<void()>>> redrawing = {
        {"PictureAlign", [&] { b.button.setPictureAlign(0); }},
        {"ButtonColor", [&] { b.button.setButtonColor(0); }},
        {"Selected", [&] { b.button.setSelected(false); }},
        {"MaskColor", [&] { b.button.setMaskColor(0); }},
        {"PictureBack", [&] { b.button.setPictureBack(nullptr); }},
        {"PictureNormal", [&] { b.button.setPictureNormal(b.button.PictureNormal()); }},
        {"PictureDisabled", [&] { b.button.setPictureDisabled(nullptr); }},
        {"PictureDown", [&] { b.button.setPictureDown(nullptr); }},
        {"PictureOver", [&] { b.button.setPictureOver(nullptr); }},
        {"Style", [&] { b.button.setStyle(1); }},
        {"UseMaskColor", [&] { b.button.setUseMaskColor(false); }},
    };
    for (const auto& [name, set] : redrawing) {
        poke();
        set();
        EXPECT_TRUE(redrawn()) << name;
        EXPECT_EQ(lastReport(), name);
    }
}

TEST(ButtonProperties, MousePointerOutside16BitsFailsBeforeAnythingIsStored) {
    ControlsHost host;
    Button button(host);
    button.setMousePointer(-32768);
    const auto reports = button.changeReports().size();
    EXPECT_EQ(fixtures::errorNumberOf([&] { button.setMousePointer(32768); }), rt::kOverflow);
    EXPECT_EQ(button.MousePointer(), -32768);
    EXPECT_EQ(button.changeReports().size(), reports);
}

// ---- persistence ----

TEST(ButtonBag, NewButtonHasEmptyPicturesAndSavesNothing) {
    ControlsHost host;
    Button button(host);
    button.UserControl_InitProperties();
    EXPECT_EQ(button.ScaleWidth(), Button::kDesignWidthPx);
    EXPECT_EQ(button.ScaleHeight(), Button::kDesignHeightPx);
    EXPECT_EQ(button.overTimer().Interval(), Button::kOverPollMs);
    EXPECT_FALSE(button.overTimer().Enabled());
    for (const rt::Picture& p :
         {button.PictureNormal(), button.PictureDisabled(), button.PictureDown(), button.PictureOver()}) {
        ASSERT_TRUE(p);
        EXPECT_EQ(p->handle(), 0);
    }
    EXPECT_EQ(button.ButtonColor(), static_cast<std::int32_t>(0x8000000F));
    EXPECT_TRUE(button.changeReports().empty());
    rt::PropertyBag bag;
    button.UserControl_WriteProperties(bag);
    EXPECT_TRUE(bag.isEmpty()) << bag.keys().join(",").toStdString();
}

TEST(ButtonBag, MissingKeysGiveDefaultsAndEmptyReferences) {
    ControlsHost host;
    StatefulButton b(host);
    b.button.UserControl_InitProperties();
    const auto reportsBefore = b.button.changeReports().size();
    rt::PropertyBag bag;
    bag.writeLong("style", 1, 0);
    bag.writePicture("pictureback", fixtures::solidPicture(kSidePx, kSidePx, qRgb(7, 8, 9)));
    b.button.UserControl_ReadProperties(bag);

    EXPECT_FALSE(b.button.PictureNormal());
    EXPECT_FALSE(b.button.PictureDown());
    EXPECT_EQ(b.button.MaskColor(), static_cast<std::int32_t>(0x8000000F));
    EXPECT_EQ(b.button.ButtonColor(), static_cast<std::int32_t>(0x8000000F));
    EXPECT_EQ(b.button.MousePointer(), 0);
    ASSERT_EQ(b.button.changeReports().size(), reportsBefore + 1) << "only MouseIcon's setter runs";
    EXPECT_EQ(b.button.changeReports().back(), "MouseIcon");
    for (int step = 0; step < 3; ++step) {
        EXPECT_EQ(b.look(), qRgb(7, 8, 9));
        step == 0 ? b.move(5, 5) : b.down(kLeft);
    }
}

TEST(ButtonBag, SaveAndLoadThroughTheStoredFormKeepEveryProperty) {
    ControlsHost host;
    Button saved(host);
    saved.setStyle(2);
    saved.setUseMaskColor(true);
    saved.setPictureAlign(4);
    saved.setPictureBack(fixtures::solidPicture(4, 4, kFace));
    saved.setPictureNormal(fixtures::solidPicture(4, 4, kNormal));
    saved.setPictureDisabled(fixtures::solidPicture(4, 4, kDisabled));
    saved.setPictureDown(fixtures::solidPicture(4, 4, kDown));
    saved.setPictureOver(fixtures::solidPicture(4, 4, kOver));
    saved.setMouseIcon(fixtures::solidPicture(2, 2, kOver));
    saved.setButtonColor(0x123456);
    saved.setSelected(true);
    saved.setMaskColor(0x00FF00);
    saved.setMousePointer(99);
    rt::PropertyBag bag;
    saved.UserControl_WriteProperties(bag);
    EXPECT_EQ(bag.keys(), (QStringList{"buttoncolor", "selected", "picturealign", "maskcolor", "mouseicon",
                                       "mousepointer", "pictureback", "picturenormal", "picturedisabled",
                                       "picturedown", "pictureover", "style", "usemaskcolor"}));

    Button loaded(host);
    loaded.UserControl_ReadProperties(rt::PropertyBag::load(bag.save()));
    EXPECT_EQ(loaded.Style(), 2);
    EXPECT_TRUE(loaded.UseMaskColor());
    EXPECT_EQ(loaded.PictureAlign(), 4);
    EXPECT_EQ(loaded.ButtonColor(), 0x123456);
    EXPECT_TRUE(loaded.Selected());
    EXPECT_EQ(loaded.MaskColor(), 0x00FF00);
    EXPECT_EQ(loaded.MousePointer(), 99);
    for (const rt::Picture* p : {&loaded.PictureBack(), &loaded.PictureNormal(), &loaded.PictureDisabled(),
                                 &loaded.PictureDown(), &loaded.PictureOver(), &loaded.MouseIcon()})
        ASSERT_TRUE(*p && (*p)->handle() != 0);
    EXPECT_EQ(loaded.PictureDisabled()->image().pixel(0, 0), kDisabled);
}

TEST(ButtonBag, AValueThatCannotBeConvertedStopsTheLoadAtItsKey) {
    ControlsHost host;
    StatefulButton b(host);
    QImage& image = const_cast<QImage&>(b.button.image());
    image.setPixel(0, 0, qRgb(1, 1, 1));

    rt::PropertyBag bag;
    bag.writeLong("style", 2, 0);
    bag.writeLong("picturealign", 3, 0);
    bag.writeLong("picturenormal", 5, 0); // a number where a picture belongs
    bag.writeLong("buttoncolor", 0x777777, 0);
    EXPECT_EQ(fixtures::errorNumberOf([&] { b.button.UserControl_ReadProperties(bag); }), rt::kTypeMismatch);
    EXPECT_EQ(b.button.Style(), 2);
    EXPECT_EQ(b.button.PictureAlign(), 3);
    EXPECT_FALSE(b.button.PictureBack()) << "keys before the failing one are applied";
    EXPECT_EQ(b.button.ButtonColor(), colourValueOf(kFace)) << "keys after it are not";
    EXPECT_EQ(image.pixel(0, 0), qRgb(1, 1, 1)) << "and there is no redraw";

    rt::PropertyBag wide;
    wide.writeLong("maskcolor", 0x00AA00, 0);
    wide.writeLong("mousepointer", 40000, 0);
    EXPECT_EQ(fixtures::errorNumberOf([&] { b.button.UserControl_ReadProperties(wide); }), rt::kOverflow);
    EXPECT_EQ(b.button.MaskColor(), 0x00AA00);
    EXPECT_EQ(b.button.MousePointer(), 0);
}

} // namespace
