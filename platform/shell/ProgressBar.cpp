#include "platform/shell/ProgressBar.h"

#include <QPalette>
#include <QProgressBar>
#include <algorithm>

namespace rt::shell {

ProgressBar::ProgressBar(Container& parent) : Control(parent, Kind::Windowed) {
    bar_ = new QProgressBar;
    bar_->setTextVisible(true);
    bar_->setAccessibleName("Progreso");
    attachWidget(bar_);
    setColor(color_);
    setFont(font_);
    show();
}

// The filled part is drawn in the highlight role; the text stays in the style's own colours.
void ProgressBar::setColor(std::int32_t colour) {
    color_ = colour;
    QPalette palette = bar_->palette();
    palette.setColor(QPalette::Highlight, QColor::fromRgb(rgbOf(colour)));
    bar_->setPalette(palette);
}

void ProgressBar::setFont(const FontSpec& font) {
    font_ = font;
    bar_->setFont(qFontOf(font));
}

void ProgressBar::setMin(std::int32_t value) {
    min_ = value;
    show();
}

void ProgressBar::setMax(std::int32_t value) {
    max_ = value;
    show();
}

void ProgressBar::setValue(std::int32_t value) {
    value_ = value;
    show();
}

void ProgressBar::show() {
    const std::int32_t top = std::max(min_, max_);
    bar_->setRange(min_, top);
    bar_->setValue(std::clamp(value_, min_, top));
}

} // namespace rt::shell
