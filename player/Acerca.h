#pragma once
// The about window: version, purpose and author.
#include "controls/Button.h"
#include "platform/runtime/Controls.h"
#include "platform/runtime/Form.h"

namespace player {

struct AcercaDesign {
    explicit AcercaDesign(rt::Form& window);

    controls::Button cmdSalir;
    rt::ControlArray<rt::Label, 5> Label2;
};

class Acerca : public rt::FormWithDesign<AcercaDesign> {
  public:
    Acerca();
    using FormWithDesign::d;

  protected:
    void Form_Load() override;
    void Form_MouseDown(std::int16_t& Button, std::int16_t& Shift, float& X, float& Y) override;

  private:
    void cmdSalir_Click();
};

Acerca& acerca();

} // namespace player
