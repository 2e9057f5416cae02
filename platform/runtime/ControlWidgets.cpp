#include "platform/runtime/ControlWidgets.h"

#include "platform/base/Events.h"
#include "platform/shell/DropData.h"

#include <QMimeData>
#include <QPaintEvent>
#include <QPainter>
#include <QScrollBar>
#include <algorithm>

namespace rt {

std::int16_t buttonCodeOf(Qt::MouseButton button) {
    switch (button) {
    case Qt::LeftButton:
        return 1;
    case Qt::RightButton:
        return 2;
    case Qt::MiddleButton:
        return 4;
    default:
        return 0;
    }
}

std::int16_t buttonCodesOf(Qt::MouseButtons buttons) {
    std::int16_t codes = 0;
    if (buttons & Qt::LeftButton)
        codes |= 1;
    if (buttons & Qt::RightButton)
        codes |= 2;
    if (buttons & Qt::MiddleButton)
        codes |= 4;
    return codes;
}

std::int16_t shiftMaskOf(Qt::KeyboardModifiers modifiers) {
    std::int16_t mask = 0;
    if (modifiers & Qt::ShiftModifier)
        mask |= 1;
    if (modifiers & Qt::ControlModifier)
        mask |= 2;
    if (modifiers & Qt::AltModifier)
        mask |= 4;
    return mask;
}

bool resizePersistentImage(QImage& image, QSize size, const std::function<void(QImage&)>& clear) {
    if (!image.isNull() && image.size() == size)
        return false;
    const QImage previous = image;
    image = QImage(size, QImage::Format_RGB32);
    clear(image);
    if (!previous.isNull()) {
        QPainter painter(&image);
        painter.drawImage(0, 0, previous);
    }
    return true;
}

void dispatchMouse(const MouseHandlers& handlers, QMouseEvent* event, const QWidget* widget) {
    std::int16_t button =
        event->type() == QEvent::MouseMove ? buttonCodesOf(event->buttons()) : buttonCodeOf(event->button());
    std::int16_t shift = shiftMaskOf(event->modifiers());
    const QPointF at = event->position();
    float x = handlers.toUnits ? handlers.toUnits(at.x()) : static_cast<float>(at.x());
    float y = handlers.toUnits ? handlers.toUnits(at.y()) : static_cast<float>(at.y());
    switch (event->type()) {
    case QEvent::MouseButtonPress:
        if (handlers.down)
            dispatch([&] { handlers.down(button, shift, x, y); });
        break;
    case QEvent::MouseMove:
        if (handlers.move)
            dispatch([&] { handlers.move(button, shift, x, y); });
        break;
    case QEvent::MouseButtonRelease: {
        const bool inside = widget->rect().contains(at.toPoint());
        if (handlers.up)
            dispatch([&] { handlers.up(button, shift, x, y); });
        if (inside && button != 2 && handlers.click)
            dispatch(handlers.click);
        break;
    }
    case QEvent::MouseButtonDblClick:
        if (handlers.dblClick)
            dispatch(handlers.dblClick);
        break;
    default:
        break;
    }
}

bool ClickFilter::eventFilter(QObject* watched, QEvent* event) {
    auto* widget = qobject_cast<QWidget*>(watched);
    if (widget && event->type() == QEvent::MouseButtonPress)
        pressed_ = static_cast<QMouseEvent*>(event)->button() == Qt::LeftButton;
    if (widget && event->type() == QEvent::MouseButtonRelease && pressed_) {
        pressed_ = false;
        const auto* mouse = static_cast<QMouseEvent*>(event);
        if (mouse->button() == Qt::LeftButton && widget->rect().contains(mouse->position().toPoint()) &&
            click_)
            click_();
    }
    return QObject::eventFilter(watched, event);
}

void ClickableLabel::mouseReleaseEvent(QMouseEvent* event) {
    if (rect().contains(event->position().toPoint()) && click_)
        click_();
    QLabel::mouseReleaseEvent(event);
}

SurfaceWidget::SurfaceWidget(const QImage* image) : image_(image) {
    setMouseTracking(true);
    setAttribute(Qt::WA_OpaquePaintEvent);
}

void SurfaceWidget::paintEvent(QPaintEvent* event) {
    // Only the part asked for: a label moving over the surface uncovers a strip of it, not all of it.
    QPainter painter(this);
    const QRect area = event->rect() & image_->rect();
    painter.drawImage(area.topLeft(), *image_, area);
}

void SurfaceWidget::mousePressEvent(QMouseEvent* event) {
    dispatchMouse(mouse, event, this);
}
void SurfaceWidget::mouseMoveEvent(QMouseEvent* event) {
    dispatchMouse(mouse, event, this);
}
void SurfaceWidget::mouseReleaseEvent(QMouseEvent* event) {
    dispatchMouse(mouse, event, this);
}
void SurfaceWidget::mouseDoubleClickEvent(QMouseEvent* event) {
    dispatchMouse(mouse, event, this);
}

void FilledRect::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    painter.fillRect(rect(), QColor::fromRgb(rgbOf(*colour_)));
}

