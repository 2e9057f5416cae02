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
    bars_.feed(magnitudesDb, sampleRate, secondsSinceLastFrame());
    repaintChanges();
}

void AnalyserView::endOfSpectrum() {
    frameClock_.start();
    if (shown_ && !bars_.atRest())
        fallTimer_.start(kFrameIntervalMs, this);
}

void AnalyserView::timerEvent(QTimerEvent* event) {
    if (event->timerId() != fallTimer_.timerId())
        return QWidget::timerEvent(event);
    bars_.fall(secondsSinceLastFrame());
    if (bars_.atRest())
        fallTimer_.stop();
    repaintChanges();
}

QRect AnalyserView::columnOf(int bar) const {
    const int graphWidth = width() - 2 * kMarginPx;
    const int left = kMarginPx + graphWidth * bar / AnalyserBars::kBarCount;
    const int right = kMarginPx + graphWidth * (bar + 1) / AnalyserBars::kBarCount - kBarGapPx;
    return QRect(left, 0, std::max(0, right - left), height());
}

AnalyserView::BarPixels AnalyserView::pixelsOf(int bar) const {
    const int graphHeight = height() - 2 * kMarginPx;
    const int bottom = height() - kMarginPx;
    BarPixels pixels;
    pixels.top = bottom - std::max(0, int(std::lround(bars_.levels()[bar] * graphHeight)));
    if (bars_.peaks()[bar] > 0)
        pixels.capTop =
            std::max(kMarginPx, bottom - int(std::lround(bars_.peaks()[bar] * graphHeight)) - kCapHeightPx);
    return pixels;
}

void AnalyserView::rememberShownPixels() {
    for (int bar = 0; bar < AnalyserBars::kBarCount; ++bar)
        shownPixels_[bar] = pixelsOf(bar);
}

// Only the rows of a bar whose fill or cap moved are painted again; nothing is when no pixel moved, so
// quiet music and still bars cost no painting at all.
void AnalyserView::repaintChanges() {
    QRegion changed;
    for (int bar = 0; bar < AnalyserBars::kBarCount; ++bar) {
        const BarPixels now = pixelsOf(bar);
        const BarPixels before = shownPixels_[bar];
        if (now == before)
            continue;
        const QRect column = columnOf(bar);
        const auto rows = [&](int top, int bottom) {
            if (bottom > top)
                changed += QRect(column.left(), top, column.width(), bottom - top);
        };
        rows(std::min(now.top, before.top), std::max(now.top, before.top));
        if (now.capTop != before.capTop) {
            if (before.capTop >= 0)
                rows(before.capTop, before.capTop + kCapHeightPx);
            if (now.capTop >= 0)
                rows(now.capTop, now.capTop + kCapHeightPx);
        }
        shownPixels_[bar] = now;
    }
    if (!changed.isEmpty())
        update(changed);
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
    rememberShownPixels();
    frameClock_.invalidate();
    emit shownChanged(shown);
}

void AnalyserView::resizeEvent(QResizeEvent*) {
    paintBackground();
    paintFullBar();
    rememberShownPixels();
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
    for (const QRect& area : event->region())
        painter.drawPixmap(area, background_, area);
    const int graphHeight = height() - 2 * kMarginPx;
    const int bottom = height() - kMarginPx;
    const QRect dirty = event->rect();
    for (int bar = 0; bar < AnalyserBars::kBarCount; ++bar) {
        const QRect column = columnOf(bar);
        if (!column.intersects(dirty))
            continue;
        const BarPixels pixels = pixelsOf(bar);
        const int barHeight = bottom - pixels.top;
        if (barHeight > 0)
            painter.drawPixmap(column.left(), pixels.top, fullBar_, 0, graphHeight - barHeight,
                               column.width(), barHeight);
        if (pixels.capTop >= 0)
            painter.fillRect(QRect(column.left(), pixels.capTop, column.width(), kCapHeightPx), kCapColour);
    }
}

} // namespace rt
