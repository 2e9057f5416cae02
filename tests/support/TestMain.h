#pragma once
// Every test binary runs inside one offscreen Qt application, like the program's single UI thread.
#include <QApplication>
#include <gtest/gtest.h>

namespace testing_support {

// Runs every test, then `beforeQuit` while the application still exists.
template <class BeforeQuit> int runTestsOffscreen(int argc, char** argv, BeforeQuit beforeQuit) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    ::testing::InitGoogleTest(&argc, argv);
    const int status = RUN_ALL_TESTS();
    beforeQuit();
    return status;
}

} // namespace testing_support
