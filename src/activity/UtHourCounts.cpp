#include "activity/UtHourCounts.h"

#include <chrono>

std::int64_t unixHourOf(int year, int month, int day, int hour) {
    using namespace std::chrono;
    const sys_days d{std::chrono::year{year} / std::chrono::month{static_cast<unsigned>(month)} /
                     std::chrono::day{static_cast<unsigned>(day)}};
    return static_cast<std::int64_t>(d.time_since_epoch().count()) * 24 + hour;
}

UtDateHour utDateHourOf(std::int64_t unixHour) {
    using namespace std::chrono;
    const std::int64_t dayCount = unixHour >= 0 ? unixHour / 24 : (unixHour - 23) / 24;
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
