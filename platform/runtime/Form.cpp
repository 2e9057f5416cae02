#include "platform/runtime/Form.h"

#include "platform/base/Errors.h"
#include "platform/base/Events.h"
#include "platform/runtime/ControlWidgets.h"
#include "platform/runtime/FormWidget.h"

#include <QApplication>
#include <QKeyEvent>
#include <QScreen>
#include <algorithm>
#include <cmath>
#include <vector>

namespace rt {

namespace {

std::vector<Form*>& allForms() {
    static std::vector<Form*> forms;
    return forms;
}

// A window lies on whole pixels: the part of a pixel that a place in twips names is dropped.
constexpr int kStartUpCentreScreen = 2;

int twipsToPixels(int twips) {
    return twips / kTwipsPerPixel;
}

// Remains of an unloaded window: the controls go before the window that holds them.
struct Remains {
    std::unique_ptr<FormWidget> widget;
    std::shared_ptr<void> design;
    ~Remains() { design.reset(); }
};

} // namespace

Form::Form(String caption) : caption_(std::move(caption)) {
    allForms().push_back(this);
}

Form::~Form() {
    // What an unload left waiting still refers to this window.
    Unload();
    Graveyard::flushIfIdle();
    auto& forms = allForms();
    forms.erase(std::remove(forms.begin(), forms.end(), this), forms.end());
}

void Form::load() {
    if (loaded_)
        return;
    loaded_ = true;
    placedSinceLoad_ = false;
    font_ = FontSpec{};
    measuringFont_ = qFontOf(font_);
    installKeyPreviewFilter();
    widget_ = std::make_unique<FormWidget>(this);
    widget_->setWindowTitle(caption_);
    widget_->setAccessibleName(caption_);
    widget_->setAcceptDrops(acceptsDrops_);
    hWnd_ = win::registerWindow(widget_.get());
    rebuildSurface();
    design_ = createDesign();
    stackInDesignOrder();
    dispatch([this] { Form_Load(); });
}

void Form::Unload() {
    if (!loaded_)
        return;
    loaded_ = false;
    widget_->hide();
    win::unregisterSurface(hDC_);
    win::unregisterWindow(hWnd_);
    hDC_ = hWnd_ = 0;
    auto remains = std::make_shared<Remains>();
    remains->widget = std::move(widget_);
    remains->design = std::move(design_);
    designDropped();
    picture_.reset();
    icon_.reset();
    Graveyard::bury(std::move(remains));
}

void Form::unloadAll() {
    for (Form* form : std::vector<Form*>(allForms()))
        form->Unload();
}

QWidget* Form::containerWidget() const {
    return widget_.get();
}

FormWidget* Form::widget() {
    load();
    return widget_.get();
}

double Form::ScaleWidth() {
    return scaleMode_ == kScaleTwips ? Width() : widget()->width();
}
double Form::ScaleHeight() {
    return scaleMode_ == kScaleTwips ? Height() : widget()->height();
}

win::HWND Form::hWnd() {
    load();
    return hWnd_;
}

win::HDC Form::hDC() {
    load();
    return hDC_;
}

int Form::Left() {
    const int x = widget()->x();
    return x == twipsToPixels(left_) ? left_ : x * kTwipsPerPixel;
}

int Form::Top() {
    const int y = widget()->y();
    return y == twipsToPixels(top_) ? top_ : y * kTwipsPerPixel;
}

int Form::Width() {
    return widget()->width() * kTwipsPerPixel;
}
int Form::Height() {
    return widget()->height() * kTwipsPerPixel;
}

void Form::setLeft(int twips) {
    auto* w = widget();
    placedSinceLoad_ = true;
    left_ = twips;
    w->move(twipsToPixels(twips), w->y());
}

void Form::setTop(int twips) {
    auto* w = widget();
    placedSinceLoad_ = true;
    top_ = twips;
    w->move(w->x(), twipsToPixels(twips));
}

void Form::setWidth(int twips) {
    auto* w = widget();
    w->resize(twipsToPixels(twips), w->height());
    rebuildSurface();
}

void Form::setHeight(int twips) {
    auto* w = widget();
    w->resize(w->width(), twipsToPixels(twips));
    rebuildSurface();
}

bool Form::Visible() {
    return widget()->isVisible();
}

void Form::setVisible(bool visible) {
    auto* w = widget();
    if (visible == w->isVisible())
        return;
    if (!visible) {
        w->hide();
        return;
    }
    if (startUpPosition_ == kStartUpCentreScreen && !placedSinceLoad_ && w->screen()) {
        const QRect screen = w->screen()->availableGeometry();
        w->move(screen.center() - QPoint(w->width() / 2, w->height() / 2));
        placedSinceLoad_ = true;
    }
    // A window shown while minimised comes up minimised.
    if (w->windowState() & Qt::WindowMinimized)
        w->showMinimized();
    else
        w->show();
}

void Form::Show() {
    setVisible(true);
}
void Form::Hide() {
    setVisible(false);
}

int Form::WindowState() {
    const auto state = widget()->windowState();
    if (state & Qt::WindowMinimized)
        return 1;
    if (state & Qt::WindowMaximized)
        return 2;
    return 0;
}

void Form::setWindowState(int state) {
    auto* w = widget();
    const Qt::WindowStates wanted = state == 1   ? Qt::WindowMinimized
                                    : state == 2 ? Qt::WindowMaximized
                                                 : Qt::WindowNoState;
    w->setWindowState(wanted);
}

void Form::SetFocus() {
    auto* w = widget();
    if (!w->isVisible() || !w->isEnabled())
        raise(kInvalidProcedureCall, "a hidden window cannot take the focus");
    w->activateWindow();
    w->setFocus(Qt::OtherFocusReason);
}

void Form::ZOrder(int position) {
    auto* w = widget();
    if (position == 0)
        w->raise();
    else
        w->lower();
}

String Form::Caption() {
    load();
    return caption_;
}

void Form::setCaption(const String& caption) {
    auto* w = widget();
    caption_ = caption;
    w->setWindowTitle(caption);
    w->setAccessibleName(caption);
}

const Picture& Form::picture() {
    load();
    return picture_;
}

void Form::setPicture(const Picture& picture) {
    load();
    picture_ = picture;
    rebuildSurface();
}

void Form::setBackColor(std::int32_t colour) {
    load();
    backColor_ = colour;
    rebuildSurface();
}

void Form::setIcon(const Picture& icon) {
    auto* w = widget();
    icon_ = icon;
    if (icon && icon->handle())
        w->setWindowIcon(QIcon(QPixmap::fromImage(icon->image())));
}

void Form::setAcceptsDrops(bool accept) {
    acceptsDrops_ = accept;
    if (widget_)
        widget_->setAcceptDrops(accept);
}

String Form::FontName() {
    load();
    return font_.name;
}
double Form::FontSize() {
    load();
    return font_.points;
}
bool Form::FontBold() {
    load();
    return font_.bold;
}
bool Form::FontItalic() {
    load();
    return font_.italic;
}
bool Form::FontUnderline() {
    load();
    return font_.underline;
}

template <class Value> void Form::setFontProperty(Value FontSpec::*property, Value value) {
    load();
    FontSpec font = font_;
    font.*property = value;
    setFont(font);
}

void Form::setFontName(const String& name) {
    setFontProperty(&FontSpec::name, name);
}
void Form::setFontSize(double points) {
    setFontProperty(&FontSpec::points, points);
}
void Form::setFontBold(bool bold) {
    setFontProperty(&FontSpec::bold, bold);
}
void Form::setFontItalic(bool italic) {
    setFontProperty(&FontSpec::italic, italic);
}
void Form::setFontUnderline(bool underline) {
    setFontProperty(&FontSpec::underline, underline);
}

void Form::setFont(const FontSpec& font) {
    // Measurements set the same font again and again: only a change builds a new one.
    if (font == font_)
        return;
    font_ = font;
    measuringFont_ = qFontOf(font_);
}

void Form::rebuildSurface() {
    FormWidget* w = widget_.get();
    if (!w)
        return;
    w->rebuildSurface(QColor::fromRgb(rgbOf(backColor_)), picture_);
    if (hDC_ == 0)
        hDC_ = win::registerSurface(
            {&w->surface(), [w] { w->surfaceChanged(); }, [this] { return measuringFont_; }});
    win::setWindowSurface(hWnd_, hDC_);
}

std::int16_t virtualKeyOf(int key, bool keypad) {
    if (keypad && key == Qt::Key_Plus)
        return 107;
    if (keypad && key == Qt::Key_Minus)
        return 109;
    if (keypad && key == Qt::Key_Asterisk)
        return 106;
    if (keypad && key == Qt::Key_Slash)
        return 111;
    if (key >= Qt::Key_A && key <= Qt::Key_Z)
        return static_cast<std::int16_t>(key);
    if (key >= Qt::Key_0 && key <= Qt::Key_9)
        return static_cast<std::int16_t>(keypad ? 96 + (key - Qt::Key_0) : key);
    if (key >= Qt::Key_F1 && key <= Qt::Key_F24)
        return static_cast<std::int16_t>(112 + (key - Qt::Key_F1));
    switch (key) {
    case Qt::Key_Backspace:
        return 8;
    case Qt::Key_Tab:
        return 9;
    case Qt::Key_Return:
    case Qt::Key_Enter:
        return 13;
    case Qt::Key_Shift:
        return 16;
    case Qt::Key_Control:
        return 17;
    case Qt::Key_Alt:
        return 18;
    case Qt::Key_Pause:
        return 19;
    case Qt::Key_Escape:
        return 27;
    case Qt::Key_Space:
        return 32;
    case Qt::Key_PageUp:
        return 33;
    case Qt::Key_PageDown:
        return 34;
    case Qt::Key_End:
        return 35;
    case Qt::Key_Home:
        return 36;
    case Qt::Key_Left:
        return 37;
    case Qt::Key_Up:
        return 38;
    case Qt::Key_Right:
        return 39;
    case Qt::Key_Down:
        return 40;
    case Qt::Key_Insert:
        return 45;
    case Qt::Key_Delete:
        return 46;
    case Qt::Key_Plus:
        return 187;
    case Qt::Key_Minus:
        return 189;
    default:
        return 0;
    }
}

} // namespace rt
