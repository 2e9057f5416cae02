#include "platform/runtime/Controls.h"

#include "platform/base/Errors.h"
#include "platform/base/Events.h"
#include "platform/runtime/ControlWidgets.h"

#include <QCheckBox>
#include <QFontMetrics>
#include <QLabel>
#include <QPainter>
#include <QPlainTextEdit>
#include <QScrollBar>
#include <algorithm>
#include <cmath>

namespace rt {

// ---- Container ----

Container::~Container() = default;

double Container::toPixels(double value) const {
    return ScaleMode() == kScaleTwips ? value / kTwipsPerPixel : value;
}

double Container::fromPixels(double pixels) const {
    return ScaleMode() == kScaleTwips ? pixels * kTwipsPerPixel : pixels;
}

void Container::stackInDesignOrder() {
    for (auto it = controls_.rbegin(); it != controls_.rend(); ++it)
        if ((*it)->kind() == Control::Kind::Windowed && (*it)->widget())
            (*it)->widget()->raise();
    for (auto it = controls_.begin(); it != controls_.end(); ++it)
        if ((*it)->kind() == Control::Kind::Windowless && (*it)->widget())
            (*it)->widget()->lower();
}

// ---- Control ----

Control::Control(Container& parent, Kind kind) : parent_(parent), kind_(kind) {
    parent_.controls_.push_back(this);
}

Control::~Control() {
    auto& list = parent_.controls_;
    list.erase(std::remove(list.begin(), list.end(), this), list.end());
    delete widget_.data();
}

void Control::attachWidget(QWidget* widget) {
    widget_ = widget;
    widget->setParent(parent_.containerWidget());
    placeWidget();
    widget->show();
}

void Control::setLeft(double value) {
    left_ = value;
    placeWidget();
}

void Control::setTop(double value) {
    top_ = value;
    placeWidget();
}

void Control::setWidth(double value) {
    Move(left_, top_, value, height_);
}
void Control::setHeight(double value) {
    Move(left_, top_, width_, value);
}

void Control::Move(double left, double top, double width, double height) {
    const bool sizeChanged = width != width_ || height != height_;
    left_ = left;
    top_ = top;
    width_ = width;
    height_ = height;
    placeWidget();
    if (sizeChanged)
        resized();
}

void Control::setSizeFromContent(double width, double height) {
    width_ = width;
    height_ = height;
    placeWidget();
}

int Control::pixelsOf(double value) const {
    return static_cast<int>(std::lround(parent_.toPixels(value)));
}

void Control::placeWidget() {
    if (!widget_)
        return;
    showWidgetAt(QRect(pixelsOf(left_), pixelsOf(top_), std::max(0, pixelsOf(width_)),
                       std::max(0, pixelsOf(height_))));
}

// Qt counts even an unchanged geometry as a change of what covers the window, which it then works out
// again at the next paint: a control that did not move leaves its widget alone.
void Control::showWidgetAt(const QRect& place) {
    if (widget_->geometry() != place)
        widget_->setGeometry(place);
}

QSize Control::pixelSize() const {
    return {std::max(0, pixelsOf(width_)), std::max(0, pixelsOf(height_))};
}

bool Control::Visible() const {
    return widget_ && !widget_->isHidden();
}

void Control::setVisible(bool visible) {
    if (widget_)
        widget_->setVisible(visible);
}

void Control::ZOrder(int position) {
    if (!widget_)
        return;
    if (position == 0)
        widget_->raise();
    else
        widget_->lower();
}

String Control::ToolTipText() const {
    return widget_ ? widget_->toolTip() : String();
}

void Control::setToolTipText(const String& text) {
    if (!widget_)
        return;
    widget_->setToolTip(text);
    if (widget_->accessibleName().isEmpty())
        widget_->setAccessibleName(text);
}

void Control::setAccessibleName(const String& name) {
    if (widget_)
        widget_->setAccessibleName(name);
}

void Control::SetFocus() {
    if (!widget_ || !widget_->isVisible() || !widget_->isEnabled())
        raise(kInvalidProcedureCall, "the control cannot take the focus");
    widget_->activateWindow();
    widget_->setFocus(Qt::OtherFocusReason);
}

// ---- fonts ----

constexpr double kStandInLetterSpacingPercent = 98;

QFont qFontOf(const FontSpec& wanted) {
    // MS Sans Serif has no Linux build: Liberation Sans, a touch tighter, keeps its texts inside the label
    // boxes the windows were designed with.
    const bool standIn = wanted.name == "MS Sans Serif";
    QFont font(standIn ? QStringLiteral("Liberation Sans") : wanted.name);
    font.setStyleHint(QFont::SansSerif);
    // Point sizes are meant at 96 dots per inch; pixel sizes keep the layout independent of the screen.
    font.setPixelSize(std::max(1, static_cast<int>(std::lround(wanted.points * 96.0 / 72.0))));
    font.setBold(wanted.bold);
    font.setItalic(wanted.italic);
    font.setUnderline(wanted.underline);
    if (standIn)
        font.setLetterSpacing(QFont::PercentageSpacing, kStandInLetterSpacingPercent);
    return font;
}

// ---- Label ----

Label::Label(Container& parent) : Control(parent, Kind::Windowless) {
    label_ = new TextLabel([this] {
        if (onClick)
            dispatch(onClick);
    });
    label_->containerChanged = [this] {
        label_->setBackdrop(backdrop());
        placeWidget();
    };
    label_->setFont(qFontOf(FontSpec{}));
    attachWidget(label_);
    applyLook();
}

// A label that reaches beyond a side of its container (the title gliding through its strip) keeps one widget
// across the container's width and paints its text where the label lies, so moving it moves no widget:
// Qt works out again what covers the whole window whenever a widget moves. Pointer events outside the
// label itself pass through to the container, as if the widget were the label's own size.
void Label::showWidgetAt(const QRect& place) {
    QRect shown = place;
    if (const QWidget* holder = container().containerWidget()) {
        const QRect inside = holder->rect();
        if (place.left() < inside.left() || place.right() > inside.right())
            shown = QRect(inside.left(), place.top(), inside.width(), place.height());
        shown &= inside;
    }
    label_->setTextPlace(QRect(place.topLeft() - shown.topLeft(), place.size()));
    if (label_->geometry() != shown)
        label_->setGeometry(shown);
}

// A see-through label alone on a picture box (the title in its strip) paints the box's picture behind
// itself: each of its moves then costs one paint, not one of the box and one of the label.
const QImage* Label::backdrop() const {
    const auto* box = dynamic_cast<const PictureBox*>(&container());
    if (!box || backStyle_ != kTransparent || box->widget() != label_->parentWidget())
        return nullptr;
    const QList<QWidget*> widgets = box->widget()->findChildren<QWidget*>(Qt::FindDirectChildrenOnly);
    return widgets.size() == 1 ? &box->image() : nullptr;
}

QRect Label::textPixels() const {
    return label_->textPlace().translated(label_->pos());
}

void Label::setCaption(const String& caption) {
    // The same text again costs nothing: no layout, no repaint.
    if (caption == caption_)
        return;
    caption_ = caption;
    label_->setText(caption);
    label_->setAccessibleName(caption);
    if (autoSize_)
        fitToCaption();
}

void Label::setAutoSize(bool autoSize) {
    autoSize_ = autoSize;
    if (autoSize_)
        fitToCaption();
}

void Label::setBackStyle(int style) {
    backStyle_ = style;
    applyLook();
}

void Label::setBackColor(std::int32_t colour) {
    backColor_ = colour;
    applyLook();
}

void Label::setForeColor(std::int32_t colour) {
    foreColor_ = colour;
    applyLook();
}

void Label::setAlignment(int alignment) {
    alignment_ = alignment;
    const Qt::Alignment horizontal = alignment == kRightJustify ? Qt::AlignRight
                                     : alignment == kCenter     ? Qt::AlignHCenter
                                                                : Qt::AlignLeft;
    label_->setAlignment(horizontal | Qt::AlignTop);
}

void Label::setFont(const FontSpec& font) {
    label_->setFont(qFontOf(font));
    if (autoSize_)
        fitToCaption();
}

void Label::applyLook() {
    QPalette palette = label_->palette();
    palette.setColor(QPalette::WindowText, QColor::fromRgb(rgbOf(foreColor_)));
    palette.setColor(QPalette::Window, QColor::fromRgb(rgbOf(backColor_)));
    label_->setPalette(palette);
    label_->setAutoFillBackground(backStyle_ == kOpaque);
    label_->setBackdrop(backdrop());
    label_->update();
}

void Label::fitToCaption() {
    const QFontMetrics metrics(label_->font());
    const double width = container().fromPixels(metrics.horizontalAdvance(caption_));
    const double height = container().fromPixels(metrics.height());
    setSizeFromContent(width, height);
}

// ---- PictureBox ----

PictureBox::PictureBox(Container& parent) : Control(parent, Kind::Windowed) {
    auto* surface = new SurfaceWidget(&image_);
    surface->mouse = {
        .down =
            [this](std::int16_t& b, std::int16_t& s, float& x, float& y) {
                if (onMouseDown)
                    onMouseDown(b, s, x, y);
            },
        .move =
            [this](std::int16_t& b, std::int16_t& s, float& x, float& y) {
                if (onMouseMove)
                    onMouseMove(b, s, x, y);
            },
        .up =
            [this](std::int16_t& b, std::int16_t& s, float& x, float& y) {
                if (onMouseUp)
                    onMouseUp(b, s, x, y);
            },
        .click =
            [this] {
                if (onClick)
                    onClick();
            },
        .dblClick =
            [this] {
                if (onDblClick)
                    onDblClick();
            },
        .toUnits =
            [this](double px) {
                return static_cast<float>(scaleMode_ == kScaleTwips ? px * kTwipsPerPixel : px);
            },
    };
    attachWidget(surface);
    hWnd_ = win::registerWindow(surface);
    hDC_ = win::registerSurface({&image_, [surface] { surface->update(); }});
    rebuildImage();
}

PictureBox::~PictureBox() {
    win::unregisterSurface(hDC_);
    win::unregisterWindow(hWnd_);
}

double PictureBox::ScaleWidth() const {
    return scaleMode_ == kScaleTwips ? image_.width() * kTwipsPerPixel : image_.width();
}

double PictureBox::ScaleHeight() const {
    return scaleMode_ == kScaleTwips ? image_.height() * kTwipsPerPixel : image_.height();
}

void PictureBox::setPicture(const Picture& picture) {
    picture_ = picture ? picture : PictureObject::empty();
    if (autoSize_)
        sizeToPicture();
    Cls();
    Refresh();
}

void PictureBox::setBackColor(std::int32_t colour) {
    backColor_ = colour;
    Cls();
    Refresh();
}

void PictureBox::setAutoSize(bool autoSize) {
    autoSize_ = autoSize;
    if (autoSize_)
        sizeToPicture();
}

void PictureBox::setMouseIcon(const Picture& icon) {
    mouseIcon_ = icon;
}

void PictureBox::Cls() {
    image_.fill(QColor::fromRgb(rgbOf(backColor_)));
    if (picture_ && picture_->handle() != 0) {
        QPainter painter(&image_);
        painter.drawImage(0, 0, picture_->image());
    }
}

void PictureBox::Refresh() {
    if (widget())
        widget()->update();
}

void PictureBox::resized() {
    rebuildImage();
}

void PictureBox::sizeToPicture() {
    if (!picture_ || picture_->handle() == 0)
        return;
    const double width = container().fromPixels(picture_->pixelWidth());
    const double height = container().fromPixels(picture_->pixelHeight());
    if (width == Width() && height == Height())
        return;
    Move(Left(), Top(), width, height);
}

void PictureBox::rebuildImage() {
    // What was drawn survives a resize; new area shows the back colour and the picture.
    if (resizePersistentImage(image_, pixelSize(), [this](QImage&) { Cls(); }))
        Refresh();
}

// ---- Image ----

Image::Image(Container& parent) : Control(parent, Kind::Windowless) {
    label_ = new ClickableLabel([this] {
        if (onClick)
            dispatch(onClick);
    });
    label_->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    attachWidget(label_);
}

void Image::setPicture(const Picture& picture) {
    picture_ = picture;
    label_->setPixmap(picture && picture->handle() ? QPixmap::fromImage(picture->image()) : QPixmap());
}

// ---- Shape ----

Shape::Shape(Container& parent) : Control(parent, Kind::Windowless) {
    attachWidget(new FilledRect(&fillColor_));
}

void Shape::setFillColor(std::int32_t colour) {
    fillColor_ = colour;
    if (widget())
        widget()->update();
}

// ---- TextBox ----

TextBox::TextBox(Container& parent) : Control(parent, Kind::Windowed) {
    edit_ = new QPlainTextEdit;
    edit_->setFont(qFontOf(FontSpec{}));
    edit_->setFrameShape(QFrame::NoFrame);
    edit_->setLineWrapMode(QPlainTextEdit::WidgetWidth);
    attachWidget(edit_);
    applyColours();
    // A click on the text is the box's Click: a press and release on its text area.
    edit_->viewport()->installEventFilter(new ClickFilter(edit_->viewport(), [this] {
        if (onClick)
            dispatch(onClick);
    }));
}

String TextBox::Text() const {
    // Lines come back separated by CR LF, as they were written.
    return edit_->toPlainText().replace(QChar('\n'), QStringLiteral("\r\n"));
}

void TextBox::setText(const String& text) {
    String lines = text;
    lines.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
    lines.replace(QChar('\r'), QChar('\n'));
    edit_->setPlainText(lines);
}

void TextBox::setBackColor(std::int32_t colour) {
    backColor_ = colour;
    applyColours();
}

void TextBox::setForeColor(std::int32_t colour) {
    foreColor_ = colour;
    applyColours();
}

void TextBox::setLocked(bool locked) {
    edit_->setReadOnly(locked);
}

void TextBox::setFont(const FontSpec& font) {
    edit_->setFont(qFontOf(font));
}

void TextBox::applyColours() {
    QPalette palette = edit_->palette();
    palette.setColor(QPalette::Base, QColor::fromRgb(rgbOf(backColor_)));
    palette.setColor(QPalette::Text, QColor::fromRgb(rgbOf(foreColor_)));
    edit_->setPalette(palette);
}

// ---- ListBox ----

ListBox::ListBox(Container& parent) : Control(parent, Kind::Windowed) {
    auto* list = new ListWidget;
    list->clicked = [this] {
        if (onClick)
            dispatch(onClick);
    };
    list->dropped = [this](shell::DropData& data, std::int32_t& effect, std::int16_t& button,
                           std::int16_t& shift, float& x, float& y) {
        if (onOLEDragDrop)
            onOLEDragDrop(data, effect, button, shift, x, y);
    };
    list->toUnits = [this](double px) { return static_cast<float>(container().fromPixels(px)); };
    attachWidget(list);
    // The list shows the font its properties name, so that measuring a line measures what is drawn.
    list->setFont(qFontOf(font_));
    hWnd_ = win::registerWindow(list);
}

static ListWidget* listOf(QWidget* widget) {
    return static_cast<ListWidget*>(widget);
}

void ListBox::AddItem(const String& item) {
    listOf(widget())->addItem(item);
}
void ListBox::Clear() {
    listOf(widget())->clear();
}
int ListBox::ListCount() const {
    return listOf(widget())->count();
}

String ListBox::List(int index) const {
    const auto* item = listOf(widget())->item(index);
    return item ? item->text() : String();
}

int ListBox::ListIndex() const {
    return listOf(widget())->currentRow();
}

void ListBox::setListIndex(int index) {
    // Choosing an entry from code raises Click, as the runtime's list box does.
    auto* list = listOf(widget());
    if (index == list->currentRow())
        return;
    list->setCurrentRow(index);
    if (index >= 0 && onClick)
        dispatch(onClick);
}

void ListBox::setFont(const FontSpec& font) {
    font_ = font;
    widget()->setFont(qFontOf(font));
}

void ListBox::setColours(std::int32_t back, std::int32_t fore) {
    QPalette palette = widget()->palette();
    palette.setColor(QPalette::Base, QColor::fromRgb(rgbOf(back)));
    palette.setColor(QPalette::Text, QColor::fromRgb(rgbOf(fore)));
    widget()->setPalette(palette);
}

int ListBox::horizontalExtent() const {
    return listOf(widget())->horizontalExtent();
}

void ListBox::setAcceptsDrops(bool accept) {
    widget()->setAcceptDrops(accept);
}

// ---- CheckBox ----

CheckBox::CheckBox(Container& parent) : Control(parent, Kind::Windowed) {
    box_ = new QCheckBox;
    box_->setFont(qFontOf(FontSpec{}));
    QObject::connect(box_, &QCheckBox::clicked, [this] {
        if (onClick)
            dispatch(onClick);
    });
    attachWidget(box_);
}

String CheckBox::Caption() const {
    return box_->text();
}
void CheckBox::setCaption(const String& caption) {
    box_->setText(caption);
}
int CheckBox::Value() const {
    return box_->isChecked() ? 1 : 0;
}
void CheckBox::setValue(int value) {
    box_->setChecked(value != 0);
}

void CheckBox::setBackColor(std::int32_t colour) {
    backColor_ = colour;
    applyColours();
}

void CheckBox::setForeColor(std::int32_t colour) {
    foreColor_ = colour;
    applyColours();
}

void CheckBox::applyColours() {
    QPalette palette = box_->palette();
    // A check box fills its background with the button role.
    palette.setColor(QPalette::Window, QColor::fromRgb(rgbOf(backColor_)));
    palette.setColor(QPalette::Button, QColor::fromRgb(rgbOf(backColor_)));
    palette.setColor(QPalette::WindowText, QColor::fromRgb(rgbOf(foreColor_)));
    box_->setPalette(palette);
    box_->setAutoFillBackground(true);
}

} // namespace rt
