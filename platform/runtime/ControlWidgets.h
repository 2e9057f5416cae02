#pragma once
// The Qt widgets behind the intrinsic controls (platform-internal).
#include "platform/runtime/Controls.h"

#include <QEvent>
#include <QImage>
#include <QLabel>
#include <QListWidget>
#include <QMouseEvent>
#include <QStaticText>
#include <QWidget>
#include <functional>
#include <optional>

namespace rt {

// The runtime's mouse button codes (1 left, 2 right, 4 middle) and shift mask (1 shift, 2 ctrl, 4 alt).
std::int16_t buttonCodeOf(Qt::MouseButton button);
std::int16_t buttonCodesOf(Qt::MouseButtons buttons);
std::int16_t shiftMaskOf(Qt::KeyboardModifiers modifiers);

// Gives a persistent image a new size: what was drawn stays, the area it did not cover is cleared by
// `clear`, which sees the image at its new size. False when the size did not change.
bool resizePersistentImage(QImage& image, QSize size, const std::function<void(QImage&)>& clear);

struct MouseHandlers {
    MouseHandler down, move, up;
    std::function<void()> click, dblClick;
    std::function<float(double)> toUnits; // pixels -> the control's unit
};

// Sends a widget's mouse events to the handlers inside a dispatch, with the runtime's arguments.
void dispatchMouse(const MouseHandlers& handlers, QMouseEvent* event, const QWidget* widget);

// Reports a left press and release inside the watched widget as a click.
class ClickFilter : public QObject {
  public:
    ClickFilter(QObject* parent, std::function<void()> click) : QObject(parent), click_(std::move(click)) {}

  protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

  private:
    std::function<void()> click_;
    bool pressed_ = false;
};

class ClickableLabel : public QLabel {
  public:
    explicit ClickableLabel(std::function<void()> click) : click_(std::move(click)) {}

  protected:
    // A press on a label is the label's own, as on a windowed control: it never reaches the window body.
    void mousePressEvent(QMouseEvent* event) override { event->accept(); }
    void mouseReleaseEvent(QMouseEvent* event) override;

  private:
    std::function<void()> click_;
};

// Shows a persistent image; reports the mouse.
class SurfaceWidget : public QWidget {
  public:
    explicit SurfaceWidget(const QImage* image);
    MouseHandlers mouse;

  protected:
    void paintEvent(QPaintEvent*) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void mouseDoubleClickEvent(QMouseEvent* event) override;

  private:
    const QImage* image_;
};

class FilledRect : public QWidget {
  public:
    explicit FilledRect(const std::int32_t* colour) : colour_(colour) {}

  protected:
    void paintEvent(QPaintEvent*) override;

  private:
    const std::int32_t* colour_;
};

class ListWidget : public QListWidget {
  public:
    ListWidget();
    int horizontalExtent() const { return extent_; }

    std::function<void()> clicked;
    DropHandler dropped;
    std::function<float(double)> toUnits;

  protected:
    bool event(QEvent* event) override;
    void updateGeometries() override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void dragEnterEvent(QDragEnterEvent* event) override;
    void dragMoveEvent(QDragMoveEvent* event) override;
    void dropEvent(QDropEvent* event) override;

  private:
    int extent_ = 0;
};

// A label's text: laid out once per caption and font, not at every paint (a scrolling title repaints often).
// A QLabel to everyone else (screen readers see static text), it paints like a plain-text label: the
// palette's window text, aligned in the widget, no wrapping, over the widget's own background. A press is
// the label's; a release inside clicks.
class TextLabel : public QLabel {
  public:
    explicit TextLabel(std::function<void()> click);
    void setText(const QString& text);
    void setAlignment(Qt::Alignment alignment);
    // Where the whole label lies, in the widget's own pixels; the widget may show only part of it.
    void setTextPlace(const QRect& place);
    QRect textPlace() const { return place_.value_or(rect()); }
    // The picture behind the label in its parent, which the label then paints itself, so that a repaint of
    // the label paints nothing else; none: the parent paints behind it.
    void setBackdrop(const QImage* backdrop);
    // The container's widget changed size or gained or lost a widget: what of the label can be seen, and
    // what lies behind it, may have changed.
    std::function<void()> containerChanged;
    // How many times the text was laid out (tests).
    int layouts() const { return layouts_; }

  protected:
    void paintEvent(QPaintEvent* event) override;
    void changeEvent(QEvent* event) override;
    bool event(QEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override { event->accept(); }
    void mouseReleaseEvent(QMouseEvent* event) override;

  private:
    bool outsideText(const QEvent* event) const;
    void layOut();
    QPointF textOrigin() const;
    void drawTextPicture(const QColor& colour, QPointF fraction);
    QStaticText text_;
    QImage picture_; // the text drawn once, for painting again and again
    QColor pictureColour_;
    QPointF pictureFraction_;
    int pictureMargin_ = 0;
    const QImage* backdrop_ = nullptr;
    std::optional<QRect> place_; // none: the widget's own rectangle
    Qt::Alignment alignment_ = Qt::AlignLeft | Qt::AlignTop;
    std::function<void()> click_;
    int layouts_ = 0;
};

} // namespace rt
