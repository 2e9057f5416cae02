// Window instances, their designs and the dispatch of events into their handlers.
#include "platform/base/Errors.h"
#include "platform/base/Events.h"
#include "platform/runtime/Form.h"
#include "platform/runtime/Timer.h"
#include "tests/support/EventLoop.h"

#include <QApplication>
#include <QKeyEvent>
#include <QLineEdit>
#include <QMouseEvent>
#include <QScreen>
#include <QThread>
#include <QTimer>
#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <vector>

namespace {

struct Design {
    explicit Design(rt::Form& form) : front(form), back(form), title(form), tick(15, false) {
        front.Move(0, 0, 600, 600);
        back.Move(300, 300, 600, 600);
        title.setCaption("design caption");
        title.setAutoSize(true);
        ++built;
    }
    ~Design() { ++destroyed; }
    rt::PictureBox front;
    rt::PictureBox back;
    rt::Label title;
    rt::Timer tick;
    static inline int built = 0;
    static inline int destroyed = 0;
};

class Window : public rt::FormWithDesign<Design> {
  public:
    Window() : FormWithDesign("Window") {}
    using FormWithDesign::d;
    int loads = 0;
    int keys = 0;
    std::int16_t lastKey = 0;
    bool swallowKeys = false;
    int publicField = 0;
    int bodyPresses = 0;
    std::function<void()> onLoad;

