// The hover poll's shortcut: an answer stands until the pointer moves or crosses, or a window or control
// appears, disappears, is restacked, or a window moves; a control moving inside its window changes nothing.
#include "platform/win/PointerWatch.h"

#include <QApplication>
#include <QMouseEvent>
#include <QWidget>
#include <gtest/gtest.h>

namespace rt::win {
namespace {

class PointerWatchTest : public ::testing::Test {
  protected:
    void SetUp() override {
        PointerWatch::setEnabledForTesting(true);
        window_.setGeometry(100, 100, 200, 100);
        child_ = new QWidget(&window_);
        child_->setGeometry(10, 10, 50, 20);
        window_.show();
        QApplication::processEvents();
    }
    void TearDown() override { PointerWatch::setEnabledForTesting(false); }

    // Remembers, runs `change`, and tells whether the watch saw something that may have changed.
    bool noticed(const std::function<void()>& change) {
        watch_.remember();
        EXPECT_TRUE(watch_.nothingChanged());
        change();
        return !watch_.nothingChanged();
    }

    QWidget window_;
    QWidget* child_ = nullptr;
    PointerWatch watch_;
};

TEST_F(PointerWatchTest, PointerMovesCrossingsAndWindowChangesEndTheAnswer) {
    EXPECT_FALSE(watch_.nothingChanged()) << "nothing remembered yet";
    EXPECT_TRUE(noticed([&] {
        QMouseEvent move(QEvent::MouseMove, QPointF(5, 5), window_.mapToGlobal(QPointF(5, 5)), Qt::NoButton,
                         Qt::NoButton, Qt::NoModifier);
        QApplication::sendEvent(&window_, &move);
    }));
    EXPECT_TRUE(noticed([&] {
        QEvent leave(QEvent::Leave);
        QApplication::sendEvent(&window_, &leave);
    }));
    EXPECT_TRUE(noticed([&] { child_->hide(); }));
    EXPECT_TRUE(noticed([&] { child_->show(); }));
    auto* sibling = new QWidget(&window_);
    sibling->setGeometry(20, 10, 50, 20);
    sibling->show();
    EXPECT_TRUE(noticed([&] { child_->raise(); })); // now in front of its sibling
    QWidget other;
    other.setGeometry(150, 120, 40, 40);
    EXPECT_TRUE(noticed([&] { other.show(); }));
    EXPECT_TRUE(noticed([&] { window_.move(120, 100); }));
    EXPECT_FALSE(noticed([&] { child_->move(12, 10); }));
    QApplication::processEvents();
    EXPECT_FALSE(noticed([&] { QApplication::processEvents(); })) << "an idle event loop changes nothing";

    watch_.remember();
    watch_.forget();
    EXPECT_FALSE(watch_.nothingChanged());
}

TEST_F(PointerWatchTest, WhereTheDisplayIsCheapToAskEveryPollAsks) {
    PointerWatch::setEnabledForTesting(false);
    watch_.remember();
    EXPECT_FALSE(watch_.nothingChanged());
}

} // namespace
} // namespace rt::win
