#pragma once
// Band magnitudes of a stretch of sound, in the numbers GStreamer's own analyser gives, so the picture
// reads them the same way: FFTs of 2·(bands − 1) consecutive samples under a Hamming window, each band's
// power (re² + im², over the FFT length squared) in dB and floored at a threshold, then averaged over the
// FFTs of the stretch. The bands spread evenly from 0 Hz to half the sample rate.
#include <span>
#include <vector>

struct _GstFFTF32;
struct _GstFFTF32Complex;

namespace rt {

class FrequencyBands {
  public:
    FrequencyBands(int bands, float thresholdDb);
    ~FrequencyBands();
    FrequencyBands(const FrequencyBands&) = delete;
    FrequencyBands& operator=(const FrequencyBands&) = delete;

    // Samples one FFT takes.
    int blockSize() const { return blockSize_; }
    // The bands of the newest whole blocks of `samples` (mono, full scale ±1); empty when there is not a
    // whole block. The result stays valid until the next call.
    std::span<const float> analyse(std::span<const float> samples);

  private:
    int blockSize_;
    _GstFFTF32* fft_;
    // The Hamming window, worked out once: GStreamer's own window function recomputes a cosine per sample.
    std::vector<double> window_;
    double thresholdPower_; // the threshold as a power ratio
    std::vector<float> block_;
    std::vector<_GstFFTF32Complex> frequencies_;
    std::vector<double> products_; // per band: the powers of the FFTs since the last logarithm
    std::vector<double> sums_;     // per band: the dB values summed so far
    std::vector<float> magnitudes_;
};

} // namespace rt
