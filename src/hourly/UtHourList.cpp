#include "hourly/UtHourList.h"

std::optional<CalendarHour> UtHour::utCalendar() const {
    if (!hasFourDigitYear(ut)) {
        return std::nullopt;
    }
    return calendarHourOf(ut);
}

HourState hourState(const HourRow& row, std::int32_t noiseMinutes) {
    if (row.remark == kGapRemark && row.observedMinutes == 0) {
        return HourState::Gap;
    }
    return noiseMinutes < row.observedMinutes ? HourState::Observed : HourState::BelowNoise;
}

UtHourList::UtHourList() : table_(std::make_shared<const HourTable>()) {}

UtHourList::UtHourList(std::shared_ptr<const HourTable> table, std::int32_t utOffsetHours,
                       std::int32_t noiseMinutes)
    : table_(std::move(table)), utOffsetHours_(utOffsetHours), noiseMinutes_(noiseMinutes) {
    const std::chrono::hours shift{utOffsetHours};
    hours_.reserve(table_->size());
    for (const HourRow& row : table_->rows()) {
        hours_.push_back(UtHour{&row, row.hour + shift, hourState(row, noiseMinutes)});
    }
}
