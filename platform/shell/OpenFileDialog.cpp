#include "platform/shell/OpenFileDialog.h"

#include "platform/base/Errors.h"
#include "platform/win/Drives.h"

#include <QDir>
#include <QFileDialog>
#include <QFileInfo>

namespace rt::shell {

namespace {

constexpr QChar kFilterSeparator = u'|';
constexpr QChar kPatternSeparator = u';';
constexpr QChar kResultSeparator = QChar(0);

OpenFileResponder& responder() {
    static OpenFileResponder installed;
    return installed;
}

// Host file systems and the native dialogs tell "a.WAV" from "a.wav"; the runtime's dialog does not: every
// letter of a pattern matches either case ("*.wav" -> "*.[wW][aA][vV]"). Sets already in brackets stay.
QString caseless(const QString& pattern) {
    QString result;
    bool inSet = false;
    for (const QChar c : pattern) {
        if (c == u'[')
            inSet = true;
        else if (c == u']')
            inSet = false;
        const QChar lower = c.toLower();
        const QChar upper = c.toUpper();
        if (inSet || lower == upper)
            result += c;
        else
            result += u'[' + QString(lower) + upper + u']';
    }
    return result;
}

// The description stays as written; the patterns go last in parentheses, where Qt and the native dialogs
// read them.
QString qtNameFilter(const QString& description, const QString& patterns) {
    QStringList list = patterns.split(kPatternSeparator, Qt::SkipEmptyParts);
    for (QString& pattern : list)
        pattern = caseless(pattern.trimmed());
    const QString text = description.trimmed();
    return (text.isEmpty() ? QString() : text + u' ') + u'(' + list.join(u' ') + u')';
}

OpenFileAnswer askPerson(const OpenFileRequest& request) {
    QFileDialog dialog;
    dialog.setAcceptMode(QFileDialog::AcceptOpen);
    dialog.setFileMode(request.multiSelect ? QFileDialog::ExistingFiles : QFileDialog::ExistingFile);
    // The person reads the description; the bracketed patterns are for matching only.
    dialog.setOption(QFileDialog::HideNameFilterDetails);
    if (!request.nameFilters.isEmpty())
        dialog.setNameFilters(request.nameFilters);
    if (dialog.exec() != QDialog::Accepted)
        return std::nullopt;
    return dialog.selectedFiles();
}

String windowsPathOrFail(const QString& hostPath) {
    const String path = windowsPathOf(hostPath);
    if (path.isEmpty())
        raise(kPathNotFound, "no drive holds " + hostPath.toStdString());
    return path;
}

// The folder that holds every pick: their own folder when they share one, as they do when picked in one
// folder of the dialog.
QString commonFolder(const QStringList& hostPaths) {
    QString folder = QFileInfo(hostPaths.first()).absolutePath();
    for (const QString& path : hostPaths) {
        while (!QFileInfo(path).absoluteFilePath().startsWith(folder == u'/' ? folder : folder + u'/'))
            folder = QFileInfo(folder).absolutePath();
    }
    return folder;
}

} // namespace

void setOpenFileResponderForTesting(OpenFileResponder installed) {
    responder() = std::move(installed);
}

QStringList qtNameFilters(const String& filter) {
    const QStringList parts = filter.split(kFilterSeparator);
    QStringList filters;
    for (qsizetype i = 0; i + 1 < parts.size(); i += 2)
        filters << qtNameFilter(parts[i], parts[i + 1]);
    return filters;
}

String openResultOf(const QStringList& hostPaths) {
    if (hostPaths.isEmpty())
        return {};
    if (hostPaths.size() == 1)
        return windowsPathOrFail(QFileInfo(hostPaths.first()).absoluteFilePath());
    const QString folder = commonFolder(hostPaths);
    const QDir folderDir(folder);
    String result = windowsPathOrFail(folder);
    for (const QString& path : hostPaths) {
        QString name = folderDir.relativeFilePath(QFileInfo(path).absoluteFilePath());
        result += kResultSeparator + name.replace(u'/', u'\\');
    }
    return result;
}

void CommonDialog::ShowOpen() {
    const OpenFileRequest request{qtNameFilters(Filter), (Flags & cdlOFNAllowMultiselect) != 0};
    const OpenFileAnswer picked = responder() ? responder()(request) : askPerson(request);
    if (!picked || picked->isEmpty()) {
        FileName = String();
        if (CancelError)
            raise(cdlCancel, "Cancel was selected.");
        return;
    }
    const String result = openResultOf(*picked);
    if (result.size() > MaxFileSize) {
        FileName = String();
        raise(cdlBufferTooSmall, "The FileName buffer is too small to store the selected file name(s).");
    }
    FileName = result;
}

} // namespace rt::shell
