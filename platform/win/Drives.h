#pragma once
// The drive table and the mapping between the system's Windows-style paths and host paths.
#include "platform/base/Text.h"

#include <QByteArray>
#include <QString>
#include <QStringList>
#include <sys/stat.h>
#include <vector>

namespace rt {

// GetDriveTypeA's codes.
enum DriveType : int {
    kDriveUnknown = 0,
    kDriveNoRootDir = 1,
    kDriveRemovable = 2,
    kDriveFixed = 3,
    kDriveRemote = 4,
    kDriveCdRom = 5,
    kDriveRamDisk = 6,
};

struct Drive {
    QChar letter;     // upper case, 'A'..'Z'
    QString hostRoot; // absolute host folder, no trailing '/' except for "/" itself
    int type = kDriveFixed;
};

// A path ends at its first NUL, as the C calls underneath read it. Every entry point of the path layer
// cuts its argument here first, so no check and no call below can see a different path.
String pathBeforeNul(const String& path);
QByteArray pathBeforeNul(const QByteArray& path);

// The table in use, sorted by letter: the one a test installed, or the host's (C: = "/", then the mounts
// under /media, /run/media and /mnt from D: on, then the links of $XDG_CONFIG_HOME/ondara/drives/), built
// on first use and again whenever the host's mounts change.
std::vector<Drive> driveTable();
// Builds a table from a mounts file (the /proc/self/mounts format) and a folder of "d:" -> target links.
// Links claim their letters first; mounts take the free ones from D: on, except a mount a link names.
// Types: remote for network file systems, CD-ROM for iso9660/udf, RAM disk for tmpfs/ramfs, removable
// for a disk the kernel marks removable (`sysRoot`/block/<disk>/removable) or a mount under /media or
// /run/media, fixed otherwise. A link takes the type of the mount its target lies on; a target on a
// network file system is taken as it is, never looked at.
std::vector<Drive> buildDriveTable(const QString& mountsFile, const QString& drivesFolder,
                                   const QString& sysRoot = QStringLiteral("/sys"));
void setDriveTableForTesting(std::vector<Drive> drives);
// Reads the host's mounts (for the host table and the pseudo file systems' mount points) from another
// file, and the kernel's block devices from another sys root, until resetDriveTable().
void setHostMountsForTesting(const QString& mountsFile, const QString& sysRoot);
// Forgets any installed table and test mounts; the next use rebuilds the table from the host.
void resetDriveTable();

// Mount points of pseudo file systems (proc, sysfs, devtmpfs, cgroup, ...), as host bytes. Folders there
// carry the system attribute, so no folder search enters them.
bool isPseudoFileSystemMount(const QByteArray& hostPath);
// The names in `hostFolder` (host bytes, no trailing "/") that are such mount points.
std::vector<QByteArray> pseudoFileSystemMountsIn(const QByteArray& hostFolder);

// "X:\a\b" -> host path. Components that do not exist exactly are matched without regard to case; ".."
// stops at the drive root; a trailing separator is kept. Names may carry HostNames.h escapes: open the
// result through hostBytes(). Unknown drive or relative path -> raise(kPathNotFound).
QString hostPathOf(const String& windowsPath);
// Host path -> "X:\..." through the drive whose root is the longest prefix; "" when no drive holds it.
String windowsPathOf(const QString& hostPath);

// For the file layer, which needs the host entry's lstat anyway: the mapped path as host bytes (no
// trailing "/"), whether it names a drive root, and the lstat of the entry when there is one.
struct HostLookup {
    QByteArray path;
    bool trailingSeparator = false;
    bool driveRoot = false;
    bool exists = false;
    struct stat info {};
};
HostLookup lookUpHostPath(const String& windowsPath);

// A Windows path taken apart: a copy of its drive and its components, with nothing shared with the
// table, so another thread may look it up. Repeated separators count as one; "." and ".." are resolved
// and never climb above the root. Unknown drive or relative path -> raise(kPathNotFound).
struct ParsedPath {
    Drive drive;
    QStringList components;
    bool trailingSeparator = false;
    int lookupDelayMs = 0; // the test stand-in for a drive that is slow to answer
};
ParsedPath parseWindowsPath(const String& windowsPath);
// Looks a parsed path up on the host, in time linear in its length. Touches no shared state.
HostLookup lookUpParsedPath(const ParsedPath& parsed);

// Test stand-in for a hung drive: every lookup on `letter` first waits this long (0: no wait).
void setLookupDelayForTesting(QChar letter, int milliseconds);

// "C:\" -> the drive's type; an unknown letter -> kDriveNoRootDir.
int GetDriveTypeA(const String& root);

} // namespace rt
