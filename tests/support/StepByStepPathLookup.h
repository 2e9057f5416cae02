#pragma once
// The path lookup written out literally, one step per component on the whole prefix (quadratic, and
// limited to paths the host takes in one call): the reference the linear lookup is checked against.
#include "platform/base/Text.h"
#include "platform/win/HostNames.h"

#include <QByteArray>
#include <QString>
#include <QStringList>
#include <dirent.h>
#include <optional>
#include <sys/stat.h>

namespace testing_support {

struct StepByStepLookup {
    bool parsed = false; // a drive letter followed
    QByteArray path;
    bool exists = false;
    struct stat info {};
};

namespace step_by_step {

inline bool nameMatches(const QByteArray& entryName, const QString& wanted) {
    const QString decoded = rt::hostString(entryName);
    if (decoded.compare(wanted, Qt::CaseInsensitive) == 0)
        return true;
    const bool validUtf8 = decoded.toUtf8() == entryName;
    return !validUtf8 && rt::fromWindows1252(entryName).compare(wanted, Qt::CaseInsensitive) == 0;
}

inline std::optional<QByteArray> findIgnoringCase(const QByteArray& folder, const QString& wanted) {
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

inline QByteArray joined(const QByteArray& folder, const QByteArray& name) {
    return folder.endsWith('/') ? folder + name : folder + '/' + name;
}

} // namespace step_by_step

// `windowsPath` on the drive whose letter is `letter` and whose host folder is `root`.
inline StepByStepLookup stepByStepLookup(QChar letter, const QByteArray& root, QString windowsPath) {
    using namespace step_by_step;
    StepByStepLookup lookup;
    // 1. The path ends at its first NUL.
    if (const qsizetype nul = windowsPath.indexOf(QChar(0)); nul >= 0)
        windowsPath.truncate(nul);
    // 2. The drive.
    if (windowsPath.size() < 2 || windowsPath.at(1) != u':' ||
        windowsPath.at(0).toUpper() != letter.toUpper())
        return lookup;
    lookup.parsed = true;
    // 3. The components: separators either way, empty parts and "." skipped, ".." one up but not above.
    QStringList components;
    for (const QString& part : windowsPath.mid(2).replace(u'/', u'\\').split(u'\\')) {
        if (part.isEmpty() || part == ".")
            continue;
        if (part == "..") {
            if (!components.isEmpty())
                components.removeLast();
            continue;
        }
        components.append(part);
    }
    // 4. Each component on the prefix so far: as typed, else the first caseless match in sorted order;
    // below a missing one, as typed.
    QByteArray path = root;
    bool missing = false;
    for (const QString& component : components) {
        const QByteArray typed = rt::hostBytes(component);
        struct stat info;
        if (missing || ::lstat(joined(path, typed).constData(), &info) == 0) {
            path = joined(path, typed);
            continue;
        }
        const std::optional<QByteArray> found = findIgnoringCase(path, component);
        missing = !found;
        path = joined(path, found ? *found : typed);
    }
    // 5. The entry itself, not followed.
    lookup.path = path;
    lookup.exists = !missing && ::lstat(path.constData(), &lookup.info) == 0;
    return lookup;
}

} // namespace testing_support
