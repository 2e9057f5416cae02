#include "platform/win/DrivesFolder.h"

#include "platform/win/DriveTable.h"

#include <QDir>
#include <QFileInfo>
#include <QStandardPaths>
#include <optional>

namespace rt::drives {
namespace {

bool isDriveLinkName(const QString& name) {
    return name.size() == 2 && name.at(1) == u':' && name.at(0).toUpper() >= u'A' &&
           name.at(0).toUpper() <= kLastLetter;
}

// Where a drives-folder entry leads. A link whose target lies on a network file system is taken as it is
// written: looking at it could hang on a dead server. Anything else is resolved and must be a folder.
std::optional<QString> driveTargetOf(const QFileInfo& entry, const std::vector<MountEntry>& mounts) {
    if (entry.isSymLink()) {
        const QString written = QDir::cleanPath(entry.symLinkTarget());
        const std::optional<MountEntry> mount = mountHolding(mounts, written);
        if (mount && isNetworkFileSystem(mount->fsType))
            return written;
    }
    const QString target = entry.canonicalFilePath();
    if (target.isEmpty() || !QFileInfo(target).isDir())
        return std::nullopt;
    return target;
}

} // namespace

std::vector<Drive> drivesFromFolder(const QString& drivesFolder, const std::vector<MountEntry>& mounts,
                                    const QString& sysRoot) {
    std::vector<Drive> drives;
    if (drivesFolder.isEmpty())
        return drives;
    const QFileInfoList entries =
        QDir(drivesFolder).entryInfoList(QDir::AllEntries | QDir::System | QDir::NoDotAndDotDot);
    for (const QFileInfo& entry : entries) {
        if (!isDriveLinkName(entry.fileName()))
            continue;
        const std::optional<QString> target = driveTargetOf(entry, mounts);
        if (!target)
            continue;
        const std::optional<MountEntry> mount = mountHolding(mounts, *target);
        drives.push_back(
            {entry.fileName().at(0).toUpper(), *target, mount ? typeOfMount(*mount, sysRoot) : kDriveFixed});
    }
    return drives;
}

QString defaultDrivesFolder() {
    return QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation) + "/ondara/drives";
}

} // namespace rt::drives
