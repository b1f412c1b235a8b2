#include "pipeline/RecorderHealth.h"

void RecorderHealth::start(WallClock::time_point lastArrival, std::optional<Timestamp> lastSlot) {
    lastArrival_ = lastArrival;
    lastSlot_ = lastSlot;
    stalled_ = false;
}

HealthChange RecorderHealth::linesArrived(WallClock::time_point now,
                                          std::optional<Timestamp> lastSlot) {
    lastArrival_ = now;
    lastSlot_ = lastSlot;
    if (stalled_) {
        stalled_ = false;
        return HealthChange::Resumed;
    }
    return HealthChange::None;
}

HealthChange RecorderHealth::check(WallClock::time_point now) {
    if (stalled_ || now - lastArrival_ <= stallAfter_) {
        return HealthChange::None;
    }
    stalled_ = true;
    return HealthChange::Stalled;
}
