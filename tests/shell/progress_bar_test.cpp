// The scan progress bar: a scan reports positions up to a little past its range, and the bar takes them.
#include "platform/runtime/Form.h"
#include "platform/shell/ProgressBar.h"

#include <QProgressBar>
#include <gtest/gtest.h>

namespace {

struct Design {
    explicit Design(rt::Form& form) : bar(form) { bar.Move(300, 1125, 3075, 300); }
    rt::shell::ProgressBar bar;
};

class Window : public rt::FormWithDesign<Design> {
  public:
    Window() : FormWithDesign("Progress") {}
    using FormWithDesign::d;
};

TEST(ProgressBar, KeepsAValuePastItsRangeAndShowsItFull) {
    Window window;
    auto& bar = window.d().bar;
    bar.setMin(0);
    bar.setMax(1000);
    bar.setValue(1002);
    EXPECT_EQ(bar.Value(), 1002);
    const auto* shown = static_cast<QProgressBar*>(bar.widget());
    EXPECT_EQ(shown->value(), 1000);
    bar.setValue(500);
    EXPECT_EQ(shown->value(), 500);
}

TEST(ProgressBar, AnEmptyRangeShowsNothingAndHidingKeepsTheValue) {
    Window window;
    auto& bar = window.d().bar;
    bar.setMax(0); // a project without audio paths gives the scan nothing to count
    bar.setValue(1);
    EXPECT_EQ(bar.Value(), 1);
    EXPECT_EQ(static_cast<QProgressBar*>(bar.widget())->maximum(), 0);
    bar.setVisible(false);
    EXPECT_FALSE(bar.Visible());
    EXPECT_EQ(bar.Value(), 1);
}

} // namespace
