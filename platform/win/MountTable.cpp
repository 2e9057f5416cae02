#include "platform/win/MountTable.h"

#include "platform/win/Drives.h"
#include "platform/win/HostNames.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QStringList>
#include <algorithm>
#include <fcntl.h>
#include <poll.h>
#include <unistd.h>

namespace rt::drives {
namespace {

// Mount points escape blanks, tabs, newlines and backslashes as three octal digits.
QString unescapeMountField(const QByteArray& field) {
    QByteArray bytes;
    bytes.reserve(field.size());
    for (qsizetype i = 0; i < field.size(); ++i) {
        const bool octal = field[i] == '\\' && i + 3 < field.size() && field[i + 1] >= '0' &&
                           field[i + 1] <= '3' && field[i + 2] >= '0' && field[i + 2] <= '7' &&
                           field[i + 3] >= '0' && field[i + 3] <= '7';
        if (!octal) {
            bytes += field[i];
            continue;
        }
        bytes += char(((field[i + 1] - '0') << 6) | ((field[i + 2] - '0') << 3) | (field[i + 3] - '0'));
        i += 3;
    }
    return hostString(bytes);
}

bool isRemovableLocation(const QString& mountPoint) {
    return isAtOrBelow(mountPoint, "/media") || isAtOrBelow(mountPoint, "/run/media");
}

QByteArray firstLineOf(const QString& file) {
    QFile input(file);
    return input.open(QIODevice::ReadOnly) ? input.readLine().trimmed() : QByteArray();
}

// The disk under a block device name: the disk itself, or the disk whose folder holds the partition
// (sysfs lists sdb1 as <sysRoot>/block/sdb/sdb1).
QString diskOf(const QString& sysRoot, const QString& deviceName) {
    const QDir block(sysRoot + "/block");
    if (deviceName.isEmpty())
        return {};
    if (block.exists(deviceName))
        return deviceName;
    for (const QString& disk : block.entryList(QDir::Dirs | QDir::NoDotAndDotDot | QDir::System)) {
        if (QFileInfo(block.filePath(disk + '/' + deviceName)).isDir())
            return disk;
    }
    return {};
}

// The kernel's removable flag of the disk a mounted block device belongs to.
bool kernelMarksRemovable(const MountEntry& mount, const QString& sysRoot) {
    if (!mount.device.startsWith(QLatin1String("/dev/")))
        return false;
    // Devices are often named through links (/dev/disk/by-uuid/..., /dev/mapper/...): take the node.
    const QString node = QFileInfo(mount.device).canonicalFilePath();
    const QString disk = diskOf(sysRoot, QFileInfo(node.isEmpty() ? mount.device : node).fileName());
    return !disk.isEmpty() && firstLineOf(sysRoot + "/block/" + disk + "/removable") == "1";
}

} // namespace

std::vector<MountEntry> parseMounts(const QByteArray& text) {
    std::vector<MountEntry> mounts;
    for (const QByteArray& line : text.split('\n')) {
        const QList<QByteArray> fields = line.split(' ');
        if (fields.size() < 3)
            continue;
        mounts.push_back({unescapeMountField(fields[0]), QDir::cleanPath(unescapeMountField(fields[1])),
                          QString::fromUtf8(fields[2])});
    }
    return mounts;
}

bool isNetworkFileSystem(const QString& fsType) {
    static const QStringList kNetworkTypes = {"nfs",   "nfs4",  "cifs",   "smb3",    "smbfs",
                                              "sshfs", "9p",    "afs",    "ceph",    "glusterfs",
                                              "davfs", "ncpfs", "lustre", "virtiofs"};
    // A FUSE mount is typed by the program behind it; these reach other machines.
    static const QStringList kNetworkFuse = {"sshfs",      "ceph",     "glusterfs", "davfs2", "s3fs",
                                             "rclone",     "smbnetfs", "curlftpfs", "goofys", "gcsfuse",
                                             "gvfsd-fuse", "juicefs",  "httpdirfs", "afpfs"};
    const QLatin1String fusePrefix("fuse.");
    return kNetworkTypes.contains(fsType) ||
           (fsType.startsWith(fusePrefix) && kNetworkFuse.contains(fsType.mid(fusePrefix.size())));
}

bool isPseudoFileSystem(const QString& fsType) {
    static const QStringList kPseudoTypes = {
        "proc",      "sysfs",       "devtmpfs", "devpts",     "cgroup", "cgroup2",  "tracefs",
        "debugfs",   "securityfs",  "pstore",   "bpf",        "mqueue", "configfs", "fusectl",
        "hugetlbfs", "binfmt_misc", "efivarfs", "rpc_pipefs", "nsfs"};
    return kPseudoTypes.contains(fsType);
}

bool isAtOrBelow(const QString& path, const QString& folder) {
    if (folder == QLatin1String("/"))
        return path.startsWith(u'/');
    return path == folder || (path.startsWith(folder) && path.at(folder.size()) == u'/');
}

int typeOfMount(const MountEntry& mount, const QString& sysRoot) {
    if (isNetworkFileSystem(mount.fsType))
        return kDriveRemote;
    if (mount.fsType == QLatin1String("iso9660") || mount.fsType == QLatin1String("udf"))
        return kDriveCdRom;
    if (mount.fsType == QLatin1String("tmpfs") || mount.fsType == QLatin1String("ramfs"))
        return kDriveRamDisk;
    const bool removable = isRemovableLocation(mount.mountPoint) || kernelMarksRemovable(mount, sysRoot);
    return removable ? kDriveRemovable : kDriveFixed;
}

std::optional<MountEntry> mountHolding(const std::vector<MountEntry>& mounts, const QString& path) {
    std::optional<MountEntry> best;
    for (const MountEntry& mount : mounts) {
        if (isAtOrBelow(path, mount.mountPoint) &&
            (!best || mount.mountPoint.size() >= best->mountPoint.size()))
            best = mount;
    }
    return best;
}

std::vector<MountEntry> driveMounts(const std::vector<MountEntry>& mounts) {
    std::vector<MountEntry> result;
    for (const MountEntry& mount : mounts) {
        const QString& point = mount.mountPoint;
        const bool candidate = point != QLatin1String("/media") && point != QLatin1String("/run/media") &&
                               point != QLatin1String("/mnt") &&
                               (isRemovableLocation(point) || isAtOrBelow(point, "/mnt"));
        if (!candidate || mount.fsType == QLatin1String("autofs"))
            continue;
        auto same = std::find_if(result.begin(), result.end(),
                                 [&](const MountEntry& seen) { return seen.mountPoint == point; });
        if (same != result.end())
            *same = mount;
        else
            result.push_back(mount);
    }
    return result;
}

HostMounts::~HostMounts() {
    if (fd_ >= 0)
        ::close(fd_);
}

bool HostMounts::changed() {
    if (fd_ < 0)
        return true;
    pollfd watch{fd_, POLLPRI, 0};
    return ::poll(&watch, 1, 0) > 0 && (watch.revents & (POLLPRI | POLLERR)) != 0;
}

QByteArray HostMounts::read() {
    if (fd_ < 0)
        fd_ = ::open(file_.constData(), O_RDONLY | O_CLOEXEC);
    QByteArray text;
    if (fd_ < 0 || ::lseek(fd_, 0, SEEK_SET) != 0)
        return text;
    char chunk[4096];
    for (ssize_t n; (n = ::read(fd_, chunk, sizeof chunk)) > 0;)
        text.append(chunk, n);
    return text;
}

} // namespace rt::drives
