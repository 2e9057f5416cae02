#pragma once
// The picture-drawn slider and progress bar: a track, a progress picture up to the thumb and a thumb with a
// normal, pressed and hover look, all kept in hidden picture boxes and copied onto the shown track. Its
// Value maps linearly onto the thumb's place in pixels and back, halves to the even neighbour.
#include "controls/Flag.h"
#include "platform/base/Picture.h"
#include "platform/runtime/Controls.h"
#include "platform/runtime/PropertyBag.h"
#include "platform/runtime/Timer.h"
#include "platform/runtime/UserControl.h"
#include "platform/win/PointerWatch.h"

#include <QtGlobal>

#include <array>
#include <cstdint>
#include <functional>
#include <optional>

namespace controls {

class Slider : public rt::UserControl {
  public:
    // A new control is vertical, 105 x 1200 twips, with a 12 x 11 pixel thumb box until Position is set.
    static constexpr int kDesignWidthPx = 7;
    static constexpr int kDesignHeightPx = 80;
    static constexpr int kDesignThumbWidthPx = 12;
    static constexpr int kDesignThumbHeightPx = 11;
    // The thumb's length when Bar holds no picture.
    static constexpr int kPlainThumbPx = 9;
    static constexpr int kOverPollMs = 10;

    explicit Slider(rt::Container& parent);

    // Public members in slot order.
    void ResetPictures();
    const rt::Picture& MouseIcon() const { return picBack.MouseIcon(); }
    void setMouseIcon(const rt::Picture& icon);
    std::int32_t BackColor() const { return picBack.BackColor(); }
    void setBackColor(std::int32_t colour);
    // 0 vertical, any other value horizontal.
    std::int32_t Position() const { return m_Position; }
    void setPosition(std::int32_t position);
    const rt::Picture& Bar() const { return picBar.picture(); }
    void setBar(const rt::Picture& picture);
    const rt::Picture& BarDown() const { return picBarDown.picture(); }
    void setBarDown(const rt::Picture& picture);
    const rt::Picture& BarOver() const { return picBarOver.picture(); }
    void setBarOver(const rt::Picture& picture);
    std::int32_t Max() const { return m_Max; }
    void setMax(std::int32_t value);
    // The property is spelled in lower case; its bag key and change report are "Min".
    std::int32_t min() const { return m_Min; }
    void setMin(std::int32_t value);
    std::int16_t LargeChange() const { return m_LargeChange; }
    void setLargeChange(std::int16_t value);
    const rt::Picture& PictureBack() const { return picBack.picture(); }
    void setPictureBack(const rt::Picture& picture);
    const rt::Picture& PictureProgress() const { return picBack1.picture(); }
    void setPictureProgress(const rt::Picture& picture);
    std::int32_t Value() const { return m_Value; }
    void setValue(std::int32_t value);

    // Events, in declaration order. Change passes the value member itself: a handler that assigns to it
    // sets the control's value with no check and no redraw.
    std::function<void(std::int32_t& value)> Change;
    rt::MouseHandler MouseDown;
    rt::MouseHandler MouseUp;
    rt::MouseHandler MouseMove;

    // Handlers the host calls.
    void UserControl_Initialize() override;
    void UserControl_ReadProperties(const rt::PropertyBag& bag) override;
    void UserControl_WriteProperties(rt::PropertyBag& bag) override;
    void UserControl_Resize() override;
    void picBack_MouseDown(std::int16_t& button, std::int16_t& shift, float& x, float& y);
    void picBack_MouseMove(std::int16_t& button, std::int16_t& shift, float& x, float& y);
    void picBack_MouseUp(std::int16_t& button, std::int16_t& shift, float& x, float& y);

    // Read-only views of the private state, for the host's tests.
    std::int32_t barPos() const { return BarPos; }
    bool dragging() const { return Dragging != kFalse; }
    bool mouseIsOver() const { return MouseIsOver != kFalse; }
    bool mouseIsDown() const { return MouseIsDown != kFalse; }
    // The shown track, on which progress and thumb are drawn; it receives the mouse.
    const rt::PictureBox& track() const { return picBack; }
    const rt::PictureBox& thumb() const { return picBar; }
    // The hover poll; a host drives it through its ticks.
    rt::Timer& overTimer() { return OverTimer; }

  private:
    bool isHorizontal() const { return m_Position != 0; }
    std::int32_t mirrored(std::int32_t value) const;
    std::int32_t barPosOfValue() const;
    void CalcValue();
    void DrawSlider(std::int32_t barState, bool recalc);
    void centreThumbOn(float p, double trackLength, double thumbLength);
    void OverTimer_Timer();
    void redraw() { DrawSlider(0, true); }
    // What the track shows was last drawn from; a drawing from the same is skipped.
    struct DrawnLook {
        std::int32_t barPos;
        std::int16_t x, y;
        const rt::PictureBox* thumb;
        std::array<qint64, 5> images; // what the five boxes held
        bool operator==(const DrawnLook&) const = default;
    };
    std::array<qint64, 5> imageKeys() const;
    // The pictures, colours or sizes changed: the next drawing is done whatever it draws.
    void forgetDrawing();
    static void sizeToPicture(rt::PictureBox& box);

    rt::PictureBox picBack{*this};
    rt::PictureBox picBack1{*this};
    rt::PictureBox picBar{*this};
    rt::PictureBox picBarDown{*this};
    rt::PictureBox picBarOver{*this};
    rt::Timer OverTimer{kOverPollMs, false};
    rt::win::PointerWatch pointerWatch_;

    std::int32_t BarPos = 0;
    Flag Dragging = kFalse;
    std::int32_t m_Min = 0;
    std::int32_t m_Max = 0;
    std::int32_t m_Value = 0;
    Flag MouseIsOver = kFalse;
    Flag MouseIsDown = kFalse;
    std::int16_t m_LargeChange = 0;
    std::int32_t m_Position = 0;
    std::optional<DrawnLook> drawn_;
};

} // namespace controls
