// Media addresses reach the engine through the path layer: an address ends at its first NUL, so the
// check that refuses pipes and folders sees the path that would be opened.
#include "MediaFixtures.h"
#include "PipeWatchdog.h"

#include "platform/media/MediaPlayer.h"
#include "platform/win/Drives.h"

#include <QDeadlineTimer>
#include <QElapsedTimer>
#include <QTemporaryDir>
#include <atomic>
#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <thread>
#include <unistd.h>

namespace {

using namespace media_test;

constexpr int kAtOnceMs = 1000;

class EnginePathsTest : public ::testing::Test {
  protected:
    void SetUp() override {
        ASSERT_TRUE(folder_.isValid());
        rt::setDriveTableForTesting({{u'C', "/", rt::kDriveFixed}, {u'T', folder_.path(), rt::kDriveFixed}});
        engine_ = rt::createMediaPlayer();
    }
    void TearDown() override {
        engine_.reset();
        rt::resetDriveTable();
    }
    bool stoppedWithError() {
        return waitUntil([&] {
            return engine_->playState() == rt::MediaPlayer::kStopped &&
                   engine_->status().startsWith("Error: ");
        });
    }

    QTemporaryDir folder_;
    std::unique_ptr<rt::MediaPlayer> engine_;
};

TEST_F(EnginePathsTest, APipeAfterANulIsRefusedAtOnce) {
    const QByteArray pipe = QFile::encodeName(folder_.filePath("fifo.wav"));
    ASSERT_EQ(::mkfifo(pipe.constData(), 0600), 0);
    PipeWatchdog watchdog(pipe);
    const QChar nul(0);
    for (const rt::String& address :
         {QString("T:\\fifo.wav") + nul + "x", QString("T:\\FIFO.WAV") + nul + "\\..\\take.wav"}) {
        SCOPED_TRACE(address.toStdString());
        QElapsedTimer clock;
        clock.start();
        engine_->setURL(address);
        EXPECT_LT(clock.elapsed(), kAtOnceMs);
        ASSERT_TRUE(stoppedWithError()) << engine_->status().toStdString();
        clock.restart();
        engine_->controls.play();
        EXPECT_LT(clock.elapsed(), kAtOnceMs);
        EXPECT_TRUE(stoppedWithError());
    }
}

// The folder above the drive root is never what an address names.
TEST_F(EnginePathsTest, AnAddressWithANulNeverLeavesTheDriveRoot) {
    ASSERT_TRUE(writeSineWav(folder_.filePath("take.wav"), 1.0));
    const QChar nul(0);
    engine_->setURL(QString("T:\\..") + nul + "\\take.wav");
    ASSERT_TRUE(stoppedWithError()) << engine_->status().toStdString();
    engine_->setURL(QString("T:\\TAKE.WAV") + nul + "\\..\\x.wav");
    EXPECT_TRUE(waitUntil([&] { return engine_->playState() == rt::MediaPlayer::kPlaying; }))
        << engine_->status().toStdString();
}

} // namespace
