// Every test binary runs inside one offscreen Qt application, like the program's single UI thread.
#include "platform/base/Events.h"
#include "platform/runtime/Form.h"

#include <QApplication>
#include <gtest/gtest.h>

int main(int argc, char** argv) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    ::testing::InitGoogleTest(&argc, argv);
    const int status = RUN_ALL_TESTS();
    // The windows go before the application that shows them.
    rt::Form::unloadAll();
    rt::Graveyard::flushIfIdle();
    return status;
}
