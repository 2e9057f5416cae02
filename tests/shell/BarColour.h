#pragma once
// Whether a progress bar shows its colour, as a user sees it.
#include <QColor>
#include <QImage>
#include <QWidget>

#include <cstdlib>

namespace shell_test {

// Most of the filled part of the bar shows the colour: the style may shade its edges.
inline bool filledWith(QWidget& bar, QColor colour) {
    const QImage shown = bar.grab().toImage();
    int matching = 0, filled = 0;
    for (int x = 2; x < shown.width() / 3; ++x) {
        for (int y = 2; y < shown.height() - 2; ++y) {
            ++filled;
            const QColor seen = shown.pixelColor(x, y);
            matching += std::abs(seen.red() - colour.red()) < 40 &&
                        std::abs(seen.green() - colour.green()) < 40 &&
                        std::abs(seen.blue() - colour.blue()) < 40;
        }
    }
    return filled > 0 && matching * 2 > filled;
}

} // namespace shell_test
