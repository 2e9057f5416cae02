#pragma once
// The spectrum window: hosts the media engine, whose picture of the playing sound fills most of it, beside
// the elapsed time and the level bar.
#include "controls/Button.h"
#include "platform/media/MediaPlayerControl.h"
#include "platform/runtime/Controls.h"
#include "platform/runtime/Form.h"

#include <cstdint>

namespace player {

// The controls of the spectrum window in design order; it measures them in pixels.
struct SADesign {
    explicit SADesign(rt::Form& window);

    rt::PictureBox Picture1;
    rt::Label LabelTime;
    controls::Button cmdMinimizar;
    controls::Button Close;
    rt::Shape ShapeVol;
    rt::MediaPlayerControl WindowsMediaPlayer;
    rt::Label Label1;
};

class SA : public rt::FormWithDesign<SADesign> {
  public:
    SA();
    using FormWithDesign::d;

    // The engine: touching it loads the window (hidden) with a fresh engine when it is not loaded.
    rt::MediaPlayer& engine() { return d().WindowsMediaPlayer.engine(); }

    void Form_DblClick() override;
    // The level bar: Nivel x 3 pixels high, growing up from 320.
    void VuSA(std::int16_t Nivel);

  protected:
    void Form_Load() override;
    void Form_KeyDown(std::int16_t& KeyCode, std::int16_t& Shift) override;
    void Form_MouseDown(std::int16_t& Button, std::int16_t& Shift, float& X, float& Y) override;

  private:
    void Close_Click();
    void cmdMinimizar_Click();
};

SA& sa();

} // namespace player
