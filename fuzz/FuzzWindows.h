#pragma once
// The start of a fuzz target that loads the program's windows: an offscreen application, a silent engine,
// and a temporary folder as drive T:.
#include "fuzz/FuzzRecipe.h"
#include "fuzz/SilentEngine.h"
#include "platform/media/MediaPlayerControl.h"
#include "platform/win/Drives.h"

#include <QApplication>
#include <QTemporaryDir>
#include <memory>

namespace fuzzing {

inline QTemporaryDir* startWindowsOnDriveT(int* argc, char*** argv, const char* target) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    // Window shaping reports once per window that the offscreen platform has no masks; that is expected.
    qInstallMessageHandler([](QtMsgType, const QMessageLogContext&, const QString&) {});
    static QApplication* application = new QApplication(*argc, *argv);
    (void)application;
    rt::MediaPlayerControl::setEngineFactoryForTesting([] { return std::make_unique<SilentEngine>(); });
    auto* folder = new QTemporaryDir;
    if (!folder->isValid())
        fail(target, "no temporary folder");
    rt::setDriveTableForTesting({{QChar('T'), folder->path(), rt::kDriveFixed}});
    return folder;
}

} // namespace fuzzing
