#include "hourly/UtHourList.h"

#include <algorithm>

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
    buildFrom(0);
}

void UtHourList::buildFrom(std::size_t from) {
    const std::chrono::hours shift{utOffsetHours_};
    const std::vector<HourRow>& rows = table_->rows();
    hours_.resize(std::min(from, hours_.size()));
    hours_.reserve(rows.size());
    for (std::size_t i = hours_.size(); i < rows.size(); ++i) {
        hours_.push_back(UtHour{&rows[i], rows[i].hour + shift, hourState(rows[i], noiseMinutes_)});
    }
}

UtHourList UtHourList::withTail(std::size_t keep, std::span<const HourRow> rows) && {
    UtHourList list = std::move(*this);
    // Another list (a copy, or one under other rules) may be reading the
    // table: it is then copied, and the copy is the new list's own.
    if (!list.ownTable_ || list.ownTable_.use_count() > 2) {
        list.ownTable_ = std::make_shared<HourTable>(*list.table_);
        list.table_ = list.ownTable_;
        list.hours_.clear();
    }
    const HourRow* before = list.ownTable_->rows().data();
    list.ownTable_->replaceTail(keep, rows);
    // Rows that moved take every entry's pointer with them.
    list.buildFrom(list.ownTable_->rows().data() == before ? keep : 0);
    return list;
}

std::size_t utMonthStart(const UtHourList& hours, std::size_t index) {
    const std::vector<UtHour>& list = hours.hours();
    std::size_t start = std::min(index, list.size());
    std::optional<CalendarHour> last;
    for (; start > 0 && !last; --start) {
        last = list[start - 1].utCalendar();
    }
    const auto sameMonth = [&](const std::optional<CalendarHour>& ut) {
        return ut && ut->year == last->year && ut->month == last->month;
    };
    while (last && start > 0 && sameMonth(list[start - 1].utCalendar())) {
        --start;
    }
    return start;
}
