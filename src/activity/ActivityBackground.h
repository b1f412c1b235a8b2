#pragma once
// The sporadic background a shower's hours are measured against, and the days
// it comes from.
//
// The sporadic rate follows the time of day, so each UT hour of day has its own
// background: the median rate of that hour over reference days, which a day of
// unlisted activity or a noisy hour barely moves. Reference days lie in a window
// before the activity period and one after it, leaving out noise and unobserved
// hours and days inside the period of another listed shower strong enough to
// lift the rate. Each side's window widens a day at a time (the major showers'
// periods overlap their neighbours') until it holds minimumReferenceDays
// observed days or reaches maximumWindowDays.
//
// With both sides, the background of an hour follows the trend between them:
// the median before and the median after, interpolated in time between the
// mean times of the hours they were taken from (held flat beyond them). With
// one side, that side's median. With fewer than minimumReferenceDays days on
// both sides together, the quiet days of the period stand in: on each side of
// the catalogue's maximum, the windowDays observed days farthest from it that
// lie wholly quietDaysDistance degrees of solar longitude away or more.
//
// Callers build it once per shower and year (chooseBackground) and read each
// hour's value with at().

#include "activity/ActivityOptions.h"
#include "activity/ShowerCatalog.h"
#include "activity/UtHourCounts.h"

#include <array>
#include <cstdint>
#include <optional>
#include <utility>
#include <vector>

struct HourBackground {
    double rate = 0;   // median echoes per hour
    double spread = 0; // robust standard deviation of the days (1.4826 * MAD)
    // Standard error of the median: 1.2533 * spread / sqrt(days), the spread
    // taken at least as the Poisson scatter sqrt(rate).
    double error = 0;
    int days = 0;
    double meanHour = 0; // mean middle of the hours it comes from, hours since 1970
};

struct BackgroundValue {
    double rate = 0;
    double error = 0;
};

enum class BackgroundSource {
    None,       // no observed day to take it from
    BothSides,  // reference days before and after the period
    BeforeOnly, // reference days before the period only
    AfterOnly,  // reference days after the period only
    QuietDays,  // the fallback: the period's days farthest from the maximum
};

struct ReferenceSide {
    std::vector<std::int64_t> days; // days since 1970-01-01, ascending
    int windowDays = 0;             // how far the window reached (0 for quiet days)
    std::array<std::optional<HourBackground>, 24> hours; // by UT hour of day
};

struct ActivityBackground {
    BackgroundSource source = BackgroundSource::None;
    ReferenceSide before, after; // for QuietDays: before and after the maximum

    // The background of the hour starting at unixHour; nothing when no day
    // has its UT hour of day.
    std::optional<BackgroundValue> at(std::int64_t unixHour) const;
    // Every day used, ascending.
    std::vector<std::int64_t> days() const;
};

// period: the activity period as UT hours (end exclusive).
ActivityBackground chooseBackground(const std::vector<UtHourCount>& counts,
                                    const std::vector<Shower>& catalog, const Shower& shower,
                                    std::pair<std::int64_t, std::int64_t> period,
                                    const ActivityOptions& options);

// The activity period of the shower that ends in the given year, as UT hours.
std::pair<std::int64_t, std::int64_t> activityPeriod(const Shower& shower, int year);
