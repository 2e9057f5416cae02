// A network drive that stopped answering, among the drives a moved file is looked for on: the search
// waits for it once, at most its deadline, and plays the copy a later drive holds.
#include "platform/win/FileSystem.h"
#include "tests/play/PlayFixture.h"

#include <QThread>
#include <QTimer>
#include <chrono>

namespace play_test {
namespace {

using Clock = std::chrono::steady_clock;
using std::chrono::milliseconds;

constexpr auto kDeadline = std::chrono::seconds(2);
constexpr auto kLeeway = milliseconds(500);
// Longer than the deadline, short enough that the hung lookups end before the test does.
constexpr int kHungMs = 2400;

class HungDriveTest : public PlayTest {
  protected:
    void SetUp() override {
        PlayTest::SetUp();
        setDriveType(u'D', rt::kDriveRemote);
        rt::setLookupDelayForTesting(u'D', kHungMs);
    }
    void TearDown() override {
        // The hung lookups end before their folders go.
        const auto left = hungUntil_ - Clock::now();
        if (left > Clock::duration::zero())
            QThread::msleep(std::chrono::duration_cast<milliseconds>(left).count() + 50);
        rt::setLookupDelayForTesting(u'D', 0);
        PlayTest::TearDown();
    }
    // Clicks the line with a timer running, and gives how long the click took.
    Clock::duration timedClick(int row) {
        ticks = 0;
        QTimer timer;
        timer.setInterval(20);
        QObject::connect(&timer, &QTimer::timeout, [this] { ++ticks; });
        timer.start();
        const auto start = Clock::now();
        hungUntil_ = start + milliseconds(kHungMs);
        click(row);
        return Clock::now() - start;
    }

    Clock::time_point hungUntil_{};
    int ticks = 0;
};

TEST_F(HungDriveTest, TheSearchWaitsForAHungDriveOnceAndAtMostItsDeadline) {
    const QString moved = windows(u'C', "Audio/take1.wav");
    const QString copy = makeFile(u'E', "Audio/take1.wav");
    makeFile(u'D', "Audio/take1.wav"); // there, but the drive does not answer
    addLines({moved});

    const auto waited = timedClick(0);
    EXPECT_GE(waited, kDeadline - milliseconds(50));
    EXPECT_LT(waited, kDeadline + kLeeway);
    EXPECT_GT(ticks, 20);          // the window's events ran meanwhile
    EXPECT_EQ(missesOf(moved), 2); // C, and D counted absent
    EXPECT_EQ(fake().URL(), copy);
    EXPECT_EQ(fake().playState(), rt::MediaPlayer::kPlaying);

    // A second search walks D twice, and still waits once.
    forgetInformationTexts();
    const QString lost = windows(u'C', "Audio/nada.wav");
    addLines({lost});
    EXPECT_LT(timedClick(1), kDeadline + kLeeway);
    EXPECT_EQ(workList().size(), 6);
    EXPECT_EQ(missesOf(lost), 6);
    EXPECT_EQ(fake().URL(), copy);
}

// The playlist closed while the search waits: the search goes on with the work list it had, plays the
// copy it finds and does not bring the window back.
TEST_F(HungDriveTest, ClosingThePlaylistDuringTheWaitLeavesItClosed) {
    const QString copy = makeFile(u'E', "Audio/take1.wav");
    addLines({windows(u'C', "Audio/take1.wav")});
    QTimer::singleShot(100, [] { playlist::playList().Unload(); });
    timedClick(0);
    rt::Graveyard::flushIfIdle();

    EXPECT_FALSE(playlist::playList().isLoaded());
    EXPECT_EQ(fake().URL(), copy);
}

} // namespace
} // namespace play_test
