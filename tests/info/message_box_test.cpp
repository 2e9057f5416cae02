// The message box stand-in: a test answers it, and without one it is a real modal box a person dismisses.
#include "platform/shell/MessageBox.h"

#include <QAbstractButton>
#include <QApplication>
#include <QKeyEvent>
#include <QMessageBox>
#include <QTimer>
#include <functional>
#include <gtest/gtest.h>

namespace rt::shell {
namespace {

// Acts on the modal box as soon as it is up, as a person would.
void whenTheBoxIsUp(std::function<void(QMessageBox&)> act) {
    auto* poll = new QTimer;
    QObject::connect(poll, &QTimer::timeout, [poll, act] {
        auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
        if (!box)
            return;
        poll->stop();
        poll->deleteLater();
        act(*box);
    });
    poll->start(5);
}

QAbstractButton* buttonOf(QMessageBox& box, QMessageBox::StandardButton which) {
    return box.button(which);
}

TEST(MessageBoxTest, AResponderAnswersInsteadOfAPerson) {
    MessageBoxRequest seen;
    setMessageBoxResponderForTesting([&](const MessageBoxRequest& request) {
        seen = request;
        return vbNo;
    });
    EXPECT_EQ(MsgBox("¿Seguro?", vbYesNo | vbQuestion, "Pregunta"), vbNo);
    setMessageBoxResponderForTesting({});
    EXPECT_EQ(seen.prompt, "¿Seguro?");
    EXPECT_EQ(seen.buttons, vbYesNo | vbQuestion);
    EXPECT_EQ(seen.title, "Pregunta");
}

TEST(MessageBoxTest, Style16IsACriticalBoxWithOneOkButtonAboveTheSkinnedWindows) {
    QString text, title;
    QMessageBox::Icon icon = QMessageBox::NoIcon;
    int buttons = 0;
    bool onTop = false;
    whenTheBoxIsUp([&](QMessageBox& box) {
        text = box.text();
        title = box.windowTitle();
        icon = box.icon();
        buttons = int(box.buttons().size());
        onTop = box.windowFlags().testFlag(Qt::WindowStaysOnTopHint);
        buttonOf(box, QMessageBox::Ok)->click();
    });

    EXPECT_EQ(MsgBox("Error! en fichero", 16, "MP3"), vbOK);
    EXPECT_EQ(text, "Error! en fichero");
    EXPECT_EQ(title, "MP3");
    EXPECT_EQ(icon, QMessageBox::Critical);
    EXPECT_EQ(buttons, 1);
    EXPECT_TRUE(onTop);
}

TEST(MessageBoxTest, TheButtonPressedIsTheAnswer) {
    whenTheBoxIsUp([](QMessageBox& box) { buttonOf(box, QMessageBox::Retry)->click(); });
    EXPECT_EQ(MsgBox("Otra vez", vbAbortRetryIgnore | vbExclamation, "T"), vbRetry);
    whenTheBoxIsUp([](QMessageBox& box) { buttonOf(box, QMessageBox::No)->click(); });
    EXPECT_EQ(MsgBox("¿Sí?", vbYesNoCancel, "T"), vbNo);
}

TEST(MessageBoxTest, EscapeAnswersCancelOrTheOnlyOk) {
    const auto pressEscape = [](QMessageBox& box) {
        QKeyEvent escape(QEvent::KeyPress, Qt::Key_Escape, Qt::NoModifier);
        QCoreApplication::sendEvent(&box, &escape);
    };
    whenTheBoxIsUp(pressEscape);
    EXPECT_EQ(MsgBox("a", vbOKCancel, "T"), vbCancel);
    whenTheBoxIsUp(pressEscape);
    EXPECT_EQ(MsgBox("b", vbOKOnly | vbInformation, "T"), vbOK);
}

} // namespace
} // namespace rt::shell
