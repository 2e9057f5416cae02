#include "platform/win/Drives.h"

#include "platform/base/Errors.h"
#include "platform/win/DriveTable.h"
#include "platform/win/HostNames.h"
#include "platform/win/MountTable.h"

#include <QDir>
#include <chrono>
#include <climits>
#include <dirent.h>
#include <fcntl.h>
#include <optional>
#include <sys/stat.h>
#include <thread>
#include <unistd.h>

namespace rt {

using drives::driveOfLetter;
using drives::kLastLetter;

namespace {

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

String pathBeforeNul(const String& path) {
    const qsizetype nul = path.indexOf(QChar(0));
    return nul < 0 ? path : path.left(nul);
}

QByteArray pathBeforeNul(const QByteArray& path) {
    const qsizetype nul = path.indexOf('\0');
    return nul < 0 ? path : path.left(nul);
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
        if (drives::isAtOrBelow(path, drive.hostRoot) &&
            (!best || drive.hostRoot.size() > best->hostRoot.size()))
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
