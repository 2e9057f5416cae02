#include "player/MMP3Info.h"

#include "platform/base/Errors.h"
#include "platform/runtime/NumberedFiles.h"
#include "platform/shell/MessageBox.h"
#include "platform/win/FileSystem.h"

#include <cstdint>

namespace player {

namespace {

constexpr int kTagBufferBytes = 255;
// The window starts 257 bytes before the end, so it ends two bytes short of it: 255 bytes, not 256.
constexpr std::int64_t kWindowStartFromEnd = 257;
// ID3v1 fields, counted from the first letter of the marker.
constexpr int kTitleOffset = 3;
constexpr int kArtistOffset = 33;
constexpr int kAlbumOffset = 63;
constexpr int kYearOffset = 93;
constexpr int kCommentOffset = 97;

const rt::String kMarker = QStringLiteral("tag");
const rt::String kReadFailure = QStringLiteral("Error! en fichero");
const rt::String kReadFailureTitle = QStringLiteral("MP3");

// The last window read, one character per byte.
rt::String TagBuffer(kTagBufferBytes, QChar(0));

// A fixed-width field takes a text left-aligned: blank-padded when shorter, cut when longer.
void setField(rt::String& field, const rt::String& text) {
    field = text.leftJustified(field.size(), QChar(' '), true);
}

// 30 characters of the buffer from a 0-based index: fewer where the buffer ends, none beyond it.
rt::String sliceAt(int index) {
    return rt::Mid(TagBuffer, index + 1, MP3Tag::kTextWidth);
}

void readTagWindow(int number) {
    const std::int64_t windowStart = rt::LOF(number) - kWindowStartFromEnd;
    TagBuffer = rt::fromWindows1252(rt::GetBytes(number, windowStart + 1, kTagBufferBytes));
}

void sliceFields(MP3Tag& tag) {
    const int hit = rt::InStr(1, TagBuffer, kMarker, true);
    if (hit == 0)
        return;
    const int q = hit - 1;
    setField(tag.Title, sliceAt(q + kTitleOffset));
    setField(tag.Artist, sliceAt(q + kArtistOffset));
    setField(tag.Album, sliceAt(q + kAlbumOffset));
    setField(tag.Year, sliceAt(q + kYearOffset));
    setField(tag.Comment, sliceAt(q + kCommentOffset));
}

} // namespace

MP3Tag GetMP3Tag(const rt::String& file) {
    MP3Tag tag;
    if (!rt::existsAsOrdinaryFile(file))
        return tag;
    // Only this routine's own number is ever closed here: closing every file would take an open file away
    // from a WAV or project scan that is pumping events in the middle of its reading.
    int number = 0;
    const bool read = rt::endSilentlyOnError([&] {
        number = rt::FreeFile();
        rt::OpenForBinaryRead(number, file);
        readTagWindow(number);
        rt::Close(number);
        number = 0;
        sliceFields(tag);
    });
    if (!read) {
        if (number != 0)
            rt::Close(number);
        rt::shell::MsgBox(kReadFailure, rt::shell::vbCritical | rt::shell::vbOKOnly, kReadFailureTitle);
    }
    return tag;
}

} // namespace player
