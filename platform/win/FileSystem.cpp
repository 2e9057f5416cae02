#include "platform/win/FileSystem.h"

#include "platform/base/Errors.h"
#include "platform/win/Drives.h"
#include "platform/win/HostNames.h"

#include "platform/base/Events.h"

#include <algorithm>
#include <chrono>
#include <condition_variable>
#include <deque>
#include <dirent.h>
#include <fcntl.h>
#include <map>
#include <memory>
#include <mutex>
#include <optional>
#include <set>
#include <sys/stat.h>
#include <thread>
#include <unistd.h>
#include <vector>

namespace rt {
namespace {

constexpr int kFilteredBits = kAttrHidden | kAttrSystem | kAttrDirectory;
constexpr int kInvalidTitle = -1;

bool isSeparator(QChar c) {
    return c == u'\\' || c == u'/';
}

// ---------------------------------------------------------------- wildcards

// The runtime turns a pattern into these before matching: "?" never matches a dot; "*" right before a dot
// stops at the name's last dot; a dot before a wildcard or at the end may also match the end of the name.
enum class TokenKind { Literal, Star, StarToLastDot, AnyOrNone, DotOrEnd };

struct Token {
    TokenKind kind;
    QChar literal;
};

std::vector<Token> tokensOf(const QString& pattern) {
    std::vector<Token> tokens;
    for (qsizetype i = 0; i < pattern.size(); ++i) {
        const QChar c = pattern.at(i);
        const QChar next = i + 1 < pattern.size() ? pattern.at(i + 1) : QChar();
        if (c == u'?')
            tokens.push_back({TokenKind::AnyOrNone, c});
        else if (c == u'.' && (next.isNull() || next == u'?' || next == u'*'))
            tokens.push_back({TokenKind::DotOrEnd, c});
        else if (c == u'*')
            tokens.push_back({next == u'.' ? TokenKind::StarToLastDot : TokenKind::Star, c});
        else
            tokens.push_back({TokenKind::Literal, c.toCaseFolded()});
    }
    return tokens;
}

// Whether tokens[p..] match name[n..], given the answers for p + 1 and for (p, n + 1).
bool tokenMatches(const Token& token, const QString& name, qsizetype n, qsizetype lastDot, bool restAtN,
                  bool restAtNext, bool sameAtNext) {
    const bool atEnd = n == name.size();
    switch (token.kind) {
    case TokenKind::Literal:
        return !atEnd && name.at(n).toCaseFolded() == token.literal && restAtNext;
    case TokenKind::Star:
        return restAtN || (!atEnd && sameAtNext);
    case TokenKind::StarToLastDot:
        return restAtN || (!atEnd && n != lastDot && sameAtNext);
    case TokenKind::AnyOrNone:
        return (atEnd || name.at(n) == u'.') ? restAtN : restAtNext;
    case TokenKind::DotOrEnd:
        return atEnd ? restAtN : (name.at(n) == u'.' && restAtNext);
    }
    return false;
}

// ---------------------------------------------------------------- attributes

bool isHiddenName(const QByteArray& name) {
    return name.startsWith('.') && name != "." && name != "..";
}

QByteArray lastComponent(const QByteArray& path) {
    return path.mid(path.lastIndexOf('/') + 1);
}

int attributesOf(mode_t mode, const QByteArray& path) {
    int attributes = kAttrNormal;
    if (S_ISLNK(mode))
        attributes = kAttrReparsePoint;
    else if (S_ISDIR(mode))
        attributes = isPseudoFileSystemMount(path) ? kAttrDirectory | kAttrSystem : kAttrDirectory;
    else if (!S_ISREG(mode))
        attributes = kAttrSystem;
    else if (::access(path.constData(), W_OK) != 0)
        attributes = kAttrReadOnly;
    return isHiddenName(lastComponent(path)) ? attributes | kAttrHidden : attributes;
}

// What a link leads to, as the listing filters it: a link to a folder is listed as a folder, never as a
// file; a link to a pipe or device as a system file. -1 for a dangling link, which is not listed at all.
int linkedAttributes(int folderFd, const char* name) {
    struct stat target;
    if (::fstatat(folderFd, name, &target, 0) != 0)
        return -1;
    if (S_ISDIR(target.st_mode))
        return kAttrReparsePoint | kAttrDirectory;
    return S_ISREG(target.st_mode) ? kAttrReparsePoint : kAttrReparsePoint | kAttrSystem;
}

// Attributes of a listed entry as far as the listing filters them (no read-only test).
// -1 when the entry vanished before it could be looked at, or is a dangling link.
int listedAttributes(int folderFd, const dirent& entry, const std::vector<QByteArray>& pseudoMounts) {
    unsigned char type = entry.d_type;
    if (type == DT_UNKNOWN) {
        struct stat info;
        if (::fstatat(folderFd, entry.d_name, &info, AT_SYMLINK_NOFOLLOW) != 0)
            return -1;
        type = IFTODT(info.st_mode);
    }
    int attributes = kAttrNormal;
    if (type == DT_DIR) {
        const bool pseudo = std::find(pseudoMounts.begin(), pseudoMounts.end(),
                                      QByteArrayView(entry.d_name)) != pseudoMounts.end();
        attributes = pseudo ? kAttrDirectory | kAttrSystem : kAttrDirectory;
    } else if (type == DT_LNK) {
        attributes = linkedAttributes(folderFd, entry.d_name);
        if (attributes < 0)
            return -1;
    } else if (type != DT_REG) {
        attributes = kAttrSystem;
    }
    return isHiddenName(entry.d_name) ? attributes | kAttrHidden : attributes;
}

// The mapped entry, looked at without following it; a trailing separator demands a folder (or a link to
// one).
HostLookup existingEntry(const String& windowsPath) {
    const HostLookup lookup = lookUpHostPath(windowsPath);
    if (!lookup.exists)
        raise(kFileNotFound, "file not found: " + windowsPath.toStdString());
    struct stat target;
    const bool folderThere = S_ISDIR(lookup.info.st_mode) ||
                             (S_ISLNK(lookup.info.st_mode) && ::stat(lookup.path.constData(), &target) == 0 &&
                              S_ISDIR(target.st_mode));
    if (lookup.trailingSeparator && !folderThere)
        raise(kFileNotFound, "not a folder: " + windowsPath.toStdString());
    return lookup;
}

// ---------------------------------------------------------------- the global listing

struct Listing {
    std::vector<QString> names;
    std::size_t next = 0;
    bool started = false;
};

Listing& globalListing() {
    static Listing listing;
    return listing;
}

struct ListingQuery {
    QString folder; // Windows path of the folder
    QString pattern;
    QString name; // the last component as given, "" after a separator
};

ListingQuery queryOf(const QString& pathPattern) {
    qsizetype cut = -1;
    for (qsizetype i = pathPattern.size() - 1; i >= 0 && cut < 0; --i) {
        if (isSeparator(pathPattern.at(i)))
            cut = i + 1;
    }
    if (cut < 0)
        cut = std::min<qsizetype>(2, pathPattern.size()); // "X:*.vip": the pattern follows the drive
    const QString name = pathPattern.mid(cut);
    return {pathPattern.left(cut), name.isEmpty() ? QStringLiteral("*") : name, name};
}

// NTFS order: "." and ".." first, then by name without regard to case.
bool listedBefore(const QString& a, const QString& b) {
    const auto dotRank = [](const QString& name) { return name == u"." ? 0 : name == u".." ? 1 : 2; };
    if (dotRank(a) != dotRank(b))
        return dotRank(a) < dotRank(b);
    const int folded = a.compare(b, Qt::CaseInsensitive);
    return folded != 0 ? folded < 0 : a < b;
}

// On Linux a name may hold "*" or "?": an entry named exactly as the last component is that entry alone
// (or nothing, when the attributes refuse it), and the pattern matches only when no entry has that name.
std::vector<QString> namesOf(const QByteArray& hostFolder, bool atRoot, const ListingQuery& query,
                             int attributes) {
    std::vector<QString> names;
    DIR* folder = ::opendir(hostFolder.constData());
    if (!folder)
        return names;
    const int refused = kFilteredBits & ~attributes;
    const std::vector<QByteArray> pseudoMounts = pseudoFileSystemMountsIn(hostFolder);
    std::optional<std::vector<QString>> literal;
    while (const dirent* entry = ::readdir(folder)) {
        const bool dotEntry = qstrcmp(entry->d_name, ".") == 0 || qstrcmp(entry->d_name, "..") == 0;
        if (dotEntry && atRoot)
            continue;
        const int entryAttributes = listedAttributes(::dirfd(folder), *entry, pseudoMounts);
        if (entryAttributes < 0)
            continue;
        QString name = hostString(QByteArray(entry->d_name));
        const bool listed = (entryAttributes & refused) == 0;
        if (name == query.name)
            literal = listed ? std::vector<QString>{name} : std::vector<QString>{};
        if (listed && matchesWildcard(query.pattern, name))
            names.push_back(std::move(name));
    }
    ::closedir(folder);
    if (literal)
        return *literal;
    std::sort(names.begin(), names.end(), listedBefore);
    return names;
}

std::vector<QString> snapshotOf(const QString& pathPattern, int attributes) {
    const ListingQuery listing = queryOf(pathPattern);
    HostLookup folder;
    if (!skipOnError([&] { folder = lookUpHostPath(listing.folder); }) || !folder.exists)
        return {};
    return namesOf(folder.path, folder.driveRoot, listing, attributes);
}

// ---------------------------------------------------------------- the existence test

// An ordinary file: a regular file, or a link to one, whose name is not hidden. A link to a folder and a
// dangling link are not files.
bool isOrdinaryFile(const HostLookup& lookup) {
    if (!lookup.exists || lookup.trailingSeparator || isHiddenName(lastComponent(lookup.path)))
        return false;
    if (S_ISREG(lookup.info.st_mode))
        return true;
    struct stat target;
    return S_ISLNK(lookup.info.st_mode) && ::stat(lookup.path.constData(), &target) == 0 &&
           S_ISREG(target.st_mode);
}

// A network lookup can hang in the kernel for minutes. It runs on a thread of its drive's own (a local
// lookup never queues behind it), and the caller stops waiting at the deadline. Everything the thread
// touches it owns: the parsed path is a copy, the answer is shared.
constexpr auto kRemoteLookupDeadline = std::chrono::seconds(2);
constexpr auto kPumpInterval = std::chrono::milliseconds(5);

struct RemoteAnswer {
    std::mutex mutex;
    std::condition_variable ready;
    bool done = false;
    bool exists = false;
    bool abandoned = false; // the caller stopped waiting: a drive that comes back need not look
};

class RemoteDriveWorker : public std::enable_shared_from_this<RemoteDriveWorker> {
  public:
    void submit(ParsedPath parsed, std::shared_ptr<RemoteAnswer> answer) {
        std::lock_guard lock(mutex_);
        queue_.push_back({std::move(parsed), std::move(answer)});
        if (running_)
            return;
        running_ = true;
        std::thread([self = shared_from_this()] { self->run(); }).detach();
    }

