#pragma once
// The runtime's file services on host files: attributes, the one global directory listing (`Dir`), file
// lengths and file titles. Paths are the system's Windows-style paths, mapped through the drive table.
#include "platform/base/Text.h"

#include <QString>
#include <cstdint>

namespace rt {

// The attribute bits the system tests.
enum FileAttribute : int {
    kAttrNormal = 0,
    kAttrReadOnly = 1,
    kAttrHidden = 2,
    kAttrSystem = 4,
    kAttrVolume = 8,
    kAttrDirectory = 16,
    kAttrArchive = 32,
    kAttrReparsePoint = 0x400,
};

// Folder 16; symbolic link 0x400 (never followed, so a link to a folder is not a folder); read-only 1 for
// a regular file the user cannot write; system 4 for anything neither a regular file nor a folder; hidden 2
// added for names starting with ".". Plain files are 0: the archive bit is never set.
// Unknown drive or relative path: kPathNotFound; nothing there: kFileNotFound.
int GetAttr(const String& windowsPath);

// Starts a new listing (discarding the previous one) and returns its first name, "" when it is empty.
// The last component is a pattern with the runtime's wildcards ("*", "*.*", "*.vip", "?"), without regard
// to case; a path ending in "\" lists everything. An entry named exactly as the last component (a Linux
// name may hold "*" or "?") is the listing on its own, or none when its attributes are refused.
// Normal files are always listed; hidden, system and folders only when their bit is in `attributes`;
// "." and ".." are folders (a drive root has none).
// The names are taken when the listing starts, sorted by name without regard to case.
// A missing or unreadable folder, an unknown drive or a relative path give an empty listing.
String Dir(const String& pathPattern, int attributes = kAttrNormal);
// The next name of the current listing; "" at its end and after. kInvalidProcedureCall when no listing
// was ever started.
String Dir();

// Bytes in the file (following a link). Unknown drive: kPathNotFound; missing: kFileNotFound.
std::int64_t FileLen(const String& windowsPath);

// The runtime's existence test: a directory lookup of the path among ordinary files. Folders, hidden and
// system files count as missing; so does anything on a drive that cannot be looked at. Leaves the global
// listing alone.
bool existsAsOrdinaryFile(const String& windowsPath);

// A search over several drives (the moved-file search). While one lives, a remote drive whose lookup
// missed its deadline counts as absent without being asked again. Scopes nest; the outermost ends it.
class DriveSearchScope {
  public:
    DriveSearchScope();
    ~DriveSearchScope();
    DriveSearchScope(const DriveSearchScope&) = delete;
    DriveSearchScope& operator=(const DriveSearchScope&) = delete;
};

// Writes the file's title (its last component, with NUL after it) at the start of `buffer`. The
// extension is always kept: no shell setting hides it here. Returns 0, or the size needed (title plus
// NUL) when `bufferSize` is too small (the buffer is then untouched), or -1 for an invalid name (empty,
// ending in a separator or ":", or holding wildcards or characters Windows names cannot hold).
int GetFileTitleA(const String& path, QString& buffer, int bufferSize);

// The runtime's wildcard match of a file name against a pattern, without regard to case: "?" is one
// character (or none at the end of a name part), "*." matches names without extension, "*.*" everything.
bool matchesWildcard(const QString& pattern, const QString& name);

} // namespace rt
