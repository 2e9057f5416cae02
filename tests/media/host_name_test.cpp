// Names that are not UTF-8 (Latin-1 names written by Windows machines): the engine opens the very file the
// name's bytes give, whether the address comes from a path or from the data of a drop.
#include "MediaFixtures.h"

#include "platform/media/GstMediaPlayer.h"
#include "platform/win/DropData.h"
#include "platform/win/HostNames.h"
#include "tests/support/TempDrive.h"

#include <QMimeData>
#include <gtest/gtest.h>

#include <memory>

namespace {

using namespace media_test;
using rt::MediaPlayer;

constexpr double kToneSeconds = 2.0;

class Latin1Names : public ::testing::Test {
  protected:
    void SetUp() override {
        drive_.makeFile(kName, sineWavBytes(kToneSeconds));
        engine_ = std::make_unique<rt::GstMediaPlayer>();
    }
    void TearDown() override { engine_.reset(); }

    bool playsInFull(const rt::String& address) {
        engine_->setURL(address);
        if (!waitUntil([&] { return engine_->playState() == MediaPlayer::kPlaying; }))
            return false;
        return waitUntil([&] { return engine_->currentMedia().duration > 0; }) &&
               std::abs(engine_->currentMedia().duration - kToneSeconds) < 0.1;
    }

    // "café.wav" with its é as the single Latin-1 byte E9.
    const QString kName = rt::hostString("caf\xE9.wav");
    testing_support::TempDrive drive_;
    std::unique_ptr<rt::GstMediaPlayer> engine_;
};

TEST_F(Latin1Names, AFileNamedInLatin1Plays) {
    const rt::String address = drive_.windows(kName);
    EXPECT_TRUE(playsInFull(address)) << engine_->status().toStdString();
    EXPECT_EQ(engine_->status().toStdString(), "Reproduciendo");
    EXPECT_EQ(engine_->URL(), address);
    EXPECT_EQ(engine_->currentMedia().name, rt::hostString("caf\xE9"));
}

TEST_F(Latin1Names, AFileDroppedFromTheFileManagerPlays) {
    // The file manager escapes the byte in the dropped list: %E9, which is not UTF-8.
    QMimeData mime;
    mime.setData("text/uri-list",
                 "file://" + QUrl::toPercentEncoding(drive_.hostRoot(), "/") + "/caf%E9.wav\r\n");
    const rt::shell::DropData data = rt::shell::DropData::fromMimeData(mime);
    ASSERT_EQ(data.Files.Count(), 1);
    EXPECT_TRUE(playsInFull(data.Files(1))) << engine_->status().toStdString();
}

} // namespace
