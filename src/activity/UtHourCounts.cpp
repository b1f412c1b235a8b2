#include "activity/UtHourCounts.h"

#include <algorithm>
#include <chrono>

std::int64_t unixHourOf(int year, int month, int day, int hour) {
    using namespace std::chrono;
    const sys_days d{std::chrono::year{year} / std::chrono::month{static_cast<unsigned>(month)} /
                     std::chrono::day{static_cast<unsigned>(day)}};
    return static_cast<std::int64_t>(d.time_since_epoch().count()) * 24 + hour;
}

std::int64_t utDayOf(std::int64_t unixHour) {
    return unixHour >= 0 ? unixHour / 24 : (unixHour - 23) / 24;
}

std::size_t utHourOfDay(std::int64_t unixHour) {
    return static_cast<std::size_t>(unixHour - utDayOf(unixHour) * 24);
}

UtHourCountRange countsBetween(const std::vector<UtHourCount>& counts, std::int64_t from,
                               std::int64_t to) {
    const auto before = [](const UtHourCount& c, std::int64_t h) { return c.hour < h; };
    const auto lo = std::lower_bound(counts.begin(), counts.end(), from, before);
    return {lo, std::lower_bound(lo, counts.end(), to, before)};
}

bool anyUsable(const UtHourCountRange& range) {
    return std::any_of(range.first, range.second, [](const UtHourCount& c) { return c.usable; });
}

UtDateHour utDateHourOf(std::int64_t unixHour) {
    using namespace std::chrono;
    const std::int64_t dayCount = utDayOf(unixHour);
    const year_month_day ymd{sys_days{days{dayCount}}};
    return {static_cast<int>(ymd.year()), static_cast<int>(static_cast<unsigned>(ymd.month())),
            static_cast<int>(static_cast<unsigned>(ymd.day())),
            static_cast<int>(unixHour - dayCount * 24)};
}

std::vector<UtHourCount> utHourCounts(const UtHourList& hours) {
    std::vector<UtHourCount> out;
    out.reserve(hours.hours().size());
    for (const UtHour& hour : hours.hours()) {
        if (hour.state == HourState::Gap || !hasFourDigitYear(hour.ut)) {
            continue;
        }
        out.push_back(UtHourCount{hour.ut.time_since_epoch().count(), hour.row->observedMinutes,
                                  hour.row->echo, hour.state == HourState::Observed});
    }
    return out;
}
