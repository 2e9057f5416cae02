#pragma once
// What the information tests share: a fake engine in SA, a drive X: on a temporary folder for the files the
// tests write, a stand-in person who answers every message box at once, and the WAV and MP3 bytes.
#include "platform/base/Events.h"
#include "platform/runtime/NumberedFiles.h"
#include "platform/shell/MessageBox.h"
#include "player/Acerca.h"
#include "player/InfoFile.h"
#include "player/Player.h"
#include "player/SA.h"
#include "playlist/PlayList.h"
#include "tests/support/FakeMediaPlayer.h"
#include "tests/support/OrdinaryUser.h"
#include "tests/support/TempDrive.h"

#include <QByteArray>
#include <QtEndian>
#include <cstdint>
#include <functional>
#include <gtest/gtest.h>
#include <unistd.h>
#include <vector>

namespace info_test {

// SA holds the fake engine whenever these tests create it.
rt::FakeMediaPlayer& fakeEngine();

// An ID3v1 block of 128 bytes: "TAG" and the five fields, each NUL-padded to its width, then the genre.
struct Id3v1 {
    QByteArray marker = "TAG";
    QByteArray title{}, artist{}, album{}, year{}, comment{};
    std::uint8_t genre = 17;
};
QByteArray id3v1Block(const Id3v1& tag);
// Bytes that never spell "tag" in any case.
QByteArray audioBytes(int count);

// A RIFF WAVE header with its format chunk at offset 12 and `dataBytes` bytes of silence after it.
struct WavHeader {
    std::int16_t channels = 2;
    std::int32_t sampleRate = 44100;
    std::int16_t bits = 16;
    std::uint32_t riffSize = 0; // 0: the real size
    int dataBytes = 64;
};
QByteArray wavBytes(const WavHeader& header);
// A 16-bit little-endian value, a 32-bit one.
QByteArray le16(std::int16_t value);
QByteArray le32(std::int32_t value);

using fixtures::asOrdinaryUser;

class InfoTest : public ::testing::Test {
  protected:
    InfoTest();
    ~InfoTest() override;

    // Writes a file on X: and gives its Windows path.
    QString file(const QString& name, const QByteArray& bytes) const;
    // Every number the test did not open itself is free again.
    static int openFileCount();
    // Runs a handler as the platform does for a window event.
    static void asEvent(const std::function<void()>& handler) { rt::dispatch(handler); }
    static QString infoText() { return player::infoFile().d().TextInfo.Text(); }

    testing_support::TempDrive drive;
    std::vector<rt::shell::MessageBoxRequest> messages;
};

} // namespace info_test
