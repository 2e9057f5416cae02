// The picture-drawn slider: value <-> thumb mappings with halves to even, drawing from its hidden boxes,
// grab, drag, track clicks, page steps and the hover poll with their events, and its properties and bag.
#include "controls/Slider.h"
#include "platform/base/Errors.h"
#include "tests/support/ControlsHost.h"
#include "tests/support/ErrorCapture.h"
#include "tests/support/PictureFixtures.h"

#include <gtest/gtest.h>
#include <string>
#include <vector>

namespace {

using controls::Slider;
using fixtures::ControlsHost;

constexpr std::int16_t kLeft = 1;
constexpr std::int16_t kRight = 2;
constexpr std::int32_t kSystemButtonFace = static_cast<std::int32_t>(0x8000000F);

constexpr QRgb kTrack = qRgb(30, 30, 90);
constexpr QRgb kProgress = qRgb(30, 160, 220);
constexpr QRgb kThumb = qRgb(230, 230, 230);
constexpr QRgb kThumbDown = qRgb(250, 180, 0);
constexpr QRgb kThumbOver = qRgb(255, 255, 120);
// The thumb boxes' own back colours, shown when no thumb picture is given.
constexpr QRgb kPlainThumb = qRgb(255, 255, 255);
constexpr QRgb kPlainThumbDown = qRgb(0, 255, 0);
constexpr QRgb kPlainThumbOver = qRgb(255, 0, 0);

// A horizontal slider loaded from a bag as the windows' designs load theirs, with solid pictures and an
// event log.
struct SliderRig {
    SliderRig(ControlsHost& host, int trackWidth, int trackHeight, int thumbWidth, std::int32_t max,
              std::int32_t value = 0)
        : slider(host) {
        rt::PropertyBag bag;
        bag.writePicture("pictureback", fixtures::solidPicture(trackWidth, trackHeight, kTrack));
        bag.writePicture("pictureprogress", fixtures::solidPicture(trackWidth, trackHeight, kProgress));
        bag.writePicture("bar", fixtures::solidPicture(thumbWidth, trackHeight, kThumb));
        bag.writePicture("barover", fixtures::solidPicture(thumbWidth, trackHeight, kThumbOver));
        bag.writePicture("bardown", fixtures::solidPicture(thumbWidth, trackHeight, kThumbDown));
        bag.writeLong("backcolor", 0, kSystemButtonFace);
        bag.writeLong("max", max, 100);
        bag.writeLong("value", value, 0);
        bag.writeLong("position", 1, 0);
        slider.loadDesign(10, 10, trackWidth, trackHeight, bag);
        record();
    }
    void record() {
        slider.Change = [this](std::int32_t& value) { log.push_back("Change " + std::to_string(value)); };
        slider.MouseDown = [this](std::int16_t&, std::int16_t&, float&, float&) {
            log.push_back("MouseDown");
        };
        slider.MouseMove = [this](std::int16_t&, std::int16_t&, float&, float&) {
            log.push_back("MouseMove");
        };
        slider.MouseUp = [this](std::int16_t&, std::int16_t&, float&, float&) { log.push_back("MouseUp"); };
    }

    void down(float x, std::int16_t b = kLeft) {
        std::int16_t shift = 0;
        float y = 2;
        slider.picBack_MouseDown(b, shift, x, y);
    }
    void move(float x, std::int16_t b = kLeft) {
        std::int16_t shift = 0;
        float y = 2;
        slider.picBack_MouseMove(b, shift, x, y);
    }
    void up(float x, std::int16_t b = kLeft) {
        std::int16_t shift = 0;
        float y = 2;
        slider.picBack_MouseUp(b, shift, x, y);
    }
    QRgb trackPixel(int x, int y = 2) const { return slider.track().image().pixel(x, y); }

