#include "platform/base/Errors.h"
#include "platform/base/Picture.h"

#include "tests/support/ErrorCapture.h"
#include "tests/support/PictureFixtures.h"

#include <QDir>
#include <gtest/gtest.h>

using namespace rt;
using fixtures::errorNumberOf;

TEST(Picture, EmptyPictureHasNoHandleKindOrSize) {
    const Picture picture = PictureObject::empty();
    ASSERT_NE(picture, nullptr);
    EXPECT_EQ(picture->handle(), 0);
    EXPECT_EQ(picture->Type(), PictureObject::kNone);
    EXPECT_EQ(picture->Width(), 0);
    EXPECT_EQ(picture->Height(), 0);
    EXPECT_TRUE(picture->fileBytes().isEmpty());
    EXPECT_EQ(PictureObject::fromHandle(0), nullptr);
}

TEST(Picture, BitmapFormatsAreKindOne) {
    const QImage image = fixtures::solidImage(19, 18, qRgb(255, 255, 255));
    for (const char* format : {"PNG", "BMP", "JPEG"}) {
        const QByteArray bytes = fixtures::imageFileBytes(image, format);
        const Picture picture = PictureObject::fromFileBytes(bytes);
        EXPECT_EQ(picture->Type(), PictureObject::kBitmap) << format;
        EXPECT_EQ(picture->pixelWidth(), 19) << format;
        EXPECT_EQ(picture->pixelHeight(), 18) << format;
        EXPECT_EQ(picture->fileBytes(), bytes) << format;
    }
    const Picture gif = PictureObject::fromFileBytes(fixtures::tinyGifBytes());
    EXPECT_EQ(gif->Type(), PictureObject::kBitmap);
    EXPECT_EQ(gif->pixelWidth(), 1);
}

TEST(Picture, SizesAreInHiMetric) {
    const Picture button = PictureObject::fromFileBytes(
        fixtures::imageFileBytes(fixtures::solidImage(19, 18, qRgb(0, 0, 255)), "PNG"));
    EXPECT_EQ(button->Width(), 503);
    EXPECT_EQ(button->Height(), 476);
    const Picture slider = PictureObject::fromFileBytes(
        fixtures::imageFileBytes(fixtures::solidImage(200, 11, qRgb(0, 0, 255)), "PNG"));
    EXPECT_EQ(slider->Width(), 5292);
    EXPECT_EQ(slider->Height(), 291);
}

TEST(Picture, UnitConversions) {
    EXPECT_EQ(pixelsToHiMetric(0), 0);
    EXPECT_EQ(pixelsToHiMetric(1), 26);
    EXPECT_EQ(pixelsToHiMetric(96), 2540);
    EXPECT_EQ(pixelsToHiMetric(177), 4683);
    EXPECT_EQ(hiMetricToTwips(2540), 1440);
    EXPECT_EQ(hiMetricToTwips(503), 285);
    EXPECT_EQ(hiMetricToTwips(5292), 3000);
    EXPECT_EQ(hiMetricToTwips(-2540), -1440);
}

TEST(Picture, IconIsKindThreeAndShowsItsLargestFrame) {
    const QByteArray icon = fixtures::iconFileBytes({fixtures::solidImage(16, 16, qRgb(255, 0, 0)),
                                                     fixtures::solidImage(48, 48, qRgb(0, 255, 0)),
                                                     fixtures::solidImage(32, 32, qRgb(0, 0, 255))});
    const Picture picture = PictureObject::fromFileBytes(icon);
    EXPECT_EQ(picture->Type(), PictureObject::kIcon);
    EXPECT_EQ(picture->pixelWidth(), 48);
    EXPECT_EQ(picture->image().pixel(10, 10), qRgb(0, 255, 0));
    EXPECT_EQ(picture->fileBytes(), icon);
}

TEST(Picture, IconWrittenByQtIsRead) {
    const QByteArray icon = fixtures::imageFileBytes(fixtures::solidImage(32, 32, qRgb(1, 2, 3)), "ICO");
    ASSERT_FALSE(icon.isEmpty());
    EXPECT_EQ(PictureObject::fromFileBytes(icon)->Type(), PictureObject::kIcon);
}

TEST(Picture, AnythingElseIsInvalidPicture) {
    EXPECT_EQ(errorNumberOf([] { PictureObject::fromFileBytes("not a picture at all"); }), kInvalidPicture);
    EXPECT_EQ(errorNumberOf([] { PictureObject::fromFileBytes({}); }), kInvalidPicture);
    const QByteArray png = fixtures::imageFileBytes(fixtures::solidImage(8, 8, qRgb(0, 0, 0)), "PNG");
    EXPECT_EQ(errorNumberOf([&] { PictureObject::fromFileBytes(png.left(20)); }), kInvalidPicture);
    const QByteArray ppm = fixtures::imageFileBytes(fixtures::solidImage(8, 8, qRgb(0, 0, 0)), "PPM");
    ASSERT_FALSE(ppm.isEmpty());
    EXPECT_EQ(errorNumberOf([&] { PictureObject::fromFileBytes(ppm); }), kInvalidPicture);
}

TEST(Picture, HugeDeclaredSizeIsRefusedBeforeDecoding) {
    // A GIF whose screen and image claim 65535 x 65535 pixels.
    QByteArray gif = fixtures::tinyGifBytes();
    for (const int offset : {6, 8, 32, 34}) {
        gif[offset] = char(0xFF);
        gif[offset + 1] = char(0xFF);
    }
    EXPECT_EQ(errorNumberOf([&] { PictureObject::fromFileBytes(gif); }), kInvalidPicture);
}

TEST(Picture, HandlesAreUniqueAndLiveOnlyWithThePicture) {
    const QByteArray png = fixtures::imageFileBytes(fixtures::solidImage(4, 4, qRgb(9, 9, 9)), "PNG");
    Picture first = PictureObject::fromFileBytes(png);
    const Picture second = PictureObject::fromFileBytes(png);
    ASSERT_NE(first->handle(), 0);
    EXPECT_NE(first->handle(), second->handle());
    EXPECT_EQ(PictureObject::fromHandle(first->handle()), first.get());
    EXPECT_EQ(PictureObject::fromHandle(second->handle()), second.get());
    const int handle = first->handle();
    first.reset();
    EXPECT_EQ(PictureObject::fromHandle(handle), nullptr);
    EXPECT_EQ(PictureObject::fromHandle(second->handle()), second.get());
}

TEST(Picture, MissingSkinPictureIsFileNotFoundWithItsName) {
    try {
        PictureObject::fromSkin("no-such-picture.png");
        FAIL() << "no error";
    } catch (const RuntimeError& error) {
        EXPECT_EQ(error.number(), kFileNotFound);
        EXPECT_NE(std::string(error.what()).find("no-such-picture.png"), std::string::npos);
    }
}

TEST(Picture, EmbeddedSkinPicturesLoad) {
    const QStringList names = QDir(":/skin/pictures").entryList(QDir::Files);
    if (names.isEmpty())
        GTEST_SKIP() << "no skin pictures embedded in this build";
    for (const QString& name : names) {
        const Picture picture = PictureObject::fromSkin(name);
        EXPECT_NE(picture->handle(), 0) << name.toStdString();
        EXPECT_GT(picture->pixelWidth(), 0) << name.toStdString();
    }
}
