#pragma once
// The top-level widget of a form (platform-internal): paints the skin, shows the window's key colour as
// see-through when it is layered, and hands mouse presses, double clicks, drops and close requests to the
// form.
#include "platform/runtime/Form.h"

#include <QImage>
#include <QWidget>

namespace rt {

class FormWidget : public QWidget {
  public:
    explicit FormWidget(Form* form);
    Form* form() const { return form_; }

    QImage& surface() { return surface_; }
    void rebuildSurface(const QColor& back, const Picture& picture);
    void surfaceChanged();

  protected:
    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseDoubleClickEvent(QMouseEvent* event) override;
    void dragEnterEvent(QDragEnterEvent* event) override;
    void dragMoveEvent(QDragMoveEvent* event) override;
    void dropEvent(QDropEvent* event) override;
    void closeEvent(QCloseEvent* event) override;
    void changeEvent(QEvent* event) override;

  private:
    const QImage& keyedSurface();
    Form* form_;
    QImage surface_;
    QImage keyed_;
    QRgb keyedFor_ = 0;
    QColor back_;
    Picture picture_;
};

// Lets a form with key preview see key presses before the control that has the focus.
void installKeyPreviewFilter();

} // namespace rt
