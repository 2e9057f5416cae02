#pragma once
// The main window and the spectrum window on the fake engine: every test starts from a fresh start-up
// (all windows unloaded, then the main window loaded and shown as the program does), and reaches the
// engine that the spectrum window created.
#include "platform/base/Events.h"
#include "platform/media/MediaPlayerControl.h"
#include "platform/runtime/Form.h"
#include "player/Player.h"
#include "player/SA.h"
#include "tests/support/FakeMediaPlayer.h"

#include <QApplication>
#include <QWidget>
#include <gtest/gtest.h>

namespace player_test {

using Call = rt::FakeMediaPlayer::Call;

inline void unloadEverything() {
    rt::Form::unloadAll();
    rt::Graveyard::flushIfIdle();
}

class PlayerTest : public ::testing::Test {
  protected:
    void SetUp() override {
        unloadEverything();
        rt::MediaPlayerControl::setEngineFactoryForTesting([this] {
            ++enginesMade_;
            return std::make_unique<rt::FakeMediaPlayer>();
        });
        player::player().Show();
        QApplication::processEvents();
    }
    void TearDown() override {
        unloadEverything();
        rt::MediaPlayerControl::setEngineFactoryForTesting(nullptr);
    }

    static player::Player& main() { return player::player(); }
    static player::PlayerDesign& ui() { return player::player().d(); }
    static player::SADesign& saUi() { return player::sa().d(); }
    // The engine of the spectrum window as it is now (a touch creates the window again after an unload).
    static rt::FakeMediaPlayer& fake() { return dynamic_cast<rt::FakeMediaPlayer&>(player::sa().engine()); }

    // A media loaded the way the playlist loads one: the engine starts it by itself.
    static void load(const rt::String& windowsPath, double durationSeconds) {
        fake().setDuration(durationSeconds);
        fake().setURL(windowsPath);
    }
    static void tickTime() { ui().TimerTime.tick(); }
    static void tickTitle() { ui().TimerDisplay.tick(); }

    // The control whose widget lies on top at the centre of `control`: what the user sees there.
    static QWidget* seenAtCentreOf(const rt::Control& control) {
        QWidget* widget = control.widget();
        QWidget* parent = widget->parentWidget();
        return parent->childAt(widget->geometry().center());
    }

    int enginesMade_ = 0;
};

} // namespace player_test
