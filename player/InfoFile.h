#pragma once
// The information window: the WAV format or MP3 tag of the playing file, or that it is missing.
#include "controls/Button.h"
#include "platform/runtime/Controls.h"
#include "platform/runtime/Form.h"

namespace player {

struct InfoFileDesign {
    explicit InfoFileDesign(rt::Form& window);

    rt::TextBox TextInfo;
    controls::Button cmdSalir;
    rt::ControlArray<rt::Image, 2> ImageInfo;
};

// TextInfo's background colours, 0x00BBGGRR.
inline constexpr std::int32_t kInfoNormalBack = 0xC0E0FF;
inline constexpr std::int32_t kInfoMissingBack = 0x8080FF;

class InfoFile : public rt::FormWithDesign<InfoFileDesign> {
  public:
    InfoFile();
    using FormWithDesign::d;

    void Form_DblClick() override;

  protected:
    void Form_Load() override;
    void Form_MouseDown(std::int16_t& Button, std::int16_t& Shift, float& X, float& Y) override;

  private:
    void cmdSalir_Click();
};

InfoFile& infoFile();

} // namespace player
