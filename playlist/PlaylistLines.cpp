#include "playlist/PlaylistLines.h"

namespace playlist::lines {

namespace {
constexpr int kLongDashes = 64;
constexpr int kShortDashes = 35;
constexpr int kTailLength = 3;
} // namespace

rt::String longSeparator() {
    return rt::String(kLongDashes, u'-');
}

rt::String shortSeparator() {
    return rt::String(kShortDashes, u'-');
}

rt::String projectHeader(std::int32_t number, const rt::String& projectPath) {
    return rt::String::number(number) + " --> " + projectPath;
}

rt::String indentLine() {
    return QStringLiteral(" ");
}

rt::String audiosExtraLine() {
    return QStringLiteral("-------------------------- Audios extra ---------------------------------------");
}

bool isProjectHeader(const rt::String& line) {
    static const rt::String kArrow = QStringLiteral(" --> ");
    qsizetype digits = 0;
    while (digits < line.size() && line.at(digits) >= u'0' && line.at(digits) <= u'9')
        ++digits;
    return digits > 0 && QStringView(line).sliced(digits).startsWith(kArrow);
}

rt::String pathOfProjectHeader(const rt::String& line) {
    return rt::LTrim(rt::Mid(line, rt::InStr(1, line, QStringLiteral(">")) + 1));
}

Kind kindOf(const rt::String& line) {
    const rt::String tail = rt::LCase(rt::Right(line, kTailLength));
    if (tail.contains(QStringLiteral("---")))
        return Kind::Separator;
    if (tail == QStringLiteral("vip"))
        return Kind::ProjectHeader;
    if (tail == QStringLiteral(" "))
        return Kind::Indent;
    return Kind::Audio;
}

bool countsAsAudio(const rt::String& line) {
    const rt::String lower = rt::LCase(line);
    for (const char* extension : {"mp3", "wav", "aif", "m4a", "wma"})
        if (lower.contains(QLatin1String(extension)))
            return true;
    return false;
}

bool countsAsProject(const rt::String& line) {
    return line.contains(QStringLiteral("->"));
}

} // namespace playlist::lines
