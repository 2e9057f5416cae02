#pragma once
// The project scan read the plain way: one GetByte per byte, a pump after every examined byte, every step
// in its written order. The fast scanner must agree with it on the lines, the result and the bar values.
#include "platform/base/Errors.h"
#include "platform/base/Text.h"
#include "platform/runtime/NumberedFiles.h"
#include "platform/win/FileSystem.h"
#include "playlist/PlaylistLines.h"

#include <cstdint>
#include <functional>
#include <vector>

namespace reference_scan {

// Everything a scan does that someone can see, in order.
struct Effect {
    enum Kind { BarMin, BarMax, Line, BarValue } kind;
    std::int64_t value = 0;
    rt::String text;
    bool operator==(const Effect&) const = default;
};

struct Recorder {
    std::vector<Effect> effects;
    // Called after every examined byte; false ends the scan.
    std::function<bool()> pump = [] { return true; };
    std::int64_t pumps = 0;
    bool stopped = false;

    bool pumpNow() {
        ++pumps;
        if (!pump())
            stopped = true;
        return !stopped;
    }
};

constexpr std::int64_t kMaxProjectBytes = std::int64_t(1) << 31;
constexpr std::int64_t kMaxCandidateChars = 32767;

class Scanner {
  public:
    explicit Scanner(Recorder& recorder) : out_(recorder) {}

    // Scan start: the position after the first NUL from offset 96 on, the file's last byte unread; 0 when
    // there is none.
    std::int64_t headerStart(const rt::String& path) {
        std::int64_t length = 0;
        if (path.isEmpty() || !rt::skipOnError([&] { length = rt::FileLen(path); }) || length == 0)
            return 0;
        const int f = rt::FreeFile();
        if (!rt::skipOnError([&] { rt::OpenForBinaryRead(f, path); }))
            return 0;
        std::int64_t start = 0;
        rt::skipOnError([&] {
            for (std::int64_t p = 97; p < length; ++p) {
                if (rt::GetByte(f, p) == 0) {
                    start = p + 1;
                    break;
                }
                if (!out_.pumpNow())
                    break;
            }
        });
        rt::Close(f);
        return start;
    }

    // Scan end: the first "L" at or after `from` whose bytes form "LIST" and, four bytes on, "mdrl",
    // minus 5; a "LIST" of another kind lets the search go on at the next byte.
    std::int64_t listEnd(const rt::String& path, std::int64_t from) {
        const std::int64_t length = rt::FileLen(path);
        if (length == 0)
            return 0;
        const int f = rt::FreeFile();
        if (!rt::skipOnError([&] { rt::OpenForBinaryRead(f, path); }))
            return 0;
        std::int64_t end = 0;
        rt::skipOnError([&] {
            for (std::int64_t p = from; p < length; ++p) {
                if (rt::GetByte(f, p) == 'L') {
                    rt::String text;
                    for (int k = 0; k < 4; ++k)
                        text += rt::charFromByte(rt::GetByte(f, p + k));
                    for (int k = 8; k < 12; ++k)
                        text += rt::charFromByte(rt::GetByte(f, p + k));
                    if (rt::Trim(text) == QStringLiteral("LISTmdrl")) {
                        end = p - 5;
                        break;
                    }
                }
                if (!out_.pumpNow())
                    break;
            }
        });
        rt::Close(f);
        return end;
    }

    bool extract(const rt::String& archivo, const rt::String& sangria, bool agregar) {
        if (!rt::LCase(archivo).contains(QStringLiteral(".vip")))
            return false;
        const rt::String path =
            playlist::lines::isProjectHeader(archivo)
                ? rt::LTrim(rt::Mid(archivo, rt::InStr(1, archivo, QStringLiteral(">")) + 1))
                : archivo;
        std::int64_t length = 0;
        if (!rt::existsAsOrdinaryFile(path) || !rt::skipOnError([&] { length = rt::FileLen(path); }) ||
            length == 0 || length >= kMaxProjectBytes)
            return false;
        start_ = headerStart(path);
        if (out_.stopped || start_ == 0)
            return false;
        if (!rt::skipOnError([&] { end_ = listEnd(path, start_); }) || out_.stopped)
            return false;
        out_.effects.push_back({Effect::BarMin, 0, {}});
        out_.effects.push_back({Effect::BarMax, end_, {}});
        if (!sangria.isEmpty())
            out_.effects.push_back({Effect::Line, 0, sangria});
        const int f = rt::FreeFile();
        if (!rt::skipOnError([&] { rt::OpenForBinaryRead(f, path); }))
            return false;
        bool result = false;
        rt::endSilentlyOnError([&] { passes(f, agregar, result); });
        rt::Close(f);
        return result;
    }

    std::int64_t start() const { return start_; }
    std::int64_t end() const { return end_; }

  private:
    std::uint8_t at(int f, std::int64_t p) { return rt::GetByte(f, p); }

    // One step of the position: false when it passed the scan end or the pump ended the scan.
    bool step(std::int64_t& pos) {
        pos = pos + 1;
        return pos <= end_ && out_.pumpNow();
    }

    void passes(int f, bool agregar, bool& result) {
        std::int64_t pos = start_;
        while (pos < end_) {
            // Drive search.
            std::int64_t pathStart = 0;
            for (;;) {
                if (at(f, pos) == ':') {
                    pos = pos + 1;
                    if (at(f, pos) == '\\' && at(f, pos - 2) != 0) {
                        pathStart = pos - 2;
                        break;
                    }
                }
                if (!step(pos))
                    return;
            }
            // Extension search.
            std::int64_t last = 0;
            for (std::int64_t q = pos;; q = pos) {
                const std::uint8_t byte = at(f, q);
                if (byte == '.') {
                    rt::String group = QStringLiteral(".");
                    for (int k = 1; k <= 3; ++k)
                        group += rt::charFromByte(at(f, q + k));
                    group = rt::LCase(group);
                    if (group == ".mp3" || group == ".wav" || group == ".aif" || group == ".ogg" ||
                        group == ".fla") {
                        std::int64_t pathEnd = q + 3;
                        if (group == ".fla" && at(f, q + 4) != 0)
                            pathEnd = q + 4;
                        rt::String path;
                        for (std::int64_t k = pathStart; k <= pathEnd; ++k)
                            path += rt::charFromByte(at(f, k));
                        result = true;
                        if (!agregar)
                            return;
                        out_.effects.push_back({Effect::Line, 0, path});
                        last = q + 3;
                        break;
                    }
                }
                pos = q;
                if (!step(pos))
                    return;
                if (byte == 0 || q - pathStart + 1 >= kMaxCandidateChars) {
                    last = q;
                    break;
                }
            }
            out_.effects.push_back({Effect::BarValue, last + 1, {}});
            pos = last + 2;
            if (pos > end_)
                return;
        }
    }

    Recorder& out_;
    std::int64_t start_ = 0;
    std::int64_t end_ = 0;
};

} // namespace reference_scan
