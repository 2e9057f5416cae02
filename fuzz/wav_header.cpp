// The WAV header reader on arbitrary file contents: it must never crash or hang, must close its file, and
// must describe exactly what the first bytes of the file hold, worked out here on the bytes.
#include "fuzz/FuzzWindows.h"
#include "platform/media/MediaPlayerControl.h"
#include "platform/runtime/NumberedFiles.h"
#include "platform/shell/MessageBox.h"
#include "platform/win/Drives.h"
#include "player/InfoFile.h"
#include "player/Player.h"
#include "player/SA.h"

#include <QApplication>
#include <QFile>
#include <QTemporaryDir>
#include <QtEndian>
#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <iterator>
#include <memory>

namespace {

constexpr int kScanPositions = 255;

QTemporaryDir* gFolder = nullptr;
QString gHostFile;
const QString kWindowsFile = QStringLiteral("T:\\fuzz.wav");

[[noreturn]] void fail(const char* what) {
    std::fprintf(stderr, "wav header fuzz: %s\n", what);
    std::abort();
}

std::uint8_t byteAt(const QByteArray& bytes, qsizetype offset) {
    return offset < bytes.size() ? std::uint8_t(bytes[offset]) : 0;
}

template <class T> T valueAt(const QByteArray& bytes, qsizetype offset) {
    std::uint8_t raw[sizeof(T)];
    for (std::size_t k = 0; k < sizeof(T); ++k)
        raw[k] = byteAt(bytes, offset + qsizetype(k));
    return qFromLittleEndian<T>(raw);
}

QString expectedText(const QByteArray& bytes, bool spectrumShown, bool playerShown) {
    std::int16_t channels = 0, bits = 0;
    std::int32_t rate = 0;
    for (qsizetype i = 0; i < kScanPositions;) {
        if (byteAt(bytes, i) != 'f') {
            ++i;
        } else if (byteAt(bytes, i + 1) == 'm' && byteAt(bytes, i + 2) == 't') {
            channels = valueAt<std::int16_t>(bytes, i + 10);
            rate = valueAt<std::int32_t>(bytes, i + 12);
            bits = valueAt<std::int16_t>(bytes, i + 22);
            break;
        } else {
            i += 3;
        }
    }
    QString text = QStringLiteral(" Tipo: Wav\r\n Canales: %1\r\n Frec: %2\r\n Bits: %3\r\n")
                       .arg(channels)
                       .arg(rate)
                       .arg(bits);
    if (bits == 24)
        text += " No se reproduce sin tener instalado el codec";
    if (spectrumShown && bits == 32)
        text += " Al no poder visualizar este audio,SA se ha ocultado";
    if (playerShown)
        text += QStringLiteral(
            "\r\n Si el contador de tiempo no se mueve\r\n este audio, está ocupado por otra aplicación");
    return text;
}

// Random bytes seldom spell "fmt": half the inputs get it, or a near miss, at a place their second byte
// chooses.
QByteArray withChunkPlanted(QByteArray bytes) {
    if (bytes.size() < 2 || std::uint8_t(bytes[0]) % 2 != 0)
        return bytes;
    static const QByteArray kPlants[] = {"fmt", "ffmt", "fmT", "Fmt", "f"};
    const QByteArray& plant = kPlants[std::uint8_t(bytes[0]) / 2 % std::size(kPlants)];
    const qsizetype at = std::uint8_t(bytes[1]) % bytes.size();
    return bytes.replace(at, plant.size(), plant).left(std::max<qsizetype>(bytes.size(), at + plant.size()));
}

} // namespace

extern "C" int LLVMFuzzerInitialize(int* argc, char*** argv) {
    gFolder = fuzzing::startWindowsOnDriveT(argc, argv, "wav header");
    rt::shell::setMessageBoxResponderForTesting(
        [](const rt::shell::MessageBoxRequest&) -> int { fail("the WAV reader showed a message box"); });
    gHostFile = gFolder->filePath("fuzz.wav");
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const QByteArray bytes =
        withChunkPlanted(QByteArray(reinterpret_cast<const char*>(data), static_cast<qsizetype>(size)));
    QFile file(gHostFile);
    if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate) || file.write(bytes) != bytes.size())
        fail("cannot write the input file");
    file.close();

    // The input's length picks whether the main and spectrum windows are shown.
    const bool playerShown = size % 2 == 1;
    const bool spectrumShown = size % 4 >= 2;
    player::Player& main = player::player();
    main.setVisible(playerShown);
    player::sa().setVisible(spectrumShown);

    main.InfoWav(kWindowsFile);

    const QString expected = expectedText(bytes, spectrumShown, playerShown);
    if (main.InfoTexto != expected || player::infoFile().d().TextInfo.Text() != expected)
        fail("the description differs from the header in the file");
    if (!player::infoFile().Visible())
        fail("the information window is not shown");
    if (player::sa().Visible() != (spectrumShown && !expected.contains(",SA se ha ocultado")))
        fail("the spectrum window's visibility is wrong");
    if (rt::FreeFile() != rt::kFirstFileNumber)
        fail("the reader left its file open");
    return 0;
}
