#include "tests/support/VipFixtures.h"

#include "platform/base/Text.h"

namespace testing_support {

namespace {
constexpr int kHeaderBytes = 96;
constexpr int kPaddingAfterPaths = 16;
} // namespace

QByteArray vipProject(const QStringList& audioPaths, const QByteArray& title) {
    QByteArray bytes(kHeaderBytes, 'h');
    bytes += title;
    bytes += '\0';
    for (const QString& path : audioPaths) {
        // Other data lies between the paths in a real project.
        bytes += QByteArray("\x01\x02", 2);
        bytes += rt::toWindows1252(path);
        bytes += '\0';
    }
    bytes += QByteArray(kPaddingAfterPaths, '\x07');
    bytes += "LIST";
    bytes += QByteArray("\x10\x00\x00\x00", 4);
    bytes += "mdrl";
    bytes += QByteArray(16, '\0');
    return bytes;
}

} // namespace testing_support
