#include "activity/ShowerActivity.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <set>

namespace {

std::int64_t floorDiv(std::int64_t a, std::int64_t b) {
    return a >= 0 ? a / b : -((-a + b - 1) / b);
}

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
    const int first = utDateHourOf(counts.front().hour).year;
    const int last = utDateHourOf(counts.back().hour).year + 1;
    for (int y = first; y <= last; ++y) {
        const auto [from, to] = activityPeriod(shower, y);
        auto it = std::lower_bound(counts.begin(), counts.end(), from,
                                   [](const UtHourCount& c, std::int64_t h) { return c.hour < h; });
        for (; it != counts.end() && it->hour < to; ++it) {
            if (it->usable) {
                years.push_back(y);
                break;
            }
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

    const std::int64_t firstDay = floorDiv(a.periodStart, 24);
    const std::int64_t endDay = floorDiv(a.periodEnd, 24); // first day after the period
    const std::int64_t maxWindow = std::max(options.windowDays, options.maximumWindowDays);
    auto countsIn = [&](std::int64_t from, std::int64_t to) {
        auto lo = std::lower_bound(counts.begin(), counts.end(), from,
                                   [](const UtHourCount& c, std::int64_t h) { return c.hour < h; });
        auto hi = std::lower_bound(lo, counts.end(), to,
                                   [](const UtHourCount& c, std::int64_t h) { return c.hour < h; });
        return std::pair{lo, hi};
    };
    auto observedDay = [&](std::int64_t day) {
        auto [lo, hi] = countsIn(day * 24, day * 24 + 24);
        return std::any_of(lo, hi, [](const UtHourCount& c) { return c.usable; });
    };

    // Widen the window until enough observed reference days are found.
    std::vector<std::int64_t> days;
    for (int w = std::max(1, options.windowDays); w <= maxWindow; ++w) {
        days.clear();
        for (std::int64_t d = firstDay - w; d < endDay + w; ++d) {
            if (d == firstDay) {
                d = endDay; // skip the period itself
            }
            if (!inAnotherPeriod(catalog, shower, d, options.interferingZhrAbove) &&
                observedDay(d)) {
                days.push_back(d);
            }
        }
        a.windowDays = w;
        if (static_cast<int>(days.size()) >= options.minimumReferenceDays) {
            break;
        }
    }
    a.referenceDays = days;

    std::array<std::vector<double>, 24> samples;
    for (std::int64_t d : days) {
        auto [lo, hi] = countsIn(d * 24, d * 24 + 24);
        for (auto it = lo; it != hi; ++it) {
            if (it->usable) {
                samples[static_cast<std::size_t>(it->hour - d * 24)].push_back(
                    static_cast<double>(it->echoes) * 60.0 /
                    static_cast<double>(it->observedMinutes));
            }
        }
    }
    for (std::size_t h = 0; h < 24; ++h) {
        std::vector<double>& s = samples[h];
        if (s.empty()) {
            continue;
        }
        HourBackground b;
        b.days = static_cast<int>(s.size());
        b.rate = median(s);
        std::vector<double> deviations;
        for (double v : s) {
            deviations.push_back(std::fabs(v - b.rate));
        }
        b.spread = 1.4826 * median(deviations);
        // A few days' deviations can agree by chance (one day has none at
        // all): the counts' own Poisson scatter is the least the spread can be.
        b.error = 1.2533 * std::max(b.spread, std::sqrt(std::max(b.rate, 1.0))) /
                  std::sqrt(static_cast<double>(b.days));
        a.background[h] = b;
    }

    // The table runs over the reference days and the period.
    std::int64_t tableStart = a.periodStart, tableEnd = a.periodEnd;
    if (!days.empty()) {
        tableStart = std::min(tableStart, days.front() * 24);
        tableEnd = std::max(tableEnd, days.back() * 24 + 24);
    }
    const double approximatePeak = julianDateOfUnixHours(static_cast<double>(a.periodStart));
    const double peakJd = timeOfSolarLongitude(shower.peakSolarLongitude, approximatePeak - 30.0);
    a.catalogPeakHour = (peakJd - kUnixEpochJulianDate) * 24.0;
    const RadiantSky sky(peakJd);

    // The Sun's longitude changes smoothly: computed at each day's start and
    // interpolated, it stays within a millionth of a degree of the full
    // computation for a sixtieth of the work.
    const std::int64_t tableFirstDay = floorDiv(tableStart, 24);
    const std::int64_t tableLastDay = floorDiv(tableEnd - 1, 24);
    std::vector<double> dailyLongitude;
    for (std::int64_t d = tableFirstDay; d <= tableLastDay + 1; ++d) {
        dailyLongitude.push_back(
            solarLongitude(julianDateOfUnixHours(static_cast<double>(d * 24))));
    }
    auto longitudeAt = [&](double unixHour) {
        const double dayPosition = unixHour / 24.0 - static_cast<double>(tableFirstDay);
        const auto i = static_cast<std::size_t>(std::clamp(
            std::floor(dayPosition), 0.0, static_cast<double>(dailyLongitude.size() - 2)));
        const double step = std::remainder(dailyLongitude[i + 1] - dailyLongitude[i], 360.0);
        const double l = dailyLongitude[i] + step * (dayPosition - static_cast<double>(i));
        return std::fmod(l + 360.0, 360.0);
    };

    auto [lo, hi] = countsIn(tableStart, tableEnd);
    auto next = lo;
    a.hours.reserve(static_cast<std::size_t>(tableEnd - tableStart));
    for (std::int64_t h = tableStart; h < tableEnd; ++h) {
        ActivityHour row;
        row.hour = h;
        const double middle = static_cast<double>(h) + 0.5;
        row.solarLongitude = longitudeAt(middle);
        row.inPeriod = h >= a.periodStart && h < a.periodEnd;
        if (next != hi && next->hour == h) {
            row.observed = true;
            row.usable = next->usable;
            row.observedMinutes = next->observedMinutes;
            row.echoes = next->echoes;
            ++next;
        }
        if (station) {
            const double days = (julianDateOfUnixHours(middle) - peakJd);
            row.radiantElevation = sky.elevation(
                shower.rightAscension + shower.rightAscensionDrift * days,
                std::clamp(shower.declination + shower.declinationDrift * days, -90.0, 90.0),
                julianDateOfUnixHours(middle), *station);
        }
        if (row.usable) {
            const double perHour = 60.0 / static_cast<double>(row.observedMinutes);
            row.rate = static_cast<double>(row.echoes) * perHour;
            // A zero count still carries the error of one echo: the hour could
            // as well have seen one.
            row.rateError =
                std::sqrt(static_cast<double>(std::max<std::int64_t>(row.echoes, 1))) * perHour;
            const auto& bg = a.background[static_cast<std::size_t>(h - floorDiv(h, 24) * 24)];
            if (bg) {
                row.background = bg->rate;
                row.excess = *row.rate - bg->rate;
                row.excessError = std::hypot(*row.rateError, bg->error);
                if (bg->rate > 0) {
                    row.ratio = *row.rate / bg->rate;
                }
                if (row.radiantElevation && *row.radiantElevation >= options.minimumElevation) {
                    row.correctedExcess = *row.excess / std::sin(*row.radiantElevation *
                                                                 3.14159265358979323846 / 180.0);
                }
            }
        }
        a.hours.push_back(row);
    }

    // Peak: the largest running mean of the excess within the period.
    const int half = std::max(0, options.smoothingHours / 2);
    std::optional<std::size_t> best;
    double bestValue = 0;
    bool anyExcess = false;
    for (std::size_t i = 0; i < a.hours.size(); ++i) {
        if (!a.hours[i].inPeriod || !a.hours[i].excess) {
            continue;
        }
        anyExcess = true;
        double sum = 0;
        int n = 0;
        for (std::size_t j = i >= static_cast<std::size_t>(half) ? i - half : 0;
             j <= i + static_cast<std::size_t>(half) && j < a.hours.size(); ++j) {
            if (a.hours[j].excess) {
                sum += *a.hours[j].excess;
                ++n;
            }
        }
        if (n > half && (!best || sum / n > bestValue)) {
            best = i;
            bestValue = sum / n;
        }
    }
    if (!anyExcess) {
        a.peakProblem = a.referenceDays.empty()
                            ? "no observed reference days for the background"
                            : "no observed hours with a background in the activity period";
    } else if (!best || bestValue <= 0) {
        a.peakProblem = "no excess over the background in the activity period";
    } else {
        const ActivityHour& p = a.hours[*best];
        a.peak = ActivityPeak{static_cast<double>(p.hour) + 0.5, p.solarLongitude, bestValue};
    }

    std::vector<ProfilePoint> points;
    for (const ActivityHour& h : a.hours) {
        if (h.inPeriod && h.excess) {
            points.push_back({std::remainder(h.solarLongitude - shower.peakSolarLongitude, 360.0),
                              *h.excess, *h.excessError});
        }
    }
    if (!a.peak) {
        a.fit.problem = a.peakProblem.empty() ? "no peak" : a.peakProblem;
        a.fit.points = static_cast<int>(points.size());
    } else {
        a.fit = fitActivityProfile(
            points, std::remainder(a.peak->solarLongitude - shower.peakSolarLongitude, 360.0),
            a.peak->excess, options.minimumFitHours);
    }
    if (a.fit.fitted) {
        const double offset = a.fit.peakSolarLongitude;
        a.fit.peakSolarLongitude = std::fmod(shower.peakSolarLongitude + offset + 720.0, 360.0);
        // The fitted peak outside the observed stretch is an extrapolation
        // nobody should read as a result.
        const double lo = points.front().solarLongitude, hi = points.back().solarLongitude;
        if (offset < lo || offset > hi) {
            a.fit.fitted = false;
            a.fit.problem = "the fitted peak lies outside the observed hours";
        } else {
            const double jd = timeOfSolarLongitude(
                a.fit.peakSolarLongitude,
                julianDateOfUnixHours(static_cast<double>(a.periodStart)) - 1.0);
            a.fitPeakHour = (jd - kUnixEpochJulianDate) * 24.0;
        }
    }
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
