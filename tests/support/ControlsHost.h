#pragma once
// A shown window to place picture-drawn controls on, measured in pixels, and the pointer moved over a
// control or away from every window, so hover polls find what a user's pointer would.
#include "platform/base/Picture.h"
#include "platform/runtime/Form.h"

#include <QImage>
#include <QRgb>
#include <memory>

class QWidget;

namespace fixtures {

class ControlsHost : public rt::Form {
  public:
    // Where the host window lies on the (offscreen) screen, in pixels.
    static constexpr int kLeftPx = 200;
    static constexpr int kTopPx = 150;

    explicit ControlsHost(int widthPx = 400, int heightPx = 200);
    ~ControlsHost() override;

  protected:
    std::shared_ptr<void> createDesign() override { return nullptr; }
};

// Puts the pointer on the point (x, y) of a widget, in the widget's own pixels.
void pointAt(const QWidget* widget, int x, int y);
// Puts the pointer where no window of the program lies.
void pointAway();

// A picture decoded from a PNG of one colour, of kind bitmap.
rt::Picture solidPicture(int width, int height, QRgb colour);
// A picture made from an image, kept losslessly.
rt::Picture pictureOf(const QImage& image);

} // namespace fixtures
