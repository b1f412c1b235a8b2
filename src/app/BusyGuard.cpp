#include "app/BusyGuard.h"

#include <QApplication>
#include <QEvent>
#include <QMouseEvent>
#include <QWidget>
#include <QWindow>

#include <vector>

namespace {

// Longest stretch without painting that a step may leave before the loop comes round.
constexpr qint64 kBreathMs = 20;

class InputBlocker : public QObject {
public:
    std::vector<QWidget*> windows;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override {
        if (!isInput(event->type()) || !belongsToGuarded(watched) ||
            passesThrough(watched, event)) {
            return false;
        }
        event->ignore(); // a close that is ignored leaves the window open
        return true;
    }

private:
    static bool isInput(QEvent::Type type) {
        switch (type) {
        case QEvent::MouseButtonPress:
        case QEvent::MouseButtonRelease:
        case QEvent::MouseButtonDblClick:
        case QEvent::MouseMove:
        case QEvent::Wheel:
        case QEvent::KeyPress:
        case QEvent::KeyRelease:
        case QEvent::Shortcut:
        case QEvent::ShortcutOverride:
        case QEvent::ContextMenu:
        case QEvent::TouchBegin:
        case QEvent::TouchUpdate:
        case QEvent::TouchEnd:
        case QEvent::TabletPress:
        case QEvent::TabletRelease:
        case QEvent::Drop:
        case QEvent::Close:
            return true;
        default:
            return false;
        }
    }

    static bool passesThrough(QObject* watched, QEvent* event) {
        QWidget* target = qobject_cast<QWidget*>(watched);
        if (!target) {
            // Mouse input reaches the window before the widget under it.
            const auto* window = qobject_cast<QWindow*>(watched);
            const auto* mouse = dynamic_cast<QMouseEvent*>(event);
            QWidget* top = nullptr;
            for (QWidget* candidate : QApplication::topLevelWidgets()) {
                if (candidate->windowHandle() == window) {
                    top = candidate;
                }
            }
            target = top && mouse ? top->childAt(mouse->position().toPoint()) : nullptr;
        }
        for (; target; target = target->parentWidget()) {
            if (target->property(BusyGuard::kPassThrough).toBool()) {
                return true;
            }
        }
        return false;
    }

    bool belongsToGuarded(QObject* watched) const {
        for (QWidget* window : windows) {
            if (!window) {
                continue;
            }
            if (watched == window || watched == window->windowHandle()) {
                return true;
            }
            if (const auto* widget = qobject_cast<QWidget*>(watched);
                widget && widget->window() == window) {
                return true;
            }
        }
        return false;
    }
};

InputBlocker* blocker = nullptr;
QElapsedTimer sinceBreath;

} // namespace

BusyGuard::BusyGuard(QWidget* window) {
    if (!blocker) {
        blocker = new InputBlocker;
        qApp->installEventFilter(blocker);
        QApplication::setOverrideCursor(Qt::WaitCursor);
        sinceBreath.start();
    }
    blocker->windows.push_back(window ? window->window() : nullptr);
}

BusyGuard::~BusyGuard() {
    blocker->windows.pop_back();
    if (blocker->windows.empty()) {
        QApplication::restoreOverrideCursor();
        delete blocker; // removes itself from the application's filters
        blocker = nullptr;
    }
}

bool BusyGuard::active() {
    return blocker != nullptr;
}

void BusyGuard::breathe() {
    if (blocker && sinceBreath.elapsed() >= kBreathMs) {
        comeRound();
    }
}

void BusyGuard::comeRound() {
    if (!blocker) {
        return;
    }
    QCoreApplication::processEvents();
    sinceBreath.restart();
}
