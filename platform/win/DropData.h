#pragma once
// The data object of a drop: the file list of files and folders dragged from the file manager, as
// Windows-style paths. It needs only the drive table, so the windows that receive drops can stand on it.
#include "platform/base/Text.h"

#include <QList>
#include <QStringList>
#include <QUrl>

class QMimeData;

namespace rt::shell {

// The clipboard format of a file list.
inline constexpr int vbCFFiles = 15;

class DropFiles {
  public:
    DropFiles() = default;
    explicit DropFiles(QStringList windowsPaths) : paths_(std::move(windowsPaths)) {}

    int Count() const { return int(paths_.size()); }
    // 1-based; an index outside 1..Count raises kSubscriptOutOfRange.
    String Item(int index) const;
    String operator()(int index) const { return Item(index); }

  private:
    QStringList paths_;
};

class DropData {
  public:
    explicit DropData(QStringList windowsPaths = {}) : Files(std::move(windowsPaths)) {}
    // Local files and folders only; other urls, and paths no drive holds, are left out.
    static DropData fromUrls(const QList<QUrl>& urls);
    static DropData fromMimeData(const QMimeData& data);
    static DropData fromHostPaths(const QStringList& hostPaths);

    // vbCFFiles: true when the drop holds a file list. No other format is offered.
    bool GetFormat(int format) const { return format == vbCFFiles && Files.Count() > 0; }

    DropFiles Files;
};

} // namespace rt::shell
