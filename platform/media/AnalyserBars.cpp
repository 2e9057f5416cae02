#include "platform/media/AnalyserBars.h"

#include <algorithm>
#include <cmath>

namespace rt {

namespace {
// Music has less energy up high; tilting the picture by a few dB per octave keeps the treble visible.
constexpr double kTiltDbPerOctave = 3.0;
constexpr double kTiltPivotHz = 1000;
constexpr double kRiseSeconds = 0.03;     // time constant of a rising bar: quick, but not a jump
constexpr double kFallPerSecond = 1.4;    // full height fades in about 0.7 s
constexpr double kPeakHoldSeconds = 0.35; // a cap stays put this long after it was pushed up
constexpr double kPeakGravity = 3.0;      // then falls with this acceleration (heights per s^2)
constexpr double kRestLevel = 0.002;      // below this nothing shows on screen

double barEdgeHz(int edge, double highestHz) {
    return AnalyserBars::kLowestHz *
           std::pow(highestHz / AnalyserBars::kLowestHz, double(edge) / AnalyserBars::kBarCount);
}

} // namespace

AnalyserBars::Reading AnalyserBars::readingFor(std::size_t bands, int sampleRate, int bar) {
    const double nyquistHz = sampleRate / 2.0;
    const double bandHz = nyquistHz / double(bands);
    const double highestHz = std::min(kHighestHz, nyquistHz);
    const double lowHz = barEdgeHz(bar, highestHz);
    const double highHz = barEdgeHz(bar + 1, highestHz);
    const double centreHz = std::sqrt(lowHz * highHz);
    // Band b is centred on (b + 0.5) * bandHz.
    const auto firstBand = std::size_t(std::max(0.0, std::ceil(lowHz / bandHz - 0.5)));
    const auto endBand = std::size_t(std::clamp(std::ceil(highHz / bandHz - 0.5), 0.0, double(bands)));
    return {std::clamp(centreHz / bandHz - 0.5, 0.0, double(bands - 1)), firstBand, endBand,
            kTiltDbPerOctave * std::log2(centreHz / kTiltPivotHz)};
}

// The loudest band whose centre lies in the bar; narrow low bars fall between band centres and read the
// magnitude there, interpolated between the two nearest.
double AnalyserBars::levelOf(std::span<const float> magnitudesDb, const Reading& reading) {
    const auto below = std::size_t(reading.centre);
    const std::size_t above = std::min(below + 1, magnitudesDb.size() - 1);
    const double weight = reading.centre - double(below);
    double db = magnitudesDb[below] * (1 - weight) + magnitudesDb[above] * weight;
    for (std::size_t band = reading.firstBand; band < reading.endBand; ++band)
        db = std::max(db, double(magnitudesDb[band]));
    return std::clamp((db + reading.tiltDb - kFloorDb) / (kCeilingDb - kFloorDb), 0.0, 1.0);
}

double AnalyserBars::targetLevel(std::span<const float> magnitudesDb, int sampleRate, int bar) {
    if (magnitudesDb.empty() || sampleRate <= 0)
        return 0;
    return levelOf(magnitudesDb, readingFor(magnitudesDb.size(), sampleRate, bar));
}

void AnalyserBars::feed(std::span<const float> magnitudesDb, int sampleRate, double elapsedSeconds) {
    if (magnitudesDb.empty() || sampleRate <= 0)
        return fall(elapsedSeconds);
    // The readings depend only on the band count and the rate: worked out once, not every frame.
    if (magnitudesDb.size() != readingBands_ || sampleRate != readingRate_) {
        for (int bar = 0; bar < kBarCount; ++bar)
            readings_[bar] = readingFor(magnitudesDb.size(), sampleRate, bar);
        readingBands_ = magnitudesDb.size();
        readingRate_ = sampleRate;
    }
    for (int bar = 0; bar < kBarCount; ++bar)
        settle(bar, levelOf(magnitudesDb, readings_[bar]), elapsedSeconds);
}

void AnalyserBars::fall(double elapsedSeconds) {
    for (int bar = 0; bar < kBarCount; ++bar)
        settle(bar, 0, elapsedSeconds);
}

void AnalyserBars::settle(int bar, double target, double elapsedSeconds) {
    double& level = level_[bar];
    if (target > level)
        level += (target - level) * std::min(1.0, elapsedSeconds / kRiseSeconds);
    else
        level = std::max(target, level - kFallPerSecond * elapsedSeconds);

    double& peak = peak_[bar];
    if (level >= peak) {
        peak = level;
        peakHoldLeft_[bar] = kPeakHoldSeconds;
        peakSpeed_[bar] = 0;
    } else if (peakHoldLeft_[bar] > 0) {
        peakHoldLeft_[bar] -= elapsedSeconds;
    } else {
        peakSpeed_[bar] += kPeakGravity * elapsedSeconds;
        peak = std::max(level, peak - peakSpeed_[bar] * elapsedSeconds);
    }
    if (level < kRestLevel && peak < kRestLevel)
        level = peak = 0;
}

bool AnalyserBars::atRest() const {
    return std::all_of(peak_.begin(), peak_.end(), [](double peak) { return peak == 0; });
}

void AnalyserBars::clear() {
    level_.fill(0);
    peak_.fill(0);
    peakHoldLeft_.fill(0);
    peakSpeed_.fill(0);
}

} // namespace rt
