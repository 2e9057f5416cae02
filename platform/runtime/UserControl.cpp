#include "platform/runtime/UserControl.h"

#include "platform/base/Events.h"
#include "platform/runtime/ControlWidgets.h"
#include "platform/runtime/PropertyBag.h"
#include "platform/win/Windows.h"

#include <QPainter>
#include <climits>
#include <cmath>

namespace rt {

namespace {

// The widget of a user control: shows its persistent image and reports the mouse to the control.
class UserControlWidget : public QWidget {
  public:
    UserControlWidget(UserControl* control, const QImage* image) : control_(control), image_(image) {
        setMouseTracking(true);
        setAttribute(Qt::WA_OpaquePaintEvent);
    }

  protected:
    void paintEvent(QPaintEvent*) override {
        QPainter painter(this);
        painter.drawImage(0, 0, *image_);
    }
    void mousePressEvent(QMouseEvent* event) override { report(event); }
    void mouseMoveEvent(QMouseEvent* event) override { report(event); }
    void mouseReleaseEvent(QMouseEvent* event) override {
        report(event);
        // A capture the control took (its double click) ends with the release that follows.
        if (win::GetCapture() == control_->hWnd())
            win::ReleaseCapture();
    }
    void mouseDoubleClickEvent(QMouseEvent*) override {
        dispatch([this] { control_->UserControl_DblClick(); });
    }

  private:
    void report(QMouseEvent* event) {
        std::int16_t button = event->type() == QEvent::MouseMove ? buttonCodesOf(event->buttons())
                                                                 : buttonCodeOf(event->button());
        std::int16_t shift = shiftMaskOf(event->modifiers());
        float x = static_cast<float>(event->position().x());
        float y = static_cast<float>(event->position().y());
        dispatch([&] {
            if (event->type() == QEvent::MouseButtonPress)
                control_->UserControl_MouseDown(button, shift, x, y);
            else if (event->type() == QEvent::MouseMove)
                control_->UserControl_MouseMove(button, shift, x, y);
            else
                control_->UserControl_MouseUp(button, shift, x, y);
        });
    }
    UserControl* control_;
    const QImage* image_;
};

constexpr int kHiMetricPerInch = 2540;
constexpr int kPixelsPerInch = 96;

double hiMetricToPixels(int hiMetric) {
    return hiMetric * double(kPixelsPerInch) / kHiMetricPerInch;
}

} // namespace

UserControl::UserControl(Container& parent) : Control(parent, Kind::Windowed) {
    auto* surface = new UserControlWidget(this, &image_);
    attachWidget(surface);
    hWnd_ = win::registerWindow(surface);
    hDC_ = win::registerSurface({&image_, [surface] { surface->update(); }});
    rebuildImage();
}

UserControl::~UserControl() {
    win::unregisterSurface(hDC_);
    win::unregisterWindow(hWnd_);
}

float UserControl::ScaleWidth() const {
    return static_cast<float>(image_.width());
}
float UserControl::ScaleHeight() const {
    return static_cast<float>(image_.height());
}

int UserControl::extentWidthTwips() const {
    return image_.width() * kTwipsPerPixel;
}
int UserControl::extentHeightTwips() const {
    return image_.height() * kTwipsPerPixel;
}

void UserControl::setExtentTwips(int width, int height) {
    Move(Left(), Top(), container().fromPixels(width / double(kTwipsPerPixel)),
         container().fromPixels(height / double(kTwipsPerPixel)));
}

void UserControl::Cls() {
    image_.fill(QColor::fromRgb(rgbOf(backColor_)));
    if (picture_ && picture_->handle()) {
        QPainter painter(&image_);
        painter.drawImage(0, 0, picture_->image());
    }
    win::notifySurfaceChanged(hDC_);
}

void UserControl::PaintPicture(const Picture& picture, double x, double y) {
    if (!picture || !picture->handle())
        return;
    QPainter painter(&image_);
    painter.drawImage(QPointF(x, y), picture->image());
    win::notifySurfaceChanged(hDC_);
}

void UserControl::repaint() {
    if (widget())
        widget()->update();
}

void UserControl::PropertyChanged(const String& name) {
    if (changeReports_.size() == kKeptChangeReports)
        changeReports_.erase(changeReports_.begin());
    changeReports_.push_back(name);
}

void UserControl::loadDesign(double left, double top, double width, double height, const PropertyBag& bag) {
    const int extentX = bag.readLong("_extentx", 0);
    const int extentY = bag.readLong("_extenty", 0);
    if (extentX > 0 && extentY > 0)
        Move(left, top, container().fromPixels(std::round(hiMetricToPixels(extentX))),
             container().fromPixels(std::round(hiMetricToPixels(extentY))));
    else
        Move(left, top, width, height);
    UserControl_ReadProperties(bag);
    Move(left, top, width, height);
}

void UserControl::saveDesign(PropertyBag& bag) {
    // The host's own entries are always stored: no default can equal them.
    constexpr std::int32_t kAlwaysStored = INT32_MIN;
    bag.writeLong("_extentx", pixelsToHiMetric(image_.width()), kAlwaysStored);
    bag.writeLong("_extenty", pixelsToHiMetric(image_.height()), kAlwaysStored);
    UserControl_WriteProperties(bag);
}

void UserControl::resized() {
    rebuildImage();
    UserControl_Resize();
}

void UserControl::rebuildImage() {
    const QColor back = QColor::fromRgb(rgbOf(backColor_));
    if (resizePersistentImage(image_, pixelSize(), [&back](QImage& image) { image.fill(back); }))
        repaint();
}

} // namespace rt
