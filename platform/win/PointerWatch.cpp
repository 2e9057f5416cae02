#include "platform/win/PointerWatch.h"

#include <QCoreApplication>
#include <QEvent>
#include <QGuiApplication>
#include <QWidget>

#include <optional>

namespace rt::win {

namespace {

// Counts the events after which the window under the pointer may differ.
class ChangeCounter : public QObject {
  public:
    std::uint64_t changes = 0;

  protected:
    bool eventFilter(QObject* watched, QEvent* event) override {
        switch (event->type()) {
        case QEvent::Move:
        case QEvent::Resize:
            // A control moving inside its window (the scrolling title) never comes over a button; a window
            // that moves may.
            if (watched->isWindowType() ||
                (watched->isWidgetType() && static_cast<QWidget*>(watched)->isWindow()))
                ++changes;
            break;
        case QEvent::MouseMove:
        case QEvent::MouseButtonPress:
        case QEvent::MouseButtonRelease:
        case QEvent::Enter:
        case QEvent::Leave:
        case QEvent::HoverMove:
        case QEvent::NonClientAreaMouseMove:
        case QEvent::Show:
        case QEvent::Hide:
        case QEvent::ZOrderChange:
        case QEvent::WindowStateChange:
        case QEvent::WindowActivate:
        case QEvent::WindowDeactivate:
        case QEvent::DragEnter:
        case QEvent::DragMove:
        case QEvent::DragLeave:
        case QEvent::Drop:
        case QEvent::Expose:
            ++changes;
            break;
        default:
            break;
        }
        return false;
    }
};

std::optional<bool>& forcedForTesting() {
    static std::optional<bool> forced;
    return forced;
}

ChangeCounter* counter() {
    static ChangeCounter* instance = [] {
        auto* created = new ChangeCounter;
        if (QCoreApplication* app = QCoreApplication::instance()) {
            created->setParent(app);
            app->installEventFilter(created);
        }
        return created;
    }();
    return instance;
}

} // namespace

bool PointerWatch::enabled() {
    if (forcedForTesting())
        return *forcedForTesting();
    // Only X costs round trips; other platforms answer from memory, and some (offscreen) move the
    // pointer without reporting it.
    static const bool onX = QGuiApplication::platformName() == QLatin1String("xcb");
    return onX;
}

void PointerWatch::setEnabledForTesting(bool enabled) {
    forcedForTesting() = enabled;
}

bool PointerWatch::nothingChanged() const {
    return enabled() && seen_ != kNever && seen_ == counter()->changes;
}

void PointerWatch::remember() {
    seen_ = enabled() ? counter()->changes : kNever;
}

} // namespace rt::win
