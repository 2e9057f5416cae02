#include "platform/media/AnalyserView.h"

#include <QPaintEvent>
#include <QPainter>
#include <QTimerEvent>

#include <algorithm>
#include <cmath>
#include <cstring>

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
// Opaque pixels, as the screen's; the picture is composed in them directly.
constexpr QImage::Format kFormat = QImage::Format_RGB32;
// The repainted area's bands: rows a rectangle spans at most (well under the 96 rows from which Qt's raster
// engine splits a copy across its thread pool and waits for it, a dozen wake-ups a frame), and still bars a
// run takes in rather than start another rectangle.
constexpr int kBandRows = 32;
constexpr int kBarsBridged = 2;
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

// Writes the rows of a bar's column into the picture as the bar now stands: its cap over its fill over
// the background, a row at a time.
void AnalyserView::composeRows(int bar, RowSpan rows) {
    const QRect column = columnOf(bar);
    if (column.isEmpty())
        return;
    const BarPixels pixels = shownPixels_[bar];
    const int bottom = height() - kMarginPx;
    const int graphHeight = height() - 2 * kMarginPx;
    const auto bytes = std::size_t(column.width()) * sizeof(QRgb);
    const QRgb cap = kCapColour.rgb();
    for (int y = std::max(rows.from, 0); y < std::min(rows.to, height()); ++y) {
        auto* target = reinterpret_cast<QRgb*>(picture_.scanLine(y)) + column.left();
        if (pixels.capTop >= 0 && y >= pixels.capTop && y < pixels.capTop + kCapHeightPx)
            std::fill_n(target, column.width(), cap);
        else if (y >= pixels.top && y < bottom)
            std::memcpy(target, fullBar_.constScanLine(graphHeight - (bottom - y)), bytes);
        else
            std::memcpy(target, reinterpret_cast<const QRgb*>(background_.constScanLine(y)) + column.left(),
                        bytes);
    }
}

// The picture drawn afresh, step by step: the background, each bar's fill, each cap.
void AnalyserView::paintWholePicture() {
    for (int bar = 0; bar < AnalyserBars::kBarCount; ++bar)
        shownPixels_[bar] = pixelsOf(bar);
    picture_ = background_.copy();
    if (picture_.isNull())
        return;
    QPainter painter(&picture_);
    const int graphHeight = height() - 2 * kMarginPx;
    const int bottom = height() - kMarginPx;
    for (int bar = 0; bar < AnalyserBars::kBarCount; ++bar) {
        const QRect column = columnOf(bar);
        const BarPixels pixels = shownPixels_[bar];
        if (const int barHeight = bottom - pixels.top; barHeight > 0)
            painter.drawImage(column.left(), pixels.top, fullBar_, 0, graphHeight - barHeight, column.width(),
                              barHeight);
        if (pixels.capTop >= 0)
            painter.fillRect(QRect(column.left(), pixels.capTop, column.width(), kCapHeightPx), kCapColour);
    }
}

// Only bars whose fill or cap moved change in the picture, and only over the rows that moved; nothing is
// repainted when no pixel moved, so quiet music and still bars cost no painting at all.
void AnalyserView::repaintChanges() {
    RowSpans changed{};
    for (int bar = 0; bar < AnalyserBars::kBarCount; ++bar) {
        const BarPixels now = pixelsOf(bar);
        const BarPixels before = shownPixels_[bar];
        if (now == before)
            continue;
        RowSpan& rows = changed[bar];
        rows = {std::min(now.top, before.top), std::max(now.top, before.top)};
        const auto include = [&rows](int capTop) {
            if (capTop < 0)
                return;
            rows.from = rows.from < rows.to ? std::min(rows.from, capTop) : capTop;
            rows.to = std::max(rows.to, capTop + kCapHeightPx);
        };
        if (now.capTop != before.capTop) {
            include(before.capTop);
            include(now.capTop);
        }
        shownPixels_[bar] = now;
        composeRows(bar, rows);
    }
    if (const QRegion area = areaOf(changed); !area.isEmpty())
        update(area);
}

// The area to repaint: the changed rows cut into bands of a few rows, and in each band the runs of bars
// that changed in it (short runs of still bars between them included). A handful of rectangles covers the
// changes closely: cheap to build (each lies below or right of the last), to paint and to flush, where a
// rectangle per bar would split into hundreds of bands.
QRegion AnalyserView::areaOf(const RowSpans& changed) const {
    int top = height();
    int bottom = 0;
    for (const RowSpan& rows : changed)
        if (rows.from < rows.to) {
            top = std::min(top, rows.from);
            bottom = std::max(bottom, rows.to);
        }
    QRegion area;
    for (int bandTop = top; bandTop < bottom; bandTop += kBandRows) {
        const int bandBottom = std::min(bandTop + kBandRows, bottom);
        for (int bar = 0; bar < AnalyserBars::kBarCount; ++bar) {
            if (!changed[bar].meets(bandTop, bandBottom))
                continue;
            int last = bar;
            for (int next = bar + 1; next < AnalyserBars::kBarCount && next <= last + kBarsBridged + 1;
                 ++next)
                if (changed[next].meets(bandTop, bandBottom))
                    last = next;
            const int left = columnOf(bar).left();
            if (const QRect run(left, bandTop, columnOf(last).right() + 1 - left, bandBottom - bandTop);
                !run.isEmpty())
                area += run;
            bar = last;
        }
    }
    return area;
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
    paintWholePicture();
    frameClock_.invalidate();
    emit shownChanged(shown);
}

void AnalyserView::resizeEvent(QResizeEvent*) {
    paintBackground();
    paintFullBar();
    paintWholePicture();
}

// One full-height bar drawn once; each frame copies the part of it a bar needs, which is cheaper than
// filling with a gradient every time.
void AnalyserView::paintFullBar() {
    const int graphHeight = std::max(1, height() - 2 * kMarginPx);
    fullBar_ = QImage(std::max(1, width() / AnalyserBars::kBarCount + 1), graphHeight, kFormat);
    QLinearGradient fill(0, graphHeight, 0, 0);
    fill.setColorAt(0.0, QColor(20, 170, 160));
    fill.setColorAt(0.45, QColor(120, 220, 90));
    fill.setColorAt(0.8, QColor(255, 206, 74));
    fill.setColorAt(1.0, QColor(255, 96, 72));
    QPainter(&fullBar_).fillRect(fullBar_.rect(), fill);
}

void AnalyserView::paintBackground() {
    background_ = QImage(size(), kFormat);
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
        painter.drawImage(area, picture_, area);
}

} // namespace rt
