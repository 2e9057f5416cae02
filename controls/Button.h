#pragma once
// The picture-drawn push button every window uses for its commands: four state pictures over a background
// colour and picture, hover followed by a 10 ms poll, and the nine events of the control.
#include "controls/Flag.h"
#include "platform/base/Picture.h"
#include "platform/runtime/PropertyBag.h"
#include "platform/runtime/Timer.h"
#include "platform/runtime/UserControl.h"
#include "platform/win/PointerWatch.h"

#include <cstdint>
#include <functional>

namespace controls {

// Where and how large a state picture is drawn: sizes from HiMetric by the 26.1 divisor, then placed by
// PictureAlign (0 centre, 1 top, 2 bottom, 3 left, 4 right, anything else the top-left corner). Every
// value is a signed 16-bit number; one outside that range fails with an overflow.
struct PicturePlacement {
    std::int16_t width = 0;
    std::int16_t height = 0;
    std::int16_t x = 0;
    std::int16_t y = 0;
};
PicturePlacement placeStatePicture(int widthHiMetric, int heightHiMetric, float scaleWidth, float scaleHeight,
                                   std::int32_t pictureAlign);

class Button : public rt::UserControl {
  public:
    // The look of a newly placed button: 1530 x 435 twips.
    static constexpr int kDesignWidthPx = 102;
    static constexpr int kDesignHeightPx = 29;
    static constexpr int kOverPollMs = 10;

    explicit Button(rt::Container& parent);

    // Public members in slot order.
    void Refresh();
    std::int32_t PictureAlign() const { return m_PictureAlign; }
    void setPictureAlign(std::int32_t align);
    std::int32_t ButtonColor() const { return BackColor(); }
    void setButtonColor(std::int32_t colour);
    bool Selected() const { return m_Selected != kFalse; }
    void setSelected(bool selected);
    // hWnd: the surface's own (rt::UserControl::hWnd).
    std::int32_t MaskColor() const { return UserControl::MaskColor(); }
    void setMaskColor(std::int32_t colour);
    std::int32_t MousePointer() const { return UserControl::MousePointer(); }
    // Narrows to 16 bits: a value outside them fails with an overflow before anything is stored.
    void setMousePointer(std::int32_t pointer);
    const rt::Picture& MouseIcon() const { return UserControl::MouseIcon(); }
    void setMouseIcon(const rt::Picture& icon);
    const rt::Picture& PictureBack() const { return surfacePicture(); }
    void setPictureBack(const rt::Picture& picture);
    const rt::Picture& PictureNormal() const { return m_PictureNormal; }
    void setPictureNormal(const rt::Picture& picture);
    const rt::Picture& PictureDisabled() const { return m_PictureDisabled; }
    void setPictureDisabled(const rt::Picture& picture);
    const rt::Picture& PictureDown() const { return m_PictureDown; }
    void setPictureDown(const rt::Picture& picture);
    const rt::Picture& PictureOver() const { return m_PictureOver; }
    void setPictureOver(const rt::Picture& picture);
    std::int32_t Style() const { return m_Style; }
    void setStyle(std::int32_t style);
    bool UseMaskColor() const { return m_UseMaskColor != kFalse; }
    void setUseMaskColor(bool use);
    void Reset();

    // Events, in declaration order; every argument is the reference the handler was given.
    std::function<void()> Click;
    std::function<void(std::int16_t& keyCode, std::int16_t& shift)> KeyDown;
    std::function<void(std::int16_t& keyAscii)> KeyPress;
    std::function<void(std::int16_t& keyCode, std::int16_t& shift)> KeyUp;
    rt::MouseHandler MouseDown;
    rt::MouseHandler MouseMove;
    rt::MouseHandler MouseUp;
    std::function<void(std::int16_t& shift)> MouseIn;
    std::function<void(std::int16_t& shift)> MouseOut;

    // Handlers the host calls.
    void UserControl_InitProperties() override;
    void UserControl_ReadProperties(const rt::PropertyBag& bag) override;
    void UserControl_WriteProperties(rt::PropertyBag& bag) override;
    void UserControl_Resize() override;
    void UserControl_MouseDown(std::int16_t& button, std::int16_t& shift, float& x, float& y) override;
    void UserControl_MouseMove(std::int16_t& button, std::int16_t& shift, float& x, float& y) override;
    void UserControl_MouseUp(std::int16_t& button, std::int16_t& shift, float& x, float& y) override;
    void UserControl_DblClick() override;

    // Read-only views of the private state, for the host's tests.
    bool mouseIsDown() const { return MouseIsDown != kFalse; }
    bool mouseIsOver() const { return MouseIsOver != kFalse; }
    std::int16_t downShift() const { return DownShift; }
    // The hover poll; a host drives it through its ticks.
    rt::Timer& overTimer() { return OverTimer; }

  private:
    void OverTimer_Timer();
    void DrawPicture();
    rt::Picture chosenPicture() const;
    bool isInside(float x, float y) const;

    Flag MouseIsDown = kFalse;
    Flag MouseIsOver = kFalse;
    Flag m_Selected = kFalse;
    std::int16_t DownButton = 0;
    std::int16_t DownShift = 0;
    float DownX = 0;
    float DownY = 0;
    std::int32_t m_Style = 0;
    Flag m_UseMaskColor = kFalse;
    std::int32_t m_PictureAlign = 0;
    rt::Picture m_PictureNormal;
    rt::Picture m_PictureDown;
    rt::Picture m_PictureOver;
    rt::Picture m_PictureDisabled;

    rt::Timer OverTimer{kOverPollMs, false};
    rt::win::PointerWatch pointerWatch_;
};

} // namespace controls
