#pragma once
// The runtime's message box: a modal box with a text, a title, an icon and a set of buttons, which returns
// the button the person pressed. Tests answer it through a responder instead of a person.
#include "platform/base/Text.h"

#include <functional>

namespace rt::shell {

// The style: the low four bits choose the buttons, the next four the icon.
inline constexpr int vbOKOnly = 0;
inline constexpr int vbOKCancel = 1;
inline constexpr int vbAbortRetryIgnore = 2;
inline constexpr int vbYesNoCancel = 3;
inline constexpr int vbYesNo = 4;
inline constexpr int vbRetryCancel = 5;
inline constexpr int vbCritical = 16;
inline constexpr int vbQuestion = 32;
inline constexpr int vbExclamation = 48;
inline constexpr int vbInformation = 64;

// The answers.
inline constexpr int vbOK = 1;
inline constexpr int vbCancel = 2;
inline constexpr int vbAbort = 3;
inline constexpr int vbRetry = 4;
inline constexpr int vbIgnore = 5;
inline constexpr int vbYes = 6;
inline constexpr int vbNo = 7;

struct MessageBoxRequest {
    String prompt;
    int buttons = vbOKOnly;
    String title;
};
using MessageBoxResponder = std::function<int(const MessageBoxRequest&)>;

// Answers every message box without a person while set; an empty function brings the real box back.
void setMessageBoxResponderForTesting(MessageBoxResponder responder);

// Shows the box and waits until it is dismissed. An empty title is the application's name; button sets the
// runtime does not know show an OK button. Escape answers Cancel where there is one, and OK on an OK-only
// box; the other boxes need a button.
int MsgBox(const String& prompt, int buttons = vbOKOnly, const String& title = {});

} // namespace rt::shell
