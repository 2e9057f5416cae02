#include "playlist/ProjectScan.h"

#include "platform/runtime/NumberedFiles.h"

#include <algorithm>
#include <cstring>

namespace playlist::scan {

namespace {

constexpr std::int64_t kBufferBytes = 64 * 1024;
// A refill keeps a few bytes before the position asked for: after reading a group of four the extension
// search resumes one byte after its ".", three bytes back.
constexpr std::int64_t kBackBytes = 16;
constexpr std::uint8_t kNul = 0;
constexpr std::uint8_t kColon = ':';
constexpr std::uint8_t kBackslash = '\\';
constexpr std::uint8_t kDot = '.';
constexpr std::uint8_t kListLetter = 'L';
// From the "L": "LIST", four size bytes passed over, then the chunk type.
constexpr std::int64_t kChunkTypeOffset = 8;
// The scan end lies this many positions before the "L".
constexpr std::int64_t kListEndBack = 5;
constexpr std::int64_t kGroupLength = 4;

// Pumps the user interface once a block of bytes has been examined, never per byte.
class Pacer {
  public:
    explicit Pacer(ScanEffects& effects) : effects_(effects) {}
    // Bytes that may be examined before the next pump is due (at least 1).
    std::int64_t room() const { return std::max<std::int64_t>(budget_, 1); }
    // `bytes` more were examined; pumps when a block's worth went by. False when the pump ends the scan.
    bool spend(std::int64_t bytes) {
        budget_ -= bytes;
        if (budget_ > 0)
            return true;
        budget_ = kPumpEveryBytes;
        return effects_.pump();
    }
    // An effect makes the next pump come sooner, without pumping now.
    void charge() { budget_ -= kEffectWeightBytes; }

