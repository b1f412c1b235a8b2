#include "activity/ShowerActivity.h"

#include <algorithm>
#include <cmath>
#include <cstdio>

// The analysis runs as named steps, each its own function so that one rule
// can change without touching the others: the reference days, the background
// of each UT hour of day, the table of hours with their excess, the peak
// search and the profile fit.

namespace {

using CountIterator = std::vector<UtHourCount>::const_iterator;

std::int64_t floorDiv(std::int64_t a, std::int64_t b) {
    return a >= 0 ? a / b : -((-a + b - 1) / b);
}

std::size_t utHourOfDay(std::int64_t hour) {
    return static_cast<std::size_t>(hour - floorDiv(hour, 24) * 24);
}

// The counts of the hours from `from` up to `to`: the counts are in hour
// order, so both ends are found by bisection.
std::pair<CountIterator, CountIterator> countsIn(const std::vector<UtHourCount>& counts,
                                                 std::int64_t from, std::int64_t to) {
    const auto before = [](const UtHourCount& c, std::int64_t h) { return c.hour < h; };
    const CountIterator lo = std::lower_bound(counts.begin(), counts.end(), from, before);
    return {lo, std::lower_bound(lo, counts.end(), to, before)};
}

bool anyUsable(const std::pair<CountIterator, CountIterator>& range) {
    return std::any_of(range.first, range.second, [](const UtHourCount& c) { return c.usable; });
}

double median(std::vector<double>& v) {
    std::sort(v.begin(), v.end());
    const std::size_t n = v.size();
    return n % 2 ? v[n / 2] : (v[n / 2 - 1] + v[n / 2]) / 2;
}

std::string fixed(double v, int decimals) {
    char buf[64];
    std::snprintf(buf, sizeof buf, "%.*f", decimals, v);
    return buf;
}

std::string optionalFixed(const std::optional<double>& v, int decimals) {
    return v ? fixed(*v, decimals) : std::string();
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

// The days of the window on each side of the period (firstDay up to endDay)
// that may serve as reference days: observed above the noise at least once,
// and free of other strong showers.
std::vector<std::int64_t> referenceDaysWithin(const std::vector<UtHourCount>& counts,
                                              const std::vector<Shower>& catalog,
                                              const Shower& shower, std::int64_t firstDay,
                                              std::int64_t endDay, int window,
                                              double interferingZhrAbove) {
    std::vector<std::int64_t> days;
    for (std::int64_t d = firstDay - window; d < endDay + window; ++d) {
        if (d == firstDay) {
            d = endDay; // the period's own days would measure the shower
        }
        if (!inAnotherPeriod(catalog, shower, d, interferingZhrAbove) &&
            anyUsable(countsIn(counts, d * 24, d * 24 + 24))) {
            days.push_back(d);
        }
    }
    return days;
}

struct ReferenceDays {
    std::vector<std::int64_t> days;
    int windowDays = 0;
};

// The major showers' periods overlap their neighbours', which can leave a
// window of the usual width without enough days: it widens a day at a time.
ReferenceDays chooseReferenceDays(const std::vector<UtHourCount>& counts,
                                  const std::vector<Shower>& catalog, const Shower& shower,
                                  std::int64_t periodStart, std::int64_t periodEnd,
                                  const ActivityOptions& options) {
    const std::int64_t firstDay = floorDiv(periodStart, 24);
    const std::int64_t endDay = floorDiv(periodEnd, 24); // first day after the period
    const int maxWindow = std::max(options.windowDays, options.maximumWindowDays);
    ReferenceDays chosen;
    for (int w = std::max(1, options.windowDays); w <= maxWindow; ++w) {
        chosen.days = referenceDaysWithin(counts, catalog, shower, firstDay, endDay, w,
                                          options.interferingZhrAbove);
        chosen.windowDays = w;
        if (static_cast<int>(chosen.days.size()) >= options.minimumReferenceDays) {
            break;
        }
    }
    return chosen;
}

// --- Background -------------------------------------------------------------

// The rates of the reference days' hours above the noise, by UT hour of day:
// the sporadic rate follows the time of day, so each hour of day has its own
// background.
std::array<std::vector<double>, 24> referenceRates(const std::vector<UtHourCount>& counts,
                                                   const std::vector<std::int64_t>& days) {
    std::array<std::vector<double>, 24> rates;
    for (std::int64_t d : days) {
        const auto [lo, hi] = countsIn(counts, d * 24, d * 24 + 24);
        for (auto it = lo; it != hi; ++it) {
            if (it->usable) {
                rates[utHourOfDay(it->hour)].push_back(static_cast<double>(it->echoes) * 60.0 /
                                                       static_cast<double>(it->observedMinutes));
            }
        }
    }
    return rates;
}

// The background of one UT hour of day: the median of its days' rates, which
// a day of unlisted activity or a noisy hour barely moves, and its robust
// scatter.
HourBackground backgroundOf(std::vector<double> rates) {
    HourBackground b;
    b.days = static_cast<int>(rates.size());
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

std::array<std::optional<HourBackground>, 24>
hourBackgrounds(const std::vector<UtHourCount>& counts, const std::vector<std::int64_t>& days) {
    std::array<std::vector<double>, 24> rates = referenceRates(counts, days);
    std::array<std::optional<HourBackground>, 24> background;
    for (std::size_t h = 0; h < 24; ++h) {
        if (!rates[h].empty()) {
            background[h] = backgroundOf(std::move(rates[h]));
        }
    }
    return background;
}

// --- The table of hours -----------------------------------------------------

// The observer sees the background's days beside the shower's, so the table
// runs over the reference days and the period.
std::pair<std::int64_t, std::int64_t> tableSpan(const ShowerActivity& a) {
    std::int64_t start = a.periodStart, end = a.periodEnd;
    if (!a.referenceDays.empty()) {
        start = std::min(start, a.referenceDays.front() * 24);
        end = std::max(end, a.referenceDays.back() * 24 + 24);
    }
    return {start, end};
}

// The radiant's place drifts from the catalogue's peak on: that instant is
// the origin of the drift and the epoch of the radiant's sky.
double catalogPeakJulianDate(const Shower& shower, std::int64_t periodStart) {
    const double approximatePeak = julianDateOfUnixHours(static_cast<double>(periodStart));
    return timeOfSolarLongitude(shower.peakSolarLongitude, approximatePeak - 30.0);
}

// The Sun's longitude changes smoothly: computed at each day's start and
// interpolated, it stays within a millionth of a degree of the full
// computation for a sixtieth of the work.
class DailySolarLongitude {
public:
    DailySolarLongitude(std::int64_t firstDay, std::int64_t lastDay) : firstDay_(firstDay) {
        for (std::int64_t d = firstDay; d <= lastDay + 1; ++d) {
            atDayStart_.push_back(
                solarLongitude(julianDateOfUnixHours(static_cast<double>(d * 24))));
        }
    }

    double at(double unixHour) const {
        const double dayPosition = unixHour / 24.0 - static_cast<double>(firstDay_);
        const auto i = static_cast<std::size_t>(
            std::clamp(std::floor(dayPosition), 0.0, static_cast<double>(atDayStart_.size() - 2)));
        const double step = std::remainder(atDayStart_[i + 1] - atDayStart_[i], 360.0);
        const double l = atDayStart_[i] + step * (dayPosition - static_cast<double>(i));
        return std::fmod(l + 360.0, 360.0);
    }

private:
    std::int64_t firstDay_;
    std::vector<double> atDayStart_; // up to the start of the day after the last
};

double radiantElevation(const Shower& shower, const RadiantSky& sky, double peakJd, double unixHour,
                        const GeoPosition& station) {
    const double days = (julianDateOfUnixHours(unixHour) - peakJd);
    return sky.elevation(
        shower.rightAscension + shower.rightAscensionDrift * days,
        std::clamp(shower.declination + shower.declinationDrift * days, -90.0, 90.0),
        julianDateOfUnixHours(unixHour), station);
}

void setRate(ActivityHour& row) {
    const double perHour = 60.0 / static_cast<double>(row.observedMinutes);
    row.rate = static_cast<double>(row.echoes) * perHour;
    // A zero count still carries the error of one echo: the hour could
    // as well have seen one.
    row.rateError = std::sqrt(static_cast<double>(std::max<std::int64_t>(row.echoes, 1))) * perHour;
}

// A radiant low in the sky sends fewer meteors than it would overhead; below
// the minimum elevation the correction would blow up the noise.
std::optional<double> correctedExcess(double excess, const std::optional<double>& elevation,
                                      double minimumElevation) {
    if (elevation && *elevation >= minimumElevation) {
        return excess / std::sin(*elevation * 3.14159265358979323846 / 180.0);
    }
    return std::nullopt;
}

void setExcess(ActivityHour& row, const HourBackground& background, double minimumElevation) {
    row.background = background.rate;
    row.excess = *row.rate - background.rate;
    row.excessError = std::hypot(*row.rateError, background.error);
    if (background.rate > 0) {
        row.ratio = *row.rate / background.rate;
    }
    row.correctedExcess = correctedExcess(*row.excess, row.radiantElevation, minimumElevation);
}

// Every hour of the table, observed or not, so that gaps show as empty rows.
std::vector<ActivityHour> activityHours(const std::vector<UtHourCount>& counts,
                                        const ShowerActivity& a, double peakJd,
                                        const std::optional<GeoPosition>& station,
                                        double minimumElevation) {
    const auto [tableStart, tableEnd] = tableSpan(a);
    const DailySolarLongitude longitude(floorDiv(tableStart, 24), floorDiv(tableEnd - 1, 24));
    const RadiantSky sky(peakJd);
    auto [next, end] = countsIn(counts, tableStart, tableEnd);
    std::vector<ActivityHour> hours;
    hours.reserve(static_cast<std::size_t>(tableEnd - tableStart));
    for (std::int64_t h = tableStart; h < tableEnd; ++h) {
        ActivityHour row;
        row.hour = h;
        const double middle = static_cast<double>(h) + 0.5;
        row.solarLongitude = longitude.at(middle);
        row.inPeriod = h >= a.periodStart && h < a.periodEnd;
        if (next != end && next->hour == h) {
            row.observed = true;
            row.usable = next->usable;
            row.observedMinutes = next->observedMinutes;
            row.echoes = next->echoes;
            ++next;
        }
        if (station) {
            row.radiantElevation = radiantElevation(a.shower, sky, peakJd, middle, *station);
        }
        if (row.usable) {
            setRate(row);
            if (const auto& background = a.background[utHourOfDay(h)]) {
                setExcess(row, *background, minimumElevation);
            }
        }
        hours.push_back(row);
    }
    return hours;
}

// --- Peak -------------------------------------------------------------------

// The mean excess of the hours around hour i that have one. A single hour's
// count scatters too much to date a peak, and a mean of few hours between
// gaps no less: nothing unless more than half the window's hours have one.
std::optional<double> smoothedExcess(const std::vector<ActivityHour>& hours, std::size_t i,
                                     int half) {
    double sum = 0;
    int n = 0;
    for (std::size_t j = i >= static_cast<std::size_t>(half) ? i - half : 0;
         j <= i + static_cast<std::size_t>(half) && j < hours.size(); ++j) {
        if (hours[j].excess) {
            sum += *hours[j].excess;
            ++n;
        }
    }
    if (n <= half) {
        return std::nullopt;
    }
    return sum / n;
}

struct PeakSearch {
    std::optional<ActivityPeak> peak;
    std::string problem; // why there is none
};

// The largest running mean of the excess within the period.
PeakSearch findPeak(const std::vector<ActivityHour>& hours, bool haveReferenceDays,
                    int smoothingHours) {
    const int half = std::max(0, smoothingHours / 2);
    std::optional<std::size_t> best;
    double bestValue = 0;
    bool anyExcess = false;
    for (std::size_t i = 0; i < hours.size(); ++i) {
        if (!hours[i].inPeriod || !hours[i].excess) {
            continue;
        }
        anyExcess = true;
        const std::optional<double> mean = smoothedExcess(hours, i, half);
        if (mean && (!best || *mean > bestValue)) {
            best = i;
            bestValue = *mean;
        }
    }
    if (!anyExcess) {
        return {std::nullopt, haveReferenceDays
                                  ? "no observed hours with a background in the activity period"
                                  : "no observed reference days for the background"};
    }
    if (!best || bestValue <= 0) {
        return {std::nullopt, "no excess over the background in the activity period"};
    }
    const ActivityHour& p = hours[*best];
    return {ActivityPeak{static_cast<double>(p.hour) + 0.5, p.solarLongitude, bestValue}, {}};
}

// --- Profile fit ------------------------------------------------------------

// The period's hours with an excess, their longitude counted from the
// catalogue's peak: a period across 0 degrees then has no jump at 360.
std::vector<ProfilePoint> profilePoints(const std::vector<ActivityHour>& hours,
                                        double catalogPeakLongitude) {
    std::vector<ProfilePoint> points;
    for (const ActivityHour& h : hours) {
        if (h.inPeriod && h.excess) {
            points.push_back({std::remainder(h.solarLongitude - catalogPeakLongitude, 360.0),
                              *h.excess, *h.excessError});
        }
    }
    return points;
}

// The fit starts from the peak found; without one there is nothing to start
// from, and the observer reads the peak's reason.
ProfileFit fitProfile(const std::vector<ProfilePoint>& points, const ShowerActivity& a,
                      int minimumFitHours) {
    if (!a.peak) {
        ProfileFit none;
        none.problem = a.peakProblem.empty() ? "no peak" : a.peakProblem;
        none.points = static_cast<int>(points.size());
        return none;
    }
    return fitActivityProfile(
        points, std::remainder(a.peak->solarLongitude - a.shower.peakSolarLongitude, 360.0),
        a.peak->excess, minimumFitHours);
}

// Moves the fitted peak from the catalogue's origin back to 0..360 and dates
// it.
void placeFittedPeak(ShowerActivity& a, const std::vector<ProfilePoint>& points) {
    if (!a.fit.fitted) {
        return;
    }
    const double offset = a.fit.peakSolarLongitude;
    a.fit.peakSolarLongitude = std::fmod(a.shower.peakSolarLongitude + offset + 720.0, 360.0);
    // The fitted peak outside the observed stretch is an extrapolation
    // nobody should read as a result.
    if (offset < points.front().solarLongitude || offset > points.back().solarLongitude) {
        a.fit.fitted = false;
        a.fit.problem = "the fitted peak lies outside the observed hours";
        return;
    }
    const double jd = timeOfSolarLongitude(
        a.fit.peakSolarLongitude, julianDateOfUnixHours(static_cast<double>(a.periodStart)) - 1.0);
    a.fitPeakHour = (jd - kUnixEpochJulianDate) * 24.0;
}

} // namespace

std::pair<std::int64_t, std::int64_t> activityPeriod(const Shower& shower, int year) {
    const int startYear = shower.crossesNewYear() ? year - 1 : year;
    return {unixHourOf(startYear, shower.start.month, shower.start.day, 0),
            unixHourOf(year, shower.end.month, shower.end.day, 0) + 24};
}

std::vector<int> showerYears(const std::vector<UtHourCount>& counts, const Shower& shower) {
    std::vector<int> years;
    if (counts.empty()) {
        return years;
    }
    // The period may end in the year after the data's last hour.
    const int first = utDateHourOf(counts.front().hour).year;
    const int last = utDateHourOf(counts.back().hour).year + 1;
    for (int y = first; y <= last; ++y) {
        const auto [from, to] = activityPeriod(shower, y);
        if (anyUsable(countsIn(counts, from, to))) {
            years.push_back(y);
        }
    }
    return years;
}

ShowerActivity computeShowerActivity(const std::vector<UtHourCount>& counts,
                                     const std::vector<Shower>& catalog, const Shower& shower,
                                     int year, const std::optional<GeoPosition>& station,
                                     const ActivityOptions& options) {
    ShowerActivity a;
    a.shower = shower;
    a.year = year;
    std::tie(a.periodStart, a.periodEnd) = activityPeriod(shower, year);
    a.hasCoordinates = station.has_value();

    ReferenceDays reference =
        chooseReferenceDays(counts, catalog, shower, a.periodStart, a.periodEnd, options);
    a.referenceDays = std::move(reference.days);
    a.windowDays = reference.windowDays;
    a.background = hourBackgrounds(counts, a.referenceDays);

    const double peakJd = catalogPeakJulianDate(shower, a.periodStart);
    a.catalogPeakHour = (peakJd - kUnixEpochJulianDate) * 24.0;
    a.hours = activityHours(counts, a, peakJd, station, options.minimumElevation);

    PeakSearch search = findPeak(a.hours, !a.referenceDays.empty(), options.smoothingHours);
    a.peak = search.peak;
    a.peakProblem = std::move(search.problem);

    const std::vector<ProfilePoint> points = profilePoints(a.hours, shower.peakSolarLongitude);
    a.fit = fitProfile(points, a, options.minimumFitHours);
    placeFittedPeak(a, points);
    return a;
}

std::string formatUtTime(double unixHour) {
    const double minutesTotal = std::round(unixHour * 60.0);
    const auto hourPart = static_cast<std::int64_t>(std::floor(minutesTotal / 60.0));
    const int minute = static_cast<int>(minutesTotal - static_cast<double>(hourPart) * 60.0);
    const UtDateHour t = utDateHourOf(hourPart);
    char buf[32];
    std::snprintf(buf, sizeof buf, "%04d/%02d/%02d %02d:%02d", t.year, t.month, t.day, t.hour,
                  minute);
    return buf;
}
std::vector<std::string> activityCsvLines(const ShowerActivity& a) {
    std::vector<std::string> lines;
    lines.reserve(a.hours.size() + 1);
    lines.push_back("time_ut,solar_longitude,observed_minutes,echoes,rate,background,excess,"
                    "excess_error,ratio,radiant_elevation,corrected_excess");
    for (const ActivityHour& h : a.hours) {
        std::string line = formatUtTime(static_cast<double>(h.hour) + 0.5);
        line += ',' + fixed(h.solarLongitude, 4);
        line += ',' + std::to_string(h.observedMinutes);
        line += ',' + (h.observed ? std::to_string(h.echoes) : std::string());
        line += ',' + optionalFixed(h.rate, 2);
        line += ',' + optionalFixed(h.background, 2);
        line += ',' + optionalFixed(h.excess, 2);
        line += ',' + optionalFixed(h.excessError, 2);
        line += ',' + optionalFixed(h.ratio, 3);
        line += ',' + optionalFixed(h.radiantElevation, 2);
        line += ',' + optionalFixed(h.correctedExcess, 2);
        lines.push_back(std::move(line));
    }
    return lines;
}

std::vector<std::string> activitySummaryLines(const ShowerActivity& a) {
    std::vector<std::string> out;
    out.push_back("Shower=" + a.shower.code + " " + a.shower.name);
    out.push_back("Year=" + std::to_string(a.year));
    out.push_back("ReferenceDays=" + std::to_string(a.referenceDays.size()));
    if (a.peak) {
        out.push_back("Peak=" + formatUtTime(a.peak->hour) + " UT");
        out.push_back("PeakSolarLongitude=" + fixed(a.peak->solarLongitude, 2));
        out.push_back("PeakExcess=" + fixed(a.peak->excess, 1));
    } else {
        out.push_back("Peak=none: " + a.peakProblem);
    }
    if (a.fit.fitted) {
        if (a.fitPeakHour) {
            out.push_back("FitPeak=" + formatUtTime(*a.fitPeakHour) + " UT");
        }
        out.push_back("FitPeakSolarLongitude=" + fixed(a.fit.peakSolarLongitude, 3));
        out.push_back("FitPeakSolarLongitudeError=" + fixed(a.fit.peakSolarLongitudeError, 3));
        out.push_back("FitPeakExcess=" + fixed(a.fit.peakExcess, 1));
        out.push_back("FitPeakExcessError=" + fixed(a.fit.peakExcessError, 1));
        out.push_back("FitRiseSlope=" + fixed(a.fit.riseSlope, 3));
        out.push_back("FitRiseSlopeError=" + fixed(a.fit.riseSlopeError, 3));
        out.push_back("FitFallSlope=" + fixed(a.fit.fallSlope, 3));
        out.push_back("FitFallSlopeError=" + fixed(a.fit.fallSlopeError, 3));
        out.push_back("FitReducedChiSquare=" + fixed(a.fit.reducedChiSquare, 2));
    } else {
        out.push_back("Fit=none: " + a.fit.problem);
    }
    return out;
}

std::string activityCsvFileName(const ShowerActivity& a) {
    return "activity_" + a.shower.code + "_" + std::to_string(a.year) + ".csv";
}
