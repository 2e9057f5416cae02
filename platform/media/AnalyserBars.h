#pragma once
// The spectrum picture's numbers: the engine's linear frequency bands gathered into bars on a musical
// (logarithmic) scale, bars that rise quickly and fall softly, and peak caps that hold, then drop.
#include <array>
#include <cstddef>
#include <span>

namespace rt {

class AnalyserBars {
  public:
    static constexpr int kBarCount = 40;
    static constexpr double kLowestHz = 50;
    static constexpr double kHighestHz = 16000;
    // Band magnitudes from kFloorDb up to kCeilingDb fill a bar from empty to full.
    static constexpr double kFloorDb = -82;
    static constexpr double kCeilingDb = -12;

    // One frame of band magnitudes (dB, bands spread evenly from 0 Hz to half the sample rate), taken
    // elapsedSeconds after the previous one.
    void feed(std::span<const float> magnitudesDb, int sampleRate, double elapsedSeconds);
    // Time passes with no new frame: everything falls towards empty.
    void fall(double elapsedSeconds);
    // Nothing left to draw: every bar and cap is at the bottom.
    bool atRest() const;
    void clear();

    // 0 (empty) to 1 (full), lowest frequency first.
    const std::array<double, kBarCount>& levels() const { return level_; }
    const std::array<double, kBarCount>& peaks() const { return peak_; }

    // The bar's target level for a frame, before rising and falling: exposed for its own checks.
    static double targetLevel(std::span<const float> magnitudesDb, int sampleRate, int bar);

  private:
    // Where a bar reads the bands: its centre as a fractional band index, the bands whose centres lie
    // within it, and its tilt.
    struct Reading {
        double centre = 0;
        std::size_t firstBand = 0;
        std::size_t endBand = 0;
        double tiltDb = 0;
    };
    static Reading readingFor(std::size_t bands, int sampleRate, int bar);
    static double levelOf(std::span<const float> magnitudesDb, const Reading& reading);
    void settle(int bar, double target, double elapsedSeconds);

    std::array<Reading, kBarCount> readings_{};
    std::size_t readingBands_ = 0;
    int readingRate_ = 0;

    std::array<double, kBarCount> level_{};
    std::array<double, kBarCount> peak_{};
    std::array<double, kBarCount> peakHoldLeft_{};
    std::array<double, kBarCount> peakSpeed_{};
};

} // namespace rt
