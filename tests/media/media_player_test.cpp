// What the windows rely on from any engine, held by the real one and the fake alike; the fake's records;
// and the media's name and duration texts.
#include "MediaFixtures.h"

#include "platform/base/Errors.h"
#include "platform/media/GstMediaPlayer.h"
#include "platform/win/Drives.h"
#include "tests/support/FakeMediaPlayer.h"

#include <QTemporaryDir>
#include <gtest/gtest.h>

#include <cmath>
#include <limits>

namespace {

using namespace media_test;
using rt::MediaPlayer;

TEST(MediaTextsTest, NameIsTheFileTitleWithoutExtension) {
    EXPECT_EQ(rt::mediaNameOf("D:\\Audio\\take 1.wav"), "take 1");
    EXPECT_EQ(rt::mediaNameOf("C:\\a.b\\song.final.MP3"), "song.final");
    EXPECT_EQ(rt::mediaNameOf("C:\\a.b\\noextension"), "noextension");
    EXPECT_EQ(rt::mediaNameOf("C:\\x\\.hidden"), ".hidden");
    EXPECT_EQ(rt::mediaNameOf("C:/mixed/slash.ogg"), "slash");
    EXPECT_EQ(rt::mediaNameOf("plain.flac"), "plain");
}

TEST(MediaTextsTest, DurationTextHasMinutesAndSecondsAndHoursFromAnHourOn) {
    EXPECT_EQ(rt::durationStringOf(0), "00:00");
    EXPECT_EQ(rt::durationStringOf(2.0), "00:02");
    EXPECT_EQ(rt::durationStringOf(75.4), "01:15");
    EXPECT_EQ(rt::durationStringOf(59.5), "01:00");
    EXPECT_EQ(rt::durationStringOf(3599.4), "59:59");
    EXPECT_EQ(rt::durationStringOf(3600), "1:00:00");
    EXPECT_EQ(rt::durationStringOf(3725), "1:02:05");
    EXPECT_EQ(rt::durationStringOf(36000 + 61), "10:01:01");
    EXPECT_EQ(rt::durationStringOf(-3), "00:00");
    EXPECT_EQ(rt::durationStringOf(std::numeric_limits<double>::quiet_NaN()), "00:00");
}

// --- The contract, for both engines ---------------------------------------------------------------------

template <class Engine> struct EngineKind;

template <> struct EngineKind<rt::FakeMediaPlayer> {
    static void settle(MediaPlayer&) {}
};
template <> struct EngineKind<rt::GstMediaPlayer> {
    static void settle(MediaPlayer& engine) {
        waitUntil([&] { return engine.playState() != MediaPlayer::kTransitioning; });
    }
};

template <class Engine> class EngineContractTest : public ::testing::Test {
  protected:
    void SetUp() override {
        ASSERT_TRUE(folder_.isValid());
        rt::setDriveTableForTesting({rt::Drive{u'C', QStringLiteral("/"), rt::kDriveFixed}});
        ASSERT_TRUE(writeSineWav(folder_.filePath("tone.wav"), 4.0));
        path_ = windowsPath(folder_.filePath("tone.wav"));
    }
    void TearDown() override { rt::resetDriveTable(); }
    void settle() { EngineKind<Engine>::settle(engine_); }

    QTemporaryDir folder_;
    rt::String path_;
    Engine engine_;
};

using Engines = ::testing::Types<rt::FakeMediaPlayer, rt::GstMediaPlayer>;
TYPED_TEST_SUITE(EngineContractTest, Engines);

TYPED_TEST(EngineContractTest, AnAddressLoadsAndStartsTheMedia) {
    this->engine_.setURL(this->path_);
    ASSERT_TRUE(this->engine_.hasCurrentMedia());
    EXPECT_EQ(this->engine_.currentMedia().name, "tone");
    EXPECT_EQ(this->engine_.currentMedia().sourceURL, this->path_);
    this->settle();
    EXPECT_EQ(this->engine_.playState(), MediaPlayer::kPlaying);
    EXPECT_TRUE(this->engine_.status().startsWith("Reproduciendo"));
}

TYPED_TEST(EngineContractTest, AnEmptyAddressUnloads) {
    this->engine_.setURL(this->path_);
    this->settle();
    this->engine_.setURL("");
    EXPECT_FALSE(this->engine_.hasCurrentMedia());
    EXPECT_EQ(this->engine_.URL(), "");
    EXPECT_THROW(this->engine_.currentMedia(), rt::RuntimeError);
}

TYPED_TEST(EngineContractTest, TheEndOfTrackSequenceNeverFails) {
    this->engine_.setURL(this->path_);
    this->settle();
    this->engine_.controls.stop();
    EXPECT_EQ(this->engine_.playState(), MediaPlayer::kStopped);
    this->engine_.controls.pause(); // what the transport does when it finds the engine stopped
    EXPECT_TRUE(this->engine_.playState() == MediaPlayer::kStopped ||
                this->engine_.playState() == MediaPlayer::kPaused);
    this->engine_.controls.play();
    this->settle();
    this->engine_.controls.pause();
    waitUntil([&] { return this->engine_.playState() == MediaPlayer::kPaused; });
    EXPECT_EQ(this->engine_.playState(), MediaPlayer::kPaused);
    this->engine_.controls.stop(); // and when it finds it paused
    EXPECT_EQ(this->engine_.playState(), MediaPlayer::kStopped);
    EXPECT_EQ(this->engine_.controls.currentPosition(), 0);
}

TYPED_TEST(EngineContractTest, SettingsKeepTheirValuesWithinRange) {
    EXPECT_EQ(this->engine_.settings.volume(), MediaPlayer::kDefaultVolume);
    this->engine_.settings.setVolume(90);
    this->engine_.settings.setBalance(-20);
    this->engine_.setURL(this->path_);
    EXPECT_EQ(this->engine_.settings.volume(), 90);
    EXPECT_EQ(this->engine_.settings.balance(), -20);
    this->engine_.settings.setVolume(-5);
    EXPECT_EQ(this->engine_.settings.volume(), 0);
}

// --- The fake's own controls ----------------------------------------------------------------------------

TEST(FakeMediaPlayerTest, RecordsWhatTheWindowsDid) {
    using Call = rt::FakeMediaPlayer::Call;
    rt::FakeMediaPlayer engine;
    engine.setURL("D:\\a.mp3");
    engine.controls.pause();
    engine.controls.setCurrentPosition(12.5);
    engine.settings.setVolume(40);
    engine.settings.setBalance(0);
    engine.controls.stop();
    engine.controls.play();
    engine.close();
    const std::vector<rt::FakeMediaPlayer::Record> expected = {
        {Call::SetURL, 0, "D:\\a.mp3"},
        {Call::Pause},
        {Call::Seek, 12.5},
        {Call::Volume, 40},
        {Call::Balance, 0},
        {Call::Stop},
        {Call::Play},
        {Call::Close},
    };
    EXPECT_EQ(engine.calls(), expected);
    EXPECT_EQ(engine.count(Call::Stop), 1);
    engine.clearCalls();
    EXPECT_TRUE(engine.calls().empty());
}

TEST(FakeMediaPlayerTest, ReportsWhatTheTestSets) {
    rt::FakeMediaPlayer engine;
    engine.setDuration(125.2);
    engine.setURL("D:\\Audio\\take.wav");
    EXPECT_EQ(engine.currentMedia().duration, 125.2);
    EXPECT_EQ(engine.currentMedia().durationString, "02:05");
    engine.setMediaName("Other");
    engine.setPlayState(MediaPlayer::kTransitioning);
    engine.setPosition(33.3);
    engine.setStatus("Reproduciendo: 192 Kbps");
    EXPECT_EQ(engine.currentMedia().name, "Other");
    EXPECT_EQ(engine.playState(), MediaPlayer::kTransitioning);
    EXPECT_EQ(engine.controls.currentPosition(), 33.3);
    EXPECT_EQ(engine.status(), "Reproduciendo: 192 Kbps");
    engine.setDuration(3600);
    EXPECT_EQ(engine.currentMedia().durationString, "1:00:00");
}

TEST(FakeMediaPlayerTest, TransportWithoutAMediaChangesNothing) {
    rt::FakeMediaPlayer engine;
    engine.controls.play();
    engine.controls.stop();
    engine.controls.setCurrentPosition(5);
    EXPECT_EQ(engine.playState(), MediaPlayer::kUndefined);
    EXPECT_EQ(engine.controls.currentPosition(), 0);
    EXPECT_FALSE(engine.hasCurrentMedia());
}

} // namespace
