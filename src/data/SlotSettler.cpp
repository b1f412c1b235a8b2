#include "data/SlotSettler.h"

namespace {

constexpr std::int64_t kSlotSeconds = kSlotLength.count();

std::int64_t secondOf(const TenMinuteRow& row) {
    return row.time.time_since_epoch().count();
}

} // namespace

void SlotSettler::add(const TenMinuteRow& row, std::string_view line) {
    const std::int64_t second = secondOf(row);
    if (!hasPending_) {
        expectedSecond_ = second; // the first row is always due
    }
    for (;;) {
        if (second == expectedSecond_) {
            take(row);
            return;
        }
        if (hasPending_ && second == pendingSecond_) {
            mergeIntoPending(row);
            return;
        }
        if (unreachable(second)) {
            setAside_.emplace_back(line);
            return;
        }
        // A slot is missing before this row.
        take(gapRow(Timestamp{std::chrono::seconds{expectedSecond_}}));
        --gapRowsLeft_;
    }
}

bool SlotSettler::unreachable(std::int64_t second) const {
    return second < expectedSecond_ || (hasPending_ && second - pendingSecond_ > kMaxGapSeconds) ||
           (second - expectedSecond_ + kSlotSeconds - 1) / kSlotSeconds > gapRowsLeft_;
}

void SlotSettler::take(const TenMinuteRow& row) {
    // The slot before can change no more.
    if (hasPending_) {
        handOnPending();
    }
    pending_.fileName.assign(row.fileName);
    pending_.remark.assign(row.remark);
    pending_.row = row;
    pending_.row.fileName = pending_.fileName;
    pending_.row.remark = pending_.remark;
    hasPending_ = true;
    pendingSecond_ = secondOf(row);
    expectedSecond_ = pendingSecond_ + kSlotSeconds;
}

void SlotSettler::mergeIntoPending(const TenMinuteRow& row) {
    pending_.fileName += '&';
    pending_.fileName += row.fileName;
    pending_.remark += row.remark;
    TenMinuteRow& into = pending_.row;
    into.echo += row.echo;
    into.longEcho += row.longEcho;
    into.otherData += row.otherData;
    into.observedMinutes += row.observedMinutes;
    into.fileName = pending_.fileName;
    into.remark = pending_.remark;
}

void SlotSettler::handOnPending() {
    if (sink_) {
        sink_(pending_.row);
    }
}

void SlotSettler::finish() {
    if (hasPending_) {
        handOnPending();
        hasPending_ = false;
    }
}
