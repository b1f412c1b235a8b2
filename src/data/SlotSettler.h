#pragma once
// Puts the rows of a data file, one by one as they are read, into an unbroken
// series of ten-minute slots: a row of the slot due next is taken; a second
// row of the slot just taken is merged into it (file names joined by "&",
// counts and observed minutes added, remarks run together); a row further on
// gets one gap row in front of it for every missing slot. Each slot is handed
// on, in time order, once no later row can change it.
//
// A row that the slots cannot reach is set aside as its line was read: one
// earlier than the slot due or off the ten-minute grid, or one so far ahead
// that its gap rows would cost more than any data file's own lines (a
// mistyped year 2104 for 2014 would add millions).

#include "data/TenMinuteRow.h"

#include <cstddef>
#include <cstdint>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

class SlotSettler {
public:
    // Receives each settled slot; the row's texts are valid during the call.
    using Sink = std::function<void(const TenMinuteRow& row)>;

    explicit SlotSettler(Sink sink) : sink_(std::move(sink)) {}
    // The pending slot's views point into the settler itself.
    SlotSettler(const SlotSettler&) = delete;
    SlotSettler& operator=(const SlotSettler&) = delete;

    // A row read from line; its texts need to stay valid only during the call.
    void add(const TenMinuteRow& row, std::string_view line);
    // Hands on the last slot. Call once, after the last row.
    void finish();

    // The slot last taken, which the next row may still join and finish()
    // would hand on; nullptr before the first row and after finish(). A
    // file that grows shows it provisionally. Valid until the next add.
    const TenMinuteRow* pending() const { return hasPending_ ? &pending_.row : nullptr; }

    // The lines of the rows set aside, in the order read.
    const std::vector<std::string>& setAside() const { return setAside_; }
    std::vector<std::string> takeSetAside() { return std::move(setAside_); }

    // A row this far after the row before it is set aside rather than reached
    // by gap rows: ten years.
    static constexpr std::int64_t kMaxGapSeconds = std::int64_t{3653} * 86400;
    // Rows that hop nine years at a time pass that rule one by one, so the gap
    // rows of one file together are held to twenty years of slots as well.
    static constexpr std::int64_t kMaxGapRows = std::int64_t{2} * 3653 * 144;

private:
    // The slot last taken, which a duplicate may still join; its texts are
    // its own, as the lines they came from go.
    struct Pending {
        TenMinuteRow row;
        std::string fileName;
        std::string remark;
    };

    void take(const TenMinuteRow& row);
    void mergeIntoPending(const TenMinuteRow& row);
    void handOnPending();
    bool unreachable(std::int64_t second) const;

    Sink sink_;
    Pending pending_;
    bool hasPending_ = false;
    std::int64_t pendingSecond_ = 0;
    std::int64_t expectedSecond_ = 0; // the slot due next
    std::int64_t gapRowsLeft_ = kMaxGapRows;
    std::vector<std::string> setAside_;
};
