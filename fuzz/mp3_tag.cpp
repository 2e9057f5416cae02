// The MP3 tag reader on arbitrary file contents: it must never crash, hang or take another routine's open
// file, and its record must be the one the last bytes of the file spell, worked out here on the bytes.
#include "platform/runtime/NumberedFiles.h"
#include "platform/shell/MessageBox.h"
#include "platform/win/Drives.h"
#include "player/MMP3Info.h"

#include <QByteArray>
#include <QFile>
#include <QTemporaryDir>
#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <cstdlib>

namespace {

constexpr int kWindowBytes = 255;
constexpr int kWindowStartFromEnd = 257;

QTemporaryDir* gFolder = nullptr;
QString gHostFile;
QString gWindowsFile;
int gHeldNumber = 0;
int gMessages = 0;

[[noreturn]] void fail(const char* what) {
    std::fprintf(stderr, "mp3 tag fuzz: %s\n", what);
    std::abort();
}

int markerIndex(const QByteArray& window) {
    for (int i = 0; i + 3 <= window.size(); ++i) {
        if (window.mid(i, 3).toLower() == "tag")
            return i;
    }
    return -1;
}

QString field(const QByteArray& window, int index, int width) {
    const QByteArray bytes = index < window.size() ? window.mid(index, 30) : QByteArray();
    return rt::fromWindows1252(bytes).leftJustified(width, QChar(' '), true);
}

player::MP3Tag expectedTag(const QByteArray& file) {
    player::MP3Tag tag;
    if (file.size() < kWindowStartFromEnd)
        return tag;
    const QByteArray window = file.mid(file.size() - kWindowStartFromEnd, kWindowBytes);
    const int q = markerIndex(window);
    if (q < 0)
        return tag;
    tag.Title = field(window, q + 3, 30);
    tag.Artist = field(window, q + 33, 30);
    tag.Album = field(window, q + 63, 30);
    tag.Year = field(window, q + 93, 4);
    tag.Comment = field(window, q + 97, 30);
    return tag;
}

// Random bytes seldom spell the marker: half the inputs get one, in a case mix and at a place in the
// window that their first two bytes choose.
QByteArray withMarkerPlanted(QByteArray bytes) {
    if (bytes.size() < kWindowStartFromEnd || std::uint8_t(bytes[0]) % 2 != 0)
        return bytes;
    const std::uint8_t cases = std::uint8_t(bytes[0]);
    QByteArray marker = "tag";
    for (int k = 0; k < 3; ++k)
        marker[k] = (cases >> (k + 1)) & 1 ? char(marker[k] - 'a' + 'A') : marker[k];
    const qsizetype at = bytes.size() - kWindowStartFromEnd + std::uint8_t(bytes[1]) % kWindowBytes;
    return bytes.replace(at, std::min<qsizetype>(3, bytes.size() - at), marker).left(bytes.size());
}

} // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
    gFolder = new QTemporaryDir;
    if (!gFolder->isValid())
        fail("no temporary folder");
    rt::setDriveTableForTesting({{QChar('T'), gFolder->path(), rt::kDriveFixed}});
    gHostFile = gFolder->filePath("fuzz.mp3");
    gWindowsFile = QStringLiteral("T:\\fuzz.mp3");
    QFile held(gFolder->filePath("held.wav"));
    if (!held.open(QIODevice::WriteOnly) || held.write("RIFF") != 4)
        fail("cannot write the held file");
    held.close();
    // A file another routine holds open across the tag reads.
    gHeldNumber = rt::FreeFile();
    rt::OpenForBinaryRead(gHeldNumber, QStringLiteral("T:\\held.wav"));
    rt::shell::setMessageBoxResponderForTesting([](const rt::shell::MessageBoxRequest& request) {
        if (request.prompt != "Error! en fichero" || request.title != "MP3" || request.buttons != 16)
            fail("an unexpected message box");
        ++gMessages;
        return rt::shell::vbOK;
    });
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const QByteArray bytes =
        withMarkerPlanted(QByteArray(reinterpret_cast<const char*>(data), static_cast<qsizetype>(size)));
    QFile file(gHostFile);
    if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate) || file.write(bytes) != bytes.size())
        fail("cannot write the input file");
    file.close();

    gMessages = 0;
    const player::MP3Tag tag = player::GetMP3Tag(gWindowsFile);

    if (!(tag == expectedTag(bytes)))
        fail("the record differs from the tag in the file's last bytes");
    if (gMessages != (bytes.size() < kWindowStartFromEnd ? 1 : 0))
        fail("the failure message came when it should not, or did not come");
    if (!rt::isOpen(gHeldNumber) || rt::GetByte(gHeldNumber, 1) != 'R')
        fail("another routine's open file was taken away");
    if (rt::FreeFile() != gHeldNumber + 1)
        fail("the reader left a file open");
    return 0;
}
