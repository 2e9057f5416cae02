#include "controls/Button.h"

#include "platform/base/Errors.h"
#include "platform/runtime/Numbers.h"
#include "platform/win/Gdi.h"
#include "platform/win/PointerWatch.h"
#include "platform/win/Windows.h"

namespace controls {

namespace {

constexpr std::int16_t kRightButton = 2;
// HiMetric per drawn pixel. Not 2540/96: pictures of 2 to 73 pixels come out at their pixel size, larger
// ones a little larger, and windows are laid out around exactly that.
constexpr double kHiMetricPerDrawnPixel = 26.1;
constexpr std::int16_t kLeadingMarginPx = 3;
constexpr double kTrailingMarginPx = 4;
constexpr std::int32_t kSystemButtonFace = static_cast<std::int32_t>(0x8000000F);
// DrawIconEx: normal drawing at the icon's default size.
constexpr std::uint32_t kIconDrawFlags = rt::win::DI_NORMAL | rt::win::DI_DEFAULTSIZE;

enum PictureAlignValue : std::int32_t { kCentre = 0, kTop = 1, kBottom = 2, kLeft = 3, kRight = 4 };

std::int16_t centred(double room, std::int16_t size) {
    return rt::CInt(rt::Int((room - size) / 2));
}

} // namespace

PicturePlacement placeStatePicture(int widthHiMetric, int heightHiMetric, float scaleWidth, float scaleHeight,
                                   std::int32_t pictureAlign) {
    PicturePlacement place;
    place.width = rt::CInt(rt::Int(widthHiMetric / kHiMetricPerDrawnPixel));
    place.height = rt::CInt(rt::Int(heightHiMetric / kHiMetricPerDrawnPixel));
    const double sw = scaleWidth;
    const double sh = scaleHeight;
    switch (pictureAlign) {
    case kCentre:
        place.x = centred(sw, place.width);
        place.y = centred(sh, place.height);
        break;
    case kTop:
        place.x = centred(sw, place.width);
        place.y = kLeadingMarginPx;
        break;
    case kBottom:
        place.x = centred(sw, place.width);
        place.y = rt::CInt(sh - place.height - kTrailingMarginPx);
        break;
    case kLeft:
        place.x = kLeadingMarginPx;
        place.y = centred(sh, place.height);
        break;
    case kRight:
        place.x = rt::CInt(sw - place.width - kTrailingMarginPx);
        place.y = centred(sh, place.height);
        break;
    default:
        break;
    }
    return place;
}

Button::Button(rt::Container& parent) : UserControl(parent) {
    OverTimer.onTimer = [this] { OverTimer_Timer(); };
    // While the pointer rests where the last poll found it, a poll would find nothing: it waits for an event.
    OverTimer.nextTickShowsNothing = [this] { return pointerWatch_.nothingChanged(); };
    OverTimer.sleepsWhileNothingShows = true;
    Move(Left(), Top(), container().fromPixels(kDesignWidthPx), container().fromPixels(kDesignHeightPx));
}

// ---- states and the mouse ----

bool Button::isInside(float x, float y) const {
    return x >= 0 && y >= 0 && x < ScaleWidth() && y < ScaleHeight();
}

void Button::UserControl_MouseDown(std::int16_t& button, std::int16_t& shift, float& x, float& y) {
    DownButton = button;
    DownShift = shift;
    DownX = x;
    DownY = y;
    if (button != kRightButton) {
        MouseIsDown = kTrue;
        Refresh();
    }
    if (MouseDown)
        MouseDown(button, shift, x, y);
}

void Button::UserControl_MouseMove(std::int16_t& button, std::int16_t& shift, float& x, float& y) {
    if (isInside(x, y) && MouseIsOver == kFalse) {
        OverTimer.setEnabled(true);
        MouseIsOver = kTrue;
        if (MouseIn)
            MouseIn(shift);
        Refresh();
    }
    if (MouseMove)
        MouseMove(button, shift, x, y);
}

void Button::UserControl_MouseUp(std::int16_t& button, std::int16_t& shift, float& x, float& y) {
    MouseIsDown = kFalse;
    if (button != kRightButton) {
        Refresh();
        if (isInside(x, y) && Click)
            Click();
    }
    if (MouseUp)
        MouseUp(button, shift, x, y);
}

void Button::UserControl_DblClick() {
    // The release that ends the double click must reach the button wherever the pointer is; the surface
    // gives the capture back at that release.
    rt::win::SetCapture(hWnd());
    UserControl_MouseDown(DownButton, DownShift, DownX, DownY);
}

void Button::OverTimer_Timer() {
    // The pointer still rests where the last poll found it: asking the display again would cost round trips.
    if (pointerWatch_.nothingChanged())
        return;
    rt::win::Point pointer;
    rt::win::GetCursorPos(pointer);
    if (rt::win::WindowFromPoint(pointer) == hWnd()) {
        pointerWatch_.remember();
        return;
    }
    pointerWatch_.forget();
    OverTimer.setEnabled(false);
    MouseIsOver = kFalse;
    if (MouseOut)
        MouseOut(DownShift);
    Refresh();
    if (MouseIsDown != kFalse) {
        // The released look while the press stays in force: coming back and releasing still clicks.
        MouseIsDown = kFalse;
        Refresh();
        MouseIsDown = kTrue;
    }
}

void Button::UserControl_Resize() {
    Refresh();
}

// ---- drawing ----

void Button::Refresh() {
    setAutoRedraw(true);
    Cls();
    if (m_Style == 1)
        DrawPicture();
    setAutoRedraw(false);
}

rt::Picture Button::chosenPicture() const {
    if (MouseIsDown != kFalse)
        return m_PictureDown;
    if (MouseIsOver != kFalse && m_Selected == kFalse)
        return m_PictureOver;
    if (m_Selected != kFalse)
        return m_PictureDisabled;
    return m_PictureNormal;
}

void Button::DrawPicture() {
    rt::Picture picture = chosenPicture();
    // Only a missing picture falls back to the normal one; an empty picture (handle 0) draws nothing.
    if (!picture) {
        if (!m_PictureNormal)
            return;
        picture = m_PictureNormal;
    }
    if (picture->handle() == 0)
        return;
    const PicturePlacement at =
        placeStatePicture(picture->Width(), picture->Height(), ScaleWidth(), ScaleHeight(), m_PictureAlign);
    if (m_UseMaskColor == kFalse) {
        PaintPicture(picture, at.x, at.y);
        return;
    }
    switch (picture->Type()) {
    case rt::PictureObject::kBitmap: {
        const rt::win::HDC screen = rt::win::GetDC(0);
        const rt::win::HDC memory = rt::win::CreateCompatibleDC(screen);
        rt::win::SelectObject(memory, picture->handle());
        // The mask colour goes to the transfer as stored, system colours untranslated.
        const auto mask = static_cast<rt::win::COLORREF>(MaskColor());
        rt::win::TransparentBlt(hDC(), at.x, at.y, at.width, at.height, memory, 0, 0, at.width, at.height,
                                mask);
        rt::win::DeleteDC(memory);
        rt::win::ReleaseDC(0, screen);
        break;
    }
    case rt::PictureObject::kIcon:
        rt::win::DrawIconEx(hDC(), at.x, at.y, picture->handle(), at.width, at.height, 0, 0, kIconDrawFlags);
        break;
    case rt::PictureObject::kMetafile:
    case rt::PictureObject::kEnhancedMetafile:
        PaintPicture(picture, at.x, at.y);
        break;
    default:
        rt::raise(rt::kInvalidPicture, "invalid picture");
    }
}

// ---- properties ----

void Button::setPictureAlign(std::int32_t align) {
    m_PictureAlign = align;
    PropertyChanged("PictureAlign");
    Refresh();
}

void Button::setButtonColor(std::int32_t colour) {
    setBackColor(colour);
    PropertyChanged("ButtonColor");
    Refresh();
}

void Button::setSelected(bool selected) {
    m_Selected = flagOf(selected);
    PropertyChanged("Selected");
    Refresh();
}

void Button::setMaskColor(std::int32_t colour) {
    UserControl::setMaskColor(colour);
    PropertyChanged("MaskColor");
    Refresh();
}

void Button::setMousePointer(std::int32_t pointer) {
    UserControl::setMousePointer(rt::CInt(pointer));
    PropertyChanged("MousePointer");
}

void Button::setMouseIcon(const rt::Picture& icon) {
    setMouseIconPicture(icon);
    PropertyChanged("MouseIcon");
}

void Button::setPictureBack(const rt::Picture& picture) {
    setSurfacePicture(picture);
    PropertyChanged("PictureBack");
    Refresh();
}

void Button::setPictureNormal(const rt::Picture& picture) {
    m_PictureNormal = picture;
    PropertyChanged("PictureNormal");
    Refresh();
}

void Button::setPictureDisabled(const rt::Picture& picture) {
    m_PictureDisabled = picture;
    PropertyChanged("PictureDisabled");
    Refresh();
}

void Button::setPictureDown(const rt::Picture& picture) {
    m_PictureDown = picture;
    PropertyChanged("PictureDown");
    Refresh();
}

void Button::setPictureOver(const rt::Picture& picture) {
    m_PictureOver = picture;
    PropertyChanged("PictureOver");
    Refresh();
}

void Button::setStyle(std::int32_t style) {
    m_Style = style;
    PropertyChanged("Style");
    Refresh();
}

void Button::setUseMaskColor(bool use) {
    m_UseMaskColor = flagOf(use);
    PropertyChanged("UseMaskColor");
    Refresh();
}

void Button::Reset() {
    m_PictureNormal = rt::PictureObject::empty();
    m_PictureDisabled = rt::PictureObject::empty();
    m_PictureDown = rt::PictureObject::empty();
    m_PictureOver = rt::PictureObject::empty();
    setMouseIconPicture(rt::PictureObject::empty());
}

// ---- persistence ----

void Button::UserControl_InitProperties() {
    m_Style = 0;
    m_UseMaskColor = kFalse;
    m_PictureAlign = 0;
    m_PictureNormal = rt::PictureObject::empty();
    m_PictureDisabled = rt::PictureObject::empty();
    m_PictureDown = rt::PictureObject::empty();
    m_PictureOver = rt::PictureObject::empty();
    setBackColor(AmbientBackColor());
}

void Button::UserControl_ReadProperties(const rt::PropertyBag& bag) {
    m_Style = bag.readLong("Style", 0);
    m_UseMaskColor = flagOf(bag.readBool("UseMaskColor", false));
    m_PictureAlign = bag.readLong("PictureAlign", 0);
    setSurfacePicture(bag.readPicture("PictureBack"));
    m_PictureNormal = bag.readPicture("PictureNormal");
    m_PictureDisabled = bag.readPicture("PictureDisabled");
    m_PictureDown = bag.readPicture("PictureDown");
    m_PictureOver = bag.readPicture("PictureOver");
    setMouseIcon(bag.readPicture("MouseIcon"));
    setBackColor(bag.readLong("ButtonColor", kSystemButtonFace));
    m_Selected = flagOf(bag.readBool("Selected", false));
    UserControl::setMaskColor(bag.readLong("MaskColor", kSystemButtonFace));
    UserControl::setMousePointer(bag.readInteger("MousePointer", 0));
    Refresh();
}

void Button::UserControl_WriteProperties(rt::PropertyBag& bag) {
    bag.writeLong("ButtonColor", ButtonColor(), kSystemButtonFace);
    bag.writeBool("Selected", Selected(), false);
    bag.writeLong("PictureAlign", m_PictureAlign, 0);
    bag.writeLong("MaskColor", MaskColor(), kSystemButtonFace);
    bag.writePicture("MouseIcon", MouseIcon());
    bag.writeInteger("MousePointer", UserControl::MousePointer(), 0);
    bag.writePicture("PictureBack", PictureBack());
    bag.writePicture("PictureNormal", m_PictureNormal);
    bag.writePicture("PictureDisabled", m_PictureDisabled);
    bag.writePicture("PictureDown", m_PictureDown);
    bag.writePicture("PictureOver", m_PictureOver);
    bag.writeLong("Style", m_Style, 0);
    bag.writeBool("UseMaskColor", UseMaskColor(), false);
}

} // namespace controls
