#pragma once
// The recorder's health as a watch sees it: when its last line came (the
// line's slot, and the wall-clock time it arrived) and whether it has
// stalled, no line having come for longer than a set time. The watch tells
// it when lines arrive and asks at its wake-ups; each change between
// running and stalled is told once. Times are passed in, so that a test
// can play hours in a moment.

#include "shared/Time.h"

#include <chrono>
#include <cstdint>
#include <optional>

using WallClock = std::chrono::system_clock;

enum class HealthChange : std::uint8_t { None, Stalled, Resumed };

class RecorderHealth {
public:
    static constexpr std::chrono::seconds kDefaultStallAfter{30 * 60};

    explicit RecorderHealth(std::chrono::milliseconds stallAfter = kDefaultStallAfter)
        : stallAfter_(stallAfter) {}

    // Where a watch starts: the file's last line came at lastArrival (the
    // file's modification time is the best guess).
    void start(WallClock::time_point lastArrival, std::optional<Timestamp> lastSlot);
    // Lines came at `now`; Resumed when the recorder had stalled.
    HealthChange linesArrived(WallClock::time_point now, std::optional<Timestamp> lastSlot);
    // Stalled, once, when no line has come for longer than the stall time.
    HealthChange check(WallClock::time_point now);

    // When check would find a stall: a watch need not wake earlier for it.
    WallClock::time_point stallTime() const { return lastArrival_ + stallAfter_; }
    bool stalled() const { return stalled_; }
    WallClock::time_point lastArrival() const { return lastArrival_; }
    std::optional<Timestamp> lastSlot() const { return lastSlot_; }
    std::chrono::milliseconds stallAfter() const { return stallAfter_; }

private:
    std::chrono::milliseconds stallAfter_;
    WallClock::time_point lastArrival_{};
    std::optional<Timestamp> lastSlot_;
    bool stalled_ = false;
};
