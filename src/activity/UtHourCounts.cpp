#include "activity/UtHourCounts.h"

#include "shared/DateTime.h"

#include <algorithm>
#include <chrono>

namespace {

// Digits of a shifted key; -1 for anything that is no digit.
int digitsAt(const std::string& key, std::size_t from, std::size_t count) {
    int v = 0;
    for (std::size_t i = from; i < from + count; ++i) {
        if (key[i] < '0' || key[i] > '9') {
            return -1;
        }
        v = v * 10 + (key[i] - '0');
    }
    return v;
}

} // namespace

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

std::vector<UtHourCount> utHourCounts(const HourTable& hours, const Settings& settings) {
    std::vector<UtHourCount> out;
    bool sorted = true;
    for (const HourRow* row = hours.top.get(); row && row->next; row = row->next.get()) {
        if (row->remark == "NoObserve" && row->observedMinutes == 0) {
            continue; // gap slots only: no observation at all
        }
        const std::string key = shiftHourKey(row->time, settings.utOffsetHours);
        if (key.size() != 10) {
            continue;
        }
        const int y = digitsAt(key, 0, 4), m = digitsAt(key, 4, 2), d = digitsAt(key, 6, 2),
                  h = digitsAt(key, 8, 2);
        if (y < 1 || m < 1 || m > 12 || d < 1 || d > 31 || h < 0 || h > 23) {
            continue;
        }
        UtHourCount c;
        c.hour = unixHourOf(y, m, d, h);
        c.observedMinutes = row->observedMinutes;
        c.echoes = row->echo;
        // The rule of the hour rows' AboveNoise flag, computed here because
        // the list is read, not recomputed.
        c.usable = settings.noiseMinutes < row->observedMinutes;
        if (!out.empty() && c.hour <= out.back().hour) {
            sorted = false;
        }
        out.push_back(c);
    }
    if (!sorted) {
        std::stable_sort(out.begin(), out.end(), [](const UtHourCount& a, const UtHourCount& b) {
            return a.hour < b.hour;
        });
    }
    // Later rows of one hour win: keep the last of each run.
    std::vector<UtHourCount> unique;
    unique.reserve(out.size());
    for (const UtHourCount& c : out) {
        if (!unique.empty() && unique.back().hour == c.hour) {
            unique.back() = c;
        } else {
            unique.push_back(c);
        }
    }
    return unique;
}
