#include "ControlsHost.h"

#include "PictureFixtures.h"

#include <QApplication>
#include <QCursor>
#include <QWidget>

namespace fixtures {

namespace {

// Far below and right of every test window.
constexpr int kAwayPx = 3000;

} // namespace

ControlsHost::ControlsHost(int widthPx, int heightPx) : Form("Controls host") {
    load();
    setScaleMode(rt::kScalePixels);
    setLeft(kLeftPx * rt::kTwipsPerPixel);
    setTop(kTopPx * rt::kTwipsPerPixel);
    setWidth(widthPx * rt::kTwipsPerPixel);
    setHeight(heightPx * rt::kTwipsPerPixel);
    Show();
    QApplication::processEvents();
}

ControlsHost::~ControlsHost() {
    Unload();
}

void pointAt(const QWidget* widget, int x, int y) {
    QCursor::setPos(widget->mapToGlobal(QPoint(x, y)));
}

void pointAway() {
    QCursor::setPos(kAwayPx, kAwayPx);
}

rt::Picture solidPicture(int width, int height, QRgb colour) {
    return rt::PictureObject::fromFileBytes(imageFileBytes(solidImage(width, height, colour), "PNG"));
}

rt::Picture pictureOf(const QImage& image) {
    return rt::PictureObject::fromFileBytes(imageFileBytes(image, "PNG"));
}

} // namespace fixtures
