#include "activity/ActivityBackground.h"

#include "activity/SkyGeometry.h"

#include <algorithm>
#include <cmath>

namespace {

double median(std::vector<double>& v) {
    std::sort(v.begin(), v.end());
    const std::size_t n = v.size();
    return n % 2 ? v[n / 2] : (v[n / 2 - 1] + v[n / 2]) / 2;
}

// --- Reference days ---------------------------------------------------------

// A day inside the period of another shower strong enough to lift the rate
// would raise the background it is meant to measure. A period may run across
// New Year, so the next year's period is looked at too.
bool inAnotherPeriod(const std::vector<Shower>& catalog, const Shower& self, std::int64_t day,
                     double interferingZhrAbove) {
    const int year = utDateHourOf(day * 24).year;
    for (const Shower& other : catalog) {
        if (other.code == self.code || (other.zhr && *other.zhr <= interferingZhrAbove)) {
            continue;
        }
        for (int y = year; y <= year + 1; ++y) {
            const auto [from, to] = activityPeriod(other, y);
            if (day * 24 >= from && day * 24 < to) {
                return true;
            }
        }
    }
    return false;
}

bool observedDay(const std::vector<UtHourCount>& counts, std::int64_t day) {
    return anyUsable(countsBetween(counts, day * 24, day * 24 + 24));
}

struct SideRequest {
    std::int64_t edgeDay; // before: the period's first day; after: the first day after it
    int direction;        // -1 before the period, +1 after it
};

// The days of one side's window that may serve as reference days: observed
// above the noise at least once and free of other strong showers. The
// window widens until it holds enough of them.
ReferenceSide referenceSide(const std::vector<UtHourCount>& counts,
                            const std::vector<Shower>& catalog, const Shower& shower,
                            SideRequest side, const ActivityOptions& options) {
    ReferenceSide chosen;
    const int maxWindow = std::max(options.windowDays, options.maximumWindowDays);
    for (int w = 1; w <= maxWindow; ++w) {
        const std::int64_t day = side.direction < 0 ? side.edgeDay - w : side.edgeDay + w - 1;
        if (observedDay(counts, day) &&
            !inAnotherPeriod(catalog, shower, day, options.interferingZhrAbove)) {
            chosen.days.push_back(day);
        }
        chosen.windowDays = w;
        if (w >= options.windowDays &&
            static_cast<int>(chosen.days.size()) >= options.minimumReferenceDays) {
            break;
        }
    }
    std::sort(chosen.days.begin(), chosen.days.end());
    return chosen;
}

// The solar longitude at the start of a day, in degrees from the catalogue's
// maximum: no wrap at 360.
double longitudeFromMaximum(std::int64_t day, double peakLongitude) {
    const double l = solarLongitude(julianDateOfUnixHours(static_cast<double>(day * 24)));
    return std::remainder(l - peakLongitude, 360.0);
}

// The fallback: on each side of the maximum, the observed days farthest from
// it that lie wholly quietDaysDistance degrees away or more. Other showers
// are not looked at: their periods are what left too few reference days.
std::pair<ReferenceSide, ReferenceSide> quietDays(const std::vector<UtHourCount>& counts,
                                                  const Shower& shower,
                                                  std::pair<std::int64_t, std::int64_t> period,
                                                  const ActivityOptions& options) {
    const int reach = std::max(options.windowDays, options.maximumWindowDays);
    const std::int64_t first = utDayOf(period.first) - reach;
    const std::int64_t end = utDayOf(period.second) + reach;
    ReferenceSide before, after;
    for (std::int64_t d = first; d < end; ++d) {
        if (!observedDay(counts, d)) {
            continue;
        }
        const double from = longitudeFromMaximum(d, shower.peakSolarLongitude);
        const double to = longitudeFromMaximum(d + 1, shower.peakSolarLongitude);
        if (to <= -options.quietDaysDistance) {
            before.days.push_back(d);
        } else if (from >= options.quietDaysDistance) {
            after.days.push_back(d);
        }
    }
    const auto keep = static_cast<std::size_t>(std::max(1, options.windowDays));
    if (before.days.size() > keep) {
        before.days.resize(keep); // the earliest are the farthest
    }
    if (after.days.size() > keep) {
        after.days.erase(after.days.begin(), after.days.end() - static_cast<std::ptrdiff_t>(keep));
    }
    return {before, after};
}

// --- The median of each UT hour ---------------------------------------------

HourBackground backgroundOf(std::vector<double> rates, double meanHour) {
    HourBackground b;
    b.days = static_cast<int>(rates.size());
    b.meanHour = meanHour;
    b.rate = median(rates);
    std::vector<double> deviations;
    for (double v : rates) {
        deviations.push_back(std::fabs(v - b.rate));
    }
    b.spread = 1.4826 * median(deviations);
    // A few days' deviations can agree by chance (one day has none at
    // all): the counts' own Poisson scatter is the least the spread can be.
    b.error = 1.2533 * std::max(b.spread, std::sqrt(std::max(b.rate, 1.0))) /
              std::sqrt(static_cast<double>(b.days));
    return b;
}

void measureSide(ReferenceSide& side, const std::vector<UtHourCount>& counts) {
    std::array<std::vector<double>, 24> rates;
    std::array<double, 24> hourSums{};
    for (std::int64_t d : side.days) {
        const auto [lo, hi] = countsBetween(counts, d * 24, d * 24 + 24);
        for (auto it = lo; it != hi; ++it) {
            if (it->usable) {
                const std::size_t h = utHourOfDay(it->hour);
                rates[h].push_back(static_cast<double>(it->echoes) * 60.0 /
                                   static_cast<double>(it->observedMinutes));
                hourSums[h] += static_cast<double>(it->hour) + 0.5;
            }
        }
    }
    for (std::size_t h = 0; h < 24; ++h) {
        if (!rates[h].empty()) {
            const double meanHour = hourSums[h] / static_cast<double>(rates[h].size());
            side.hours[h] = backgroundOf(std::move(rates[h]), meanHour);
        }
    }
}

BackgroundSource sourceOf(const ReferenceSide& before, const ReferenceSide& after) {
    if (!before.days.empty() && !after.days.empty()) {
        return BackgroundSource::BothSides;
    }
    if (!before.days.empty()) {
        return BackgroundSource::BeforeOnly;
    }
    return after.days.empty() ? BackgroundSource::None : BackgroundSource::AfterOnly;
}

} // namespace

