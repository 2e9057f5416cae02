#pragma once
// The playlist's lines, its only data: the kinds every writer writes and the two rules readers use.
#include "platform/base/Text.h"

#include <cstdint>

namespace playlist::lines {

// 64 "-": around a dropped project's header and at the end of every drop.
rt::String longSeparator();
// 35 "-": around the header of a project the folder search found.
rt::String shortSeparator();
// "3 --> D:\a.vip".
rt::String projectHeader(std::int32_t number, const rt::String& projectPath);
// " ": before a project's paths, and before the "Audios extra" line.
rt::String indentLine();
// 26 "-", " Audios extra ", 39 "-".
rt::String audiosExtraLine();

// Whether a line has the project header's form ("n --> path"), and the path such a line names: the text
// after its first ">", leading blanks removed.
bool isProjectHeader(const rt::String& line);
rt::String pathOfProjectHeader(const rt::String& line);

// A click reads a line by its last three characters, lower-cased.
enum class Kind { Separator, ProjectHeader, Indent, Audio };
Kind kindOf(const rt::String& line);

// The counts read lines by content: an audio file holds "mp3", "wav", "aif", "m4a" or "wma" anywhere
// (lower-cased); a project holds "->".
bool countsAsAudio(const rt::String& line);
bool countsAsProject(const rt::String& line);

} // namespace playlist::lines