  private:
    ScanEffects& effects_;
    std::int64_t budget_ = kPumpEveryBytes;
};

enum class Extension { None, Plain, Fla };

std::uint8_t lower(std::uint8_t byte) {
    return byte >= 'A' && byte <= 'Z' ? std::uint8_t(byte + ('a' - 'A')) : byte;
}

// The group of four from the "." at `dot`, lower-cased. No character of the code page outside A-Z
// lower-cases to a letter or digit of the set, so ASCII lower-casing gives the same answer.
Extension extensionAt(ProjectBytes& bytes, std::int64_t dot) {
    const char group[3] = {char(lower(bytes.at(dot + 1))), char(lower(bytes.at(dot + 2))),
                           char(lower(bytes.at(dot + 3)))};
    for (const char* audio : {"mp3", "wav", "aif", "ogg"})
        if (std::memcmp(group, audio, 3) == 0)
            return Extension::Plain;
    return std::memcmp(group, "fla", 3) == 0 ? Extension::Fla : Extension::None;
}

bool isListChunk(ProjectBytes& bytes, std::int64_t l) {
    static constexpr char kList[] = "LIST";
    static constexpr char kType[] = "mdrl";
    for (std::int64_t k = 0; k < 4; ++k)
        if (bytes.at(l + k) != std::uint8_t(kList[k]) ||
            bytes.at(l + kChunkTypeOffset + k) != std::uint8_t(kType[k]))
            return false;
    return true;
}

// Where a path starts: a ":" followed by a "\", with a drive byte before it that is not a NUL (a path
// never holds one). Returns the position of the "\" (0 when the scan ended first).
struct DriveFound {
    std::int64_t backslash = 0;
    bool scanEnds = false;
};

DriveFound driveSearch(ProjectBytes& bytes, std::int64_t pos, std::int64_t end, Pacer& pacer) {
    for (;;) {
        const std::int64_t blockEnd = std::min(end, pos + pacer.room() - 1);
        const std::int64_t colon = bytes.find(kColon, pos, blockEnd);
        if (colon == 0) {
            // The byte at the scan end moves the position past it.
            if (blockEnd == end || !pacer.spend(blockEnd - pos + 1))
                return {0, true};
            pos = blockEnd + 1;
            continue;
        }
        if (!pacer.spend(colon - pos))
            return {0, true};
        if (bytes.at(colon + 1) == kBackslash && bytes.at(colon - 1) != kNul)
            return {colon + 1, false};
        // The byte after the ":" is passed over.
        pos = colon + 2;
        if (pos > end || !pacer.spend(2))
            return {0, true};
    }
}

} // namespace

ProjectBytes::ProjectBytes(int fileNumber, std::int64_t length)
    : fileNumber_(fileNumber), length_(length), buffer_(kBufferBytes) {}

void ProjectBytes::fill(std::int64_t position) {
    bufferStart_ = bufferEnd_ = 0; // a failed read must not leave the old bytes under new positions
    const std::int64_t start = std::max<std::int64_t>(1, position - kBackBytes);
    const QByteArray read = rt::GetBytes(fileNumber_, start, static_cast<int>(kBufferBytes));
    std::memcpy(buffer_.data(), read.constData(), buffer_.size());
    bufferStart_ = start;
    bufferEnd_ = start + kBufferBytes;
}

std::int64_t ProjectBytes::find(std::uint8_t value, std::int64_t from, std::int64_t to) {
    for (std::int64_t p = from; p <= to;) {
        if (p < bufferStart_ || p >= bufferEnd_)
            fill(p);
        const std::int64_t last = std::min(to, bufferEnd_ - 1);
        const std::uint8_t* base = buffer_.data() + (p - bufferStart_);
        if (const void* hit = std::memchr(base, value, static_cast<std::size_t>(last - p + 1)))
            return p + (static_cast<const std::uint8_t*>(hit) - base);
        p = last + 1;
    }
    return 0;
}

std::int64_t ProjectBytes::findDotOrNul(std::int64_t from, std::int64_t to) {
    for (std::int64_t p = from; p <= to;) {
        if (p < bufferStart_ || p >= bufferEnd_)
            fill(p);
        const std::int64_t last = std::min(to, bufferEnd_ - 1);
        const std::uint8_t* base = buffer_.data() + (p - bufferStart_);
        const std::size_t span = static_cast<std::size_t>(last - p + 1);
        // NULs are common in project bytes: the first one bounds the search for a ".".
        const auto* nul = static_cast<const std::uint8_t*>(std::memchr(base, kNul, span));
        const std::size_t upTo = nul ? static_cast<std::size_t>(nul - base) : span;
        if (const auto* dot = static_cast<const std::uint8_t*>(std::memchr(base, kDot, upTo)))
            return p + (dot - base);
        if (nul)
            return p + (nul - base);
        p = last + 1;
    }
    return 0;
}

rt::String ProjectBytes::text(std::int64_t from, std::int64_t count) {
    if (from >= bufferStart_ && from + count <= bufferEnd_)
        return rt::fromWindows1252(reinterpret_cast<const char*>(buffer_.data() + (from - bufferStart_)),
                                   static_cast<std::size_t>(count));
    return rt::fromWindows1252(rt::GetBytes(fileNumber_, from, static_cast<int>(count)));
}

Found headerTextEnd(ProjectBytes& bytes, ScanEffects& effects) {
    Pacer pacer(effects);
    const std::int64_t last = bytes.length() - 1; // the file's last byte is never read
    for (std::int64_t p = kHeaderTextOffset + 1; p <= last;) {
        const std::int64_t blockEnd = std::min(last, p + pacer.room() - 1);
        if (const std::int64_t nul = bytes.find(kNul, p, blockEnd))
            return {nul + 1, false};
        const std::int64_t examined = blockEnd - p + 1;
        p = blockEnd + 1;
        if (p <= last && !pacer.spend(examined))
            return {0, true};
    }
    return {};
}

Found listChunkEnd(ProjectBytes& bytes, std::int64_t from, ScanEffects& effects) {
    Pacer pacer(effects);
    const std::int64_t last = bytes.length() - 1;
    for (std::int64_t p = std::max<std::int64_t>(from, 1); p <= last;) {
        const std::int64_t blockEnd = std::min(last, p + pacer.room() - 1);
        // A "LIST" of another kind is passed over one byte at a time: a chunk may start inside it.
        for (std::int64_t at = p; const std::int64_t l = bytes.find(kListLetter, at, blockEnd); at = l + 1)
            if (isListChunk(bytes, l))
                return {l - kListEndBack, false};
        const std::int64_t examined = blockEnd - p + 1;
        p = blockEnd + 1;
        if (p <= last && !pacer.spend(examined))
            return {0, true};
    }
    return {};
}

bool audioPaths(ProjectBytes& bytes, std::int64_t start, std::int64_t end, bool listMode,
                ScanEffects& effects) {
    Pacer pacer(effects);
    bool result = false;
    for (std::int64_t pos = start; pos < end;) {
        const DriveFound drive = driveSearch(bytes, pos, end, pacer);
        if (drive.scanEnds)
            return result;
        const std::int64_t pathStart = drive.backslash - 2;
        const std::int64_t limit = pathStart + kMaxCandidateChars - 1;
        std::int64_t last = 0; // the candidate's last byte
        for (std::int64_t q = drive.backslash; last == 0;) {
            const std::int64_t stop = std::min({end, limit, q + pacer.room() - 1});
            const std::int64_t hit = bytes.findDotOrNul(q, stop);
            if (hit == 0) {
                if (stop == end || !pacer.spend(stop - q + 1))
                    return result;
                if (stop == limit)
                    last = limit;
                q = stop + 1;
                continue;
            }
            if (!pacer.spend(hit - q))
                return result;
            const Extension extension = bytes.at(hit) == kDot ? extensionAt(bytes, hit) : Extension::None;
            if (extension != Extension::None) {
                const std::int64_t groupEnd = hit + kGroupLength - 1;
                // ".fla" takes the byte after it (".flac" keeps its "c"), unless that ends the path.
                const std::int64_t pathEnd =
                    extension == Extension::Fla && bytes.at(groupEnd + 1) != kNul ? groupEnd + 1 : groupEnd;
                const rt::String path = bytes.text(pathStart, pathEnd - pathStart + 1);
                result = true;
                if (!listMode)
                    return true;
                effects.addPath(path);
                pacer.charge();
                last = groupEnd;
                break;
            }
            if (hit + 1 > end || !pacer.spend(1))
                return result;
            if (bytes.at(hit) == kNul || hit >= limit)
                last = hit;
            q = hit + 1;
        }
        effects.setBarValue(static_cast<std::int32_t>(last + 1));
        pacer.charge();
        pos = last + 2;
    }
    return result;
}

} // namespace playlist::scan
