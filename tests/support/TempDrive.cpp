#include "tests/support/TempDrive.h"

#include "platform/win/HostNames.h"

#include <fcntl.h>
#include <filesystem>
#include <stdexcept>
#include <sys/stat.h>
#include <unistd.h>

namespace testing_support {
namespace {

void check(bool ok, const QString& what) {
    if (!ok)
        throw std::runtime_error("fixture: cannot " + what.toStdString());
}

void makeFolders(const QByteArray& path) {
    for (qsizetype slash = path.indexOf('/', 1); slash >= 0; slash = path.indexOf('/', slash + 1))
        ::mkdir(path.left(slash).constData(), 0755);
    ::mkdir(path.constData(), 0755);
}

} // namespace

TempDrive::TempDrive(QChar letter, int type) : letter_(letter) {
    check(dir_.isValid(), "create a temporary folder");
    root_ = dir_.path();
    // Other users (a test that drops privileges) must be able to look inside.
    ::chmod(rt::hostBytes(root_).constData(), 0755);
    rt::setDriveTableForTesting({{u'C', "/", rt::kDriveFixed}, {letter, root_, type}});
}

TempDrive::~TempDrive() {
    rt::resetDriveTable();
    // QTemporaryDir cannot remove names that are not UTF-8; the standard library takes the bytes.
    std::error_code ignored;
    std::filesystem::remove_all(rt::hostBytes(root_).toStdString(), ignored);
}

QString TempDrive::host(const QString& relative) const {
    return root_ + u'/' + relative;
}

QString TempDrive::windows(const QString& relative) const {
    return QString(letter_) + ":\\" + QString(relative).replace(u'/', u'\\');
}

void TempDrive::makeFile(const QString& relative, const QByteArray& content) const {
    const QByteArray path = rt::hostBytes(host(relative));
    makeFolders(path.left(path.lastIndexOf('/')));
    const int fd = ::open(path.constData(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
    check(fd >= 0, "create " + relative);
    const bool written = ::write(fd, content.constData(), content.size()) == content.size();
    ::close(fd);
    check(written, "write " + relative);
}

void TempDrive::makeFolder(const QString& relative) const {
    makeFolders(rt::hostBytes(host(relative)));
}

void TempDrive::makeLink(const QString& relative, const QString& target) const {
    const QByteArray path = rt::hostBytes(host(relative));
    makeFolders(path.left(path.lastIndexOf('/')));
    check(::symlink(rt::hostBytes(target).constData(), path.constData()) == 0, "link " + relative);
}

} // namespace testing_support
