#include "platform/runtime/ControlWidgets.h"

#include "platform/base/Events.h"
#include "platform/win/DropData.h"

#include <QChildEvent>
#include <QDropEvent>
#include <QFontMetrics>
#include <QHelpEvent>
#include <QMimeData>
#include <QPaintEvent>
#include <QPainter>
#include <QScrollBar>
#include <algorithm>
#include <cmath>

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

void TextLabel::setTextPlace(const QRect& place) {
    if (place == place_)
        return;
    place_ = place;
    update();
}

void TextLabel::setBackdrop(const QImage* backdrop) {
    if (backdrop == backdrop_)
        return;
    backdrop_ = backdrop;
    setAttribute(Qt::WA_OpaquePaintEvent, backdrop != nullptr);
    update();
}

// Where the pointer is outside the label's own place, the container underneath answers.
bool TextLabel::outsideText(const QEvent* event) const {
    switch (event->type()) {
    case QEvent::ToolTip:
        return !textPlace().contains(static_cast<const QHelpEvent*>(event)->pos());
    case QEvent::MouseButtonPress:
    case QEvent::MouseButtonRelease:
    case QEvent::MouseButtonDblClick:
    case QEvent::MouseMove:
        return !textPlace().contains(static_cast<const QMouseEvent*>(event)->position().toPoint());
    case QEvent::DragEnter:
    case QEvent::DragMove:
    case QEvent::Drop:
        return !textPlace().contains(static_cast<const QDropEvent*>(event)->position().toPoint());
    default:
        return false;
    }
}

bool TextLabel::event(QEvent* event) {
    if (outsideText(event)) {
        event->ignore();
        return false;
    }
    if (event->type() == QEvent::ParentAboutToChange && parentWidget())
        parentWidget()->removeEventFilter(this);
    if (event->type() == QEvent::ParentChange && parentWidget())
        parentWidget()->installEventFilter(this);
    return QLabel::event(event);
}

bool TextLabel::eventFilter(QObject* watched, QEvent* event) {
    const bool changed = event->type() == QEvent::Resize ||
                         ((event->type() == QEvent::ChildAdded || event->type() == QEvent::ChildRemoved) &&
                          static_cast<QChildEvent*>(event)->child() != this);
    if (watched == parentWidget() && changed && containerChanged)
        containerChanged();
    return QLabel::eventFilter(watched, event);
}

void TextLabel::layOut() {
    text_.prepare(QTransform(), font());
    picture_ = QImage();
    ++layouts_;
}

void TextLabel::changeEvent(QEvent* event) {
    if (event->type() == QEvent::FontChange) {
        layOut();
        update();
    }
    QLabel::changeEvent(event);
}

// Where the text's top-left corner lies in the widget, as the alignment puts it.
QPointF TextLabel::textOrigin() const {
    const QSizeF size = text_.size();
    const QRect place = textPlace();
    QPointF at(place.topLeft());
    if (alignment_ & Qt::AlignRight)
        at.rx() += place.width() - size.width();
    else if (alignment_ & Qt::AlignHCenter)
        at.rx() += (place.width() - size.width()) / 2;
    if (alignment_ & Qt::AlignBottom)
        at.ry() += place.height() - size.height();
    else if (alignment_ & Qt::AlignVCenter)
        at.ry() += (place.height() - size.height()) / 2;
    return at;
}

// The text drawn once on a transparent picture, with room around it for glyphs that reach past their
// advance, at the same fraction of a pixel as it is shown (glyphs are drawn for their sub-pixel place).
void TextLabel::drawTextPicture(const QColor& colour, QPointF fraction) {
    const int margin = QFontMetrics(font()).height();
    const QSize size = text_.size().toSize() + QSize(2 * margin + 1, 2 * margin + 1);
    const qreal ratio = devicePixelRatio();
    picture_ = QImage(size * ratio, QImage::Format_ARGB32_Premultiplied);
    picture_.setDevicePixelRatio(ratio);
    picture_.fill(Qt::transparent);
    QPainter painter(&picture_);
    painter.setFont(font());
    painter.setPen(colour);
    painter.drawStaticText(QPointF(margin, margin) + fraction, text_);
    pictureColour_ = colour;
    pictureFraction_ = fraction;
    pictureMargin_ = margin;
}

// A moving label paints the same text again and again: blending its picture costs a fraction of drawing
// every glyph.
void TextLabel::paintEvent(QPaintEvent* event) {
    std::optional<QPainter> painter;
    if (backdrop_) {
        painter.emplace(this);
        const QRect behind = event->rect().translated(pos()) & backdrop_->rect();
        painter->drawImage(behind.topLeft() - pos(), *backdrop_, behind);
    }
    if (text_.text().isEmpty())
        return;
    const QColor colour =
        palette().color(isEnabled() ? QPalette::Active : QPalette::Disabled, QPalette::WindowText);
    const QPointF at = textOrigin();
    const QPoint whole(int(std::floor(at.x())), int(std::floor(at.y())));
    const QPointF fraction = at - QPointF(whole);
    if (picture_.isNull() || colour != pictureColour_ || fraction != pictureFraction_)
        drawTextPicture(colour, fraction);
    const QPoint corner = whole - QPoint(pictureMargin_, pictureMargin_);
    const QRect area = event->rect() & QRect(corner, picture_.deviceIndependentSize().toSize());
    if (area.isEmpty())
        return;
    if (!painter)
        painter.emplace(this);
    painter->drawImage(
        area.topLeft(), picture_,
        QRectF(area.translated(-corner).topLeft() * devicePixelRatio(), area.size() * devicePixelRatio()));
}

void TextLabel::mouseReleaseEvent(QMouseEvent* event) {
    if (textPlace().contains(event->position().toPoint()) && click_)
        click_();
    QLabel::mouseReleaseEvent(event);
}

} // namespace rt
