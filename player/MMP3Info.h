#pragma once
// The ID3v1 tag among the last bytes of an MP3 file: title, artist, album, year and comment.
#include "platform/base/Text.h"

namespace player {

// Five fixed-width texts. Each starts as NULs only; a field given a text holds it left-aligned, padded with
// blanks or cut to its width.
struct MP3Tag {
    static constexpr int kTextWidth = 30;
    static constexpr int kYearWidth = 4;

    rt::String Title = rt::String(kTextWidth, QChar(0));
    rt::String Artist = rt::String(kTextWidth, QChar(0));
    rt::String Album = rt::String(kTextWidth, QChar(0));
    rt::String Year = rt::String(kYearWidth, QChar(0));
    rt::String Comment = rt::String(kTextWidth, QChar(0));

    bool operator==(const MP3Tag&) const = default;
};

// Looks for the marker "tag" (in any case) in the 255 bytes that end two bytes before the end of the file
// and slices the fields from there. A missing file, or no marker, gives the all-NUL record. A file that
// cannot be read (256 bytes or fewer, or not openable) shows "Error! en fichero" and, once that is
// dismissed, gives the record as filled so far.
MP3Tag GetMP3Tag(const rt::String& file);

} // namespace player
