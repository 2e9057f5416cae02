#pragma once
// The progress-bar control of the main window: a range, a value, shown or hidden, in its stored colour
// (0x00BBGGRR, filling the bar) and font (of the percentage it shows).
#include "platform/runtime/Controls.h"

#include <cstdint>

class QProgressBar;

namespace rt::shell {

class ProgressBar : public Control {
  public:
    explicit ProgressBar(Container& parent);

    std::int32_t Min() const { return min_; }
    void setMin(std::int32_t value);
    std::int32_t Max() const { return max_; }
    void setMax(std::int32_t value);
    // A scan may report a position a little past the end of its range: the bar shows it as full.
    std::int32_t Value() const { return value_; }
    void setValue(std::int32_t value);
    std::int32_t Color() const { return color_; }
    void setColor(std::int32_t colour);
    const FontSpec& Font() const { return font_; }
    void setFont(const FontSpec& font);

  private:
    void show();
    QProgressBar* bar_;
    std::int32_t min_ = 0, max_ = 100, value_ = 0;
    // The system's highlight colour until a colour is stored.
    std::int32_t color_ = static_cast<std::int32_t>(0x8000000D);
    FontSpec font_;
};

} // namespace rt::shell
