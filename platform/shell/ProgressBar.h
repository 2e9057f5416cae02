#pragma once
// The progress-bar control of the main window: a range, a value, shown or hidden.
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

  private:
    void show();
    QProgressBar* bar_;
    std::int32_t min_ = 0, max_ = 100, value_ = 0;
};

} // namespace rt::shell
