#include "platform/media/AnalyserView.h"

#include <QPaintEvent>
#include <QPainter>
#include <QTimerEvent>

#include <algorithm>
#include <cmath>

namespace rt {

namespace {
constexpr int kMarginPx = 6;
constexpr int kBarGapPx = 2;
constexpr int kCapHeightPx = 2;
constexpr int kGridLines = 6;
// A frame that comes after a long pause (a seek, a resumed pause) must not make the bars jump.
constexpr double kLongestFrameSeconds = 0.1;
constexpr double kMillisecondsPerSecond = 1000.0;

const QColor kBackgroundTop(14, 20, 38);
const QColor kBackgroundBottom(6, 9, 18);
const QColor kGridColour(255, 255, 255, 16);
const QColor kCapColour(226, 240, 255);
} // namespace

AnalyserView::AnalyserView(QWidget* parent) : QWidget(parent) {
    setAttribute(Qt::WA_OpaquePaintEvent);
}

void AnalyserView::showSpectrum(std::span<const float> magnitudesDb, int sampleRate) {
    if (!shown_)
        return;
    fallTimer_.stop();
    const int topBefore = drawnTop();
    bars_.feed(magnitudesDb, sampleRate, secondsSinceLastFrame());
    repaintBelow(topBefore);
}

void AnalyserView::endOfSpectrum() {
    frameClock_.start();
    if (shown_ && !bars_.atRest())
        fallTimer_.start(kFrameIntervalMs, this);
}

void AnalyserView::timerEvent(QTimerEvent* event) {
    if (event->timerId() != fallTimer_.timerId())
        return QWidget::timerEvent(event);
    const int topBefore = drawnTop();
    bars_.fall(secondsSinceLastFrame());
    if (bars_.atRest())
        fallTimer_.stop();
    repaintBelow(topBefore);
}

// The highest row a bar or cap covers; nothing above it changes from frame to frame.
int AnalyserView::drawnTop() const {
    const auto& peaks = bars_.peaks();
    const double highest = *std::max_element(peaks.begin(), peaks.end());
    return height() - kMarginPx - int(std::lround(highest * (height() - 2 * kMarginPx))) - kCapHeightPx;
}

// Repaints from the higher of the old and new tops down: quiet music leaves most of the view untouched.
void AnalyserView::repaintBelow(int topBefore) {
    const int top = std::max(0, std::min(topBefore, drawnTop()));
    update(0, top, width(), height() - top);
}

// The first frame after a quiet spell counts as one ordinary frame.
double AnalyserView::secondsSinceLastFrame() {
    if (!frameClock_.isValid()) {
        frameClock_.start();
        return kFrameIntervalMs / kMillisecondsPerSecond;
    }
    return std::min(frameClock_.restart() / kMillisecondsPerSecond, kLongestFrameSeconds);
}

void AnalyserView::showEvent(QShowEvent*) {
    setShown(true);
}

// Also sent when the window is minimised, so a minimised view stops drawing too.
void AnalyserView::hideEvent(QHideEvent*) {
    setShown(false);
}

void AnalyserView::setShown(bool shown) {
    if (shown == shown_)
        return;
    shown_ = shown;
    // Whatever was on screen is stale by the time the view comes back.
    fallTimer_.stop();
    bars_.clear();
    frameClock_.invalidate();
    emit shownChanged(shown);
}

void AnalyserView::resizeEvent(QResizeEvent*) {
    paintBackground();
    paintFullBar();
}

// One full-height bar drawn once; each frame copies the part of it a bar needs, which is cheaper than
// filling with a gradient every time.
void AnalyserView::paintFullBar() {
    const int graphHeight = std::max(1, height() - 2 * kMarginPx);
    fullBar_ = QPixmap(std::max(1, width() / AnalyserBars::kBarCount + 1), graphHeight);
    QLinearGradient fill(0, graphHeight, 0, 0);
    fill.setColorAt(0.0, QColor(20, 170, 160));
    fill.setColorAt(0.45, QColor(120, 220, 90));
    fill.setColorAt(0.8, QColor(255, 206, 74));
    fill.setColorAt(1.0, QColor(255, 96, 72));
    QPainter(&fullBar_).fillRect(fullBar_.rect(), fill);
}

void AnalyserView::paintBackground() {
    background_ = QPixmap(size());
    QPainter painter(&background_);
    QLinearGradient fill(0, 0, 0, height());
    fill.setColorAt(0, kBackgroundTop);
    fill.setColorAt(1, kBackgroundBottom);
    painter.fillRect(rect(), fill);
    painter.setPen(kGridColour);
    const int graphHeight = height() - 2 * kMarginPx;
    for (int line = 1; line < kGridLines; ++line) {
        const int y = kMarginPx + graphHeight * line / kGridLines;
        painter.drawLine(kMarginPx, y, width() - kMarginPx, y);
    }
}

void AnalyserView::paintEvent(QPaintEvent* event) {
    ++paintCount_;
    QPainter painter(this);
    painter.drawPixmap(event->rect(), background_, event->rect());
    const int graphWidth = width() - 2 * kMarginPx;
    const int graphHeight = height() - 2 * kMarginPx;
    const int bottom = height() - kMarginPx;
    const auto& levels = bars_.levels();
    const auto& peaks = bars_.peaks();
    for (int bar = 0; bar < AnalyserBars::kBarCount; ++bar) {
        const int left = kMarginPx + graphWidth * bar / AnalyserBars::kBarCount;
        const int right = kMarginPx + graphWidth * (bar + 1) / AnalyserBars::kBarCount - kBarGapPx;
        const int barHeight = int(std::lround(levels[bar] * graphHeight));
        if (barHeight > 0)
            painter.drawPixmap(left, bottom - barHeight, fullBar_, 0, graphHeight - barHeight, right - left,
                               barHeight);
        if (peaks[bar] > 0) {
            const int capTop = bottom - int(std::lround(peaks[bar] * graphHeight)) - kCapHeightPx;
            painter.fillRect(QRect(left, std::max(kMarginPx, capTop), right - left, kCapHeightPx),
                             kCapColour);
        }
    }
}

} // namespace rt
