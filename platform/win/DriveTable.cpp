#include "platform/win/DriveTable.h"

#include "platform/win/DrivesFolder.h"
#include "platform/win/HostNames.h"
#include "platform/win/MountTable.h"

#include <QDir>
#include <QFile>
#include <algorithm>
#include <map>
#include <memory>
#include <mutex>

namespace rt {
namespace drives {
namespace {

constexpr char16_t kFirstMountLetter = u'D';
const char* const kHostSysRoot = "/sys";

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

} // namespace

std::optional<Drive> driveOfLetter(QChar letter, int* lookupDelayMs) {
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

} // namespace drives

using namespace drives;

std::vector<Drive> driveTable() {
    TableState& state = tableState();
    std::lock_guard lock(state.mutex);
    return currentTable(state);
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

} // namespace rt
