// Close buttons pressed with the mouse: the window goes while the platform is still delivering the click
// to the button, and nothing may touch what was destroyed.
#include "tests/player/PlayerFixture.h"

#include <QKeyEvent>
#include <QMouseEvent>
#include <QThread>

namespace player_test {
namespace {

void clickWithTheMouse(QWidget* widget) {
    const QPointF at(widget->width() / 2.0, widget->height() / 2.0);
    const QPointF global = widget->mapToGlobal(at);
    QMouseEvent press(QEvent::MouseButtonPress, at, global, Qt::LeftButton, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(widget, &press);
    QMouseEvent release(QEvent::MouseButtonRelease, at, global, Qt::LeftButton, Qt::NoButton, Qt::NoModifier);
    QApplication::sendEvent(widget, &release);
}

TEST_F(PlayerTest, TheSpectrumWindowsCloseButtonUnloadsItUnderTheMouse) {
    main().SAtoggle1_Click();
    ASSERT_TRUE(player::sa().Visible());
    clickWithTheMouse(saUi().Close.widget());
    EXPECT_FALSE(player::sa().isLoaded());
    QApplication::processEvents();
    EXPECT_EQ(rt::Graveyard::size(), 0);
    // The next touch brings a fresh window with a fresh engine.
    EXPECT_EQ(fake().calls().size(), 0u);
    EXPECT_FALSE(player::sa().Visible());
}

TEST_F(PlayerTest, AKeyWhosePumpRunsAPendingCloseClickEndsSafely) {
    main().SAtoggle1_Click();
    QWidget* close = saUi().Close.widget();
    const QPointF at(close->width() / 2.0, close->height() / 2.0);
    // The click waits in the queue while End is handled; End's event pump delivers it.
    QCoreApplication::postEvent(close, new QMouseEvent(QEvent::MouseButtonPress, at, close->mapToGlobal(at),
                                                       Qt::LeftButton, Qt::LeftButton, Qt::NoModifier));
    QCoreApplication::postEvent(close, new QMouseEvent(QEvent::MouseButtonRelease, at, close->mapToGlobal(at),
                                                       Qt::LeftButton, Qt::NoButton, Qt::NoModifier));
    QThread::msleep(2); // past the pump's quiet period
    QKeyEvent end(QEvent::KeyPress, Qt::Key_End, Qt::NoModifier);
    QApplication::sendEvent(player::sa().containerWidget(), &end);
    EXPECT_FALSE(player::sa().isLoaded());
    QApplication::processEvents();
    EXPECT_EQ(rt::Graveyard::size(), 0);
}

} // namespace
} // namespace player_test