    Slider slider;
    std::vector<std::string> log;
};

// The two sliders of the main window: a 200-pixel seek bar with a 9-pixel thumb, a 177-pixel fader with a
// 27-pixel one.
SliderRig sliderTime(ControlsHost& host, std::int32_t max = 100) {
    return SliderRig(host, 200, 11, 9, max);
}

// A fresh slider is 7 x 80 and vertical; setting Position lays it out with a plain 9-pixel thumb.
Slider& plainHorizontal(Slider& slider) {
    slider.setPosition(1);
    return slider;
}

// ---- mappings ----

TEST(SliderMapping, VolumeFortyLiesAtSixtySevenAndComesBackAsForty) {
    ControlsHost host;
    SliderRig vol(host, 177, 14, 27, 90);
    vol.slider.setValue(40);
    EXPECT_EQ(vol.slider.barPos(), 67);
    vol.up(0, kRight); // a release that ends no drag takes the value from the thumb
    EXPECT_EQ(vol.slider.Value(), 40);
    EXPECT_EQ(vol.log, (std::vector<std::string>{"Change 40", "MouseUp"}));
}

TEST(SliderMapping, SeekBarWithMax300LosesWhatThePixelGridCannotHold) {
    ControlsHost host;
    SliderRig time(host, 200, 11, 9, 100);
    time.slider.setMax(300);
    time.slider.setValue(100);
    EXPECT_EQ(time.slider.barPos(), 64);
    time.up(0, kRight);
    EXPECT_EQ(time.slider.Value(), 101);
}

TEST(SliderMapping, SeekBarHalfwayGoesToTheEvenPixelAndDrawsProgressThenThumb) {
    ControlsHost host;
    SliderRig time(host, 200, 11, 9, 240);
    time.slider.setValue(120);
    EXPECT_EQ(time.slider.barPos(), 96);
    EXPECT_EQ(time.trackPixel(0), kProgress);
    EXPECT_EQ(time.trackPixel(95), kProgress);
    EXPECT_EQ(time.trackPixel(96), kThumb);
    EXPECT_EQ(time.trackPixel(104), kThumb);
    EXPECT_EQ(time.trackPixel(105), kTrack);
    EXPECT_EQ(time.trackPixel(199, 10), kTrack);
}

TEST(SliderMapping, EndsShowNoProgressAtMinAndTheWholeTravelAtMax) {
    ControlsHost host;
    SliderRig vol(host, 177, 14, 27, 90);
    EXPECT_EQ(vol.trackPixel(0), kThumb);
    EXPECT_EQ(vol.trackPixel(27), kTrack);
    vol.slider.setValue(90);
    EXPECT_EQ(vol.slider.barPos(), 150);
    EXPECT_EQ(vol.trackPixel(149), kProgress);
    EXPECT_EQ(vol.trackPixel(150), kThumb);
    EXPECT_EQ(vol.trackPixel(176), kThumb);
}

TEST(SliderMapping, HalvesGoToTheEvenValueWithTravel128) {
    ControlsHost host;
    SliderRig rig(host, 136, 10, 8, 64);
    rig.down(4); // on the thumb: grab
    for (const auto& [pointer, barPos, value] : {std::tuple{5, 1, 0}, {7, 3, 2}, {9, 5, 2}}) {
        rig.move(float(pointer));
        EXPECT_EQ(rig.slider.barPos(), barPos);
        EXPECT_EQ(rig.slider.Value(), value) << "BarPos " << barPos;
    }
    rig.up(9);
    rig.slider.setMax(256);
    rig.slider.setValue(1); // 0.5 pixel
    EXPECT_EQ(rig.slider.barPos(), 0);
    rig.slider.setValue(3); // 1.5 pixels
    EXPECT_EQ(rig.slider.barPos(), 2);
}

TEST(SliderMapping, VerticalValueGrowsUpward) {
    ControlsHost host;
    Slider slider(host);
    slider.setPosition(0); // swaps the extent, as every setting does
    slider.Move(0, 0, Slider::kDesignWidthPx, Slider::kDesignHeightPx);
    ASSERT_EQ(slider.ScaleHeight(), 80);
    ASSERT_EQ(slider.thumb().Height(), Slider::kPlainThumbPx);
    slider.setValue(100);
    EXPECT_EQ(slider.barPos(), 0);
    slider.setValue(0);
    EXPECT_EQ(slider.barPos(), 71);
    slider.setValue(50); // 35.5
    EXPECT_EQ(slider.barPos(), 36);
    const QImage& track = slider.track().image();
    EXPECT_EQ(track.pixel(3, 36), kPlainThumb);
    EXPECT_EQ(track.pixel(3, 44), kPlainThumb);
    EXPECT_EQ(track.pixel(3, 45), qRgb(0, 0, 0));

    slider.setMin(-50);
    slider.setMax(50);
    slider.setValue(50);
    EXPECT_EQ(slider.barPos(), 0);
    slider.setValue(-50);
    EXPECT_EQ(slider.barPos(), 71);

    // Dragging down lowers the value.
    std::int16_t button = kLeft, shift = 0;
    float x = 3, y = 73;
    slider.picBack_MouseDown(button, shift, x, y);
    y = 4.5f + 10;
    slider.picBack_MouseMove(button, shift, x, y);
    EXPECT_EQ(slider.barPos(), 10);
    EXPECT_EQ(slider.Value(), 36); // -(10 / 71 x 100 - 50), 35.9
}

TEST(SliderMapping, EqualMinAndMaxKeepTheThumbWhereItWas) {
    ControlsHost host;
    SliderRig time = sliderTime(host);
    time.slider.setValue(50);
    const std::int32_t before = time.slider.barPos();
    time.slider.setMax(0);
    time.slider.setMin(0);
    EXPECT_EQ(time.slider.Value(), 0);
    EXPECT_EQ(time.slider.barPos(), before);
    EXPECT_EQ(time.trackPixel(before), kThumb);

    time.log.clear();
    time.down(float(before + 1));
    time.move(20);
    EXPECT_EQ(time.slider.barPos(), 16);
    time.up(20);
    EXPECT_EQ(time.slider.barPos(), 16) << "no place can be computed from the value";
    EXPECT_EQ(time.log, (std::vector<std::string>{"MouseDown", "Change 0", "MouseMove", "MouseUp"}));
}

// ---- the mouse ----

TEST(SliderMouse, DragOfTheFaderToX100RaisesChangeWith52) {
    ControlsHost host;
    SliderRig vol(host, 177, 14, 27, 90);
    vol.down(10);
    EXPECT_TRUE(vol.slider.dragging());
    EXPECT_TRUE(vol.slider.mouseIsDown());
    EXPECT_EQ(vol.trackPixel(5), kThumbDown);
    vol.move(100);
    EXPECT_EQ(vol.slider.barPos(), 86);
    EXPECT_EQ(vol.slider.Value(), 52);
    EXPECT_EQ(vol.trackPixel(86), kThumbDown);
    vol.up(100);
    EXPECT_FALSE(vol.slider.dragging());
    EXPECT_EQ(vol.slider.barPos(), 87) << "the release snaps the thumb to the value's place";
    EXPECT_EQ(vol.trackPixel(87), kThumb);
    EXPECT_EQ(vol.log, (std::vector<std::string>{"MouseDown", "Change 52", "MouseMove", "MouseUp"}));
}

TEST(SliderMouse, PressOnEitherEndOfTheThumbGrabsIt) {
    ControlsHost host;
    SliderRig vol(host, 177, 14, 27, 90, 40); // thumb 67..94
    vol.down(94);
    EXPECT_TRUE(vol.slider.dragging());
    vol.up(94);
    vol.down(67);
    EXPECT_TRUE(vol.slider.dragging());
    vol.up(67);
    vol.down(95);
    EXPECT_FALSE(vol.slider.dragging());
}

TEST(SliderMouse, ClickAtX196OnTheSeekBarGoesOnePixelPastTheTravel) {
    ControlsHost host;
    SliderRig time = sliderTime(host, 240);
    time.down(196);
    EXPECT_FALSE(time.slider.dragging());
    EXPECT_EQ(time.slider.barPos(), 192);
    EXPECT_EQ(time.slider.Value(), 0) << "the press changes no value";
    time.move(150);
    time.up(150);
    EXPECT_EQ(time.slider.Value(), 241);
    EXPECT_EQ(time.log, (std::vector<std::string>{"MouseDown", "MouseMove", "Change 241", "MouseUp"}));
}

TEST(SliderMouse, CentringOnTheSeekBar) {
    ControlsHost host;
    SliderRig time = sliderTime(host, 240);
    for (const auto& [pointer, barPos] : {std::pair{0, 0}, {5, 0}, {6, 2}, {7, 2}, {100, 96}, {195, 190}}) {
        time.slider.setValue(pointer < 150 ? 240 : 0); // the thumb out of the pointer's way
        time.down(float(pointer));
        EXPECT_FALSE(time.slider.dragging());
        EXPECT_EQ(time.slider.barPos(), barPos) << "p " << pointer;
    }
}

TEST(SliderMouse, PageStepMovesByLargeChangeAtThePressAndRereadsAtTheRelease) {
    ControlsHost host;
    SliderRig vol(host, 177, 14, 27, 90, 40); // thumb 67..94
    vol.slider.setLargeChange(10);
    vol.down(150);
    EXPECT_EQ(vol.slider.Value(), 50);
    EXPECT_EQ(vol.slider.barPos(), 83);
    vol.up(150);
    EXPECT_EQ(vol.slider.Value(), 50); // 49.8
    vol.down(5);
    EXPECT_EQ(vol.slider.Value(), 40);
    vol.up(5);

    vol.slider.setValue(85);
    vol.log.clear();
    vol.down(170); // 95 would leave the range: nothing changes
    EXPECT_EQ(vol.slider.Value(), 85);
    vol.up(170);
    EXPECT_EQ(vol.log, (std::vector<std::string>{"MouseDown", "Change 85", "MouseUp"}));
}

TEST(SliderMouse, OtherButtonsPressNothingButTheirReleaseRereadsTheValue) {
    ControlsHost host;
    SliderRig time = sliderTime(host);
    time.slider.setValue(33); // 63.03 -> 63, back 32.98 -> 33
    time.down(63, kRight);
    EXPECT_FALSE(time.slider.dragging());
    time.up(63, kRight);
    EXPECT_EQ(time.log, (std::vector<std::string>{"Change 33", "MouseUp"}));
}

TEST(SliderMouse, ValueIsIgnoredWhileTheThumbIsHeldButNotDuringATrackClick) {
    ControlsHost host;
    SliderRig time = sliderTime(host);
    time.down(3);
    time.slider.setValue(80);
    EXPECT_EQ(time.slider.Value(), 0);
    time.up(3);
    time.down(150);
    time.slider.setValue(80);
    EXPECT_EQ(time.slider.barPos(), 153);
    time.up(150);
    EXPECT_EQ(time.slider.Value(), 80);
}

TEST(SliderMouse, ChangePassesTheValueMemberItself) {
    ControlsHost host;
    SliderRig time = sliderTime(host);
    time.slider.Change = [](std::int32_t& value) { value = 999; };
    time.up(0, kRight);
    EXPECT_EQ(time.slider.Value(), 999);
}

TEST(SliderHover, MoveStartsHoverOnceAndThePollEndsIt) {
    ControlsHost host;
    SliderRig time = sliderTime(host);
    time.move(50, 0);
    time.move(60, 0);
    EXPECT_TRUE(time.slider.mouseIsOver());
    EXPECT_TRUE(time.slider.overTimer().Enabled());
    EXPECT_EQ(time.trackPixel(4), kThumbOver);
    time.slider.setValue(10); // accepted while hovering
    EXPECT_EQ(time.slider.Value(), 10);
    EXPECT_EQ(time.trackPixel(time.slider.barPos()), kThumbOver);

    fixtures::pointAt(time.slider.track().widget(), 60, 5);
    time.slider.overTimer().tick();
    EXPECT_TRUE(time.slider.mouseIsOver());

    fixtures::pointAway();
    time.slider.overTimer().tick();
    EXPECT_FALSE(time.slider.mouseIsOver());
    EXPECT_FALSE(time.slider.overTimer().Enabled());
    EXPECT_EQ(time.trackPixel(time.slider.barPos()), kThumb);
    EXPECT_EQ(time.log, (std::vector<std::string>{"MouseMove", "MouseMove"})) << "leaving raises nothing";
}

TEST(SliderHover, LeavingDuringADragShowsTheNormalThumbUntilTheNextMove) {
    ControlsHost host;
    SliderRig time = sliderTime(host);
    time.move(3, 0);
    time.down(3);
    EXPECT_EQ(time.trackPixel(2), kThumbDown);
    fixtures::pointAway();
    time.slider.overTimer().tick();
    EXPECT_EQ(time.trackPixel(2), kThumb);
    time.move(50);
    EXPECT_EQ(time.trackPixel(time.slider.barPos()), kThumbDown);
    EXPECT_FALSE(time.slider.mouseIsOver()) << "moves while held never start hovering";
}

TEST(SliderLook, PlainThumbShowsTheBoxColours) {
    ControlsHost host;
    Slider slider(host);
    plainHorizontal(slider);
    ASSERT_EQ(slider.ScaleWidth(), 80);
    ASSERT_EQ(slider.ScaleHeight(), 7);
    EXPECT_EQ(slider.thumb().Width(), 9);
    EXPECT_EQ(slider.thumb().Height(), 7);
    const QImage& track = slider.track().image();
    EXPECT_EQ(track.pixel(8, 6), kPlainThumb);
    EXPECT_EQ(track.pixel(9, 6), qRgb(0, 0, 0));

    std::int16_t button = 0, shift = 0;
    float x = 40, y = 3;
    slider.picBack_MouseMove(button, shift, x, y);
    EXPECT_EQ(track.pixel(4, 3), kPlainThumbOver);
    button = kLeft;
    x = 4;
    slider.picBack_MouseDown(button, shift, x, y);
    EXPECT_EQ(track.pixel(4, 3), kPlainThumbDown);
}

// ---- properties ----

TEST(SliderProperties, PositionSwapsTheExtentEveryTime) {
    ControlsHost host;
    Slider slider(host);
    EXPECT_EQ(slider.ScaleWidth(), Slider::kDesignWidthPx);
    EXPECT_EQ(slider.ScaleHeight(), Slider::kDesignHeightPx);
    EXPECT_EQ(slider.thumb().Height(), Slider::kDesignThumbHeightPx)
        << "the thumb's length until Position is set";
    slider.setPosition(5);
    EXPECT_EQ(slider.ScaleWidth(), 80);
    EXPECT_EQ(slider.Position(), 5);
    slider.setPosition(-1);
    EXPECT_EQ(slider.ScaleWidth(), 7);
    EXPECT_EQ(slider.ScaleHeight(), 80);
    EXPECT_EQ(slider.thumb().Width(), Slider::kPlainThumbPx);
    EXPECT_EQ(slider.thumb().Height(), 80) << "horizontal: the thumb takes the control's height";
    EXPECT_EQ(slider.changeReports().back(), "Position");
}

TEST(SliderProperties, PositionOverflowsBeyond2184PixelsAfterItsEarlierSteps) {
    ControlsHost host;
    Slider slider(host);
    slider.Move(0, 0, 2185, 10);
    EXPECT_EQ(fixtures::errorNumberOf([&] { slider.setPosition(1); }), rt::kOverflow);
    EXPECT_EQ(slider.Position(), 1);
    EXPECT_EQ(slider.ScaleWidth(), 10) << "the width was set before the height overflowed";
    EXPECT_EQ(slider.ScaleHeight(), 10);
}

TEST(SliderProperties, MaxAndMinPullTheValueIntoRange) {
    ControlsHost host;
    SliderRig time = sliderTime(host);
    time.slider.setValue(80);
    time.slider.setMax(120);
    EXPECT_EQ(time.slider.Value(), 80);
    time.slider.setMax(50);
    EXPECT_EQ(time.slider.Value(), 50);
    time.slider.setValue(10);
    time.slider.setMin(5);
    EXPECT_EQ(time.slider.Value(), 10);
    time.slider.setMin(20);
    EXPECT_EQ(time.slider.Value(), 20);
    time.slider.setMin(70); // above Max: stored unchanged
    EXPECT_EQ(time.slider.min(), 70);
    EXPECT_EQ(time.slider.Max(), 50);
    EXPECT_TRUE(time.log.empty()) << "no setter raises Change";
}

TEST(SliderProperties, ValueOutsideTheRangeIsIgnoredSilently) {
    ControlsHost host;
    SliderRig time = sliderTime(host);
    time.slider.setValue(30);
    const auto reports = time.slider.changeReports().size();
    time.slider.setValue(-1);
    time.slider.setValue(101);
    EXPECT_EQ(time.slider.Value(), 30);
    EXPECT_EQ(time.slider.changeReports().size(), reports);
    time.slider.setValue(100);
    EXPECT_EQ(time.slider.changeReports().back(), "Value");
}

TEST(SliderProperties, LargeChangeMustStayBelowMax) {
    ControlsHost host;
    SliderRig time = sliderTime(host);
    time.slider.setLargeChange(99);
    EXPECT_EQ(time.slider.LargeChange(), 99);
    const auto reports = time.slider.changeReports().size();
    time.slider.setLargeChange(100);
    EXPECT_EQ(time.slider.LargeChange(), 99);
    EXPECT_EQ(time.slider.changeReports().size(), reports);
    time.slider.setLargeChange(-5);
    EXPECT_EQ(time.slider.LargeChange(), -5);
}

TEST(SliderProperties, FirstPicturesFillTheEmptyBoxesLaterOnesDoNot) {
    ControlsHost host;
    Slider slider(host);
    const rt::Picture thumb = fixtures::solidPicture(6, 5, kThumb);
    slider.setBar(thumb);
    EXPECT_EQ(slider.BarDown().get(), thumb.get());
    EXPECT_EQ(slider.BarOver().get(), thumb.get());
    EXPECT_EQ(slider.thumb().Width(), 6);
    slider.setBar(fixtures::solidPicture(6, 5, kThumbOver));
    EXPECT_EQ(slider.BarDown().get(), thumb.get());

    const rt::Picture track = fixtures::solidPicture(50, 5, kTrack);
    slider.setPictureBack(track);
    EXPECT_EQ(slider.PictureProgress().get(), track.get());
    EXPECT_EQ(slider.track().Width(), 50) << "sized to the picture until the next resize";
    slider.setPictureProgress(fixtures::solidPicture(50, 5, kProgress));
    EXPECT_EQ(slider.PictureBack().get(), track.get());
    EXPECT_NE(slider.PictureProgress().get(), track.get());
}

TEST(SliderProperties, WhichSettersRedraw) {
    ControlsHost host;
    SliderRig time = sliderTime(host);
    QImage& image = const_cast<QImage&>(time.slider.track().image());
    const auto poke = [&] { image.setPixel(150, 5, qRgb(1, 1, 1)); };
    const auto redrawn = [&] { return image.pixel(150, 5) != qRgb(1, 1, 1); };
    const auto lastReport = [&] { return time.slider.changeReports().back().toStdString(); };
    const rt::Picture picture = fixtures::solidPicture(9, 11, kThumb);

    const std::vector<std::pair<std::string, std::function<void()>>> quiet = {
        {"BarDown", [&] { time.slider.setBarDown(picture); }},
        {"BarOver", [&] { time.slider.setBarOver(picture); }},
        {"MouseIcon", [&] { time.slider.setMouseIcon(picture); }},
        {"LargeChange", [&] { time.slider.setLargeChange(3); }},
    };
    for (const auto& [name, set] : quiet) {
        poke();
        set();
        EXPECT_FALSE(redrawn()) << name;
        EXPECT_EQ(lastReport(), name);
    }
    const std::vector<std::pair<std::string, std::function<void()>>> redrawing = {
        {"Bar", [&] { time.slider.setBar(picture); }},
        {"Max", [&] { time.slider.setMax(100); }},
        {"Min", [&] { time.slider.setMin(0); }},
        {"PictureProgress", [&] { time.slider.setPictureProgress(time.slider.PictureProgress()); }},
        {"PictureBack", [&] { time.slider.setPictureBack(time.slider.PictureBack()); }},
    };
    for (const auto& [name, set] : redrawing) {
        poke();
        set();
        EXPECT_TRUE(redrawn()) << name;
        EXPECT_EQ(lastReport(), name);
    }

    // BackColor clears the track box as a box does, but draws no thumb on it.
    time.slider.setBackColor(0x00FF00);
    EXPECT_EQ(time.trackPixel(2), kTrack);
    EXPECT_EQ(time.slider.BackColor(), 0x00FF00);
    EXPECT_EQ(lastReport(), "BackColor");
}

// ---- persistence ----

TEST(SliderBag, NewSliderSavesOnlyItsBlackTrack) {
    ControlsHost host;
    Slider slider(host);
    EXPECT_EQ(slider.Max(), 100);
    EXPECT_EQ(slider.overTimer().Interval(), Slider::kOverPollMs);
    rt::PropertyBag bag;
    slider.UserControl_WriteProperties(bag);
    EXPECT_EQ(bag.keys(), QStringList{"backcolor"});
    EXPECT_EQ(bag.readLong("BackColor", -1), 0);
}

TEST(SliderBag, LoadingAppliesNoGuardAndCopiesNothing) {
    ControlsHost host;
    Slider slider(host);
    rt::PropertyBag bag;
    bag.writePicture("bar", fixtures::solidPicture(9, 11, kThumb));
    bag.writeLong("value", 150, 0);
    slider.UserControl_ReadProperties(bag);
    EXPECT_EQ(slider.Value(), 150);
    EXPECT_EQ(slider.Max(), 100);
    EXPECT_EQ(slider.BarDown()->handle(), 0);
    EXPECT_EQ(slider.BarOver()->handle(), 0);
    EXPECT_EQ(slider.BackColor(), kSystemButtonFace);
    EXPECT_EQ(slider.changeReports(), std::vector<rt::String>{"Position"});
}

TEST(SliderBag, SaveAndLoadThroughTheStoredForm) {
    ControlsHost host;
    SliderRig time = sliderTime(host);
    time.slider.setMin(-4);
    time.slider.setLargeChange(7);
    time.slider.setValue(12);
    time.slider.setMouseIcon(fixtures::solidPicture(2, 2, kThumb));
    rt::PropertyBag bag;
    time.slider.UserControl_WriteProperties(bag);
    EXPECT_EQ(bag.keys(), (QStringList{"pictureback", "mouseicon", "pictureprogress", "bar", "barover",
                                       "bardown", "backcolor", "min", "largechange", "value", "position"}));

    Slider loaded(host);
    loaded.UserControl_ReadProperties(rt::PropertyBag::load(bag.save()));
    EXPECT_EQ(loaded.min(), -4);
    EXPECT_EQ(loaded.Max(), 100);
    EXPECT_EQ(loaded.LargeChange(), 7);
    EXPECT_EQ(loaded.Value(), 12);
    EXPECT_EQ(loaded.Position(), 1);
    EXPECT_EQ(loaded.BackColor(), 0);
    ASSERT_NE(loaded.MouseIcon()->handle(), 0);
    EXPECT_EQ(loaded.BarOver()->image().pixel(0, 0), kThumbOver);
}

TEST(SliderBag, AValueThatCannotBeConvertedStopsTheLoadAtItsKey) {
    ControlsHost host;
    Slider slider(host);
    slider.setValue(7);
    rt::PropertyBag bag;
    bag.writeLong("min", -3, 0);
    bag.writeLong("max", 60, 100);
    bag.writeLong("largechange", 40000, 0);
    bag.writeLong("value", 9, 0);
    bag.writeLong("position", 1, 0);
    EXPECT_EQ(fixtures::errorNumberOf([&] { slider.UserControl_ReadProperties(bag); }), rt::kOverflow);
    EXPECT_EQ(slider.min(), -3);
    EXPECT_EQ(slider.Max(), 60);
    EXPECT_EQ(slider.LargeChange(), 0);
    EXPECT_EQ(slider.Value(), 7);
    EXPECT_EQ(slider.Position(), 0);
}

} // namespace

