// The main window's file information: the Info button, the WAV header and MP3 tag readers, and the about
// window's toggle.
#include "platform/base/Errors.h"
#include "platform/base/Events.h"
#include "platform/runtime/NumberedFiles.h"
#include "platform/win/FileSystem.h"
#include "player/Acerca.h"
#include "player/InfoFile.h"
#include "player/MMP3Info.h"
#include "player/Player.h"
#include "player/SA.h"

#include <cstdint>

namespace player {

namespace {

const rt::String kCrLf = QStringLiteral("\r\n");
const rt::String kNothingLoaded = QStringLiteral("No hay nada a reproducir");
const rt::String kMissingHeading = QStringLiteral("Información de este archivo: ");
const rt::String kMissingLine = QStringLiteral("Este archivo no existe en la ruta: ");
constexpr int kRuleLength = 50;

const rt::String kMp3Extension = QStringLiteral("mp3");
const rt::String kWavExtension = QStringLiteral("wav");
constexpr int kExtensionLength = 3;

const rt::String kValueTrail = QStringLiteral("   ");

// The WAV header: the first 255 bytes are searched for the format chunk's name.
constexpr int kWavScanPositions = 255;
constexpr std::uint8_t kLowerF = 'f';
const rt::String kFormatChunk = QStringLiteral("fmt");
// A failed "f" skips the two bytes it was compared with.
constexpr int kSkipAfterFailedF = 3;
// The format chunk's fields, counted from its "f".
constexpr int kChannelsOffset = 10;
constexpr int kSampleRateOffset = 12;
constexpr int kBitsOffset = 22;
constexpr int kCodecBits = 24;
constexpr int kFloatBits = 32;

const rt::String kWavType = QStringLiteral(" Tipo: Wav");
const rt::String kWavChannels = QStringLiteral(" Canales: ");
const rt::String kWavRate = QStringLiteral(" Frec: ");
const rt::String kWavBits = QStringLiteral(" Bits: ");
const rt::String kCodecNote = QStringLiteral(" No se reproduce sin tener instalado el codec");
const rt::String kSpectrumNote = QStringLiteral(" Al no poder visualizar este audio,SA se ha ocultado");
const rt::String kBusyNoteFirst = QStringLiteral(" Si el contador de tiempo no se mueve");
const rt::String kBusyNoteSecond = QStringLiteral(" este audio, está ocupado por otra aplicación");

struct WavFormat {
    std::int16_t channels = 0;
    std::int32_t sampleRate = 0;
    std::int16_t bits = 0;
};

// Little-endian, as stored; bytes past the end of the file read as zeros.
std::int32_t littleEndianAt(int number, std::int64_t position, int size) {
    const QByteArray bytes = rt::GetBytes(number, position, size);
    std::uint32_t value = 0;
    for (int k = size - 1; k >= 0; --k)
        value = value << 8 | static_cast<std::uint8_t>(bytes[k]);
    return static_cast<std::int32_t>(value);
}

WavFormat formatAt(int number, std::int64_t fPosition) {
    WavFormat format;
    format.channels = static_cast<std::int16_t>(littleEndianAt(number, fPosition + kChannelsOffset, 2));
    format.sampleRate = littleEndianAt(number, fPosition + kSampleRateOffset, 4);
    format.bits = static_cast<std::int16_t>(littleEndianAt(number, fPosition + kBitsOffset, 2));
    return format;
}

// Positions past the end of a short file read as zeros, so they never start a match. The event pump runs
// after every position that does not complete a match.
WavFormat scanWavFormat(int number) {
    int i = 1;
    while (i <= kWavScanPositions) {
        if (rt::GetByte(number, i) == kLowerF) {
            if (rt::fromWindows1252(rt::GetBytes(number, i, kFormatChunk.size())) == kFormatChunk)
                return formatAt(number, i);
            i += kSkipAfterFailedF;
        } else {
            ++i;
        }
        rt::DoEvents();
    }
    return {};
}

void showInfo(const rt::String& text) {
    InfoFile& info = infoFile();
    info.d().TextInfo.setText(text);
    info.setLeft(player().Left() + kDockInfoFile.left);
    info.setTop(player().Top() + kDockInfoFile.top);
    info.Show();
}

rt::String missingFileText(const rt::String& path) {
    const rt::String rule(kRuleLength, QChar('-'));
    return kMissingHeading + kCrLf + rule + kCrLf + kMissingLine + kCrLf + rule + kCrLf + path;
}

void showTextDocked(const rt::String& text) {
    InfoFile& info = infoFile();
    info.d().TextInfo.setText(text);
    info.Show();
    info.Form_DblClick();
}

} // namespace

void Player::Info_Click() {
    InfoFile& info = infoFile();
    if (info.Visible()) {
        info.Hide();
        return;
    }
    rt::MediaPlayer& engine = sa().engine();
    if (!engine.hasCurrentMedia()) {
        showTextDocked(kNothingLoaded);
        return;
    }
    const rt::String path = engine.currentMedia().sourceURL;
    if (!rt::existsAsOrdinaryFile(path)) {
        showTextDocked(missingFileText(path));
        return;
    }
    const rt::String extension = rt::LCase(rt::Right(path, kExtensionLength));
    if (extension == kMp3Extension)
        InfoMp3(path);
    else if (extension == kWavExtension)
        InfoWav(path);
}

rt::String Player::UnSpace(const rt::String& exp) {
    qsizetype end = exp.size();
    while (end > 0 && (exp[end - 1] == QChar(' ') || exp[end - 1] == QChar(0)))
        --end;
    return exp.left(end);
}

void Player::InfoMp3(const rt::String& path) {
    const MP3Tag tag = GetMP3Tag(path);
    const auto line = [this](const rt::String& label, const rt::String& field) {
        return label + UnSpace(field) + kValueTrail + kCrLf;
    };
    rt::String text;
    text += line(QStringLiteral("Album: "), tag.Album);
    text += line(QStringLiteral("Artista: "), tag.Artist);
    text += line(QStringLiteral("Comentarios: "), tag.Comment);
    text += line(QStringLiteral("Título: "), tag.Title);
    text += line(QStringLiteral("Año: "), tag.Year);
    showInfo(text);
}

void Player::InfoWav(const rt::String& path) {
    if (!rt::existsAsOrdinaryFile(path))
        return;
    // This routine closes only the number it took, whatever happens: another reader may be pumping events
    // in the middle of its own file.
    int number = 0;
    const bool done = rt::endSilentlyOnError([&] {
        number = rt::FreeFile();
        rt::OpenForBinaryRead(number, path);
        const WavFormat format = scanWavFormat(number);
        rt::Close(number);
        number = 0;

        InfoTexto = rt::String();
        InfoTexto += kWavType + kCrLf;
        InfoTexto += kWavChannels + QString::number(format.channels) + kCrLf;
        InfoTexto += kWavRate + QString::number(format.sampleRate) + kCrLf;
        InfoTexto += kWavBits + QString::number(format.bits) + kCrLf;
        if (format.bits == kCodecBits)
            InfoTexto += kCodecNote;
        SA& spectrum = sa();
        if (spectrum.Visible() && format.bits == kFloatBits) {
            InfoTexto += kSpectrumNote;
            spectrum.Hide();
        }
        if (Visible())
            InfoTexto += kCrLf + kBusyNoteFirst + kCrLf + kBusyNoteSecond;
        showInfo(InfoTexto);
    });
    if (!done && number != 0)
        rt::Close(number);
}

void Player::Abaut_Click() {
    Acerca& about = acerca();
    about.setVisible(!about.Visible());
    about.setTop(Top() + kDockAcerca.top);
    about.setLeft(Left() + kDockAcerca.left);
}

} // namespace player
