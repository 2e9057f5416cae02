#pragma once
// The open-file dialog control: the system sets its properties, calls ShowOpen and reads FileName back in
// the result format callers parse (one file: its full path; several: the folder, then each name,
// separated by NUL characters; cancel: "").
#include "platform/base/Text.h"

#include <QStringList>
#include <cstdint>
#include <functional>
#include <optional>

namespace rt::shell {

inline constexpr std::int32_t cdlOFNAllowMultiselect = 0x200;
// The dialog's run-time errors.
inline constexpr int cdlCancel = 32755;
inline constexpr int cdlBufferTooSmall = 20476;

// What the dialog is asked to show, in Qt's terms.
struct OpenFileRequest {
    QStringList nameFilters; // "Archivos (*.wav, *.aif) (*.[wW][aA][vV] *.[aA][iI][fF])"
    bool multiSelect = false;
};
// The picked host paths in the dialog's order, or nullopt when the user cancelled.
using OpenFileAnswer = std::optional<QStringList>;
using OpenFileResponder = std::function<OpenFileAnswer(const OpenFileRequest&)>;

// Answers every dialog without a person while set; an empty function brings the real dialog back.
void setOpenFileResponderForTesting(OpenFileResponder responder);

class CommonDialog {
  public:
    String FileName;
    int MaxFileSize = 260; // characters of room for the result
    String Filter;         // "Text|*.a;*.b|Text|*.c": descriptions and patterns, separated by "|"
    std::int32_t Flags = 0;
    bool CancelError = false;

    // Shows a modal open-file dialog with these settings and leaves the result in FileName. Cancelling with
    // CancelError set raises cdlCancel; a result longer than MaxFileSize raises cdlBufferTooSmall.
    void ShowOpen();
};

// The filter text in Qt's form, its patterns matching without regard to case:
// "Archivos (*.wav)|*.wav;*.Mp3" -> {"Archivos (*.wav) (*.[wW][aA][vV] *.[mM][pP]3)"}.
QStringList qtNameFilters(const String& filter);
// The picked host paths as FileName gives them.
String openResultOf(const QStringList& hostPaths);

} // namespace rt::shell
