#pragma once
// The drive table and the mapping between the system's Windows-style paths and host paths.
#include "platform/runtime/Text.h"

#include <QByteArray>
#include <QString>
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

// The table in use, sorted by letter: the one a test installed, or the host's (C: = "/", then the mounts
// under /media, /run/media and /mnt from D: on, then the links of $XDG_CONFIG_HOME/ondara/drives/), built
// on first use and again whenever the host's mounts change.
std::vector<Drive> driveTable();
// Builds a table from a mounts file (the /proc/self/mounts format) and a folder of "d:" -> target links.
// Links claim their letters first; mounts take the free ones from D: on, except a mount a link names.
std::vector<Drive> buildDriveTable(const QString& mountsFile, const QString& drivesFolder);
void setDriveTableForTesting(std::vector<Drive> drives);
// Forgets any installed table; the next use rebuilds it from the host.
void resetDriveTable();

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

// "C:\" -> the drive's type; an unknown letter -> kDriveNoRootDir.
int GetDriveTypeA(const String& root);

} // namespace rt
