#include "platform/shell/MessageBox.h"

#include <QApplication>
#include <QMessageBox>
#include <QPushButton>
#include <utility>
#include <vector>

namespace rt::shell {

namespace {

constexpr int kButtonBits = 0xF;
constexpr int kIconBits = 0xF0;

struct Choice {
    QMessageBox::StandardButton button;
    int answer;
};

MessageBoxResponder& responder() {
    static MessageBoxResponder installed;
    return installed;
}

std::vector<Choice> choicesOf(int buttons) {
    using B = QMessageBox;
    switch (buttons & kButtonBits) {
    case vbOKCancel:
        return {{B::Ok, vbOK}, {B::Cancel, vbCancel}};
    case vbAbortRetryIgnore:
        return {{B::Abort, vbAbort}, {B::Retry, vbRetry}, {B::Ignore, vbIgnore}};
    case vbYesNoCancel:
        return {{B::Yes, vbYes}, {B::No, vbNo}, {B::Cancel, vbCancel}};
    case vbYesNo:
        return {{B::Yes, vbYes}, {B::No, vbNo}};
    case vbRetryCancel:
        return {{B::Retry, vbRetry}, {B::Cancel, vbCancel}};
    default:
        return {{B::Ok, vbOK}};
    }
}

QMessageBox::Icon iconOf(int buttons) {
    switch (buttons & kIconBits) {
    case vbCritical:
        return QMessageBox::Critical;
    case vbQuestion:
        return QMessageBox::Question;
    case vbExclamation:
        return QMessageBox::Warning;
    case vbInformation:
        return QMessageBox::Information;
    default:
        return QMessageBox::NoIcon;
    }
}

int askPerson(const MessageBoxRequest& request) {
    QMessageBox box(iconOf(request.buttons), request.title, request.prompt);
    box.setWindowModality(Qt::ApplicationModal);
    // The program's windows all stay on top: a box below them could not be seen, let alone answered. (Set
    // after the modality, which would drop it.)
    box.setWindowFlag(Qt::WindowStaysOnTopHint);
    const std::vector<Choice> choices = choicesOf(request.buttons);
    for (const Choice& choice : choices) {
        QPushButton* button = box.addButton(choice.button);
        if (choice.answer == vbCancel || choices.size() == 1)
            box.setEscapeButton(button);
    }
    box.setDefaultButton(choices.front().button);
    box.exec();
    const auto pressed = box.standardButton(box.clickedButton());
    for (const Choice& choice : choices) {
        if (choice.button == pressed)
            return choice.answer;
    }
    // Closed without a button (only an escape button allows that): the escape answer.
    return choices.size() == 1 ? vbOK : vbCancel;
}

} // namespace

void setMessageBoxResponderForTesting(MessageBoxResponder installed) {
    responder() = std::move(installed);
}

int MsgBox(const String& prompt, int buttons, const String& title) {
    const MessageBoxRequest request{prompt, buttons,
                                    title.isEmpty() ? QCoreApplication::applicationName() : title};
    return responder() ? responder()(request) : askPerson(request);
}

} // namespace rt::shell
