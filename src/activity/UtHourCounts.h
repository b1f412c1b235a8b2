#pragma once
// The hour rows as the shower profiles read them: one entry per UT hour that
// has a row, in time order. Rows are moved to UT and sorted into noise and
// unobserved hours by the same rules as the RMOB tables and the colorgramme:
// shiftHourKey for the time zone, "observed minutes above the noise
// threshold" for a usable hour, gap-only hours left out.

#include "config/Settings.h"
#include "hourly/HourTable.h"

#include <cstdint>
#include <vector>

struct UtHourCount {
    std::int64_t hour = 0; // hours since 1970-01-01 00:00 UT
    std::int64_t observedMinutes = 0;
    std::int64_t echoes = 0;
    bool usable = false; // observed minutes above the noise threshold
};

// When two rows land on one UT hour, the later row in the list wins, as in the
// colorgramme.
std::vector<UtHourCount> utHourCounts(const HourTable& hours, const Settings& settings);

// Hours since 1970-01-01 00:00 UT of a UT day and hour.
std::int64_t unixHourOf(int year, int month, int day, int hour);
// The UT date and hour of an hour count.
struct UtDateHour {
    int year, month, day, hour;
};
UtDateHour utDateHourOf(std::int64_t unixHour);
