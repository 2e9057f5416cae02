// What the windows store for their buttons and sliders, and how the main window's controls look once
// loaded from it with the skin.
#include "controls/Button.h"
#include "controls/Slider.h"
#include "controls/StoredBags.h"
#include "platform/base/Errors.h"
#include "platform/runtime/SkinCatalog.h"
#include "tests/support/ControlsHost.h"
#include "tests/support/ErrorCapture.h"

#include <QDir>
#include <gtest/gtest.h>

namespace {

using fixtures::ControlsHost;

QImage skinImage(const char* file) {
    return QImage(QString(rt::skin::kResourcePrefix) + file).convertToFormat(QImage::Format_RGB32);
}

// Every pixel of the control's image is the skin picture's pixel at the same place, shifted by (dx, dy).
void expectShows(const QImage& shown, const QImage& picture, QRect area, QPoint shift = {}) {
    for (int y = area.top(); y <= area.bottom(); ++y)
        for (int x = area.left(); x <= area.right(); ++x)
            ASSERT_EQ(shown.pixel(x, y), picture.pixel(x + shift.x(), y + shift.y()))
                << "at " << x << ", " << y;
}

// Keeps what a test looked at, for a person to see (set ONDARA_SHOTS to a folder).
void keepShot(const QImage& image, const char* name) {
    const QString folder = qEnvironmentVariable("ONDARA_SHOTS");
    if (!folder.isEmpty())
        image.save(QDir(folder).filePath(QString(name) + ".png"));
}

TEST(StoredBags, ButtonBagsHoldTheirExtentFirstThenTheButtonsValues) {
    const rt::PropertyBag close = controls::closeButtonBag();
    EXPECT_EQ(close.keys(), (QStringList{"_extentx", "_extenty", "buttoncolor", "pictureback",
                                         "picturenormal", "picturedown", "pictureover", "style"}));
    EXPECT_EQ(close.readLong("_extentx", 0), 503);
    EXPECT_EQ(close.readLong("_extenty", 0), 476);
    EXPECT_EQ(close.readLong("buttoncolor", 0), 0xFFFFFF);
    EXPECT_EQ(close.readLong("style", 0), 1);
    EXPECT_EQ(close.readPicture("picturenormal")->fileBytes(), close.readPicture("pictureback")->fileBytes());

    const rt::PropertyBag minimise = controls::minimiseButtonBag();
    EXPECT_FALSE(minimise.contains("picturenormal"));
    EXPECT_EQ(minimise.readLong("buttoncolor", 0), 0xC00000);
    EXPECT_EQ(controls::abautBag().readLong("buttoncolor", 0), -2147483639);
    EXPECT_EQ(controls::infoBag().readLong("_extentx", 0), 1402);
    EXPECT_FALSE(controls::openBag().contains("buttoncolor"));
    EXPECT_EQ(controls::plBag().readPicture("picturedown")->pixelWidth(), 27);
    EXPECT_EQ(controls::saToggleBag().readLong("_extenty", 0), 767);

    const rt::PropertyBag stop = controls::controlBag(2);
    EXPECT_EQ(stop.readLong("_extentx", 0), 1561);
    EXPECT_EQ(stop.readPicture("pictureback")->pixelHeight(), 44);
    EXPECT_EQ(stop.readPicture("picturenormal")->pixelHeight(), 63);
    EXPECT_NE(controls::controlBag(0).readPicture("picturenormal")->fileBytes(),
              controls::controlBag(0).readPicture("pictureback")->fileBytes());
    EXPECT_EQ(fixtures::errorNumberOf([] { controls::controlBag(3); }), rt::kSubscriptOutOfRange);
}

TEST(StoredBags, SliderBagsHoldTheirExtentFirstThenTheSlidersValues) {
    const rt::PropertyBag time = controls::sliderTimeBag();
    EXPECT_EQ(time.keys(), (QStringList{"_extentx", "_extenty", "pictureback", "pictureprogress", "bar",
                                        "barover", "bardown", "backcolor", "value", "position"}));
    EXPECT_EQ(time.readLong("_extentx", 0), 5292);
    EXPECT_EQ(time.readLong("value", 0), 50);
    EXPECT_EQ(time.readLong("backcolor", -1), 0);
    const rt::PropertyBag vol = controls::sliderVolBag();
    EXPECT_EQ(vol.keys(), (QStringList{"_extentx", "_extenty", "pictureback", "pictureprogress", "bar",
                                       "barover", "bardown", "backcolor", "max", "position"}));
    EXPECT_EQ(vol.readLong("max", 0), 90);
    EXPECT_EQ(vol.readPicture("bardown")->fileBytes(), vol.readPicture("bar")->fileBytes());
}

TEST(StoredBags, SurviveTheStoredForm) {
    for (const rt::PropertyBag& bag : {controls::closeButtonBag(), controls::controlBag(1),
                                       controls::sliderTimeBag(), controls::sliderVolBag()})
        EXPECT_TRUE(rt::PropertyBag::load(bag.save()) == bag);
}

TEST(PlayerControls, SlidersLoadAsDesignedAndShowTheSkin) {
    ControlsHost host(400, 60);
    controls::Slider time(host);
    time.loadDesign(10, 10, 200, 11, controls::sliderTimeBag());
    controls::Slider vol(host);
    vol.loadDesign(10, 30, 177, 14, controls::sliderVolBag());

    EXPECT_EQ(time.min(), 0);
    EXPECT_EQ(time.Max(), 100);
    EXPECT_EQ(time.Value(), 50);
    EXPECT_EQ(time.LargeChange(), 0);
    EXPECT_EQ(time.Position(), 1);
    EXPECT_EQ(vol.Max(), 90);
    EXPECT_EQ(vol.Value(), 0);
    EXPECT_EQ(time.ScaleWidth(), 200);
    EXPECT_EQ(time.ScaleHeight(), 11);
    EXPECT_EQ(vol.ScaleWidth(), 177);
    EXPECT_EQ(vol.ScaleHeight(), 14);

    // Seek bar at 50 of 100: the thumb at 96 (95.5), the track (which is also the progress) around it.
    const QImage track = skinImage(rt::skin::kSeekTrack);
    const QImage thumb = skinImage(rt::skin::kSeekThumb);
    ASSERT_EQ(time.barPos(), 96);
    expectShows(time.track().image(), track, QRect(0, 0, 96, 11));
    expectShows(time.track().image(), thumb, QRect(96, 0, 9, 11), QPoint(-96, 0));
    expectShows(time.track().image(), track, QRect(105, 0, 95, 11));

    // Fader at 0: the thumb at the left end.
    expectShows(vol.track().image(), skinImage(rt::skin::kVolThumb), QRect(0, 0, 27, 14));
    expectShows(vol.track().image(), skinImage(rt::skin::kVolTrack), QRect(27, 0, 150, 14));

    // Hovering shows the hover thumb.
    std::int16_t button = 0, shift = 0;
    float x = 40, y = 5;
    vol.picBack_MouseMove(button, shift, x, y);
    expectShows(vol.track().image(), skinImage(rt::skin::kVolThumbOver), QRect(0, 0, 27, 14));
    keepShot(host.containerWidget()->grab().toImage(), "player-sliders");
}

TEST(PlayerControls, ButtonsLoadAsDesignedAndShowTheSkinInEveryState) {
    ControlsHost host(200, 100);
    controls::Button close(host);
    close.loadDesign(0, 0, 19, 18, controls::closeButtonBag());
    controls::Button minimise(host);
    minimise.loadDesign(20, 0, 19, 18, controls::minimiseButtonBag());
    controls::Button stop(host);
    stop.loadDesign(40, 0, 59, 61, controls::controlBag(2));
    controls::Button play(host);
    play.loadDesign(100, 0, 70, 65, controls::controlBag(0));

    const QRect closeArea(0, 0, 19, 18);
    expectShows(close.image(), skinImage(rt::skin::kCloseBack), closeArea);
    expectShows(minimise.image(), skinImage(rt::skin::kMinBack), closeArea);
    // The stop picture is two pixels taller than its button: centred, it starts one pixel above.
    expectShows(stop.image(), skinImage(rt::skin::kStopNormal), QRect(0, 0, 59, 61), QPoint(0, 1));
    expectShows(play.image(), skinImage(rt::skin::kPlayNormal), QRect(0, 0, 70, 65), QPoint(0, 1));
    keepShot(host.containerWidget()->grab().toImage(), "player-buttons-rest");

    std::int16_t button = 0, shift = 0;
    float x = 5, y = 5;
    for (controls::Button* b : {&close, &minimise, &stop})
        b->UserControl_MouseMove(button, shift, x, y);
    expectShows(close.image(), skinImage(rt::skin::kCloseOver), closeArea);
    expectShows(minimise.image(), skinImage(rt::skin::kMinOver), closeArea);
    expectShows(stop.image(), skinImage(rt::skin::kStopOver), QRect(0, 0, 59, 61), QPoint(0, 1));

    button = 1;
    for (controls::Button* b : {&close, &minimise, &stop})
        b->UserControl_MouseDown(button, shift, x, y);
    expectShows(close.image(), skinImage(rt::skin::kCloseDown), closeArea);
    expectShows(minimise.image(), skinImage(rt::skin::kMinDown), closeArea);
    expectShows(stop.image(), skinImage(rt::skin::kStopDown), QRect(0, 0, 59, 61), QPoint(0, 1));
    keepShot(host.containerWidget()->grab().toImage(), "player-buttons-pressed");
}

} // namespace
