#pragma once
// The station's hours as the shower profiles read them: one entry per UT hour
// that was observed or below the noise threshold, in time order, taken from
// the UT-hour list (which alone knows the time zone, the gap rule and the
// noise rule). Hours without a four-digit UT year are left out.

#include "hourly/UtHourList.h"

#include <cstddef>
#include <cstdint>
#include <utility>
#include <vector>

struct UtHourCount {
    std::int64_t hour = 0; // hours since 1970-01-01 00:00 UT
    std::int64_t observedMinutes = 0;
    std::int64_t echoes = 0;
    bool usable = false; // observed minutes above the noise threshold
};

std::vector<UtHourCount> utHourCounts(const UtHourList& hours);

// Hours since 1970-01-01 00:00 UT of a UT day and hour.
std::int64_t unixHourOf(int year, int month, int day, int hour);
// The UT date and hour of an hour count.
struct UtDateHour {
    int year, month, day, hour;
};
UtDateHour utDateHourOf(std::int64_t unixHour);

// The day (days since 1970-01-01) of an hour count, and its UT hour of day.
std::int64_t utDayOf(std::int64_t unixHour);
std::size_t utHourOfDay(std::int64_t unixHour);

// The counts of the hours from `from` up to `to` (first hour after), found by
// bisection: the counts are in hour order.
using UtHourCountRange =
    std::pair<std::vector<UtHourCount>::const_iterator, std::vector<UtHourCount>::const_iterator>;
UtHourCountRange countsBetween(const std::vector<UtHourCount>& counts, std::int64_t from,
                               std::int64_t to);
// Whether any of the range's hours is observed above the noise.
bool anyUsable(const UtHourCountRange& range);
