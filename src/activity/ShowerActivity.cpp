#include "activity/ShowerActivity.h"

#include <algorithm>
#include <cmath>

// The analysis runs as named steps, each its own function so that one rule
// can change without touching the others: the background (its own unit), the
// table of hours with their excess, the peak search, the fit of the model
// (its own unit), the model's value in each hour and the warnings (their own
// unit).

namespace {

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

void setExcess(ActivityHour& row, const BackgroundValue& background, double minimumElevation) {
    row.background = background.rate;
    row.backgroundError = background.error;
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
    const DailySolarLongitude longitude(utDayOf(tableStart), utDayOf(tableEnd - 1));
    const RadiantSky sky(peakJd);
    auto [next, end] = countsBetween(counts, tableStart, tableEnd);
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
            if (const std::optional<BackgroundValue> background = a.background.at(h)) {
                setExcess(row, *background, minimumElevation);
            }
        }
        hours.push_back(row);
    }
    return hours;
}

// --- Peak -------------------------------------------------------------------

// The mean excess of the hours around hour i that have one, and its error. A
// single hour's count scatters too much to date a peak, and a mean of few
// hours between gaps no less: nothing unless more than half the window's
// hours have one.
std::optional<PeakCandidate> smoothedExcess(const std::vector<ActivityHour>& hours, std::size_t i,
                                            int half) {
    double sum = 0, variance = 0;
    int n = 0;
    for (std::size_t j = i >= static_cast<std::size_t>(half) ? i - half : 0;
         j <= i + static_cast<std::size_t>(half) && j < hours.size(); ++j) {
        if (hours[j].excess) {
            sum += *hours[j].excess;
            variance += *hours[j].excessError * *hours[j].excessError;
            ++n;
        }
    }
    if (n <= half) {
        return std::nullopt;
    }
    const ActivityHour& h = hours[i];
    return PeakCandidate{static_cast<double>(h.hour) + 0.5, h.solarLongitude, sum / n,
                         std::sqrt(variance) / n};
}

// The running mean at each hour of the period that has an excess.
std::vector<std::optional<PeakCandidate>> runningMeans(const std::vector<ActivityHour>& hours,
                                                       int half) {
    std::vector<std::optional<PeakCandidate>> means(hours.size());
    for (std::size_t i = 0; i < hours.size(); ++i) {
        if (hours[i].inPeriod && hours[i].excess) {
            means[i] = smoothedExcess(hours, i, half);
        }
    }
    return means;
}

bool isLocalMaximum(const std::vector<std::optional<PeakCandidate>>& means, std::size_t i,
                    int half) {
    for (std::size_t j = i >= static_cast<std::size_t>(half) ? i - half : 0;
         j <= i + static_cast<std::size_t>(half) && j < means.size(); ++j) {
        if (means[j] && means[j]->excess > means[i]->excess) {
            return false;
        }
    }
    return true;
}

// The largest other local maximum at least a running mean's width from the
// peak (the earliest of equals), and how many more lie within the errors.
void findRival(ActivityPeak& peak, const std::vector<std::optional<PeakCandidate>>& means,
               int half) {
    const double width = 2.0 * half + 1;
    std::vector<PeakCandidate> rivals;
    for (std::size_t i = 0; i < means.size(); ++i) {
        if (means[i] && std::fabs(means[i]->hour - peak.hour) >= width &&
            isLocalMaximum(means, i, half)) {
            rivals.push_back(*means[i]);
        }
    }
    const auto within = [&](const PeakCandidate& c) {
        return peak.excess - c.excess <= std::hypot(peak.error, c.error);
    };
    for (const PeakCandidate& c : rivals) {
        if (!peak.rival || c.excess > peak.rival->excess) {
            peak.rival = c;
        }
    }
    if (peak.rival) {
        peak.moreWithinErrors =
            static_cast<int>(std::count_if(rivals.begin(), rivals.end(), within)) -
            (within(*peak.rival) ? 1 : 0);
    }
}

struct PeakSearch {
    std::optional<ActivityPeak> peak;
    std::string problem; // why there is none
};

// The largest running mean of the excess within the period; the earliest of
// equals, and the rival says so.
PeakSearch findPeak(const std::vector<ActivityHour>& hours, bool haveReferenceDays,
                    int smoothingHours) {
    const int half = std::max(0, smoothingHours / 2);
    const std::vector<std::optional<PeakCandidate>> means = runningMeans(hours, half);
    const bool anyExcess = std::any_of(
        hours.begin(), hours.end(), [](const ActivityHour& h) { return h.inPeriod && h.excess; });
    std::optional<PeakCandidate> best;
    for (const std::optional<PeakCandidate>& m : means) {
        if (m && (!best || m->excess > best->excess)) {
            best = m;
        }
    }
    if (!anyExcess) {
        return {std::nullopt, haveReferenceDays
                                  ? "no observed hours with a background in the activity period"
                                  : "no observed reference days for the background"};
    }
    if (!best || best->excess <= 0) {
        return {std::nullopt, "no excess over the background in the activity period"};
    }
    ActivityPeak peak;
    peak.hour = best->hour;
    peak.solarLongitude = best->solarLongitude;
    peak.excess = best->excess;
    peak.error = best->error;
    peak.significance = best->error > 0 ? best->excess / best->error : 0.0;
    findRival(peak, means, half);
    return {peak, {}};
}