std::pair<std::int64_t, std::int64_t> activityPeriod(const Shower& shower, int year) {
    const int startYear = shower.crossesNewYear() ? year - 1 : year;
    return {unixHourOf(startYear, shower.start.month, shower.start.day, 0),
            unixHourOf(year, shower.end.month, shower.end.day, 0) + 24};
}

ActivityBackground chooseBackground(const std::vector<UtHourCount>& counts,
                                    const std::vector<Shower>& catalog, const Shower& shower,
                                    std::pair<std::int64_t, std::int64_t> period,
                                    const ActivityOptions& options) {
    ActivityBackground b;
    b.before = referenceSide(counts, catalog, shower, {utDayOf(period.first), -1}, options);
    b.after = referenceSide(counts, catalog, shower, {utDayOf(period.second), +1}, options);
    b.source = sourceOf(b.before, b.after);
    const std::size_t found = b.before.days.size() + b.after.days.size();
    if (static_cast<int>(found) < options.minimumReferenceDays) {
        auto [before, after] = quietDays(counts, shower, period, options);
        if (before.days.size() + after.days.size() > found) {
            b.before = std::move(before);
            b.after = std::move(after);
            b.source = BackgroundSource::QuietDays;
        }
    }
    measureSide(b.before, counts);
    measureSide(b.after, counts);
    return b;
}

std::optional<BackgroundValue> ActivityBackground::at(std::int64_t unixHour) const {
    const std::size_t h = utHourOfDay(unixHour);
    const std::optional<HourBackground>& early = before.hours[h];
    const std::optional<HourBackground>& late = after.hours[h];
    if (!early || !late) {
        const std::optional<HourBackground>& one = early ? early : late;
        if (!one) {
            return std::nullopt;
        }
        return BackgroundValue{one->rate, one->error};
    }
    const double span = late->meanHour - early->meanHour;
    const double w =
        span > 0
            ? std::clamp((static_cast<double>(unixHour) + 0.5 - early->meanHour) / span, 0.0, 1.0)
            : 0.5;
    return BackgroundValue{(1 - w) * early->rate + w * late->rate,
                           std::hypot((1 - w) * early->error, w * late->error)};
}

std::vector<std::int64_t> ActivityBackground::days() const {
    std::vector<std::int64_t> all = before.days;
    all.insert(all.end(), after.days.begin(), after.days.end());
    std::sort(all.begin(), all.end());
    return all;
}
