// The scan progress bar, with the colour and font of its design: a scan reports positions up to a little past
// its range, and the bar takes them.
#include "platform/runtime/Form.h"
#include "platform/shell/ProgressBar.h"
#include "tests/shell/BarColour.h"

#include <QImage>
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

TEST(ProgressBar, FillsWithItsColourAndWritesInItsFont) {
    Window window;
    auto& bar = window.d().bar;
    auto* shown = static_cast<QProgressBar*>(bar.widget());
    bar.setValue(100);
    bar.setColor(0x00C000); // 0x00BBGGRR: green
    EXPECT_EQ(bar.Color(), 0x00C000);
    EXPECT_TRUE(shell_test::filledWith(*shown, QColor(0, 192, 0)));
    const rt::FontSpec font{"Courier New", 12, true};
    bar.setFont(font);
    EXPECT_EQ(shown->font(), rt::qFontOf(font));
    EXPECT_EQ(bar.Font().points, 12);
}

} // namespace
