#include "platform/media/FrequencyBands.h"

#include <gst/fft/gstfftf32.h>

#include <algorithm>
#include <cmath>

namespace rt {

namespace {
constexpr double kDecibelsPerDecade = 10.0;
// GStreamer's Hamming window: 0.53836 − 0.46164·cos(2πi/n).
constexpr double kHammingBase = 0.53836;
constexpr double kHammingSwing = 0.46164;
} // namespace

FrequencyBands::FrequencyBands(int bands, float thresholdDb)
    : blockSize_(2 * bands - 2), fft_(gst_fft_f32_new(blockSize_, FALSE)), window_(std::size_t(blockSize_)),
      thresholdPower_(std::pow(10.0, thresholdDb / kDecibelsPerDecade)), block_(std::size_t(blockSize_)),
      frequencies_(std::size_t(blockSize_ / 2 + 1)), products_(std::size_t(bands)), sums_(std::size_t(bands)),
      magnitudes_(std::size_t(bands)) {
    for (int sample = 0; sample < blockSize_; ++sample)
        window_[std::size_t(sample)] =
            kHammingBase - kHammingSwing * std::cos(2.0 * G_PI * sample / blockSize_);
}

FrequencyBands::~FrequencyBands() {
    gst_fft_f32_free(fft_);
}

// The average of the FFTs' dB values is worked out as the logarithm of the product of their powers, a
// logarithm per band and group of FFTs instead of one per band and FFT (they dominated the cost). Groups stay
// short enough that the product of floored powers (at least 1e-10 each) cannot underflow.
std::span<const float> FrequencyBands::analyse(std::span<const float> samples) {
    constexpr std::size_t kBlocksPerProduct = 8;
    const auto blockSize = std::size_t(blockSize_);
    const std::size_t blocks = samples.size() / blockSize;
    if (blocks == 0)
        return {};
    const double power = double(blockSize_) * double(blockSize_);
    std::fill(sums_.begin(), sums_.end(), 0.0);
    std::fill(products_.begin(), products_.end(), 1.0);
    std::size_t block = 0;
    for (std::size_t start = samples.size() - blocks * blockSize; start < samples.size();
         start += blockSize) {
        for (std::size_t sample = 0; sample < blockSize; ++sample)
            block_[sample] = float(double(samples[start + sample]) * window_[sample]);
        gst_fft_f32_fft(fft_, block_.data(), frequencies_.data());
        for (std::size_t band = 0; band < products_.size(); ++band) {
            const GstFFTF32Complex& bin = frequencies_[band];
            products_[band] *=
                std::max((double(bin.r * bin.r) + double(bin.i * bin.i)) / power, thresholdPower_);
        }
        if (++block % kBlocksPerProduct == 0 || block == blocks) {
            for (std::size_t band = 0; band < products_.size(); ++band)
                sums_[band] += kDecibelsPerDecade * std::log10(products_[band]);
            std::fill(products_.begin(), products_.end(), 1.0);
        }
    }
    for (std::size_t band = 0; band < magnitudes_.size(); ++band)
        magnitudes_[band] = float(sums_[band] / double(blocks));
    return magnitudes_;
}

} // namespace rt
