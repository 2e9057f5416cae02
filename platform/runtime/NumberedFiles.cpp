#include "platform/runtime/NumberedFiles.h"

#include "platform/base/Errors.h"
#include "platform/win/Drives.h"
#include "platform/win/HostNames.h"

#include <QDir>
#include <QFileInfo>
#include <array>
#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <memory>
#include <sys/stat.h>
#include <unistd.h>
#include <vector>

namespace rt {

namespace {

// The runtime's "Device I/O error": a read the host refused.
constexpr int kDeviceIoError = 57;
// Projects are scanned one call per byte: each call must be a few instructions, so bytes come from a
// window of the file kept in memory, refilled with one read when a position falls outside it.
constexpr std::int64_t kWindowBytes = 64 * 1024;

class OpenFile {
  public:
    explicit OpenFile(int descriptor) : descriptor_(descriptor), window_(kWindowBytes) {}
    ~OpenFile() { ::close(descriptor_); }
    OpenFile(const OpenFile&) = delete;
    OpenFile& operator=(const OpenFile&) = delete;

    std::uint8_t byteAt(std::int64_t offset) {
        if (offset < windowStart_ || offset - windowStart_ >= kWindowBytes)
            fillWindow(offset);
        const std::int64_t index = offset - windowStart_;
        return index < windowFilled_ ? window_[static_cast<std::size_t>(index)] : 0;
    }

    // Bytes past the end stay as they are in `out` (the caller zero-fills).
    void readAt(char* out, std::int64_t offset, std::int64_t count) const {
        readFully(reinterpret_cast<std::uint8_t*>(out), offset, count);
    }

    std::int64_t length() const {
        struct stat info {};
        if (::fstat(descriptor_, &info) != 0)
            raise(kDeviceIoError, std::strerror(errno));
        return info.st_size;
    }

  private:
    void fillWindow(std::int64_t offset) {
        windowStart_ = offset - offset % kWindowBytes;
        windowFilled_ = 0; // an unreadable window must not keep the old bytes
        windowFilled_ = readFully(window_.data(), windowStart_, kWindowBytes);
    }

    std::int64_t readFully(std::uint8_t* out, std::int64_t offset, std::int64_t count) const {
        std::int64_t done = 0;
        while (done < count) {
            const ssize_t got = ::pread(descriptor_, out + done, static_cast<std::size_t>(count - done),
                                        static_cast<off_t>(offset + done));
            if (got < 0 && errno == EINTR)
                continue;
            if (got < 0)
                raise(kDeviceIoError, std::strerror(errno));
            if (got == 0)
                break; // end of file
            done += got;
        }
        return done;
    }

    int descriptor_;
    std::vector<std::uint8_t> window_;
    std::int64_t windowStart_ = -kWindowBytes; // no window yet: every offset lies outside it
    std::int64_t windowFilled_ = 0;
};

std::array<std::unique_ptr<OpenFile>, kLastFileNumber + 1>& table() {
    static std::array<std::unique_ptr<OpenFile>, kLastFileNumber + 1> files;
    return files;
}

void requireNumberInRange(int number) {
    if (number < kFirstFileNumber || number > kLastFileNumber)
        raise(kBadFileNumber, "bad file number " + std::to_string(number));
}

OpenFile& openFile(int number) {
    requireNumberInRange(number);
    OpenFile* file = table()[static_cast<std::size_t>(number)].get();
    if (!file)
        raise(kBadFileNumber, "file number " + std::to_string(number) + " is not open");
    return *file;
}

std::int64_t offsetOf(std::int64_t position1Based) {
    if (position1Based < 1)
        raise(kBadRecordNumber, "bad record number " + std::to_string(position1Based));
    return position1Based - 1;
}

[[noreturn]] void raiseOpenFailure(int error, const QString& hostPath) {
    const std::string what = hostPath.toStdString() + ": " + std::strerror(error);
    switch (error) {
    case ENOENT:
        raise(QFileInfo(hostPath).dir().exists() ? kFileNotFound : kPathNotFound, what);
    case ENOTDIR:
        raise(kPathNotFound, what);
    case EACCES:
    case EPERM:
        raise(kPermissionDenied, what);
    case EMFILE:
    case ENFILE:
        raise(kTooManyFiles, what);
    default:
        raise(kPathFileAccessError, what);
    }
}

[[noreturn]] void raiseNotRegular(const QString& hostPath) {
    raise(kPathFileAccessError, hostPath.toStdString() + ": not a regular file");
}

// Folders, pipes, sockets and devices are refused before anything opens them: opening a pipe can block
// and opening a device can act on it.
void requireRegularFile(const QByteArray& nativePath, const QString& hostPath) {
    struct stat info {};
    if (::stat(nativePath.constData(), &info) != 0)
        raiseOpenFailure(errno, hostPath);
    if (!S_ISREG(info.st_mode))
        raiseNotRegular(hostPath);
}

int openRegularFile(const QString& hostPath) {
    const QByteArray nativePath = hostBytes(hostPath);
    requireRegularFile(nativePath, hostPath);
    // O_NONBLOCK in case the path was swapped for a pipe after the check; fstat then refuses it.
    const int descriptor = ::open(nativePath.constData(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
    if (descriptor < 0)
        raiseOpenFailure(errno, hostPath);
    struct stat info {};
    if (::fstat(descriptor, &info) != 0 || !S_ISREG(info.st_mode)) {
        ::close(descriptor);
        raiseNotRegular(hostPath);
    }
    return descriptor;
}

} // namespace

int FreeFile() {
    auto& files = table();
    for (int number = kFirstFileNumber; number <= kLastFileNumber; ++number) {
        if (!files[static_cast<std::size_t>(number)])
            return number;
    }
    raise(kTooManyFiles, "too many files");
}

void openHostFileForBinaryRead(int number, const QString& fullHostPath) {
    // The check and the open must see the same path: both end at the first NUL.
    const QString hostPath = pathBeforeNul(fullHostPath);
    requireNumberInRange(number);
    auto& slot = table()[static_cast<std::size_t>(number)];
    if (slot)
        raise(kFileAlreadyOpen, "file number " + std::to_string(number) + " is already open");
    slot = std::make_unique<OpenFile>(openRegularFile(hostPath));
}

void OpenForBinaryRead(int number, const String& windowsPath) {
    requireNumberInRange(number);
    if (isOpen(number))
        raise(kFileAlreadyOpen, "file number " + std::to_string(number) + " is already open");
    openHostFileForBinaryRead(number, hostPathOf(windowsPath));
}

std::uint8_t GetByte(int number, std::int64_t position1Based) {
    OpenFile& file = openFile(number);
    return file.byteAt(offsetOf(position1Based));
}

QByteArray GetBytes(int number, std::int64_t position1Based, int count) {
    OpenFile& file = openFile(number);
    const std::int64_t offset = offsetOf(position1Based);
    if (count < 0)
        raise(kInvalidProcedureCall, "negative byte count");
    QByteArray bytes(count, '\0');
    file.readAt(bytes.data(), offset, count);
    return bytes;
}

std::int64_t LOF(int number) {
    return openFile(number).length();
}

void Close(int number) {
    requireNumberInRange(number);
    table()[static_cast<std::size_t>(number)].reset();
}

void CloseAll() {
    for (auto& file : table())
        file.reset();
}

bool isOpen(int number) {
    return number >= kFirstFileNumber && number <= kLastFileNumber &&
           table()[static_cast<std::size_t>(number)] != nullptr;
}

} // namespace rt