  protected:
    void Form_Load() override {
        ++loads;
        if (onLoad)
            onLoad();
    }
    void Form_MouseDown(std::int16_t&, std::int16_t&, float&, float&) override { ++bodyPresses; }
    void Form_KeyDown(std::int16_t& keyCode, std::int16_t&) override {
        ++keys;
        lastKey = keyCode;
        if (swallowKeys)
            keyCode = 0;
    }
};

TEST(WindowInstance, FirstTouchLoadsHiddenAndRunsLoadOnce) {
    Window window;
    EXPECT_FALSE(window.isLoaded());
    EXPECT_FALSE(window.Visible()); // reading Visible is a touch
    EXPECT_TRUE(window.isLoaded());
    EXPECT_EQ(window.loads, 1);
    window.Left();
    window.d().title.Caption();
    EXPECT_EQ(window.loads, 1);
}

TEST(WindowInstance, UnloadKeepsFieldsAndNextTouchLoadsTheDesignAgain) {
    Window window;
    window.publicField = 42;
    window.d().title.setCaption("changed at run time");
    window.Unload();
    EXPECT_FALSE(window.isLoaded());
    EXPECT_EQ(window.publicField, 42);
    EXPECT_EQ(window.d().title.Caption(), "design caption");
    EXPECT_EQ(window.loads, 2);
}

TEST(WindowInstance, UnloadInsideItsOwnHandlerDestroysOnlyAfterTheHandlerReturns) {
    Window window;
    Design::destroyed = 0;
    window.d().tick.onTimer = [&] {
        rt::Label& title = window.d().title;
        window.Unload();
        EXPECT_EQ(Design::destroyed, 0);
        // The handler still runs on its window's controls; the sanitizer build catches a dangling one.
        title.setCaption("still alive");
        EXPECT_EQ(title.Caption(), "still alive");
    };
    window.d().tick.tick();
    // The event that ran the handler may still be on its way to the window: it goes from the event loop.
    EXPECT_EQ(Design::destroyed, 0);
    QCoreApplication::processEvents();
    EXPECT_EQ(Design::destroyed, 1);
    EXPECT_FALSE(window.isLoaded());
}

TEST(WindowInstance, UnloadDuringAPumpingLoopWaitsForTheOutermostHandler) {
    Window window;
    Design::destroyed = 0;
    window.d().tick.onTimer = [&] {
        rt::Label& title = window.d().title;
        QTimer::singleShot(0, [&] { rt::dispatch([&] { window.Unload(); }); });
        for (int i = 0; i < 50 && window.isLoaded(); ++i) {
            QThread::msleep(2);
            rt::DoEvents();
        }
        EXPECT_FALSE(window.isLoaded());
        EXPECT_EQ(Design::destroyed, 0);
        title.setCaption("after the pump");
    };
    window.d().tick.tick();
    QCoreApplication::processEvents();
    EXPECT_EQ(Design::destroyed, 1);
}

TEST(WindowInstance, PlaceReadsBackInTwipsAsWritten) {
    Window window;
    window.setLeft(6960);
    window.setTop(4900);
    window.setWidth(5760);
    EXPECT_EQ(window.Left(), 6960);
    EXPECT_EQ(window.Top(), 4900);
    EXPECT_EQ(window.Width(), 5760);
    // A place between two pixels reads back as written while the window stays there.
    window.setLeft(6960 + 3280);
    EXPECT_EQ(window.Left(), 10240);
}

TEST(WindowInstance, CentredOnTheScreenAtItsFirstShowUnlessPlacedBefore) {
    Window centred;
    centred.setStartUpPosition(2);
    centred.setWidth(300 * 15);
    centred.setHeight(100 * 15);
    centred.Show();
    const QRect screen = centred.containerWidget()->screen()->availableGeometry();
    EXPECT_LE((centred.containerWidget()->geometry().center() - screen.center()).manhattanLength(), 2);

    Window placed;
    placed.setStartUpPosition(2);
    placed.setLeft(15 * 15);
    placed.Show();
    EXPECT_EQ(placed.Left(), 15 * 15);
}

TEST(WindowInstance, SetFocusOnAHiddenWindowFails) {
    Window window;
    try {
        window.SetFocus();
        FAIL() << "SetFocus on a hidden window must fail";
    } catch (const rt::RuntimeError& error) {
        EXPECT_EQ(error.number(), rt::kInvalidProcedureCall);
    }
    window.Show();
    EXPECT_NO_THROW(window.SetFocus());
}

TEST(Design, FirstWindowedControlLiesInFrontAndLabelsBehind) {
    Window window;
    window.load();
    const auto children = window.containerWidget()->children();
    const int front = children.indexOf(window.d().front.widget());
    const int back = children.indexOf(window.d().back.widget());
    const int label = children.indexOf(window.d().title.widget());
    // Later children are painted on top.
    EXPECT_GT(front, back);
    EXPECT_LT(label, back);
    window.d().back.ZOrder();
    EXPECT_GT(window.containerWidget()->children().indexOf(window.d().back.widget()),
              window.containerWidget()->children().indexOf(window.d().front.widget()));
}

TEST(KeyPreview, FormSeesTheKeyBeforeTheFocusedControlAndCanSwallowIt) {
    Window window;
    window.setKeyPreview(true);
    window.Show();
    auto* edit = new QLineEdit(window.containerWidget());
    edit->show();
    edit->setFocus();
    QApplication::setActiveWindow(window.containerWidget());
    QKeyEvent press(QEvent::KeyPress, Qt::Key_A, Qt::NoModifier, "a");
    QApplication::sendEvent(edit, &press);
    EXPECT_EQ(window.keys, 1);
    EXPECT_EQ(window.lastKey, 65);
    EXPECT_EQ(edit->text(), "a");

    window.swallowKeys = true;
    QKeyEvent second(QEvent::KeyPress, Qt::Key_B, Qt::NoModifier, "b");
    QApplication::sendEvent(edit, &second);
    EXPECT_EQ(window.keys, 2);
    EXPECT_EQ(edit->text(), "a");
}

TEST(Design, APressOnALabelIsTheLabelsNotTheWindowBodys) {
    Window window;
    window.Show();
    const auto press = [](QWidget* widget) {
        QMouseEvent event(QEvent::MouseButtonPress, QPointF(1, 1), widget->mapToGlobal(QPointF(1, 1)),
                          Qt::LeftButton, Qt::LeftButton, Qt::NoModifier);
        QApplication::sendEvent(widget, &event);
    };
    press(window.d().title.widget());
    EXPECT_EQ(window.bodyPresses, 0);
    press(window.containerWidget());
    EXPECT_EQ(window.bodyPresses, 1);
}

TEST(KeyPreview, KeypadPlusAndMinusHaveTheirOwnCodes) {
    EXPECT_EQ(rt::virtualKeyOf(Qt::Key_Plus, true), 107);
    EXPECT_EQ(rt::virtualKeyOf(Qt::Key_Minus, true), 109);
    EXPECT_NE(rt::virtualKeyOf(Qt::Key_Plus, false), 107);
    EXPECT_EQ(rt::virtualKeyOf(Qt::Key_Space, false), 32);
    EXPECT_EQ(rt::virtualKeyOf(Qt::Key_End, false), 35);
}

// Whether a tick came within `within` of one of `others`: the two shared a wake-up.
bool sharesAWakeUp(std::chrono::steady_clock::time_point tick,
                   const std::vector<std::chrono::steady_clock::time_point>& others,
                   std::chrono::milliseconds within) {
    return std::any_of(others.begin(), others.end(), [&](std::chrono::steady_clock::time_point other) {
        return std::chrono::abs(other - tick) < within;
    });
}

TEST(Timer, RunsNoFasterThanThePlatformTickAndIsReallyOffWhenDisabled) {
    rt::Timer timer(1, true);
    int ticks = 0;
    timer.onTimer = [&] { ++ticks; };
    EXPECT_TRUE(timer.isRunning());
    fixtures::runEventsFor(150);
    EXPECT_GT(ticks, 0);
    EXPECT_LE(ticks, 150 / rt::Timer::kPlatformTickMs + 2);
    timer.setEnabled(false);
    EXPECT_FALSE(timer.isRunning());
    timer.setEnabled(true);
    timer.setInterval(0);
    EXPECT_FALSE(timer.isRunning());
}

// Timers running together wake the program together: every tick comes on the platform tick, and a slower
// timer keeps its own rate on average.
TEST(Timer, TimersRunningTogetherTickOnTheSamePlatformTicksAtTheirOwnRates) {
    using Clock = std::chrono::steady_clock;
    rt::Timer title(1, true);
    rt::Timer position(25, true);
    std::vector<Clock::time_point> titleTicks;
    std::vector<Clock::time_point> positionTicks;
    title.onTimer = [&] { titleTicks.push_back(Clock::now()); };
    position.onTimer = [&] { positionTicks.push_back(Clock::now()); };
    fixtures::runEventsFor(500);
    title.setEnabled(false);
    position.setEnabled(false);
    ASSERT_GT(positionTicks.size(), 5u);
    EXPECT_LE(positionTicks.size(), 500u / 25 + 1);
    EXPECT_LT(positionTicks.size(), titleTicks.size());
    for (const Clock::time_point tick : positionTicks)
        EXPECT_TRUE(sharesAWakeUp(tick, titleTicks, std::chrono::milliseconds(1)))
            << "a position tick with a wake-up of its own";
}

// A tick that would show nothing runs early, at the wake-up before it: a timer keeps its rate with half the
// wake-ups when every other tick shows nothing, and a slower timer whose ticks all show nothing never wakes
// the program by itself.
TEST(Timer, ATickThatShowsNothingRunsAtTheWakeUpBeforeIt) {
    using Clock = std::chrono::steady_clock;
    rt::Timer title(1, true);
    rt::Timer position(25, true);
    std::vector<Clock::time_point> titleTicks;
    std::vector<Clock::time_point> positionTicks;
    title.onTimer = [&] { titleTicks.push_back(Clock::now()); };
    title.nextTickShowsNothing = [&] { return titleTicks.size() % 2 == 1; };
    position.onTimer = [&] { positionTicks.push_back(Clock::now()); };
    position.nextTickShowsNothing = [] { return true; };
    fixtures::runEventsFor(450);
    title.setEnabled(false);
    position.setEnabled(false);
    ASSERT_GE(titleTicks.size(), 450u / rt::Timer::kPlatformTickMs - 6) << "the rate is kept";
    EXPECT_LE(titleTicks.size(), 450u / rt::Timer::kPlatformTickMs + 2);
    EXPECT_GE(positionTicks.size(), 450u / 25 - 4);
    EXPECT_LE(positionTicks.size(), 450u / 25 + 2);
    for (std::size_t tick = 1; tick < titleTicks.size(); tick += 2)
        EXPECT_LT(titleTicks[tick] - titleTicks[tick - 1], std::chrono::milliseconds(2)) << "tick " << tick;
    for (const Clock::time_point tick : positionTicks)
        EXPECT_TRUE(sharesAWakeUp(tick, titleTicks, std::chrono::milliseconds(2)))
            << "a position tick with a wake-up of its own";
}

// A timer whose ticks may come early runs them with another timer's wake-ups rather than its own, yet
// alone it keeps its own time and rate.
TEST(Timer, TicksThatMayComeEarlyRideOtherWakeUpsButNeverPileUp) {
    using Clock = std::chrono::steady_clock;
    rt::Timer frames(40, true);
    frames.ticksMayComeEarly = true;
    std::vector<Clock::time_point> frameTicks;
    frames.onTimer = [&] { frameTicks.push_back(Clock::now()); };
    fixtures::runEventsFor(400);
    ASSERT_GE(frameTicks.size(), 400u / 45 - 2);
    EXPECT_LE(frameTicks.size(), 400u / 40 + 1);
    for (std::size_t tick = 1; tick < frameTicks.size(); ++tick)
        EXPECT_GT(frameTicks[tick] - frameTicks[tick - 1], std::chrono::milliseconds(20)) << tick;

    rt::Timer title(1, true);
    std::vector<Clock::time_point> titleTicks;
    title.onTimer = [&] { titleTicks.push_back(Clock::now()); };
    title.nextTickShowsNothing = [&] { return titleTicks.size() % 2 == 1; };
    frameTicks.clear();
    fixtures::runEventsFor(450);
    title.setEnabled(false);
    frames.setEnabled(false);
    EXPECT_GE(frameTicks.size(), 450u / 40 - 3);
    ASSERT_FALSE(titleTicks.empty());
    for (const Clock::time_point tick : frameTicks) {
        if (tick >= titleTicks.front()) { // due before the other timer's first tick otherwise
            EXPECT_TRUE(sharesAWakeUp(tick, titleTicks, std::chrono::milliseconds(2)))
                << "a frame with a wake-up of its own";
        }
    }
}

// A poll that finds nothing new sleeps: it wakes the program for no tick until an event has come, then
// ticks again on the platform tick, with the timers that run on it.
TEST(Timer, APollThatWouldFindNothingSleepsUntilAnEvent) {
    using Clock = std::chrono::steady_clock;
    rt::Timer poll(10, true);
    poll.sleepsWhileNothingShows = true;
    bool nothingNew = false;
    std::vector<Clock::time_point> pollTicks;
    poll.onTimer = [&] {
        pollTicks.push_back(Clock::now());
        nothingNew = true;
    };
    poll.nextTickShowsNothing = [&] { return nothingNew; };
    fixtures::runEventsFor(200);
    ASSERT_EQ(pollTicks.size(), 1u) << "asleep after its first tick";

    rt::Timer title(1, true);
    std::vector<Clock::time_point> titleTicks;
    title.onTimer = [&] { titleTicks.push_back(Clock::now()); };
    QTimer::singleShot(40, [&] { nothingNew = false; });
    fixtures::runEventsFor(150);
    title.setEnabled(false);
    poll.setEnabled(false);
    ASSERT_EQ(pollTicks.size(), 2u) << "one tick after the event, then asleep again";
    EXPECT_TRUE(sharesAWakeUp(pollTicks.back(), titleTicks, std::chrono::milliseconds(2)))
        << "the woken tick comes on the platform tick";

    int lastTicks = 0;
    {
        rt::Timer last(10, true); // the only timer, asleep when it goes
        last.sleepsWhileNothingShows = true;
        last.nextTickShowsNothing = [&] { return lastTicks > 0; };
        last.onTimer = [&] { ++lastTicks; };
        fixtures::runEventsFor(60);
    }
    fixtures::runEventsFor(30);
    EXPECT_EQ(lastTicks, 1) << "and a sleeping timer that is destroyed is forgotten";
}

TEST(Graveyard, WaitsForTheOutermostDispatch) {
    bool destroyed = false;
    struct Flag {
        explicit Flag(bool* f) : flag(f) {}
        ~Flag() { *flag = true; }
        bool* flag;
    };
    rt::dispatch([&] {
        rt::dispatch([&] { rt::Graveyard::bury(std::make_shared<Flag>(&destroyed)); });
        EXPECT_FALSE(destroyed);
    });
    EXPECT_FALSE(destroyed) << "not while the event that ran the handler may still be delivered";
    QCoreApplication::processEvents();
    EXPECT_TRUE(destroyed);
}

TEST(Dispatch, AnUnhandledRunTimeErrorEndsOnlyTheHandler) {
    bool after = false;
    rt::dispatch([] { rt::raise(rt::kOverflow); });
    rt::dispatch([&] { after = true; });
    EXPECT_TRUE(after);
    EXPECT_EQ(rt::dispatchDepth(), 0);
}

} // namespace
