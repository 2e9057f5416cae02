// Playing keeps nothing that grows with time: thousands of position, title and spectrum ticks leave the live
// heap where it settled. glibc's count of bytes in use is read, which the address sanitizer's own allocator
// bypasses, so the sanitizer build skips the check.
#include "PlayerFixture.h"
#include "platform/media/AnalyserView.h"

#include <malloc.h>

#include <vector>

namespace player_test {
namespace {

class HeapTest : public PlayerTest, public ::testing::WithParamInterface<bool> {
  protected:
    static void playOneSecond(int second, std::vector<float>& bands);
};

// A second of playback within the first five minutes (the read-outs' texts repeat, so what Qt keeps of
// each text has settled): 40 position ticks, a title tick each 15 ms and 25 spectrum frames, then the paints.
void HeapTest::playOneSecond(int second, std::vector<float>& bands) {
    for (int tick = 0; tick < 40; ++tick) {
        fake().setPosition(second % 300 + tick * 0.025);
        ui().TimerTime.tick();
    }
    for (int tick = 0; tick < 67; ++tick)
        ui().TimerDisplay.tick();
    for (int frame = 0; frame < 25; ++frame) {
        bands.assign(bands.size(), float(-100 + (second * 25 + frame) % 90));
        fake().spectrumView()->showSpectrum(bands, 44100);
    }
    QApplication::processEvents();
}

TEST_P(HeapTest, TicksWhilePlayingLeaveTheLiveHeapWhereItSettled) {
#ifdef __SANITIZE_ADDRESS__
    GTEST_SKIP() << "the address sanitizer's allocator keeps glibc's count still";
#endif
    player::sa().setVisible(GetParam());
    load("C:\\a\\tone.wav", 3600);
    ui().Control(0).Click();
    std::vector<float> bands(64);
    int second = 0;
    for (; second < 300; ++second)
        playOneSecond(second, bands);
    const auto settled = mallinfo2().uordblks;
    for (; second < 600; ++second)
        playOneSecond(second, bands);
    EXPECT_NEAR(double(mallinfo2().uordblks), double(settled), 4096) << "after " << second << " s";
}

INSTANTIATE_TEST_SUITE_P(SpectrumHiddenAndShown, HeapTest, ::testing::Bool());

} // namespace
} // namespace player_test
