// The GStreamer engine on files the tests write: transport, position, the media's description, status,
// settings reaching the pipeline, bad input, and teardown.
#include "MediaFixtures.h"
#include "PipeWatchdog.h"

#include "platform/base/Errors.h"
#include "platform/media/GstMediaPlayer.h"
#include "platform/win/Drives.h"

#include <QDir>
#include <QElapsedTimer>
#include <QTemporaryDir>
#include <gtest/gtest.h>

#include <atomic>
#include <cmath>
#include <fcntl.h>
#include <memory>
#include <mutex>
#include <span>
#include <sys/stat.h>
#include <thread>
#include <unistd.h>

namespace {

using namespace media_test;
using rt::GstMediaPlayer;
using rt::MediaPlayer;

constexpr double kPositionSlackSeconds = 0.35;

class MediaEngineTest : public ::testing::Test {
  protected:
    void SetUp() override {
        ASSERT_TRUE(folder_.isValid());
        rt::setDriveTableForTesting({rt::Drive{u'C', QStringLiteral("/"), rt::kDriveFixed}});
        engine_ = std::make_unique<GstMediaPlayer>();
    }
    void TearDown() override {
        engine_.reset();
        rt::resetDriveTable();
    }

    QString hostPath(const QString& fileName) const { return folder_.filePath(fileName); }
    rt::String wav(const QString& fileName, double seconds) {
        EXPECT_TRUE(writeSineWav(hostPath(fileName), seconds));
        return windowsPath(hostPath(fileName));
    }
    bool playing() {
        return waitUntil([&] { return engine_->playState() == MediaPlayer::kPlaying; });
    }
    bool stoppedWithError() {
        return waitUntil([&] {
            return engine_->playState() == MediaPlayer::kStopped && engine_->status().startsWith("Error: ");
        });
    }
    double elementDouble(GstElement* element, const char* property) {
        gdouble value = 0;
        g_object_get(element, property, &value, nullptr);
        return value;
    }
    float elementFloat(GstElement* element, const char* property) {
        gfloat value = 0;
        g_object_get(element, property, &value, nullptr);
        return value;
    }

