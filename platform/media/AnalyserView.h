#pragma once
// The engine's picture of the playing sound: spectrum bars with peak caps. It draws only what the engine
// feeds it; it paints nothing and runs no timer while hidden or while no sound comes, except for the short
// soft fall of the bars after the sound stops.
#include "platform/media/AnalyserBars.h"

#include <QBasicTimer>
#include <QElapsedTimer>

#include <QImage>
#include <QRegion>
#include <QWidget>

#include <array>
#include <span>

namespace rt {

class AnalyserView : public QWidget {
    Q_OBJECT

  public:
    static constexpr int kFrameIntervalMs = 40;

    explicit AnalyserView(QWidget* parent = nullptr);

    // One frame of band magnitudes in dB (bands from 0 Hz to half the sample rate). Ignored while hidden.
    void showSpectrum(std::span<const float> magnitudesDb, int sampleRate);
    // No more frames for now: the bars fall softly to the bottom, then the view goes quiet.
    void endOfSpectrum();

    // On screen: shown, and its window not minimised.
    bool isShown() const { return shown_; }
    // The fall after the last frame is still being animated.
    bool isFalling() const { return fallTimer_.isActive(); }
    const AnalyserBars& bars() const { return bars_; }
    // Paints so far; lets a caller see that a hidden or idle view draws nothing.
    int paintCount() const { return paintCount_; }

  signals:
    void shownChanged(bool shown);

  protected:
    void paintEvent(QPaintEvent* event) override;
    void showEvent(QShowEvent* event) override;
    void hideEvent(QHideEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void timerEvent(QTimerEvent* event) override;

  private:
    // Where a bar and its cap lie on screen; a bar's fill runs from its top to the graph's bottom.
    struct BarPixels {
        int top = 0;
        int capTop = -1; // -1: no cap
        bool operator==(const BarPixels&) const = default;
    };
    // Rows [from, to) of a bar's column; none when from >= to.
    struct RowSpan {
        int from = 0;
        int to = 0;
        bool meets(int top, int bottom) const { return from < to && from < bottom && to > top; }
    };
    using RowSpans = std::array<RowSpan, AnalyserBars::kBarCount>;

    double secondsSinceLastFrame();
    void setShown(bool shown);
    void paintBackground();
    void paintFullBar();
    void paintWholePicture();
    void composeRows(int bar, RowSpan rows);
    QRect columnOf(int bar) const;
    BarPixels pixelsOf(int bar) const;
    QRegion areaOf(const RowSpans& changed) const;
    void repaintChanges();

    AnalyserBars bars_;
    QBasicTimer fallTimer_;
    QElapsedTimer frameClock_;
    QImage background_;
    QImage fullBar_;
    // The whole picture as shown: kept up to date row by row, so a paint only copies what it is asked for.
    QImage picture_;
    std::array<BarPixels, AnalyserBars::kBarCount> shownPixels_{};
    bool shown_ = false;
    int paintCount_ = 0;
};

} // namespace rt