// The position timer sets the seek bar 40 times a second; only a thumb that moves a pixel is drawn again.
TEST(SliderDrawing, AValueOnTheSamePixelDrawsNothingAndAMovedThumbIsDrawn) {
    ControlsHost host;
    SliderRig time = sliderTime(host, 300);
    time.slider.setValue(100); // 63.67: pixel 64
    ASSERT_EQ(time.slider.barPos(), 64);
    const qint64 drawn = time.slider.track().image().cacheKey();
    time.slider.setValue(101); // 64.3: still pixel 64
    time.slider.setMax(300);
    EXPECT_EQ(time.slider.Value(), 101);
    EXPECT_EQ(time.slider.track().image().cacheKey(), drawn);

    time.slider.setValue(102); // 64.94: pixel 65
    EXPECT_EQ(time.slider.barPos(), 65);
    EXPECT_NE(time.slider.track().image().cacheKey(), drawn);
    EXPECT_EQ(time.trackPixel(64), kProgress);
    EXPECT_EQ(time.trackPixel(65), kThumb);

    // Scribbled on from outside, the track is drawn again even for the same pixel.
    const_cast<QImage&>(time.slider.track().image()).setPixel(150, 5, qRgb(1, 1, 1));
    time.slider.setValue(102);
    EXPECT_EQ(time.trackPixel(150, 5), kTrack);
    // A new look for the same pixel is drawn too: the hover thumb replaces the normal one.
    std::int16_t none = 0;
    float x = 150, y = 2;
    time.slider.picBack_MouseMove(none, none, x, y);
    EXPECT_EQ(time.trackPixel(65), kThumbOver);
}