// --- Fit --------------------------------------------------------------------

// The solar longitude an hour of the table covers, from its neighbours'
// middles (the table holds every hour).
double longitudeSpan(const std::vector<ActivityHour>& hours, std::size_t i) {
    const std::size_t before = i > 0 ? i - 1 : i;
    const std::size_t after = i + 1 < hours.size() ? i + 1 : i;
    return after == before
               ? 0.0
               : std::remainder(hours[after].solarLongitude - hours[before].solarLongitude, 360.0) /
                     static_cast<double>(after - before);
}

// The period's hours with an excess, their longitude counted from the
// catalogue's peak: a period across 0 degrees then has no jump at 360.
std::vector<ProfilePoint> profilePoints(const std::vector<ActivityHour>& hours,
                                        double catalogPeakLongitude) {
    std::vector<ProfilePoint> points;
    for (std::size_t i = 0; i < hours.size(); ++i) {
        const ActivityHour& h = hours[i];
        if (h.inPeriod && h.excess) {
            points.push_back({std::remainder(h.solarLongitude - catalogPeakLongitude, 360.0),
                              *h.excess, *h.background, *h.backgroundError,
                              static_cast<double>(h.observedMinutes), h.radiantElevation,
                              longitudeSpan(hours, i)});
        }
    }
    return points;
}

// The fit searches the whole observed stretch; without a peak there is no
// excess to fit, and the observer reads the peak's reason.
ProfileFit fitProfile(const std::vector<ProfilePoint>& points, const ShowerActivity& a,
                      const ActivityOptions& options) {
    if (!a.peak || points.empty()) {
        ProfileFit none;
        none.problem = a.peakProblem.empty() ? "no peak" : a.peakProblem;
        none.points = static_cast<int>(points.size());
        return none;
    }
    ProfileSearch search;
    search.from = points.front().solarLongitude;
    search.to = points.back().solarLongitude;
    search.step = options.searchStep;
    search.startPeakExcess = a.peak->excess;
    search.minimumPoints = options.minimumFitHours;
    return fitActivityProfile(points, search);
}

// Moves the fitted longitudes from the catalogue's origin back to 0..360,
// dates the maximum and gives each hour the model's value over the hour.
void placeFit(ShowerActivity& a) {
    if (!a.fit.fitted) {
        return;
    }
    a.fit.shiftLongitudes(a.shower.peakSolarLongitude);
    const double jd = timeOfSolarLongitude(
        a.fit.peakSolarLongitude, julianDateOfUnixHours(static_cast<double>(a.periodStart)) - 1.0);
    a.fitPeakHour = (jd - kUnixEpochJulianDate) * 24.0;
    for (std::size_t i = 0; i < a.hours.size(); ++i) {
        ActivityHour& h = a.hours[i];
        h.elevationFactor = a.fit.withElevation && h.radiantElevation
                                ? a.fit.response.factor(*h.radiantElevation)
                                : 1.0;
        h.fitExcess =
            a.fit.excessAt(h.solarLongitude, h.radiantElevation, longitudeSpan(a.hours, i));
    }
}

} // namespace

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
        if (anyUsable(countsBetween(counts, from, to))) {
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

    a.background = chooseBackground(counts, catalog, shower, {a.periodStart, a.periodEnd}, options);
    a.referenceDays = a.background.days();
    a.windowDays = std::max(a.background.before.windowDays, a.background.after.windowDays);

    const double peakJd = catalogPeakJulianDate(shower, a.periodStart);
    a.catalogPeakHour = (peakJd - kUnixEpochJulianDate) * 24.0;
    a.hours = activityHours(counts, a, peakJd, station, options.minimumElevation);

    PeakSearch search = findPeak(a.hours, !a.referenceDays.empty(), options.smoothingHours);
    a.peak = search.peak;
    a.peakProblem = std::move(search.problem);

    if (options.fitModel) {
        a.fit = fitProfile(profilePoints(a.hours, shower.peakSolarLongitude), a, options);
    } else {
        a.fit.problem = "not asked for";
    }
    placeFit(a);
    a.warnings = activityWarnings(a, options);
    return a;
}

std::vector<std::pair<std::int64_t, std::int64_t>> unobservedStretches(const ShowerActivity& a) {
    std::vector<std::pair<std::int64_t, std::int64_t>> stretches;
    for (const ActivityHour& h : a.hours) {
        if (hasExcess(h)) {
            continue;
        }
        if (!stretches.empty() && stretches.back().second == h.hour) {
            stretches.back().second = h.hour + 1;
        } else {
            stretches.emplace_back(h.hour, h.hour + 1);
        }
    }
    return stretches;
}
