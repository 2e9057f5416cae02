#include "platform/win/DropData.h"

#include "platform/base/Errors.h"
#include "platform/win/Drives.h"
#include "platform/win/HostNames.h"

#include <QDir>
#include <QMimeData>

namespace rt::shell {

namespace {
// toLocalFile() decodes the escapes as UTF-8 and turns a byte that is not (%E9 of a Latin-1 name) into
// U+FFFD; the path's own bytes name the file that was dropped.
QString hostPathOfUrl(const QUrl& url) {
    if (!url.host().isEmpty())
        return url.toLocalFile();
    return hostString(QByteArray::fromPercentEncoding(url.path(QUrl::FullyEncoded).toLatin1()));
}
} // namespace

String DropFiles::Item(int index) const {
    if (index < 1 || index > Count())
        raise(kSubscriptOutOfRange);
    return paths_.at(index - 1);
}

DropData DropData::fromHostPaths(const QStringList& hostPaths) {
    QStringList windowsPaths;
    for (const QString& hostPath : hostPaths) {
        // The file manager names a folder without a separator at its end.
        const String path = windowsPathOf(QDir::cleanPath(hostPath));
        if (!path.isEmpty())
            windowsPaths << path;
    }
    return DropData(std::move(windowsPaths));
}

DropData DropData::fromUrls(const QList<QUrl>& urls) {
    QStringList hostPaths;
    for (const QUrl& url : urls) {
        if (url.isLocalFile())
            hostPaths << hostPathOfUrl(url);
    }
    return fromHostPaths(hostPaths);
}

DropData DropData::fromMimeData(const QMimeData& data) {
    return data.hasUrls() ? fromUrls(data.urls()) : DropData();
}

} // namespace rt::shell
