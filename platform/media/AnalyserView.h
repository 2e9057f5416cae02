#pragma once
// The engine's picture of the playing sound: spectrum bars with peak caps. It draws only what the engine
// feeds it; it paints nothing and runs no timer while hidden or while no sound comes, except for the short
// soft fall of the bars after the sound stops.
#include "platform/media/AnalyserBars.h"

#include <QBasicTimer>
#include <QElapsedTimer>

#include <QPixmap>
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
    double secondsSinceLastFrame();
    void setShown(bool shown);
    void paintBackground();
    void paintFullBar();
    QRect columnOf(int bar) const;
    BarPixels pixelsOf(int bar) const;
    void rememberShownPixels();
    void repaintChanges();

    AnalyserBars bars_;
    QBasicTimer fallTimer_;
    QElapsedTimer frameClock_;
    QPixmap background_;
    QPixmap fullBar_;
    std::array<BarPixels, AnalyserBars::kBarCount> shownPixels_{};
    bool shown_ = false;
    int paintCount_ = 0;
};

} // namespace rt
