#include "platform/runtime/FormWidget.h"

#include "platform/base/Events.h"
#include "platform/runtime/ControlWidgets.h"
#include "platform/win/DropData.h"

#include <QApplication>
#include <QCloseEvent>
#include <QKeyEvent>
#include <QMimeData>
#include <QPainter>

namespace rt {

FormWidget::FormWidget(Form* form) : QWidget(nullptr, Qt::Window | Qt::FramelessWindowHint), form_(form) {
    setAttribute(Qt::WA_OpaquePaintEvent);
    setFocusPolicy(Qt::StrongFocus);
}

void FormWidget::rebuildSurface(const QColor& back, const Picture& picture) {
    back_ = back;
    picture_ = picture;
    surface_ = QImage(size().expandedTo(QSize(1, 1)), QImage::Format_RGB32);
    surface_.fill(back);
    if (picture && picture->handle()) {
        QPainter painter(&surface_);
        painter.drawImage(0, 0, picture->image());
    }
    surfaceChanged();
}

void FormWidget::surfaceChanged() {
    keyed_ = QImage();
    update();
}

void FormWidget::resizeEvent(QResizeEvent* event) {
    QWidget::resizeEvent(event);
    if (surface_.size() != size())
        rebuildSurface(back_, picture_);
}

const QImage& FormWidget::keyedSurface() {
    const QColor key = property("ondaraColorKey").value<QColor>();
    if (!keyed_.isNull() && keyedFor_ == key.rgb())
        return keyed_;
    // Pixels of exactly the key colour become see-through; every other pixel stays fully opaque.
    keyed_ = surface_.convertToFormat(QImage::Format_ARGB32);
    const QRgb keyRgb = key.rgb() | 0xFF000000u;
    for (int y = 0; y < keyed_.height(); ++y) {
        auto* line = reinterpret_cast<QRgb*>(keyed_.scanLine(y));
        for (int x = 0; x < keyed_.width(); ++x)
            if ((line[x] | 0xFF000000u) == keyRgb)
                line[x] = 0;
    }
    keyedFor_ = key.rgb();
    return keyed_;
}

void FormWidget::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    if (property("ondaraColorKey").isValid()) {
        painter.setCompositionMode(QPainter::CompositionMode_Source);
        painter.drawImage(0, 0, keyedSurface());
    } else {
        painter.drawImage(0, 0, surface_);
    }
}

void FormWidget::mousePressEvent(QMouseEvent* event) {
    std::int16_t button = buttonCodeOf(event->button());
    std::int16_t shift = shiftMaskOf(event->modifiers());
    const bool twips = form_->ScaleMode() == kScaleTwips;
    float x = static_cast<float>(event->position().x() * (twips ? kTwipsPerPixel : 1));
    float y = static_cast<float>(event->position().y() * (twips ? kTwipsPerPixel : 1));
    dispatch([&] { form_->mouseDown(button, shift, x, y); });
}

void FormWidget::mouseDoubleClickEvent(QMouseEvent*) {
    dispatch([this] { form_->dblClick(); });
}

void FormWidget::dragEnterEvent(QDragEnterEvent* event) {
    if (event->mimeData()->hasUrls())
        event->acceptProposedAction();
}

void FormWidget::dragMoveEvent(QDragMoveEvent* event) {
    if (event->mimeData()->hasUrls())
        event->acceptProposedAction();
}

void FormWidget::dropEvent(QDropEvent* event) {
    auto data = shell::DropData::fromMimeData(*event->mimeData());
    std::int16_t button = buttonCodesOf(event->buttons());
    std::int16_t shift = shiftMaskOf(event->modifiers());
    const bool twips = form_->ScaleMode() == kScaleTwips;
    float x = static_cast<float>(event->position().x() * (twips ? kTwipsPerPixel : 1));
    float y = static_cast<float>(event->position().y() * (twips ? kTwipsPerPixel : 1));
    event->acceptProposedAction();
    dispatchSoon(this, [form = form_, data, button, shift, x, y]() mutable {
        std::int32_t effect = 1;
        form->dropped(data, effect, button, shift, x, y);
    });
}

void FormWidget::closeEvent(QCloseEvent* event) {
    event->ignore();
    dispatch([this] { form_->closeRequested(); });
}

namespace {

class KeyPreviewFilter : public QObject {
  public:
    using QObject::QObject;

  protected:
    bool eventFilter(QObject* watched, QEvent* event) override {
        if (event->type() != QEvent::KeyPress || !watched->isWidgetType())
            return false;
        auto* receiver = static_cast<QWidget*>(watched);
        auto* formWidget = dynamic_cast<FormWidget*>(receiver->window());
        if (!formWidget)
            return false;
        // Propagation to parent widgets comes through here again: only the first receiver counts.
        QWidget* first = QApplication::focusWidget();
        if (!first || first->window() != formWidget)
            first = formWidget;
        if (receiver != first)
            return false;
        Form* form = formWidget->form();
        if (!form->KeyPreview() && receiver != formWidget)
            return false;
        auto* key = static_cast<QKeyEvent*>(event);
        std::int16_t keyCode = virtualKeyOf(key->key(), key->modifiers() & Qt::KeypadModifier);
        std::int16_t shift = shiftMaskOf(key->modifiers());
        if (keyCode == 0)
            return false;
        dispatch([&] { form->keyDown(keyCode, shift); });
        // A handler that sets the key code to 0 keeps the key from the control.
        return keyCode == 0;
    }
};

} // namespace

void installKeyPreviewFilter() {
    static KeyPreviewFilter* filter = nullptr;
    if (filter || !qApp)
        return;
    filter = new KeyPreviewFilter(qApp);
    qApp->installEventFilter(filter);
}

// A minimised window is not seen: its timers go on moving its controls, but nothing is painted until it
// is restored, which repaints it whole.
void FormWidget::changeEvent(QEvent* event) {
    if (event->type() == QEvent::WindowStateChange)
        setUpdatesEnabled(!(windowState() & Qt::WindowMinimized));
    QWidget::changeEvent(event);
}

} // namespace rt
