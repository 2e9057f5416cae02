// The existence test on network drives: a drive that does not answer in time counts as absent, is not
// asked again during a search, and neither the user interface nor local lookups wait on it meanwhile.
#include "platform/win/Drives.h"
#include "platform/win/FileSystem.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>
#include <QThread>
#include <QTimer>
#include <chrono>
#include <gtest/gtest.h>

namespace {

using Clock = std::chrono::steady_clock;
using std::chrono::milliseconds;

constexpr auto kDeadline = std::chrono::seconds(2);
// Longer than the deadline, short enough that the hung lookups end before the test does.
constexpr int kHungMs = 2400;
constexpr auto kAtOnce = milliseconds(200);

void makeFile(const QString& path) {
    QDir().mkpath(QFileInfo(path).path());
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write("RIFF");
}

// R: a network drive, L: a local one, each on a folder of its own.
class RemoteLookupTest : public ::testing::Test {
  protected:
    void SetUp() override {
        ASSERT_TRUE(remote_.isValid() && local_.isValid());
        rt::setDriveTableForTesting({{u'C', "/", rt::kDriveFixed},
                                     {u'L', local_.path(), rt::kDriveFixed},
                                     {u'R', remote_.path(), rt::kDriveRemote}});
        makeFile(remote_.filePath("Audio/take.wav"));
        makeFile(remote_.filePath("Audio/other.wav"));
        QDir(remote_.path()).mkpath("Audio/folder.wav");
        makeFile(local_.filePath("Audio/take.wav"));
    }
    void TearDown() override {
        // Lets the hung lookups end, so none outlives the folders it looks at.
        QThread::msleep(hungUntil_ > Clock::now()
                            ? std::chrono::duration_cast<milliseconds>(hungUntil_ - Clock::now()).count() + 50
                            : 0);
        rt::resetDriveTable();
    }
    void hangRemoteDrive() {
        rt::setLookupDelayForTesting(u'R', kHungMs);
        hungUntil_ = Clock::now() + milliseconds(kHungMs);
    }

    QTemporaryDir remote_;
    QTemporaryDir local_;
    Clock::time_point hungUntil_{};
};

TEST_F(RemoteLookupTest, AnAnsweringNetworkDriveIsAskedLikeAnyOther) {
    rt::DriveSearchScope search;
    EXPECT_TRUE(rt::existsAsOrdinaryFile("R:\\Audio\\take.wav"));
    EXPECT_TRUE(rt::existsAsOrdinaryFile("r:\\AUDIO\\\\Take.WAV"));
    EXPECT_FALSE(rt::existsAsOrdinaryFile("R:\\Audio\\gone.wav"));
    EXPECT_FALSE(rt::existsAsOrdinaryFile("R:\\Audio\\folder.wav"));
    EXPECT_FALSE(rt::existsAsOrdinaryFile("R:\\Audio\\"));
    EXPECT_TRUE(rt::existsAsOrdinaryFile("R:\\Audio\\other.wav"));
}

// While the network drive hangs, a timer keeps firing and asks the local drive each time: the events run
// and the local answers come at once.
TEST_F(RemoteLookupTest, AHungDriveIsAbsentAtTheDeadlineWhileEventsAndLocalLookupsRun) {
    hangRemoteDrive();
    int ticks = 0;
    int localAnswers = 0;
    Clock::duration slowestLocal{};
    QTimer timer;
    timer.setInterval(10);
    QObject::connect(&timer, &QTimer::timeout, [&] {
        ++ticks;
        const auto start = Clock::now();
        localAnswers += rt::existsAsOrdinaryFile("L:\\audio\\TAKE.wav") ? 1 : 0;
        slowestLocal = std::max(slowestLocal, Clock::now() - start);
    });
    timer.start();

    const auto start = Clock::now();
    EXPECT_FALSE(rt::existsAsOrdinaryFile("R:\\Audio\\take.wav"));
    const auto waited = Clock::now() - start;
    timer.stop();

    EXPECT_GE(waited, kDeadline - milliseconds(50));
    EXPECT_LT(waited, kDeadline + milliseconds(500));
    EXPECT_GT(ticks, 50); // a 10 ms timer over 2 s
    EXPECT_EQ(localAnswers, ticks);
    EXPECT_LT(slowestLocal, kAtOnce);
}

TEST_F(RemoteLookupTest, ADriveThatMissedItsDeadlineIsNotAskedAgainDuringTheSearch) {
    hangRemoteDrive();
    {
        rt::DriveSearchScope search;
        EXPECT_FALSE(rt::existsAsOrdinaryFile("R:\\Audio\\take.wav"));
        auto start = Clock::now();
        {
            rt::DriveSearchScope nested; // ending it does not end the search
        }
        EXPECT_FALSE(rt::existsAsOrdinaryFile("R:\\Audio\\other.wav"));
        EXPECT_FALSE(rt::existsAsOrdinaryFile("R:\\Audio\\take.wav"));
        EXPECT_LT(Clock::now() - start, kAtOnce);
        start = Clock::now();
        EXPECT_TRUE(rt::existsAsOrdinaryFile("L:\\Audio\\take.wav"));
        EXPECT_LT(Clock::now() - start, kAtOnce);
    }
    // Once the drive answers again, the next search asks it.
    rt::setLookupDelayForTesting(u'R', 0);
    QThread::msleep(std::chrono::duration_cast<milliseconds>(hungUntil_ - Clock::now()).count() + 50);
    rt::DriveSearchScope next;
    EXPECT_TRUE(rt::existsAsOrdinaryFile("R:\\Audio\\take.wav"));
}

TEST_F(RemoteLookupTest, OutsideASearchAHungDriveIsAskedAgainAndNeverWaitedOnLongerThanTheDeadline) {
    hangRemoteDrive();
    for (const char* path : {"R:\\Audio\\take.wav", "R:\\Audio\\other.wav"}) {
        const auto start = Clock::now();
        EXPECT_FALSE(rt::existsAsOrdinaryFile(path));
        const auto waited = Clock::now() - start;
        EXPECT_GE(waited, kDeadline - milliseconds(50));
        EXPECT_LT(waited, kDeadline + milliseconds(500));
    }
    hungUntil_ = Clock::now() + milliseconds(kHungMs); // the second waits behind the first
}

} // namespace