ListWidget::ListWidget() {
    setTextElideMode(Qt::ElideNone);
    setHorizontalScrollMode(QAbstractItemView::ScrollPerPixel);
    // The bar shows only once an extent wider than the list is set: a bar that came and went with the range
    // would change the viewport and with it the range, without end.
    setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    setUniformItemSizes(true);
}

bool ListWidget::event(QEvent* event) {
    if (event->type() == QEvent::DynamicPropertyChange &&
        static_cast<QDynamicPropertyChangeEvent*>(event)->propertyName() == "horizontalExtent") {
        extent_ = std::max(0, property("horizontalExtent").toInt());
        setHorizontalScrollBarPolicy(extent_ > viewport()->width() ? Qt::ScrollBarAlwaysOn
                                                                   : Qt::ScrollBarAlwaysOff);
        updateGeometries();
        return true;
    }
    return QListWidget::event(event);
}

void ListWidget::updateGeometries() {
    QListWidget::updateGeometries();
    // The list scrolls sideways over the extent it was given, not over what its items measure.
    horizontalScrollBar()->setRange(0, std::max(0, extent_ - viewport()->width()));
    horizontalScrollBar()->setPageStep(viewport()->width());
}

void ListWidget::mouseReleaseEvent(QMouseEvent* event) {
    QListWidget::mouseReleaseEvent(event);
    if (event->button() == Qt::LeftButton && itemAt(event->position().toPoint()) && clicked)
        clicked();
}

void ListWidget::keyPressEvent(QKeyEvent* event) {
    const int before = currentRow();
    QListWidget::keyPressEvent(event);
    if (currentRow() != before && currentRow() >= 0 && clicked)
        clicked();
}

void ListWidget::dragEnterEvent(QDragEnterEvent* event) {
    if (event->mimeData()->hasUrls())
        event->acceptProposedAction();
}

void ListWidget::dragMoveEvent(QDragMoveEvent* event) {
    if (event->mimeData()->hasUrls())
        event->acceptProposedAction();
}

void ListWidget::dropEvent(QDropEvent* event) {
    auto data = shell::DropData::fromMimeData(*event->mimeData());
    std::int16_t button = buttonCodesOf(event->buttons());
    std::int16_t shift = shiftMaskOf(event->modifiers());
    float x = toUnits ? toUnits(event->position().x()) : static_cast<float>(event->position().x());
    float y = toUnits ? toUnits(event->position().y()) : static_cast<float>(event->position().y());
    event->acceptProposedAction();
    dispatchSoon(this, [this, data, button, shift, x, y]() mutable {
        std::int32_t effect = 1;
        if (dropped)
            dropped(data, effect, button, shift, x, y);
    });
}

TextLabel::TextLabel(std::function<void()> click) : click_(std::move(click)) {
    setTextFormat(Qt::PlainText);
    QLabel::setAlignment(alignment_);
    text_.setTextFormat(Qt::PlainText);
    layOut();
}

void TextLabel::setText(const QString& text) {
    if (text == text_.text())
        return;
    text_.setText(text);
    layOut();
    // The label's own text, for screen readers; it repaints the label.
    QLabel::setText(text);
}

void TextLabel::setAlignment(Qt::Alignment alignment) {
    if (alignment == alignment_)
        return;
    alignment_ = alignment;
    QLabel::setAlignment(alignment);
}

void TextLabel::layOut() {
    text_.prepare(QTransform(), font());
    ++layouts_;
}

void TextLabel::changeEvent(QEvent* event) {
    if (event->type() == QEvent::FontChange) {
        layOut();
        update();
    }
    QLabel::changeEvent(event);
}

void TextLabel::paintEvent(QPaintEvent*) {
    if (text_.text().isEmpty())
        return;
    QPainter painter(this);
    painter.setFont(font());
    painter.setPen(
        palette().color(isEnabled() ? QPalette::Active : QPalette::Disabled, QPalette::WindowText));
    const QSizeF size = text_.size();
    QPointF at(0, 0);
    if (alignment_ & Qt::AlignRight)
        at.setX(width() - size.width());
    else if (alignment_ & Qt::AlignHCenter)
        at.setX((width() - size.width()) / 2);
    if (alignment_ & Qt::AlignBottom)
        at.setY(height() - size.height());
    else if (alignment_ & Qt::AlignVCenter)
        at.setY((height() - size.height()) / 2);
    painter.drawStaticText(at, text_);
}

void TextLabel::mouseReleaseEvent(QMouseEvent* event) {
    if (rect().contains(event->position().toPoint()) && click_)
        click_();
    QLabel::mouseReleaseEvent(event);
}

} // namespace rt
