#pragma once
// The host's mount table as the drive table reads it: the entries of the mounts file, the kind of file
// system each holds, and the mount points that become drives.
#include <QByteArray>
#include <QString>
#include <optional>
#include <vector>

namespace rt::drives {

inline const char* const kHostMountsFile = "/proc/self/mounts";

struct MountEntry {
    QString device;
    QString mountPoint;
    QString fsType;
};

std::vector<MountEntry> parseMounts(const QByteArray& text);
bool isNetworkFileSystem(const QString& fsType);
// Kernel interfaces mounted as folders: nothing a user keeps files in.
bool isPseudoFileSystem(const QString& fsType);
// True when `path` is `folder` or lies below it (whole components only: /media/a is not below /media/ab).
bool isAtOrBelow(const QString& path, const QString& folder);
int typeOfMount(const MountEntry& mount, const QString& sysRoot);
// The mount a path lies on: the last-mounted entry with the longest mount point holding it.
std::optional<MountEntry> mountHolding(const std::vector<MountEntry>& mounts, const QString& path);
// Mount points under /media, /run/media and /mnt, once each (a later mount on the same point hides the
// earlier one), in mount order. Automount placeholders are not mounts of their own.
std::vector<MountEntry> driveMounts(const std::vector<MountEntry>& mounts);

// The host's mount table, read through one descriptor kept open: the kernel marks it when mounts change,
// so a drive plugged in while the program runs shows up without re-reading the table on every call.
class HostMounts {
  public:
    explicit HostMounts(QByteArray file = kHostMountsFile) : file_(std::move(file)) {}
    ~HostMounts();
    HostMounts(const HostMounts&) = delete;
    HostMounts& operator=(const HostMounts&) = delete;
    bool changed();
    QByteArray read();

  private:
    QByteArray file_;
    int fd_ = -1;
};

} // namespace rt::drives
