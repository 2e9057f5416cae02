// Playing keeps nothing that grows with time: thousands of position, title and spectrum ticks leave glibc's
// count of bytes in use where it settled. The address sanitizer's allocator bypasses that count.
#include "platform/media/AnalyserView.h"
#include "tests/player/PlayerFixture.h"

#include <malloc.h>

namespace player_test {
namespace {

class HeapTest : public PlayerTest, public ::testing::WithParamInterface<bool> {};

TEST_P(HeapTest, TicksWhilePlayingLeaveTheLiveHeapWhereItSettled) {
#ifdef __SANITIZE_ADDRESS__
    GTEST_SKIP() << "the address sanitizer's allocator keeps glibc's count still";
#endif
    player::sa().setVisible(GetParam());
    load("C:\\a\\tone.wav", 3600);
    ui().Control(0).Click();
    std::vector<float> bands(64);
    // Seconds of playback within five minutes, so the read-outs' texts (and what Qt keeps of them) repeat.
    const auto playSeconds = [&](int from, int to) {
        for (int second = from; second < to; ++second) {
            for (int tick = 0; tick < 40; ++tick, tickTime())
                fake().setPosition(second % 300 + tick * 0.025);
            for (int tick = 0; tick < 67; ++tick, QApplication::processEvents())
                tickTitle();
            for (int frame = 0; frame < 25; ++frame, fake().spectrumView()->showSpectrum(bands, 44100))
                bands.assign(bands.size(), float(-100 + (second * 25 + frame) % 90));
        }
    };
    playSeconds(0, 300);
    const auto settled = mallinfo2().uordblks;
    playSeconds(300, 600);
    EXPECT_NEAR(double(mallinfo2().uordblks), double(settled), 16384);
}

INSTANTIATE_TEST_SUITE_P(SpectrumHiddenAndShown, HeapTest, ::testing::Bool());

} // namespace
} // namespace player_test
