// Variable-rate MP3 files, which state no nominal bit rate: the engine's status carries their average rate,
// from the VBR header (Xing, VBRI) or else from bytes and duration.
#include "MediaFixtures.h"
#include "VbrFixtures.h"

#include "platform/media/GstMediaPlayer.h"
#include "platform/media/Mp3BitRate.h"
#include "platform/win/Drives.h"

#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>
#include <gtest/gtest.h>

#include <cmath>
#include <memory>

namespace {

using namespace media_test;
using rt::MediaPlayer;

QByteArray id3v2Tag(int bodyBytes) {
    QByteArray tag("ID3\x04\x00\x00", 6);
    for (int shift : {21, 14, 7, 0})
        tag += char((bodyBytes >> shift) & 0x7F);
    return tag + QByteArray(bodyBytes, 'x');
}

std::optional<rt::mp3::Stream> examineBytes(const QByteArray& file) {
    return rt::mp3::examine(
        [&](std::uint64_t offset, int count) {
            return offset >= std::uint64_t(file.size()) ? QByteArray() : file.mid(qsizetype(offset), count);
        },
        std::uint64_t(file.size()));
}

// ---------------------------------------------------------------- the file's layout

TEST(Mp3BitRate, TheVbrHeaderGivesTheAverageOfItsFramesAndBytes) {
    for (const VbrHeader kind : {VbrHeader::Xing, VbrHeader::Vbri}) {
        SCOPED_TRACE(kind == VbrHeader::Xing ? "Xing" : "VBRI");
        const auto stream = examineBytes(id3v2Tag(300) + vbrMp3(kind) + "TAG" + QByteArray(125, ' '));
        ASSERT_TRUE(stream);
        EXPECT_EQ(stream->frames, std::uint64_t(kAudioFrames));
        EXPECT_EQ(stream->audioBytes, std::uint64_t(alternatingAudio().size()));
        // The header's figures hold over a duration GStreamer may have guessed wrong.
        EXPECT_EQ(rt::mp3::averageBitRate(*stream, 99.0), kAverageKbps * 1000u);
    }
}

TEST(Mp3BitRate, WithoutAHeaderTheAudioBytesBetweenTheTagsOverTheDurationGiveIt) {
    const QByteArray audio = vbrMp3(VbrHeader::None);
    const auto stream = examineBytes(id3v2Tag(1000) + audio + "TAG" + QByteArray(125, ' '));
    ASSERT_TRUE(stream);
    EXPECT_EQ(stream->frames, 0u);
    EXPECT_EQ(stream->audioBytes, std::uint64_t(audio.size()));
    const double seconds = double(kAudioFrames) * kFrameSamples / kVbrSampleRate;
    EXPECT_EQ(rt::mp3::averageBitRate(*stream, seconds), kAverageKbps * 1000u);
    EXPECT_EQ(rt::mp3::averageBitRate(*stream, 0), 0u) << "no duration yet, no rate";
}

TEST(Mp3BitRate, JunkBeforeTheFirstFrameIsSkippedButOtherFilesAreNoMp3) {
    const auto afterJunk = examineBytes(QByteArray(77, '\x11') + vbrMp3(VbrHeader::Xing));
    ASSERT_TRUE(afterJunk);
    EXPECT_EQ(rt::mp3::averageBitRate(*afterJunk, 0), kAverageKbps * 1000u);

    QTemporaryDir folder;
    ASSERT_TRUE(writeSineWav(folder.filePath("tone.wav"), 1.0));
    QFile wav(folder.filePath("tone.wav"));
    ASSERT_TRUE(wav.open(QIODevice::ReadOnly));
    EXPECT_FALSE(examineBytes(wav.readAll()));
    EXPECT_FALSE(examineBytes(QByteArray()));
    EXPECT_FALSE(examineBytes(id3v2Tag(5000)));
    // A lone header-like word inside other data is not a stream.
    EXPECT_FALSE(examineBytes(QByteArray(50, 'a') + silentFrame(k64).left(4) + QByteArray(5000, 'b')));
}

// MPEG-2 frames are half as long in time and keep their Xing header closer to the frame header.
TEST(Mp3BitRate, LowSampleRateFramesAreReadToo) {
    constexpr int kFrameBytes = 208; // 64 kbit/s at 22.05 kHz, 576 samples
    QByteArray frame(kFrameBytes, '\0');
    frame[0] = char(0xFF);
    frame[1] = char(0xF3); // MPEG-2, layer III, no CRC
    frame[2] = char(8 << 4);
    QByteArray first = frame;
    first.replace(4 + 17, 16, "Xing" + bigEndian32(0x3) + bigEndian32(10) + bigEndian32(10 * kFrameBytes));
    const auto stream = examineBytes(first + frame.repeated(10));
    ASSERT_TRUE(stream);
    EXPECT_EQ(stream->sampleRate, 22050);
    EXPECT_EQ(rt::mp3::averageBitRate(*stream, 0), 63700u); // 2080 bytes over 10 x 576 samples
}

// ---------------------------------------------------------------- the engine

class VbrOnTheEngine : public ::testing::Test {
  protected:
    void SetUp() override {
        ASSERT_TRUE(folder_.isValid());
        rt::setDriveTableForTesting({rt::Drive{u'C', QStringLiteral("/"), rt::kDriveFixed}});
        engine_ = std::make_unique<rt::GstMediaPlayer>();
    }
    void TearDown() override {
        engine_.reset();
        rt::resetDriveTable();
    }
    QString hostPath(const QString& name) const { return folder_.filePath(name); }
    // The status once the engine plays and has named a rate.
    rt::String rateStatus() {
        waitUntil(
            [&] { return engine_->playState() == MediaPlayer::kPlaying && engine_->status().contains(':'); });
        return engine_->status();
    }

