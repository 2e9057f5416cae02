#include "platform/win/Drives.h"

#include "platform/base/Errors.h"
#include "platform/win/HostNames.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QStandardPaths>
#include <algorithm>
#include <chrono>
#include <climits>
#include <dirent.h>
#include <fcntl.h>
#include <map>
#include <mutex>
#include <optional>
#include <poll.h>
#include <sys/stat.h>
#include <thread>
#include <unistd.h>

namespace rt {
namespace {

constexpr char16_t kFirstMountLetter = u'D';
constexpr char16_t kLastLetter = u'Z';
const char* const kHostMountsFile = "/proc/self/mounts";
const char* const kHostSysRoot = "/sys";

struct MountEntry {
    QString device;
    QString mountPoint;
    QString fsType;
};

// ---------------------------------------------------------------- mount table

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

// Kernel interfaces mounted as folders: nothing a user keeps files in.
bool isPseudoFileSystem(const QString& fsType) {
    static const QStringList kPseudoTypes = {
        "proc",      "sysfs",       "devtmpfs", "devpts",     "cgroup", "cgroup2",  "tracefs",
        "debugfs",   "securityfs",  "pstore",   "bpf",        "mqueue", "configfs", "fusectl",
        "hugetlbfs", "binfmt_misc", "efivarfs", "rpc_pipefs", "nsfs"};
    return kPseudoTypes.contains(fsType);
}

// True when `path` is `folder` or lies below it (whole components only: /media/a is not below /media/ab).
bool isAtOrBelow(const QString& path, const QString& folder) {
    if (folder == QLatin1String("/"))
        return path.startsWith(u'/');
    return path == folder || (path.startsWith(folder) && path.at(folder.size()) == u'/');
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

// The mount a path lies on: the last-mounted entry with the longest mount point holding it.
std::optional<MountEntry> mountHolding(const std::vector<MountEntry>& mounts, const QString& path) {
    std::optional<MountEntry> best;
    for (const MountEntry& mount : mounts) {
        if (isAtOrBelow(path, mount.mountPoint) &&
            (!best || mount.mountPoint.size() >= best->mountPoint.size()))
            best = mount;
    }
    return best;
}

// Mount points under /media, /run/media and /mnt, once each (a later mount on the same point hides the
// earlier one), in mount order. Automount placeholders are not mounts of their own.
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

// ---------------------------------------------------------------- drives folder

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

// "d:" -> target entries of the drives folder whose target is a folder; the type comes from the mount the
// target lies on.
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

// ---------------------------------------------------------------- the table

void sortAndDeduplicate(std::vector<Drive>& drives) {
    // Later entries replace earlier ones with the same letter.
    std::stable_sort(drives.begin(), drives.end(),
                     [](const Drive& a, const Drive& b) { return a.letter < b.letter; });
    std::vector<Drive> unique;
    for (const Drive& drive : drives) {
        if (!unique.empty() && unique.back().letter == drive.letter)
            unique.back() = drive;
        else
            unique.push_back(drive);
    }
    drives = std::move(unique);
}

std::vector<Drive> buildFromMounts(const std::vector<MountEntry>& mounts, const QString& drivesFolder,
                                   const QString& sysRoot) {
    std::vector<Drive> linked = drivesFromFolder(drivesFolder, mounts, sysRoot);
    auto letterTaken = [&](char16_t letter) {
        return std::any_of(linked.begin(), linked.end(), [&](const Drive& d) { return d.letter == letter; });
    };
    auto rootLinked = [&](const QString& root) {
        return std::any_of(linked.begin(), linked.end(), [&](const Drive& d) { return d.hostRoot == root; });
    };
    std::vector<Drive> drives{{u'C', "/", kDriveFixed}};
    char16_t next = kFirstMountLetter;
    for (const MountEntry& mount : driveMounts(mounts)) {
        if (rootLinked(mount.mountPoint))
            continue;
        while (next <= kLastLetter && letterTaken(next))
            ++next;
        if (next > kLastLetter)
            break;
        drives.push_back({QChar(next++), mount.mountPoint, typeOfMount(mount, sysRoot)});
    }
    drives.insert(drives.end(), linked.begin(), linked.end());
    sortAndDeduplicate(drives);
    return drives;
}

QString defaultDrivesFolder() {
    return QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation) + "/ondara/drives";
}

// The host's mount table, read through one descriptor kept open: the kernel marks it when mounts change,
// so a drive plugged in while the program runs shows up without re-reading the table on every call.
class HostMounts {
  public:
    explicit HostMounts(QByteArray file = kHostMountsFile) : file_(std::move(file)) {}
    ~HostMounts() {
        if (fd_ >= 0)
            ::close(fd_);
    }
    HostMounts(const HostMounts&) = delete;
    HostMounts& operator=(const HostMounts&) = delete;
    bool changed() {
        if (fd_ < 0)
            return true;
        pollfd watch{fd_, POLLPRI, 0};
        return ::poll(&watch, 1, 0) > 0 && (watch.revents & (POLLPRI | POLLERR)) != 0;
    }
    QByteArray read() {
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

  private:
    QByteArray file_;
    int fd_ = -1;
};

struct TableState {
    std::mutex mutex;
    std::optional<std::vector<Drive>> testTable;
    std::vector<Drive> hostTable;
    bool hostTableBuilt = false;
    std::unique_ptr<HostMounts> hostMounts = std::make_unique<HostMounts>();
    QString sysRoot = kHostSysRoot;
    bool mountsRead = false;
    std::vector<MountEntry> mounts;
    std::vector<QByteArray> pseudoMounts; // host bytes
    std::map<char16_t, int> lookupDelays;
};

TableState& tableState() {
    static TableState state;
    return state;
}

// Caller holds the mutex. Re-reads the mounts when the kernel says they changed; the host table follows.
void refreshMounts(TableState& state) {
    if (state.mountsRead && !state.hostMounts->changed())
        return;
    state.mounts = parseMounts(state.hostMounts->read());
    state.mountsRead = true;
    state.pseudoMounts.clear();
    for (const MountEntry& mount : state.mounts) {
        if (isPseudoFileSystem(mount.fsType))
            state.pseudoMounts.push_back(hostBytes(mount.mountPoint));
    }
    state.hostTableBuilt = false;
}

// Caller holds the mutex.
const std::vector<Drive>& currentTable(TableState& state) {
    if (state.testTable)
        return *state.testTable;
    refreshMounts(state);
    if (!state.hostTableBuilt) {
        state.hostTable = buildFromMounts(state.mounts, defaultDrivesFolder(), state.sysRoot);
        state.hostTableBuilt = true;
    }
    return state.hostTable;
}

std::optional<Drive> driveOfLetter(QChar letter, int* lookupDelayMs = nullptr) {
    TableState& state = tableState();
    std::lock_guard lock(state.mutex);
    if (lookupDelayMs) {
        const auto delay = state.lookupDelays.find(letter.toUpper().unicode());
        *lookupDelayMs = delay == state.lookupDelays.end() ? 0 : delay->second;
    }
    for (const Drive& drive : currentTable(state)) {
        if (drive.letter == letter.toUpper())
            return drive;
    }
    return std::nullopt;
}

// ---------------------------------------------------------------- Windows path -> host path

bool isSeparator(QChar c) {
    return c == u'\\' || c == u'/';
}

bool hasDriveLetter(const QString& path) {
    return path.size() >= 2 && path.at(1) == u':' && path.at(0).toUpper() >= u'A' &&
           path.at(0).toUpper() <= kLastLetter;
}

// Appends in place: building a path component by component stays linear in its length.
void append(QByteArray& folder, const QByteArray& name) {
    if (!folder.endsWith('/'))
        folder += '/';
    folder += name;
}

// Whether a host entry name is `wanted` without regard to case. A name that is not UTF-8 is also tried
// in the Windows code page, the way such a name was most likely typed.
bool nameMatches(const QByteArray& entryName, const QString& wanted) {
    const QString decoded = hostString(entryName);
    if (decoded.compare(wanted, Qt::CaseInsensitive) == 0)
        return true;
    const bool validUtf8 = decoded.toUtf8() == entryName;
    return !validUtf8 && fromWindows1252(entryName).compare(wanted, Qt::CaseInsensitive) == 0;
}

// The entry of the open folder that is `wanted` without regard to case; several: the first in sorted order.
std::optional<QByteArray> findIgnoringCase(int folderFd, const QString& wanted) {
    const int listingFd = ::openat(folderFd, ".", O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (listingFd < 0)
        return std::nullopt;
    DIR* listing = ::fdopendir(listingFd);
    if (!listing) {
        ::close(listingFd);
        return std::nullopt;
    }
    std::optional<QByteArray> best;
    while (const dirent* entry = ::readdir(listing)) {
        const QByteArray name(entry->d_name);
        if (name == "." || name == ".." || !nameMatches(name, wanted))
            continue;
        if (!best || name < *best)
            best = name;
    }
    ::closedir(listing);
    return best;
}

// A descriptor that closes itself.
class Descriptor {
  public:
    explicit Descriptor(int fd = -1) : fd_(fd) {}
    ~Descriptor() { reset(); }
    Descriptor(const Descriptor&) = delete;
    Descriptor& operator=(const Descriptor&) = delete;
    int get() const { return fd_; }
    void reset(int fd = -1) {
        if (fd_ >= 0)
            ::close(fd_);
        fd_ = fd;
    }

  private:
    int fd_;
};

// Follows the components from the root, one folder descriptor at a time (so each step costs the
// component, not the path so far), matching each without regard to case when it is not there as typed.
// Fills `lookup.info` when the whole path exists.
void resolveComponents(const QByteArray& root, const QStringList& components, HostLookup& lookup) {
    QByteArray path = root;
    path.reserve(lookup.path.size() + components.size());
    Descriptor folder(::open(root.constData(), O_PATH | O_DIRECTORY | O_CLOEXEC));
    bool missing = folder.get() < 0; // once a folder is missing, nothing below it can be looked up
    for (qsizetype i = 0; i < components.size(); ++i) {
        QByteArray name = hostBytes(components[i]);
        if (!missing && ::fstatat(folder.get(), name.constData(), &lookup.info, AT_SYMLINK_NOFOLLOW) != 0) {
            const std::optional<QByteArray> found = findIgnoringCase(folder.get(), components[i]);
            missing =
                !found || ::fstatat(folder.get(), found->constData(), &lookup.info, AT_SYMLINK_NOFOLLOW) != 0;
            if (found)
                name = *found;
        }
        if (!missing && i + 1 < components.size()) {
            // Links along the way are followed, as the host's own lookup of the path would.
            folder.reset(::openat(folder.get(), name.constData(), O_PATH | O_DIRECTORY | O_CLOEXEC));
            missing = folder.get() < 0;
        }
        append(path, name);
    }
    lookup.path = path;
    lookup.exists = !missing;
}

} // namespace

std::vector<Drive> driveTable() {
    TableState& state = tableState();
    std::lock_guard lock(state.mutex);
    return currentTable(state);
}

String pathBeforeNul(const String& path) {
    const qsizetype nul = path.indexOf(QChar(0));
    return nul < 0 ? path : path.left(nul);
}

QByteArray pathBeforeNul(const QByteArray& path) {
    const qsizetype nul = path.indexOf('\0');
    return nul < 0 ? path : path.left(nul);
}

std::vector<Drive> buildDriveTable(const QString& mountsFile, const QString& drivesFolder,
                                   const QString& sysRoot) {
    QFile file(mountsFile);
    const QByteArray text = file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
    return buildFromMounts(parseMounts(text), drivesFolder, sysRoot);
}

void setDriveTableForTesting(std::vector<Drive> drives) {
    for (Drive& drive : drives) {
        drive.letter = drive.letter.toUpper();
        drive.hostRoot = QDir::cleanPath(drive.hostRoot);
    }
    sortAndDeduplicate(drives);
    TableState& state = tableState();
    std::lock_guard lock(state.mutex);
    state.testTable = std::move(drives);
}

void setHostMountsForTesting(const QString& mountsFile, const QString& sysRoot) {
    TableState& state = tableState();
    std::lock_guard lock(state.mutex);
    state.hostMounts = std::make_unique<HostMounts>(QFile::encodeName(mountsFile));
    state.sysRoot = sysRoot;
    state.mountsRead = false;
    state.hostTableBuilt = false;
}

void resetDriveTable() {
    TableState& state = tableState();
    std::lock_guard lock(state.mutex);
    state.testTable.reset();
    state.hostTable.clear();
    state.hostTableBuilt = false;
    state.hostMounts = std::make_unique<HostMounts>();
    state.sysRoot = kHostSysRoot;
    state.mountsRead = false;
    state.lookupDelays.clear();
}

bool isPseudoFileSystemMount(const QByteArray& hostPath) {
    TableState& state = tableState();
    std::lock_guard lock(state.mutex);
    refreshMounts(state);
    return std::find(state.pseudoMounts.begin(), state.pseudoMounts.end(), hostPath) !=
           state.pseudoMounts.end();
}

std::vector<QByteArray> pseudoFileSystemMountsIn(const QByteArray& hostFolder) {
    TableState& state = tableState();
    std::lock_guard lock(state.mutex);
    refreshMounts(state);
    std::vector<QByteArray> names;
    for (const QByteArray& point : state.pseudoMounts) {
        const qsizetype slash = point.lastIndexOf('/');
        const QByteArray parent = slash == 0 ? QByteArray("/") : point.left(slash);
        if (slash >= 0 && parent == hostFolder)
            names.push_back(point.mid(slash + 1));
    }
    return names;
}

void setLookupDelayForTesting(QChar letter, int milliseconds) {
    TableState& state = tableState();
    std::lock_guard lock(state.mutex);
    state.lookupDelays[letter.toUpper().unicode()] = milliseconds;
}

ParsedPath parseWindowsPath(const String& fullPath) {
    const QString windowsPath = pathBeforeNul(fullPath);
    if (!hasDriveLetter(windowsPath))
        raise(kPathNotFound, "path not found: " + windowsPath.toStdString());
    int delay = 0;
    const std::optional<Drive> drive = driveOfLetter(windowsPath.at(0), &delay);
    if (!drive)
        raise(kPathNotFound, "no drive " + windowsPath.left(2).toStdString());
    ParsedPath parsed{*drive, {}, windowsPath.size() > 2 && isSeparator(windowsPath.back()), delay};
    // "X:name" is relative to the drive's current folder, which is always its root here. Empty parts
    // (repeated separators) count as none, as on Windows.
    const QString rest = windowsPath.mid(2).replace(u'/', u'\\');
    for (const QStringView part : QStringView(rest).split(u'\\', Qt::SkipEmptyParts)) {
        if (part == u".")
            continue;
        if (part == u"..") {
            if (!parsed.components.isEmpty())
                parsed.components.removeLast();
            continue;
        }
        parsed.components.append(part.toString());
    }
    return parsed;
}

HostLookup lookUpParsedPath(const ParsedPath& parsed) {
    if (parsed.lookupDelayMs > 0)
        std::this_thread::sleep_for(std::chrono::milliseconds(parsed.lookupDelayMs));
    const QByteArray root = hostBytes(parsed.drive.hostRoot);
    HostLookup lookup;
    lookup.trailingSeparator = parsed.trailingSeparator;
    lookup.driveRoot = parsed.components.isEmpty();
    lookup.path = root;
    for (const QString& component : parsed.components)
        append(lookup.path, hostBytes(component));
    // Most paths exist as typed: one lstat answers them. Longer ones than the host takes at once are
    // walked folder by folder.
    lookup.exists = lookup.path.size() < PATH_MAX && ::lstat(lookup.path.constData(), &lookup.info) == 0;
    if (!lookup.exists)
        resolveComponents(root, parsed.components, lookup);
    return lookup;
}

HostLookup lookUpHostPath(const String& windowsPath) {
    return lookUpParsedPath(parseWindowsPath(windowsPath));
}

QString hostPathOf(const String& windowsPath) {
    const HostLookup lookup = lookUpHostPath(windowsPath);
    QByteArray path = lookup.path;
    if (lookup.trailingSeparator && !path.endsWith('/'))
        path += '/';
    return hostString(path);
}

String windowsPathOf(const QString& fullHostPath) {
    const QString hostPath = pathBeforeNul(fullHostPath);
    if (hostPath.isEmpty())
        return {};
    const QString path = QDir::cleanPath(QDir::current().absoluteFilePath(hostPath));
    const bool trailingSeparator = hostPath.size() > 1 && hostPath.endsWith(u'/');
    std::optional<Drive> best;
    for (const Drive& drive : driveTable()) {
        if (isAtOrBelow(path, drive.hostRoot) && (!best || drive.hostRoot.size() > best->hostRoot.size()))
            best = drive;
    }
    if (!best)
        return {};
    QString rest = path.mid(best->hostRoot.size());
    if (rest.startsWith(u'/'))
        rest.remove(0, 1);
    rest.replace(u'/', u'\\');
    if (trailingSeparator && !rest.isEmpty())
        rest += u'\\';
    return QString(best->letter) + ":\\" + rest;
}

int GetDriveTypeA(const String& fullRoot) {
    const QString root = pathBeforeNul(fullRoot);
    const bool isRoot =
        hasDriveLetter(root) && (root.size() == 2 || (root.size() == 3 && isSeparator(root.at(2))));
    if (!isRoot)
        return kDriveNoRootDir;
    const std::optional<Drive> drive = driveOfLetter(root.at(0));
    return drive ? drive->type : kDriveNoRootDir;
}

} // namespace rt
