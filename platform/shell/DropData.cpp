#include "platform/shell/DropData.h"

#include "platform/runtime/Errors.h"
#include "platform/win/Drives.h"

#include <QDir>
#include <QMimeData>

namespace rt::shell {

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
            hostPaths << url.toLocalFile();
    }
    return fromHostPaths(hostPaths);
}

DropData DropData::fromMimeData(const QMimeData& data) {
    return data.hasUrls() ? fromUrls(data.urls()) : DropData();
}

} // namespace rt::shell
