#pragma once
// A long load in the window: the recompute and the filling of a big text view
// run on the one thread, and between their steps the event loop comes round so
// that the window keeps painting. Meanwhile user input to that window and its
// closing are dropped, and every command handler declines to start, so no
// command can run in the middle of another. Other windows, such as the message
// boxes of the data reader, stay usable.

#include <QElapsedTimer>

class QWidget;

// A control whose property kPassThrough is true (the status bar's cancel
// button) keeps its input.
class BusyGuard {
public:
    explicit BusyGuard(QWidget* window);
    ~BusyGuard();
    BusyGuard(const BusyGuard&) = delete;
    BusyGuard& operator=(const BusyGuard&) = delete;

    static constexpr const char* kPassThrough = "busyGuardPassThrough";

    static bool active();
    // Lets the event loop come round when a while has passed since it last did;
    // does nothing outside a guard.
    static void breathe();
    // Lets it come round now, before a step that cannot stop on its way.
    static void comeRound();
};
