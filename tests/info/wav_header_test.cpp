// The WAV header reader: the "fmt" scan, its values and notes, and what it leaves alone when it fails.
#include "tests/info/InfoFixtures.h"

#include <QThread>
#include <QTimer>
#include <sys/stat.h>

namespace info_test {
namespace {

const QString kBusyNote = QStringLiteral("\r\n Si el contador de tiempo no se mueve\r\n"
                                         " este audio, está ocupado por otra aplicación");

QString fourLines(int channels, int rate, int bits) {
    return QStringLiteral(" Tipo: Wav\r\n Canales: %1\r\n Frec: %2\r\n Bits: %3\r\n")
        .arg(channels)
        .arg(rate)
        .arg(bits);
}

class WavHeaderTest : public InfoTest {
  protected:
    WavHeaderTest() { player::player().Hide(); }

    QString readWav(const QByteArray& bytes) {
        const QString path = file("take.wav", bytes);
        player::player().InfoWav(path);
        return infoText();
    }
    // The window's state before a call that must leave it alone.
    void prepareWindow() {
        player::InfoFile& info = player::infoFile();
        info.d().TextInfo.setText("before");
        info.setLeft(300);
        info.Hide();
    }
    void expectWindowUntouched() {
        EXPECT_EQ(infoText(), "before");
        EXPECT_FALSE(player::infoFile().Visible());
        EXPECT_EQ(player::infoFile().Left(), 300);
    }
};

TEST_F(WavHeaderTest, CanonicalStereoFileGivesFourLinesDockedWhilePlayerIsHidden) {
    player::player().setLeft(4500);
    EXPECT_EQ(readWav(wavBytes({.channels = 2, .sampleRate = 44100, .bits = 16})), fourLines(2, 44100, 16));
    EXPECT_EQ(player::player().InfoTexto, fourLines(2, 44100, 16));
    EXPECT_EQ(player::infoFile().Left(), 4500 + 3280);
    EXPECT_EQ(openFileCount(), 0);
}

TEST_F(WavHeaderTest, PlayerVisibleAddsTheTimeCounterNoteAndTheWindowDocks) {
    player::Player& p = player::player();
    p.Show();
    p.setLeft(2010);
    p.setTop(3000);

    EXPECT_EQ(readWav(wavBytes({.channels = 1, .sampleRate = 48000, .bits = 16})),
              fourLines(1, 48000, 16) + kBusyNote);
    EXPECT_TRUE(player::infoFile().Visible());
    EXPECT_EQ(player::infoFile().Left(), 2010 + 3280);
    EXPECT_EQ(player::infoFile().Top(), 3000 + 2100);
}

TEST_F(WavHeaderTest, ASizeFieldHoldingByte102StillYieldsTheValues) {
    // 0x66 is "f": its two neighbours "fm" do not match, and the "fmt" that starts at the second of them is
    // skipped with them, so the scan goes on to the real format chunk.
    EXPECT_EQ(readWav(wavBytes({.channels = 2, .sampleRate = 22050, .bits = 8, .riffSize = 0x746D6666})),
              fourLines(2, 22050, 8));
    EXPECT_EQ(readWav(wavBytes({.channels = 1, .sampleRate = 8000, .bits = 16, .riffSize = 0x00000166})),
              fourLines(1, 8000, 16));
}

TEST_F(WavHeaderTest, BytesComparedAfterAFailedFAreNotExaminedAgainAsAStart) {
    const QByteArray hidden = "ffmt" + QByteArray(40, '\x01');
    EXPECT_EQ(readWav(hidden), fourLines(0, 0, 0));
    // One byte later the same "fmt" starts a position of its own.
    const QByteArray seen =
        "xfmt" + QByteArray(7, '\0') + le16(6) + le32(96000) + QByteArray(6, '\0') + le16(24);
    EXPECT_EQ(readWav(seen).left(fourLines(6, 96000, 24).size()), fourLines(6, 96000, 24));
}

TEST_F(WavHeaderTest, OnlyALowerCaseFmtMatches) {
    QByteArray bytes = wavBytes({});
    bytes.replace(12, 3, "Fmt");
    EXPECT_EQ(readWav(bytes), fourLines(0, 0, 0));
    bytes.replace(12, 3, "fMT");
    EXPECT_EQ(readWav(bytes), fourLines(0, 0, 0));
}

TEST_F(WavHeaderTest, FmtStartingAtTheLastScannedPositionIsFoundAndOneLaterIsNot) {
    const auto withFmtAt = [](int offset) {
        return QByteArray(offset, '\0') + "fmt " + le32(16) + le16(1) + le16(2) + le32(32000) +
               QByteArray(6, '\0') + le16(16);
    };
    EXPECT_EQ(readWav(withFmtAt(254)), fourLines(2, 32000, 16));
    EXPECT_EQ(readWav(withFmtAt(255)), fourLines(0, 0, 0));
}

TEST_F(WavHeaderTest, TruncatedFieldsReadAsZerosPastTheEnd) {
    // The channel count is there, the rate only half, the bits not at all.
    const QByteArray bytes =
        "RIFF" + le32(16) + "WAVE" + "fmt " + le32(16) + le16(1) + le16(2) + QByteArray("\x44\xAC", 2);
    EXPECT_EQ(readWav(bytes), fourLines(2, 0xAC44, 0));
    // An "f" as the very last byte compares with bytes past the end and matches nothing.
    EXPECT_EQ(readWav(QByteArray(30, '\0') + "f"), fourLines(0, 0, 0));
}

TEST_F(WavHeaderTest, EmptyAndTinyFilesStillSayTheyAreWav) {
    EXPECT_EQ(readWav(QByteArray()), fourLines(0, 0, 0));
    EXPECT_EQ(readWav("f"), fourLines(0, 0, 0));
    EXPECT_EQ(readWav(QByteArray(255, 'x')), fourLines(0, 0, 0));
}

TEST_F(WavHeaderTest, ValuesAreSignedLittleEndian) {
    EXPECT_EQ(readWav(wavBytes({.channels = -1, .sampleRate = -2, .bits = -32768})),
              fourLines(-1, -2, -32768));
}

TEST_F(WavHeaderTest, A24BitFileGetsTheCodecNoteRightAfterItsBitsLine) {
    player::player().Show();
    EXPECT_EQ(readWav(wavBytes({.bits = 24})),
              fourLines(2, 44100, 24) + " No se reproduce sin tener instalado el codec" + kBusyNote);
}

TEST_F(WavHeaderTest, A32BitFileHidesAVisibleSpectrumWindowAndSaysSo) {
    player::sa().Show();
    EXPECT_EQ(readWav(wavBytes({.bits = 32})),
              fourLines(2, 44100, 32) + " Al no poder visualizar este audio,SA se ha ocultado");
    EXPECT_FALSE(player::sa().Visible());
}

TEST_F(WavHeaderTest, A32BitFileSaysNothingWhenTheSpectrumWindowIsHidden) {
    player::sa().Hide();
    EXPECT_EQ(readWav(wavBytes({.bits = 32})), fourLines(2, 44100, 32));
}

TEST_F(WavHeaderTest, AMissingFileChangesNothing) {
    prepareWindow();
    player::player().InfoWav(drive.windows("gone.wav"));
    expectWindowUntouched();
}

TEST_F(WavHeaderTest, AFileThatCannotBeOpenedEndsSilently) {
    prepareWindow();
    const QString path = file("locked.wav", wavBytes({}));
    ASSERT_EQ(::chmod(drive.host("locked.wav").toLocal8Bit().constData(), 0), 0);
    // Bit by bit what went wrong, so a failure in the child process still says it.
    const int wrong = asOrdinaryUser([&] {
        player::player().InfoWav(path);
        const bool untouched =
            infoText() == "before" && !player::infoFile().Visible() && player::infoFile().Left() == 300;
        return (untouched ? 0 : 1) | (messages.empty() ? 0 : 2) | (openFileCount() == 0 ? 0 : 4);
    });
    EXPECT_EQ(wrong, 0);
}

TEST_F(WavHeaderTest, TheScanServesPendingEventsBeforeItEnds) {
    bool served = false;
    bool returned = false;
    QTimer::singleShot(0, [&] { served = !returned; });
    QThread::msleep(2); // the event pump does nothing when it ran less than a millisecond ago
    readWav(QByteArray(200, '\0') + wavBytes({}));
    returned = true;
    EXPECT_TRUE(served);
}

TEST_F(WavHeaderTest, ATagReadDuringTheScanDoesNotTakeTheScansFile) {
    // The WAV's "fmt" lies far in, so the scan pumps events many times before it reads the values.
    const QString wav =
        file("late.wav", QByteArray(200, '\0') + wavBytes({.channels = 1, .sampleRate = 11025}));
    const QString mp3 = file("song.mp3", audioBytes(400) + id3v1Block({.title = "During"}));
    bool tagRead = false;
    QTimer::singleShot(0, [&] {
        player::player().InfoMp3(mp3);
        tagRead = infoText().contains("During");
    });
    QThread::msleep(2);

    player::player().InfoWav(wav);

    EXPECT_TRUE(tagRead);
    EXPECT_EQ(infoText(), fourLines(1, 11025, 16));
    EXPECT_EQ(openFileCount(), 0);
}

TEST_F(WavHeaderTest, AScanStartedDuringAnotherUsesItsOwnFile) {
    const QString outer = file("outer.wav", QByteArray(150, '\0') + wavBytes({.sampleRate = 1111}));
    const QString inner = file("inner.wav", wavBytes({.sampleRate = 2222}));
    QString innerText;
    QTimer::singleShot(0, [&] {
        player::player().InfoWav(inner);
        innerText = infoText();
    });
    QThread::msleep(2);

    player::player().InfoWav(outer);

    EXPECT_EQ(innerText, fourLines(2, 2222, 16));
    EXPECT_EQ(infoText(), fourLines(2, 1111, 16));
    EXPECT_EQ(openFileCount(), 0);
}

} // namespace
} // namespace info_test
