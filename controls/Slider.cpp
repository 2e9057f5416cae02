#include "controls/Slider.h"

#include "platform/base/Errors.h"
#include "platform/runtime/Numbers.h"
#include "platform/win/Gdi.h"
#include "platform/win/PointerWatch.h"
#include "platform/win/Windows.h"

namespace controls {

namespace {

constexpr std::int16_t kLeftButton = 1;
constexpr std::int32_t kSystemButtonFace = static_cast<std::int32_t>(0x8000000F);
constexpr std::int32_t kDefaultMax = 100;
// Design back colours, 0x00BBGGRR: they show wherever no picture covers a box.
constexpr std::int32_t kTrackBackColor = 0x000000;
constexpr std::int32_t kThumbBackColor = 0xFFFFFF;
constexpr std::int32_t kThumbDownBackColor = 0x00FF00;
constexpr std::int32_t kThumbOverBackColor = 0x0000FF;

enum BarStateValue : std::int32_t { kBarNormal = 0, kBarDown = 1, kBarOver = 2 };

// The runtime's division of real numbers: by zero it fails rather than giving an infinity.
double divide(double dividend, double divisor) {
    if (divisor == 0)
        rt::raise(dividend == 0 ? rt::kOverflow : rt::kDivisionByZero);
    return dividend / divisor;
}

} // namespace

Slider::Slider(rt::Container& parent) : UserControl(parent) {
    for (rt::PictureBox* box : {&picBack, &picBack1, &picBar, &picBarDown, &picBarOver})
        box->setScaleMode(rt::kScalePixels);
    picBack.setBackColor(kTrackBackColor);
    picBack1.setBackColor(kTrackBackColor);
    picBar.setBackColor(kThumbBackColor);
    picBarDown.setBackColor(kThumbDownBackColor);
    picBarOver.setBackColor(kThumbOverBackColor);
    picBack.Move(0, 0, kDesignWidthPx, kDesignHeightPx);
    picBack1.Move(0, 0, kDesignWidthPx, kDesignHeightPx);
    for (rt::PictureBox* box : {&picBar, &picBarDown, &picBarOver})
        box->Move(0, 0, kDesignThumbWidthPx, kDesignThumbHeightPx);
    for (rt::PictureBox* box : {&picBack1, &picBar, &picBarDown, &picBarOver})
        box->setVisible(false);

    picBack.onMouseDown = [this](std::int16_t& b, std::int16_t& s, float& x, float& y) {
        picBack_MouseDown(b, s, x, y);
    };
    picBack.onMouseMove = [this](std::int16_t& b, std::int16_t& s, float& x, float& y) {
        picBack_MouseMove(b, s, x, y);
    };
    picBack.onMouseUp = [this](std::int16_t& b, std::int16_t& s, float& x, float& y) {
        picBack_MouseUp(b, s, x, y);
    };
    OverTimer.onTimer = [this] { OverTimer_Timer(); };
    // While the pointer rests where the last poll found it, a poll would find nothing: it waits for an event.
    OverTimer.nextTickShowsNothing = [this] { return pointerWatch_.nothingChanged(); };
    OverTimer.sleepsWhileNothingShows = true;

    Move(Left(), Top(), container().fromPixels(kDesignWidthPx), container().fromPixels(kDesignHeightPx));
    UserControl_Initialize();
}

// ---- geometry and value mapping ----

// The vertical value grows upward: the mirror turns it into a distance from the top.
std::int32_t Slider::mirrored(std::int32_t value) const {
    return m_Min >= 0 ? rt::sub32(m_Max, value) : rt::sub32(0, value);
}

std::int32_t Slider::barPosOfValue() const {
    const double range = rt::sub32(m_Max, m_Min);
    if (isHorizontal()) {
        const double offset = rt::sub32(m_Value, m_Min);
        return rt::CLng(divide(offset, range) * (picBack.Width() - picBar.Width()));
    }
    const double offset = rt::sub32(mirrored(m_Value), m_Min);
    return rt::CLng(divide(offset, range) * (picBack.Height() - picBar.Height()));
}

void Slider::CalcValue() {
    rt::skipOnError([this] {
        const double travel =
            isHorizontal() ? picBack.Width() - picBar.Width() : picBack.Height() - picBar.Height();
        m_Value = rt::CLng(divide(BarPos, travel) * rt::sub32(m_Max, m_Min) + m_Min);
    });
    if (!isHorizontal())
        rt::skipOnError([this] { m_Value = mirrored(m_Value); });
}

void Slider::DrawSlider(std::int32_t barState, bool recalc) {
    if (recalc)
        rt::skipOnError([this] { BarPos = barPosOfValue(); });
    std::int16_t x = 0;
    std::int16_t y = 0;
    rt::skipOnError([&] { (isHorizontal() ? x : y) = rt::CInt(BarPos); });

    const rt::PictureBox* source = nullptr;
    if (MouseIsOver != kFalse)
        source = MouseIsDown != kFalse ? &picBarDown : &picBarOver;
    else if (barState == kBarNormal)
        source = &picBar;
    else if (barState == kBarDown)
        source = &picBarDown;
    else if (barState == kBarOver)
        source = &picBarOver;
    // The same thumb at the same pixel over the same pictures: the track would come out as it is.
    if (drawn_ && *drawn_ == DrawnLook{BarPos, x, y, source, imageKeys()})
        return;

    rt::skipOnError([this] { picBack.Cls(); });

    if (isHorizontal()) {
        rt::skipOnError([this] {
            rt::win::BitBlt(picBack.hDC(), 0, 0, BarPos, rt::CLng(picBack1.ScaleHeight()), picBack1.hDC(), 0,
                            0, rt::win::SRCCOPY);
        });
    } else {
        rt::skipOnError([this] {
            rt::win::BitBlt(picBack.hDC(), 0, BarPos, rt::CLng(picBack1.ScaleWidth()),
                            rt::CLng(picBack1.ScaleHeight()), picBack1.hDC(), 0, BarPos, rt::win::SRCCOPY);
        });
    }

    if (source) {
        // Whichever look is copied, the thumb has the normal box's size.
        rt::skipOnError([&] {
            rt::win::BitBlt(picBack.hDC(), x, y, rt::CLng(picBar.ScaleWidth()),
                            rt::CLng(picBar.ScaleHeight()), source->hDC(), 0, 0, rt::win::SRCCOPY);
        });
    }
    drawn_ = DrawnLook{BarPos, x, y, source, imageKeys()};
    rt::skipOnError([this] { picBack.Refresh(); });
    rt::skipOnError([this] { repaint(); });
}

// Any change to a box's image, its size included, gives the image a new key.
std::array<qint64, 5> Slider::imageKeys() const {
    return {picBack.image().cacheKey(), picBack1.image().cacheKey(), picBar.image().cacheKey(),
            picBarDown.image().cacheKey(), picBarOver.image().cacheKey()};
}

void Slider::forgetDrawing() {
    drawn_.reset();
}

void Slider::UserControl_Resize() {
    forgetDrawing();
    picBack.Move(picBack.Left(), picBack.Top(), ScaleWidth(), ScaleHeight());
    picBack1.Move(picBack1.Left(), picBack1.Top(), picBack.Width(), picBack.Height());
    for (rt::PictureBox* box : {&picBar, &picBarDown, &picBarOver}) {
        if (isHorizontal())
            box->setHeight(ScaleHeight());
        else
            box->setWidth(ScaleWidth());
    }
    redraw();
}

void Slider::setPosition(std::int32_t position) {
    forgetDrawing();
    m_Position = position;
    if (picBar.picture()->handle() != 0)
        picBar.setAutoSize(true);
    else
        picBar.Move(picBar.Left(), picBar.Top(), kPlainThumbPx, kPlainThumbPx);
    for (rt::PictureBox* box : {&picBarOver, &picBarDown}) {
        box->setWidth(picBar.Width());
        box->setHeight(picBar.Height());
    }
    // The extent is swapped in 16-bit twips, so a side beyond 2184 pixels overflows here.
    const std::int16_t width = rt::CInt(ScaleWidth());
    const std::int16_t height = rt::CInt(ScaleHeight());
    setExtentTwips(rt::mul16(height, rt::kTwipsPerPixel), extentHeightTwips());
    setExtentTwips(extentWidthTwips(), rt::mul16(width, rt::kTwipsPerPixel));
    for (rt::PictureBox* box : {&picBar, &picBarDown, &picBarOver})
        box->setAutoSize(false);
    UserControl_Resize();
    PropertyChanged("Position");
}

void Slider::setValue(std::int32_t value) {
    if (m_Min <= value && value <= m_Max && MouseIsDown == kFalse) {
        m_Value = value;
        redraw();
        PropertyChanged("Value");
    }
}

// ---- the mouse ----

void Slider::centreThumbOn(float p, double trackLength, double thumbLength) {
    const auto length = static_cast<float>(trackLength);
    const double half = static_cast<float>(thumbLength) / 2.0;
    BarPos = rt::CLng(p);
    if (length - half < BarPos)
        BarPos = rt::CLng(length - half);
    if (half > BarPos)
        BarPos = rt::CLng(half);
    BarPos = rt::CLng(BarPos - half);
}

void Slider::picBack_MouseDown(std::int16_t& button, std::int16_t& shift, float& x, float& y) {
    if (button != kLeftButton)
        return;
    const float p = isHorizontal() ? x : y;
    const double length = isHorizontal() ? picBack.ScaleWidth() : picBack.ScaleHeight();
    const auto thumb = static_cast<float>(isHorizontal() ? picBar.ScaleWidth() : picBar.ScaleHeight());
    if (BarPos <= p && p <= static_cast<float>(BarPos) + thumb) {
        Dragging = kTrue;
        MouseIsDown = kTrue;
        DrawSlider(kBarDown, false);
    } else if (m_LargeChange != 0) {
        setValue(p > BarPos ? rt::add32(Value(), m_LargeChange) : rt::sub32(Value(), m_LargeChange));
    } else {
        // The release takes the value from where the thumb now lies.
        centreThumbOn(p, length, thumb);
    }
    if (MouseDown)
        MouseDown(button, shift, x, y);
}

void Slider::picBack_MouseMove(std::int16_t& button, std::int16_t& shift, float& x, float& y) {
    if (Dragging != kFalse) {
        const float p = isHorizontal() ? x : y;
        if (isHorizontal())
            centreThumbOn(p, picBack.Width(), picBar.Width());
        else
            centreThumbOn(p, picBack.ScaleHeight(), picBar.ScaleHeight());
        CalcValue();
        DrawSlider(kBarDown, false);
        if (Change)
            Change(m_Value);
    } else if (MouseIsOver == kFalse) {
        MouseIsOver = kTrue;
        DrawSlider(kBarOver, false);
        OverTimer.setEnabled(true);
    }
    if (MouseMove)
        MouseMove(button, shift, x, y);
}

void Slider::picBack_MouseUp(std::int16_t& button, std::int16_t& shift, float& x, float& y) {
    if (Dragging == kFalse) {
        CalcValue();
        if (Change)
            Change(m_Value);
    }
    MouseIsDown = kFalse;
    redraw();
    Dragging = kFalse;
    if (MouseUp)
        MouseUp(button, shift, x, y);
}

void Slider::OverTimer_Timer() {
    // The pointer still rests where the last poll found it: asking the display again would cost round trips.
    if (pointerWatch_.nothingChanged())
        return;
    rt::win::Point pointer;
    rt::win::GetCursorPos(pointer);
    if (rt::win::WindowFromPoint(pointer) == picBack.hWnd()) {
        pointerWatch_.remember();
        return;
    }
    pointerWatch_.forget();
    OverTimer.setEnabled(false);
    MouseIsOver = kFalse;
    DrawSlider(kBarNormal, false);
}

// ---- properties ----

void Slider::sizeToPicture(rt::PictureBox& box) {
    box.setAutoSize(true);
    box.setAutoSize(false);
}

void Slider::ResetPictures() {
    forgetDrawing();
    for (rt::PictureBox* box : {&picBack, &picBack1, &picBar, &picBarOver, &picBarDown})
        box->setPicture(rt::PictureObject::empty());
    picBack.setMouseIcon(rt::PictureObject::empty());
}

void Slider::setMouseIcon(const rt::Picture& icon) {
    picBack.setMouseIcon(icon);
    PropertyChanged("MouseIcon");
}

void Slider::setBackColor(std::int32_t colour) {
    forgetDrawing();
    picBack.setBackColor(colour);
    picBack1.setBackColor(picBack.BackColor());
    PropertyChanged("BackColor");
}

void Slider::setBar(const rt::Picture& picture) {
    forgetDrawing();
    picBar.setPicture(picture);
    picBar.setAutoSize(true);
    // The first thumb picture also serves as the pressed and hover thumb until those are set.
    for (rt::PictureBox* box : {&picBarDown, &picBarOver}) {
        if (box->picture()->handle() == 0) {
            box->setPicture(picBar.picture());
            box->setAutoSize(true);
        }
    }
    for (rt::PictureBox* box : {&picBar, &picBarDown, &picBarOver})
        box->setAutoSize(false);
    redraw();
    PropertyChanged("Bar");
}

void Slider::setBarDown(const rt::Picture& picture) {
    forgetDrawing();
    picBarDown.setPicture(picture);
    sizeToPicture(picBarDown);
    PropertyChanged("BarDown");
}

void Slider::setBarOver(const rt::Picture& picture) {
    forgetDrawing();
    picBarOver.setPicture(picture);
    sizeToPicture(picBarOver);
    PropertyChanged("BarOver");
}

void Slider::setMax(std::int32_t value) {
    if (m_Value > value)
        m_Value = value;
    m_Max = value;
    redraw();
    PropertyChanged("Max");
}

void Slider::setMin(std::int32_t value) {
    if (value > m_Value)
        m_Value = value;
    m_Min = value;
    redraw();
    PropertyChanged("Min");
}

void Slider::setLargeChange(std::int16_t value) {
    if (std::int32_t{value} < m_Max) {
        m_LargeChange = value;
        PropertyChanged("LargeChange");
    }
}

void Slider::setPictureBack(const rt::Picture& picture) {
    forgetDrawing();
    picBack.setPicture(picture);
    sizeToPicture(picBack);
    if (picBack1.picture()->handle() == 0) {
        picBack1.setPicture(picBack.picture());
        sizeToPicture(picBack1);
    }
    redraw();
    PropertyChanged("PictureBack");
}

void Slider::setPictureProgress(const rt::Picture& picture) {
    forgetDrawing();
    picBack1.setPicture(picture);
    sizeToPicture(picBack1);
    redraw();
    PropertyChanged("PictureProgress");
}

// ---- creation and persistence ----

void Slider::UserControl_Initialize() {
    if (m_Max == 0)
        m_Max = kDefaultMax;
    redraw();
}

void Slider::UserControl_ReadProperties(const rt::PropertyBag& bag) {
    forgetDrawing();
    // Straight into the boxes and members: no guard, no sizing, no copying, no report; only Position goes
    // through its setter, last, because it sizes the thumb from the pictures just read.
    picBack.setPicture(bag.readPicture("PictureBack"));
    picBack.setMouseIcon(bag.readPicture("MouseIcon"));
    picBack1.setPicture(bag.readPicture("PictureProgress"));
    picBarDown.setPicture(bag.readPicture("BarDown"));
    picBarOver.setPicture(bag.readPicture("BarOver"));
    picBar.setPicture(bag.readPicture("Bar"));
    picBack.setBackColor(bag.readLong("BackColor", kSystemButtonFace));
    picBack1.setBackColor(picBack.BackColor());
    m_Min = bag.readLong("Min", 0);
    m_Max = bag.readLong("Max", kDefaultMax);
    m_LargeChange = bag.readInteger("LargeChange", 0);
    m_Value = bag.readLong("Value", 0);
    setPosition(bag.readLong("Position", 0));
    redraw();
}

void Slider::UserControl_WriteProperties(rt::PropertyBag& bag) {
    bag.writePicture("PictureBack", picBack.picture());
    bag.writePicture("MouseIcon", picBack.MouseIcon());
    bag.writePicture("PictureProgress", picBack1.picture());
    bag.writePicture("Bar", picBar.picture());
    bag.writePicture("BarOver", picBarOver.picture());
    bag.writePicture("BarDown", picBarDown.picture());
    bag.writeLong("BackColor", picBack.BackColor(), kSystemButtonFace);
    bag.writeLong("Min", m_Min, 0);
    bag.writeLong("Max", m_Max, kDefaultMax);
    bag.writeInteger("LargeChange", m_LargeChange, 0);
    bag.writeLong("Value", m_Value, 0);
    bag.writeLong("Position", m_Position, 0);
}

} // namespace controls