    QTemporaryDir folder_;
    std::unique_ptr<rt::GstMediaPlayer> engine_;
};

TEST_F(VbrOnTheEngine, AnMp3WithAXingOrVbriHeaderReportsItsAverageRate) {
    for (const VbrHeader kind : {VbrHeader::Xing, VbrHeader::Vbri}) {
        SCOPED_TRACE(kind == VbrHeader::Xing ? "Xing" : "VBRI");
        ASSERT_TRUE(writeFile(hostPath("vbr.mp3"), vbrMp3(kind)));
        engine_->setURL(windowsPath(hostPath("vbr.mp3")));
        EXPECT_EQ(rateStatus().toStdString(),
                  QStringLiteral("Reproduciendo: %1 Kbps").arg(kAverageKbps).toStdString());
        engine_->close();
    }
}

// Real encoder output: LAME's variable rate, with the Xing header GStreamer's xingmux writes.
TEST_F(VbrOnTheEngine, AnEncodedVariableRateMp3ReportsItsBytesOverItsLength) {
    const QString file = hostPath("lame.mp3");
    if (!encodeTone(file, 3.0, "lamemp3enc target=quality quality=4 ! xingmux"))
        GTEST_SKIP() << "no MP3 encoder (lamemp3enc, xingmux) installed";
    engine_->setURL(windowsPath(file));
    const rt::String status = rateStatus();
    ASSERT_TRUE(waitUntil([&] { return engine_->currentMedia().duration > 0; }));
    // xingmux counts the whole file; the length is its frames', as the engine reports it.
    const double kbps = double(QFileInfo(file).size()) * 8 / engine_->currentMedia().duration / 1000;
    EXPECT_EQ(status.toStdString(),
              QStringLiteral("Reproduciendo: %1 Kbps").arg(std::lround(kbps)).toStdString());
}

TEST_F(VbrOnTheEngine, AStatedNominalRateStillWinsAndAWavHasNone) {
    ASSERT_TRUE(writeFile(hostPath("plain.mp3"), vbrMp3(VbrHeader::None)));
    engine_->setURL(windowsPath(hostPath("plain.mp3")));
    // Without a VBR header GStreamer takes the first frame's rate for the nominal one.
    EXPECT_EQ(rateStatus().toStdString(), "Reproduciendo: 64 Kbps");
    ASSERT_TRUE(writeSineWav(hostPath("tone.wav"), 2.0));
    engine_->setURL(windowsPath(hostPath("tone.wav")));
    ASSERT_TRUE(waitUntil([&] { return engine_->playState() == MediaPlayer::kPlaying; }));
    runEventsFor(200);
    EXPECT_EQ(engine_->status().toStdString(), "Reproduciendo");
}

} // namespace