  private:
    struct Request {
        ParsedPath parsed;
        std::shared_ptr<RemoteAnswer> answer;
    };

    void run() {
        for (;;) {
            Request request;
            {
                std::lock_guard lock(mutex_);
                if (queue_.empty()) {
                    running_ = false;
                    return;
                }
                request = std::move(queue_.front());
                queue_.pop_front();
            }
            {
                std::lock_guard lock(request.answer->mutex);
                if (request.answer->abandoned)
                    continue;
            }
            bool exists = false;
            skipOnError([&] { exists = isOrdinaryFile(lookUpParsedPath(request.parsed)); });
            std::lock_guard lock(request.answer->mutex);
            request.answer->exists = exists;
            request.answer->done = true;
            request.answer->ready.notify_all();
        }
    }

    std::mutex mutex_;
    std::deque<Request> queue_;
    bool running_ = false;
};

// A drive is known by its letter and root: a table changed under the same letter is another drive.
using DriveKey = std::pair<char16_t, QString>;

DriveKey keyOf(const Drive& drive) {
    return {drive.letter.unicode(), drive.hostRoot};
}

// The workers are shared with their threads: one hung for ever keeps its own alive, nothing else.
std::shared_ptr<RemoteDriveWorker> workerFor(const Drive& drive) {
    static std::mutex mutex;
    static std::map<DriveKey, std::shared_ptr<RemoteDriveWorker>> workers;
    std::lock_guard lock(mutex);
    std::shared_ptr<RemoteDriveWorker>& worker = workers[keyOf(drive)];
    if (!worker)
        worker = std::make_shared<RemoteDriveWorker>();
    return worker;
}

// The search in progress (user-interface thread only).
struct SearchState {
    int depth = 0;
    std::set<DriveKey> absentDrives;
};

SearchState& searchState() {
    static SearchState state;
    return state;
}

// Waits for the drive's answer until the deadline, letting window events run meanwhile. A drive that
// misses it counts as absent, and during a search is not asked again.
bool answerWithinDeadline(ParsedPath parsed) {
    const DriveKey key = keyOf(parsed.drive);
    if (searchState().depth > 0 && searchState().absentDrives.count(key) != 0)
        return false;
    auto answer = std::make_shared<RemoteAnswer>();
    workerFor(parsed.drive)->submit(std::move(parsed), answer);
    const auto deadline = std::chrono::steady_clock::now() + kRemoteLookupDeadline;
    for (;;) {
        {
            std::unique_lock lock(answer->mutex);
            const auto until = std::min(deadline, std::chrono::steady_clock::now() + kPumpInterval);
            if (answer->ready.wait_until(lock, until, [&] { return answer->done; }))
                return answer->exists;
        }
        if (std::chrono::steady_clock::now() >= deadline)
            break;
        DoEvents();
    }
    {
        std::lock_guard lock(answer->mutex);
        if (answer->done)
            return answer->exists;
        answer->abandoned = true;
    }
    if (searchState().depth > 0)
        searchState().absentDrives.insert(key);
    return false;
}

} // namespace

bool matchesWildcard(const QString& pattern, const QString& name) {
    if (pattern == u"*") // what every folder walk asks for
        return true;
    const std::vector<Token> tokens = tokensOf(pattern);
    const qsizetype lastDot = name.lastIndexOf(u'.');
    const qsizetype width = name.size() + 1;
    // matches[p * width + n]: tokens from p on match the name from n on.
    std::vector<char> matches((tokens.size() + 1) * width, 0);
    matches[tokens.size() * width + name.size()] = 1;
    for (qsizetype p = qsizetype(tokens.size()) - 1; p >= 0; --p) {
        for (qsizetype n = name.size(); n >= 0; --n) {
            const bool inName = n < name.size();
            matches[p * width + n] = tokenMatches(tokens[p], name, n, lastDot, matches[(p + 1) * width + n],
                                                  inName && matches[(p + 1) * width + n + 1],
                                                  inName && matches[p * width + n + 1]);
        }
    }
    return matches[0] != 0;
}

int GetAttr(const String& windowsPath) {
    const HostLookup entry = existingEntry(pathBeforeNul(windowsPath));
    return attributesOf(entry.info.st_mode, entry.path);
}

String Dir(const String& pathPattern, int attributes) {
    Listing& listing = globalListing();
    listing = Listing{snapshotOf(pathBeforeNul(pathPattern), attributes), 0, true};
    return Dir();
}

String Dir() {
    Listing& listing = globalListing();
    if (!listing.started)
        raise(kInvalidProcedureCall, "Dir called before any listing was started");
    if (listing.next >= listing.names.size())
        return {};
    return listing.names[listing.next++];
}

std::int64_t FileLen(const String& fullPath) {
    const String windowsPath = pathBeforeNul(fullPath);
    const QByteArray path = lookUpHostPath(windowsPath).path;
    struct stat info;
    if (::stat(path.constData(), &info) != 0)
        raise(kFileNotFound, "file not found: " + windowsPath.toStdString());
    return S_ISREG(info.st_mode) ? std::int64_t(info.st_size) : 0;
}

bool existsAsOrdinaryFile(const String& fullPath) {
    const String windowsPath = pathBeforeNul(fullPath);
    if (windowsPath.isEmpty() || isSeparator(windowsPath.back()))
        return false;
    ParsedPath parsed;
    if (!skipOnError([&] { parsed = parseWindowsPath(windowsPath); }))
        return false;
    if (parsed.drive.type == kDriveRemote)
        return answerWithinDeadline(std::move(parsed));
    return isOrdinaryFile(lookUpParsedPath(parsed));
}

DriveSearchScope::DriveSearchScope() {
    ++searchState().depth;
}

DriveSearchScope::~DriveSearchScope() {
    SearchState& state = searchState();
    if (--state.depth == 0)
        state.absentDrives.clear();
}

int GetFileTitleA(const String& path, QString& buffer, int bufferSize) {
    const QString file = pathBeforeNul(path);
    const auto invalid = [](QChar c) { return c.unicode() < 0x20 || QStringView(u"*?\"<>|").contains(c); };
    const auto endsName = [](QChar c) { return isSeparator(c) || c == u':'; };
    if (file.isEmpty() || std::any_of(file.begin(), file.end(), invalid) || endsName(file.back()))
        return kInvalidTitle;
    qsizetype start = file.size();
    while (start > 0 && !endsName(file.at(start - 1)))
        --start;
    const QString title = file.mid(start);
    const qsizetype needed = title.size() + 1;
    if (bufferSize < needed)
        return int(needed);
    buffer.replace(0, needed, title + QChar(0));
    return 0;
}

} // namespace rt
