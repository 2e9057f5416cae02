#include "platform/win/Drives.h"

#include "platform/runtime/Errors.h"
#include "platform/win/HostNames.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QStandardPaths>
#include <algorithm>
#include <dirent.h>
#include <fcntl.h>
#include <mutex>
#include <optional>
#include <poll.h>
#include <sys/stat.h>
#include <unistd.h>

namespace rt {
namespace {

constexpr char16_t kFirstMountLetter = u'D';
constexpr char16_t kLastLetter = u'Z';
const char* const kHostMountsFile = "/proc/self/mounts";

struct MountEntry {
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
        mounts.push_back({QDir::cleanPath(unescapeMountField(fields[1])), QString::fromUtf8(fields[2])});
    }
    return mounts;
}

bool isNetworkFileSystem(const QString& fsType) {
    static const QStringList kNetworkTypes = {
        "nfs",   "nfs4",      "cifs",        "smb3",          "smbfs",          "sshfs",  "fuse.sshfs",
        "9p",    "afs",       "ceph",        "fuse.ceph",     "fuse.glusterfs", "davfs",  "fuse.davfs2",
        "ncpfs", "fuse.s3fs", "fuse.rclone", "fuse.smbnetfs", "fuse.curlftpfs", "lustre", "virtiofs"};
    return kNetworkTypes.contains(fsType);
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

int typeOfMount(const MountEntry& mount) {
    if (isNetworkFileSystem(mount.fsType))
        return kDriveRemote;
    if (mount.fsType == QLatin1String("iso9660") || mount.fsType == QLatin1String("udf"))
        return kDriveCdRom;
    if (mount.fsType == QLatin1String("tmpfs") || mount.fsType == QLatin1String("ramfs"))
        return kDriveRamDisk;
    return isRemovableLocation(mount.mountPoint) ? kDriveRemovable : kDriveFixed;
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

// "d:" -> target entries of the drives folder whose target is a folder; the type comes from the mount the
// target lies on.
std::vector<Drive> drivesFromFolder(const QString& drivesFolder, const std::vector<MountEntry>& mounts) {
    std::vector<Drive> drives;
    if (drivesFolder.isEmpty())
        return drives;
    const QFileInfoList entries =
        QDir(drivesFolder).entryInfoList(QDir::AllEntries | QDir::System | QDir::NoDotAndDotDot);
    for (const QFileInfo& entry : entries) {
        const QString target = entry.canonicalFilePath();
        if (!isDriveLinkName(entry.fileName()) || target.isEmpty() || !QFileInfo(target).isDir())
            continue;
        const std::optional<MountEntry> mount = mountHolding(mounts, target);
        drives.push_back(
            {entry.fileName().at(0).toUpper(), target, mount ? typeOfMount(*mount) : kDriveFixed});
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

std::vector<Drive> buildFromMountsText(const QByteArray& mountsText, const QString& drivesFolder) {
    const std::vector<MountEntry> mounts = parseMounts(mountsText);
    std::vector<Drive> linked = drivesFromFolder(drivesFolder, mounts);
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
        drives.push_back({QChar(next++), mount.mountPoint, typeOfMount(mount)});
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
    ~HostMounts() {
        if (fd_ >= 0)
            ::close(fd_);
    }
    bool changed() {
        if (fd_ < 0)
            return true;
        pollfd watch{fd_, POLLPRI, 0};
        return ::poll(&watch, 1, 0) > 0 && (watch.revents & (POLLPRI | POLLERR)) != 0;
    }
    QByteArray read() {
        if (fd_ < 0)
            fd_ = ::open(kHostMountsFile, O_RDONLY | O_CLOEXEC);
        QByteArray text;
        if (fd_ < 0 || ::lseek(fd_, 0, SEEK_SET) != 0)
            return text;
        char chunk[4096];
        for (ssize_t n; (n = ::read(fd_, chunk, sizeof chunk)) > 0;)
            text.append(chunk, n);
        return text;
    }

  private:
    int fd_ = -1;
};

struct TableState {
    std::mutex mutex;
    std::optional<std::vector<Drive>> testTable;
    std::vector<Drive> hostTable;
    HostMounts hostMounts;
};

TableState& tableState() {
    static TableState state;
    return state;
}

// Caller holds the mutex.
const std::vector<Drive>& currentTable(TableState& state) {
    if (state.testTable)
        return *state.testTable;
    if (state.hostTable.empty() || state.hostMounts.changed())
        state.hostTable = buildFromMountsText(state.hostMounts.read(), defaultDrivesFolder());
    return state.hostTable;
}

std::optional<Drive> driveOfLetter(QChar letter) {
    TableState& state = tableState();
    std::lock_guard lock(state.mutex);
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

struct ParsedPath {
    Drive drive;
    QStringList components; // "." and ".." already resolved, never above the root
    bool trailingSeparator = false;
};

ParsedPath parseWindowsPath(const QString& windowsPath) {
    if (!hasDriveLetter(windowsPath))
        raise(kPathNotFound, "path not found: " + windowsPath.toStdString());
    const std::optional<Drive> drive = driveOfLetter(windowsPath.at(0));
    if (!drive)
        raise(kPathNotFound, "no drive " + windowsPath.left(2).toStdString());
    ParsedPath parsed{*drive, {}, windowsPath.size() > 2 && isSeparator(windowsPath.back())};
    // "X:name" is relative to the drive's current folder, which is always its root here.
    const QString rest = windowsPath.mid(2).replace(u'/', u'\\');
    for (const QString& part : rest.split(u'\\')) {
        if (part.isEmpty() || part == QLatin1String("."))
            continue;
        if (part == QLatin1String("..")) {
            if (!parsed.components.isEmpty())
                parsed.components.removeLast();
            continue;
        }
        parsed.components.append(part);
    }
    return parsed;
}

QByteArray joined(const QByteArray& folder, const QByteArray& name) {
    return folder.endsWith('/') ? folder + name : folder + '/' + name;
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

// The entry of `folder` that is `wanted` without regard to case; several: the first in sorted order.
std::optional<QByteArray> findIgnoringCase(const QByteArray& folder, const QString& wanted) {
    DIR* listing = ::opendir(folder.constData());
    if (!listing)
        return std::nullopt;
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

// Follows the components from the root, matching each without regard to case when it is not there as
// typed. Fills `lookup.info` when the whole path exists.
void resolveComponents(const QByteArray& root, const QStringList& components, HostLookup& lookup) {
    QByteArray path = root;
    bool missing = false; // once a folder is missing, nothing below it can be looked up
    for (const QString& component : components) {
        const QByteArray typed = hostBytes(component);
        if (missing || ::lstat(joined(path, typed).constData(), &lookup.info) == 0) {
            path = joined(path, typed);
            continue;
        }
        const std::optional<QByteArray> found = findIgnoringCase(path, component);
        missing = !found;
        path = joined(path, found ? *found : typed);
    }
    lookup.path = path;
    lookup.exists = !missing && ::lstat(path.constData(), &lookup.info) == 0;
}

} // namespace

std::vector<Drive> driveTable() {
    TableState& state = tableState();
    std::lock_guard lock(state.mutex);
    return currentTable(state);
}

std::vector<Drive> buildDriveTable(const QString& mountsFile, const QString& drivesFolder) {
    QFile file(mountsFile);
    const QByteArray text = file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
    return buildFromMountsText(text, drivesFolder);
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

void resetDriveTable() {
    TableState& state = tableState();
    std::lock_guard lock(state.mutex);
    state.testTable.reset();
    state.hostTable.clear();
}

HostLookup lookUpHostPath(const String& windowsPath) {
    const ParsedPath parsed = parseWindowsPath(windowsPath);
    const QByteArray root = hostBytes(parsed.drive.hostRoot);
    HostLookup lookup;
    lookup.trailingSeparator = parsed.trailingSeparator;
    lookup.driveRoot = parsed.components.isEmpty();
    lookup.path = root;
    for (const QString& component : parsed.components)
        lookup.path = joined(lookup.path, hostBytes(component));
    // Most paths exist as typed: one lstat answers them.
    lookup.exists = ::lstat(lookup.path.constData(), &lookup.info) == 0;
    if (!lookup.exists)
        resolveComponents(root, parsed.components, lookup);
    return lookup;
}

QString hostPathOf(const String& windowsPath) {
    const HostLookup lookup = lookUpHostPath(windowsPath);
    QByteArray path = lookup.path;
    if (lookup.trailingSeparator && !path.endsWith('/'))
        path += '/';
    return hostString(path);
}

String windowsPathOf(const QString& hostPath) {
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

int GetDriveTypeA(const String& root) {
    const bool isRoot =
        hasDriveLetter(root) && (root.size() == 2 || (root.size() == 3 && isSeparator(root.at(2))));
    if (!isRoot)
        return kDriveNoRootDir;
    const std::optional<Drive> drive = driveOfLetter(root.at(0));
    return drive ? drive->type : kDriveNoRootDir;
}

} // namespace rt
