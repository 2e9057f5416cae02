#pragma once
// The user's folder of drive links ("d:" -> a folder), which adds or replaces drive letters.
#include "platform/win/Drives.h"
#include "platform/win/MountTable.h"

#include <QString>
#include <vector>

namespace rt::drives {

// "d:" -> target entries of the drives folder whose target is a folder; the type comes from the mount the
// target lies on.
std::vector<Drive> drivesFromFolder(const QString& drivesFolder, const std::vector<MountEntry>& mounts,
                                    const QString& sysRoot);
// $XDG_CONFIG_HOME/ondara/drives
QString defaultDrivesFolder();

} // namespace rt::drives
