#pragma once
// The byte work of a project scan: finding the scan start after the header text, the scan end before the
// "LISTmdrl" chunk, and the audio paths between them. Reads go through one fixed buffer, and the user
// interface is pumped every block of bytes rather than after each one; the effects (paths added, bar
// values) come in the same order as a byte-by-byte reading gives them.
#include "platform/base/Text.h"

#include <cstdint>
#include <vector>

namespace playlist::scan {

// 0-based offset of the header text whose NUL ends it.
constexpr std::int64_t kHeaderTextOffset = 96;
// Positions are 32-bit: a file this long or longer is not a project.
constexpr std::int64_t kMaxProjectBytes = std::int64_t(1) << 31;
// No real path is longer: a candidate this long without an extension or a NUL ends without a path.
constexpr std::int64_t kMaxCandidateChars = 32767;
// Bytes examined between two pumps of the user interface.
constexpr std::int64_t kPumpEveryBytes = 64 * 1024;
// An effect (a line added, a bar value) weighs as much as this many examined bytes between pumps.
constexpr std::int64_t kEffectWeightBytes = 2 * 1024;

// What a scan does besides reading.
class ScanEffects {
  public:
    virtual ~ScanEffects() = default;
    // Lets pending events run; false ends the scan at once.
    virtual bool pump() = 0;
    virtual void addPath(const rt::String& path) = 0;
    virtual void setBarValue(std::int32_t value) = 0;
};

// A file open under a number, read through a fixed buffer. Positions count from 1; bytes past the end
// of the file read as 0.
class ProjectBytes {
  public:
    ProjectBytes(int fileNumber, std::int64_t length);

    std::int64_t length() const { return length_; }
    std::uint8_t at(std::int64_t position) {
        if (position < bufferStart_ || position >= bufferEnd_)
            fill(position);
        return buffer_[static_cast<std::size_t>(position - bufferStart_)];
    }
    // The first position in [from, to] whose byte is `value`; 0 when there is none.
    std::int64_t find(std::uint8_t value, std::int64_t from, std::int64_t to);
    // The first position in [from, to] holding a "." or a NUL; 0 when there is none.
    std::int64_t findDotOrNul(std::int64_t from, std::int64_t to);
    // `count` bytes from `from` as text of the system code page.
    rt::String text(std::int64_t from, std::int64_t count);

  private:
    void fill(std::int64_t position);
    int fileNumber_;
    std::int64_t length_;
    std::vector<std::uint8_t> buffer_;
    std::int64_t bufferStart_ = 0; // position of buffer_[0]
    std::int64_t bufferEnd_ = 0;   // first position after the buffer
};

// How a search ended: with the window gone (the scan must end at once) or normally.
struct Found {
    std::int64_t position = 0; // 0: nothing found
    bool stopped = false;
};

// The position after the NUL that ends the header text (0: no NUL before the file's last byte, which is
// never read).
Found headerTextEnd(ProjectBytes& bytes, ScanEffects& effects);
// The scan end for a scan from `from`: the position of the "L" of the first "LIST" followed, four bytes
// on, by "mdrl", minus 5 (0: no such chunk before the file's last byte).
Found listChunkEnd(ProjectBytes& bytes, std::int64_t from, ScanEffects& effects);
// The passes from `start` while below `end`: in list mode every path found is added; in validate mode the
// first one ends the scan. True when a path was found.
bool audioPaths(ProjectBytes& bytes, std::int64_t start, std::int64_t end, bool listMode,
                ScanEffects& effects);

} // namespace playlist::scan