    QTemporaryDir folder_;
    std::unique_ptr<GstMediaPlayer> engine_;
};

TEST_F(MediaEngineTest, StartsInItsDesignState) {
    EXPECT_EQ(engine_->playState(), MediaPlayer::kUndefined);
    EXPECT_EQ(engine_->URL(), "");
    EXPECT_FALSE(engine_->hasCurrentMedia());
    EXPECT_EQ(engine_->settings.volume(), 50);
    EXPECT_EQ(engine_->settings.balance(), 0);
    EXPECT_EQ(engine_->controls.currentPosition(), 0);
    try {
        engine_->currentMedia();
        FAIL() << "currentMedia without a media must fail";
    } catch (const rt::RuntimeError& error) {
        EXPECT_EQ(error.number(), rt::kObjectVariableNotSet);
    }
    // Nothing to play: the transport is harmless.
    engine_->controls.play();
    engine_->controls.pause();
    engine_->controls.stop();
    EXPECT_EQ(engine_->playState(), MediaPlayer::kUndefined);
}

TEST_F(MediaEngineTest, NewURLDescribesTheMediaAtOnceAndPlaysIt) {
    const rt::String path = wav("take one.wav", 2.0);
    engine_->setURL(path);
    EXPECT_EQ(engine_->URL(), path);
    EXPECT_EQ(engine_->playState(), MediaPlayer::kTransitioning);
    EXPECT_EQ(engine_->status(), "Abriendo: take one");
    ASSERT_TRUE(engine_->hasCurrentMedia());
    EXPECT_EQ(engine_->currentMedia().name, "take one");
    EXPECT_EQ(engine_->currentMedia().sourceURL, path);
    EXPECT_EQ(engine_->currentMedia().durationString, "00:00");

    ASSERT_TRUE(playing()) << engine_->status().toStdString();
    EXPECT_EQ(engine_->status(), "Reproduciendo");
    ASSERT_TRUE(waitUntil([&] { return engine_->currentMedia().duration > 0; }));
    EXPECT_NEAR(engine_->currentMedia().duration, 2.0, 0.01);
    EXPECT_EQ(engine_->currentMedia().durationString, "00:02");
}

TEST_F(MediaEngineTest, PositionAdvancesInRealTime) {
    engine_->setURL(wav("long.wav", 5.0));
    ASSERT_TRUE(playing());
    ASSERT_TRUE(waitUntil([&] { return engine_->controls.currentPosition() > 0; }));
    const double before = engine_->controls.currentPosition();
    QElapsedTimer clock;
    clock.start();
    runEventsFor(700);
    const double advanced = engine_->controls.currentPosition() - before;
    const double elapsed = clock.elapsed() / 1000.0;
    EXPECT_GT(advanced, elapsed - kPositionSlackSeconds);
    EXPECT_LT(advanced, elapsed + kPositionSlackSeconds);
}

TEST_F(MediaEngineTest, PausePlayAndStop) {
    engine_->setURL(wav("tone.wav", 5.0));
    ASSERT_TRUE(playing());
    runEventsFor(300);

    engine_->controls.pause();
    ASSERT_TRUE(waitUntil([&] { return engine_->playState() == MediaPlayer::kPaused; }));
    EXPECT_EQ(engine_->status(), "En pausa");
    const double pausedAt = engine_->controls.currentPosition();
    EXPECT_GT(pausedAt, 0.1);
    runEventsFor(300);
    EXPECT_NEAR(engine_->controls.currentPosition(), pausedAt, 0.02);

    engine_->controls.play();
    ASSERT_TRUE(playing());
    EXPECT_GE(engine_->controls.currentPosition(), pausedAt - 0.05);

    engine_->controls.stop();
    EXPECT_EQ(engine_->playState(), MediaPlayer::kStopped);
    EXPECT_EQ(engine_->status(), "Detenido");
    EXPECT_EQ(engine_->controls.currentPosition(), 0);
    EXPECT_TRUE(engine_->hasCurrentMedia());

    // Play after stop starts again from the beginning.
    engine_->controls.play();
    ASSERT_TRUE(playing());
    EXPECT_LT(engine_->controls.currentPosition(), 1.0);
}

TEST_F(MediaEngineTest, PauseWhileStoppedAndStopWhilePausedAreHarmless) {
    engine_->setURL(wav("tone.wav", 5.0));
    ASSERT_TRUE(playing());
    engine_->controls.stop();
    engine_->controls.pause();
    runEventsFor(200);
    EXPECT_EQ(engine_->playState(), MediaPlayer::kStopped);

    engine_->controls.play();
    ASSERT_TRUE(playing());
    engine_->controls.pause();
    ASSERT_TRUE(waitUntil([&] { return engine_->playState() == MediaPlayer::kPaused; }));
    engine_->controls.stop();
    EXPECT_EQ(engine_->playState(), MediaPlayer::kStopped);
    runEventsFor(200);
    EXPECT_EQ(engine_->playState(), MediaPlayer::kStopped);
    EXPECT_EQ(engine_->controls.currentPosition(), 0);
}

TEST_F(MediaEngineTest, TheEndOfAMediaStopsAndRewinds) {
    const rt::String path = wav("short.wav", 0.5);
    engine_->setURL(path);
    ASSERT_TRUE(playing());
    ASSERT_TRUE(waitUntil([&] { return engine_->playState() == MediaPlayer::kStopped; }));
    EXPECT_EQ(engine_->status(), "Detenido");
    EXPECT_EQ(engine_->controls.currentPosition(), 0);
    EXPECT_EQ(engine_->URL(), path);
    EXPECT_TRUE(engine_->hasCurrentMedia());
    // The end-of-track handling pauses the ended engine, and a later play starts it over.
    engine_->controls.pause();
    EXPECT_EQ(engine_->playState(), MediaPlayer::kStopped);
    engine_->controls.play();
    EXPECT_TRUE(playing());
}

TEST_F(MediaEngineTest, SettingThePositionSeeks) {
    engine_->setURL(wav("tone.wav", 6.0));
    ASSERT_TRUE(playing());
    engine_->controls.setCurrentPosition(4.0);
    ASSERT_TRUE(waitUntil([&] { return engine_->controls.currentPosition() >= 4.0; }));
    EXPECT_LT(engine_->controls.currentPosition(), 4.0 + 1.0);
    EXPECT_EQ(engine_->playState(), MediaPlayer::kPlaying);

    engine_->controls.setCurrentPosition(1.0);
    ASSERT_TRUE(waitUntil([&] { return engine_->controls.currentPosition() < 2.0; }));
    EXPECT_GE(engine_->controls.currentPosition(), 1.0);
}

TEST_F(MediaEngineTest, APositionSetWhileStoppedIsWhereTheNextPlayStarts) {
    engine_->setURL(wav("tone.wav", 6.0));
    ASSERT_TRUE(playing());
    engine_->controls.stop();
    engine_->controls.setCurrentPosition(3.0);
    EXPECT_EQ(engine_->controls.currentPosition(), 3.0);
    EXPECT_EQ(engine_->playState(), MediaPlayer::kStopped);
    engine_->controls.play();
    ASSERT_TRUE(playing());
    ASSERT_TRUE(waitUntil([&] { return engine_->controls.currentPosition() > 3.0; }));
    EXPECT_LT(engine_->controls.currentPosition(), 4.5);
}

TEST_F(MediaEngineTest, AnMp3ReportsItsNominalBitRate) {
    const QString file = hostPath("song.mp3");
    if (!encodeTone(file, 3.0, kMp3At128))
        GTEST_SKIP() << "no MP3 encoder (lamemp3enc, id3v2mux) installed";
    engine_->setURL(windowsPath(file));
    ASSERT_TRUE(playing());
    ASSERT_TRUE(waitUntil([&] { return engine_->status().contains(':'); }));
    const rt::String status = engine_->status();
    EXPECT_EQ(status, "Reproduciendo: 128 Kbps");
    // How the player reads it: three characters two places after the first colon.
    EXPECT_EQ(status.mid(status.indexOf(':') + 2, 3), "128");
    EXPECT_EQ(engine_->currentMedia().name, "song");
    ASSERT_TRUE(waitUntil([&] { return engine_->currentMedia().duration > 0; }));
    EXPECT_NEAR(engine_->currentMedia().duration, 3.0, 0.1);
}

TEST_F(MediaEngineTest, VolumeAndBalanceReachThePipelineAndOutliveTheMedia) {
    GstElement* panorama = engine_->sinkElement("panorama");
    ASSERT_NE(panorama, nullptr);
    EXPECT_NEAR(elementDouble(engine_->pipeline(), "volume"), 0.01, 1e-6); // design volume 50: -40 dB

    engine_->settings.setVolume(40);
    engine_->settings.setBalance(-100);
    EXPECT_EQ(engine_->settings.volume(), 40);
    EXPECT_NEAR(elementDouble(engine_->pipeline(), "volume"), 0.0031623, 1e-6);
    EXPECT_FLOAT_EQ(elementFloat(panorama, "panorama"), -1.0f);

    engine_->setURL(wav("a.wav", 2.0));
    ASSERT_TRUE(playing());
    engine_->settings.setBalance(25);
    EXPECT_FLOAT_EQ(elementFloat(panorama, "panorama"), 0.25f);
    engine_->setURL(wav("b.wav", 2.0));
    ASSERT_TRUE(playing());
    EXPECT_NEAR(elementDouble(engine_->pipeline(), "volume"), 0.0031623, 1e-6);
    EXPECT_FLOAT_EQ(elementFloat(panorama, "panorama"), 0.25f);

    engine_->settings.setVolume(100);
    EXPECT_NEAR(elementDouble(engine_->pipeline(), "volume"), 1.0, 1e-6);
    engine_->settings.setVolume(0);
    EXPECT_NEAR(elementDouble(engine_->pipeline(), "volume"), 0.0, 1e-6);
    engine_->settings.setVolume(150);
    EXPECT_EQ(engine_->settings.volume(), 100);
    engine_->settings.setBalance(-300);
    EXPECT_EQ(engine_->settings.balance(), -100);
}

// What goes to the device, as float samples, is (volume - 90) dB relative to the file.
TEST_F(MediaEngineTest, EachVolumeStepIsOneDecibelOfWhatIsHeard) {
    static std::atomic<double> squares;
    static std::atomic<std::size_t> samples;
    const auto measure = [](GstPad*, GstPadProbeInfo* info, gpointer) {
        GstMapInfo map;
        gst_buffer_map(GST_PAD_PROBE_INFO_BUFFER(info), &map, GST_MAP_READ);
        for (const float sample :
             std::span(reinterpret_cast<const float*>(map.data), map.size / sizeof(float)))
            squares += double(sample) * sample;
        samples += map.size / sizeof(float);
        gst_buffer_unmap(GST_PAD_PROBE_INFO_BUFFER(info), &map);
        return GST_PAD_PROBE_OK;
    };
    rt::gst::Pad heard(gst_element_get_static_pad(engine_->sinkElement("panorama"), "src"));
    const gulong probe = gst_pad_add_probe(heard.get(), GST_PAD_PROBE_TYPE_BUFFER, measure, nullptr, nullptr);
    engine_->setURL(wav("tone.wav", 10.0));
    ASSERT_TRUE(playing());
    for (const auto& [volume, decibels] : {std::pair{90, 0.0}, {70, -20.0}, {40, -50.0}, {10, -80.0}}) {
        engine_->settings.setVolume(volume);
        runEventsFor(300);
        squares = samples = 0;
        runEventsFor(500);
        const double fileMeanSquare = std::pow(kAmplitude / 32768, 2) / 2;
        EXPECT_NEAR(10 * std::log10(squares / double(samples) / fileMeanSquare), decibels, 0.5) << volume;
    }
    gst_pad_remove_probe(heard.get(), probe);
}

TEST_F(MediaEngineTest, AnEmptyURLOrCloseUnloads) {
    engine_->setURL(wav("tone.wav", 5.0));
    ASSERT_TRUE(playing());
    engine_->setURL("");
    EXPECT_EQ(engine_->URL(), "");
    EXPECT_FALSE(engine_->hasCurrentMedia());
    EXPECT_EQ(engine_->playState(), MediaPlayer::kStopped);
    EXPECT_EQ(engine_->controls.currentPosition(), 0);
    engine_->controls.play();
    runEventsFor(200);
    EXPECT_EQ(engine_->playState(), MediaPlayer::kStopped);

    engine_->setURL(wav("tone.wav", 5.0));
    ASSERT_TRUE(playing());
    engine_->close();
    EXPECT_EQ(engine_->URL(), "");
    EXPECT_FALSE(engine_->hasCurrentMedia());
    runEventsFor(200);
    EXPECT_EQ(engine_->playState(), MediaPlayer::kStopped);
}

TEST_F(MediaEngineTest, EveryListedFormatPlays) {
    struct Format {
        const char* file;
        const char* encoder; // nullptr: written by hand
    };
    const Format formats[] = {
        {"a.aif", nullptr},
        {"a.mp3", kMp3At128},
        {"a.ogg", "vorbisenc ! oggmux"},
        {"a.flac", "flacenc"},
        {"a.m4a", "avenc_aac ! mp4mux"},
        {"a.wma", "avenc_wmav2 ! avmux_asf"},
    };
    for (const Format& format : formats) {
        SCOPED_TRACE(format.file);
        const QString file = hostPath(format.file);
        const bool written =
            format.encoder ? encodeTone(file, 1.5, format.encoder) : writeSineAiff(file, 1.5);
        if (!written) {
            ADD_FAILURE() << "cannot make a sample " << format.file << " (encoder missing?)";
            continue;
        }
        engine_->setURL(windowsPath(file));
        EXPECT_TRUE(playing()) << engine_->status().toStdString();
        EXPECT_TRUE(waitUntil([&] { return engine_->currentMedia().duration > 1.0; }));
    }
}

// Every bad address leaves the engine stopped with a status that says what went wrong, at once or soon.
TEST_F(MediaEngineTest, BadAddressesStopWithAnErrorStatus) {
    ASSERT_TRUE(QDir(folder_.path()).mkdir("folder.wav"));
    ASSERT_TRUE(writeFile(hostPath("notes.wav"), QByteArray("These are not sounds.\n").repeated(200)));
    const rt::String addresses[] = {
        windowsPath(hostPath("missing.wav")), windowsPath(hostPath("folder.wav")),
        windowsPath(hostPath("notes.wav")),
        QStringLiteral("Q:\\nowhere\\take.wav"), // a drive the table lacks
    };
    for (const rt::String& address : addresses) {
        SCOPED_TRACE(address.toStdString());
        engine_->setURL(address);
        ASSERT_TRUE(stoppedWithError()) << engine_->status().toStdString();
        EXPECT_GT(engine_->status().size(), QStringLiteral("Error: ").size());
        EXPECT_EQ(engine_->URL(), address);
        ASSERT_TRUE(engine_->hasCurrentMedia());
        EXPECT_EQ(engine_->currentMedia().sourceURL, address);
        // Trying again fails the same way, once: no retry loop.
        engine_->controls.play();
        EXPECT_TRUE(stoppedWithError());
        runEventsFor(100);
        EXPECT_EQ(engine_->playState(), MediaPlayer::kStopped);
    }
    // A good file afterwards plays and clears the error.
    engine_->setURL(wav("fine.wav", 2.0));
    ASSERT_TRUE(playing());
    EXPECT_EQ(engine_->status(), "Reproduciendo");
}

TEST_F(MediaEngineTest, APipeIsRefusedAtOnceInsteadOfWaitingForAWriter) {
    const QByteArray pipe = QFile::encodeName(hostPath("pipe.wav"));
    ASSERT_EQ(::mkfifo(pipe.constData(), 0600), 0);
    PipeWatchdog watchdog(pipe);
    QElapsedTimer clock;
    clock.start();
    engine_->setURL(windowsPath(hostPath("pipe.wav")));
    EXPECT_LT(clock.elapsed(), kPipeWatchdogMs / 2);
    ASSERT_TRUE(stoppedWithError()) << engine_->status().toStdString();
    EXPECT_EQ(engine_->currentMedia().name, "pipe");
    clock.restart();
    engine_->controls.play();
    EXPECT_LT(clock.elapsed(), kPipeWatchdogMs / 2);
    EXPECT_TRUE(stoppedWithError());
}

// The pipeline keeps the media it played until it is given another: an address it never got must not let
// that media play under the new one's name.
TEST_F(MediaEngineTest, ARefusedAddressNeverPlaysTheMediaBeforeIt) {
    const QByteArray pipe = QFile::encodeName(hostPath("pipe.wav"));
    ASSERT_EQ(::mkfifo(pipe.constData(), 0600), 0);
    PipeWatchdog watchdog(pipe);
    const rt::String refused[] = {QStringLiteral("Q:\\nowhere\\take.wav"), windowsPath(hostPath("pipe.wav"))};
    const rt::String before = wav("before.wav", 5.0);
    for (const rt::String& address : refused) {
        SCOPED_TRACE(address.toStdString());
        engine_->setURL(before);
        ASSERT_TRUE(playing());
        engine_->setURL(address);
        ASSERT_TRUE(stoppedWithError());
        engine_->controls.play();
        runEventsFor(300);
        EXPECT_EQ(engine_->playState(), MediaPlayer::kStopped);
        EXPECT_TRUE(engine_->status().startsWith("Error: ")) << engine_->status().toStdString();
        EXPECT_EQ(engine_->controls.currentPosition(), 0);
        EXPECT_EQ(engine_->currentMedia().duration, 0);
    }
}

TEST_F(MediaEngineTest, ATruncatedMp3EndsStoppedWithoutHanging) {
    const QString whole = hostPath("whole.mp3");
    if (!encodeTone(whole, 3.0, kMp3At128))
        GTEST_SKIP() << "no MP3 encoder (lamemp3enc, id3v2mux) installed";
    QFile file(whole);
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    const QByteArray bytes = file.readAll();
    for (qsizetype keep : {qsizetype(40), bytes.size() / 3}) {
        SCOPED_TRACE(keep);
        ASSERT_TRUE(writeFile(hostPath("cut.mp3"), bytes.left(keep)));
        engine_->setURL(windowsPath(hostPath("cut.mp3")));
        ASSERT_TRUE(waitUntil([&] { return engine_->playState() == MediaPlayer::kStopped; }))
            << engine_->status().toStdString();
        const rt::String status = engine_->status();
        EXPECT_TRUE(status == "Detenido" || status.startsWith("Error: ")) << status.toStdString();
    }
}

TEST_F(MediaEngineTest, AHundredAddressesInARowLeaveTheLastOnePlaying) {
    const rt::String first = wav("first.wav", 3.0);
    const rt::String second = wav("second.wav", 3.0);
    for (int round = 0; round < 100; ++round) {
        engine_->setURL(round % 2 ? second : first);
        if (round % 10 == 0)
            QCoreApplication::processEvents();
    }
    ASSERT_TRUE(playing());
    EXPECT_EQ(engine_->currentMedia().name, "second");
    ASSERT_TRUE(waitUntil([&] { return engine_->currentMedia().duration > 0; }));
    EXPECT_NEAR(engine_->currentMedia().duration, 3.0, 0.01);
}

TEST_F(MediaEngineTest, DestroyingThePlayingEngineStopsEverything) {
    engine_->setURL(wav("tone.wav", 5.0));
    ASSERT_TRUE(playing());
    engine_.reset();
    runEventsFor(100); // no message of the old pipeline reaches a dead engine
    engine_ = std::make_unique<GstMediaPlayer>();
    engine_->setURL(wav("tone.wav", 5.0));
    EXPECT_TRUE(playing());
}

} // namespace
