#include "activity/ActivityWarning.h"

#include "activity/ShowerActivity.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <set>

// Each doubt is looked for by its own function, in the order the warnings
// are listed: the peak, the fit, the coverage of the maxima, the background.

namespace {

std::string fixed(double v, int decimals) {
    char buf[64];
    std::snprintf(buf, sizeof buf, "%.*f", decimals, v);
    return buf;
}

std::string utText(double hour) {
    return formatUtTime(hour) + " UT";
}

std::string dayText(std::int64_t day) {
    return formatUtTime(static_cast<double>(day * 24)).substr(0, 10);
}

// "2007/01/13 to 2007/01/19, 2007/01/21": runs of days joined.
std::string daysText(const std::vector<std::int64_t>& days) {
    std::string text;
    for (std::size_t i = 0; i < days.size();) {
        std::size_t j = i;
        while (j + 1 < days.size() && days[j + 1] == days[j] + 1) {
            ++j;
        }
        text += (text.empty() ? "" : ", ") + dayText(days[i]);
        if (j > i) {
            text += " to " + dayText(days[j]);
        }
        i = j + 1;
    }
    return text;
}

const ActivityHour* hourAt(const ShowerActivity& a, std::int64_t hour) {
    if (a.hours.empty() || hour < a.hours.front().hour || hour > a.hours.back().hour) {
        return nullptr;
    }
    return &a.hours[static_cast<std::size_t>(hour - a.hours.front().hour)];
}

bool observedAt(const ShowerActivity& a, std::int64_t hour) {
    const ActivityHour* h = hourAt(a, hour);
    return h && hasExcess(*h);
}

ActivityWarning warning(ActivityWarningKind kind, std::string text) {
    ActivityWarning w;
    w.kind = kind;
    w.text = std::move(text);
    return w;
}

// --- The peak ---------------------------------------------------------------

void addPeakWarnings(std::vector<ActivityWarning>& out, const ShowerActivity& a,
                     const ActivityOptions& options) {
    if (!a.peak) {
        return;
    }
    const ActivityPeak& p = *a.peak;
    if (p.rival) {
        const PeakCandidate& r = *p.rival;
        const double difference = std::hypot(p.error, r.error);
        if (std::fabs(p.excess - r.excess) <= 1e-9 * std::max(1.0, std::fabs(p.excess))) {
            ActivityWarning w = warning(ActivityWarningKind::PeakTie,
                                        "two hours tie for the peak: " + utText(p.hour) + " and " +
                                            utText(r.hour) + " both have a mean excess of " +
                                            fixed(p.excess, 1) + "; the earlier is given");
            w.firstHour = p.hour;
            w.secondHour = r.hour;
            w.firstValue = p.excess;
            out.push_back(w);
        } else if (p.excess - r.excess <= difference) {
            ActivityWarning w = warning(
                ActivityWarningKind::PeakNearTie,
                "another candidate lies within the errors of the peak: " + utText(r.hour) +
                    " with a mean excess of " + fixed(r.excess, 1) + " against " +
                    fixed(p.excess, 1) + " at " + utText(p.hour) + " (difference " +
                    fixed(p.excess - r.excess, 1) + " +- " + fixed(difference, 1) + ")" +
                    (p.moreWithinErrors > 0
                         ? ", and " + std::to_string(p.moreWithinErrors) + " more within errors"
                         : std::string()));
            w.firstHour = p.hour;
            w.secondHour = r.hour;
            w.firstValue = p.excess;
            w.secondValue = r.excess;
            w.thirdValue = difference;
            w.count = p.moreWithinErrors;
            out.push_back(w);
        }
    }
    if (p.significance < options.weakSignificance) {
        ActivityWarning w =
            warning(ActivityWarningKind::WeakPeak,
                    "the peak is only " + fixed(p.significance, 1) + " sigma above the background");
        w.firstValue = p.significance;
        out.push_back(w);
    }
}

// --- The fit ----------------------------------------------------------------

// The unobserved stretch around an hour: its first hour and the first
// observed hour after it.
std::pair<std::int64_t, std::int64_t> gapAround(const ShowerActivity& a, std::int64_t hour) {
    std::int64_t first = hour, end = hour + 1;
    while (hourAt(a, first - 1) && !observedAt(a, first - 1)) {
        --first;
    }
    while (hourAt(a, end) && !observedAt(a, end)) {
        ++end;
    }
    return {first, end};
}

// Whether the fitted maximum was dated from the flanks rather than seen: in
// unobserved hours, or with the radiant down.
bool addFitMaximumWarnings(std::vector<ActivityWarning>& out, const ShowerActivity& a) {
    const double t = *a.fitPeakHour;
    const auto hour = static_cast<std::int64_t>(std::floor(t));
    const ActivityHour* h = hourAt(a, hour);
    if (!observedAt(a, hour)) {
        const auto [first, end] = gapAround(a, hour);
        ActivityWarning w = warning(
            ActivityWarningKind::FitMaximumInGap,
            "the fitted maximum (" + utText(t) + ") falls in unobserved hours (" +
                utText(static_cast<double>(first)) + " to " + utText(static_cast<double>(end)) +
                "): its time is inferred from the flanks");
        w.firstHour = t;
        w.secondHour = static_cast<double>(first);
        w.thirdHour = static_cast<double>(end);
        out.push_back(w);
        return true;
    }
    if (h && h->radiantElevation && *h->radiantElevation <= 0) {
        ActivityWarning w = warning(ActivityWarningKind::FitMaximumRadiantDown,
                                    "the fitted maximum (" + utText(t) +
                                        ") falls while the radiant is below the horizon (" +
                                        fixed(*h->radiantElevation, 1) +
                                        " deg): its time is inferred from the flanks");
        w.firstHour = t;
        w.firstValue = *h->radiantElevation;
        out.push_back(w);
        return true;
    }
    return false;
}

void addIntervalWarnings(std::vector<ActivityWarning>& out, const ProfileFit& f) {
    if (f.secondMinimum) {
        const SecondMinimum& m = *f.secondMinimum;
        ActivityWarning w = warning(
            ActivityWarningKind::TwoMinima,
            "the fit has two minima of similar depth: solar longitude " +
                fixed(f.peakSolarLongitude, 3) + " (best) and " + fixed(m.solarLongitude, 3) +
                " (chi-square higher by " + fixed(m.chiSquareAbove, 1) + ")" +
                (m.others > 0 ? ", and " + std::to_string(m.others) + " more" : std::string()));
        w.firstValue = f.peakSolarLongitude;
        w.secondValue = m.solarLongitude;
        w.thirdValue = m.chiSquareAbove;
        w.count = m.others;
        out.push_back(w);
    }
    const auto open = [&](ActivitySide side, double bound, const char* end) {
        ActivityWarning w =
            warning(ActivityWarningKind::IntervalOpen,
                    "the interval of the fitted maximum reaches the " + std::string(end) +
                        " of the observed hours (" + fixed(bound, 3) + "): it may reach further");
        w.side = side;
        w.firstValue = bound;
        out.push_back(w);
    };
    if (f.intervalOpenBelow) {
        open(ActivitySide::Before, f.peakSolarLongitudeLow, "start");
    }
    if (f.intervalOpenAbove) {
        open(ActivitySide::After, f.peakSolarLongitudeHigh, "end");
    }
}

void addSlopeWarnings(std::vector<ActivityWarning>& out, const ProfileFit& f) {
    const auto cliff = [&](ActivitySide side, double slope, const char* what) {
        if (slope < 0.99 * kSteepestSlope) {
            return;
        }
        ActivityWarning w =
            warning(ActivityWarningKind::SlopeAtCeiling, std::string("the fitted ") + what +
                                                             " is as steep as the fit "
                                                             "allows (" +
                                                             fixed(slope, 1) +
                                                             " per degree): a few hours "
                                                             "decide where the maximum is");
        w.side = side;
        w.firstValue = slope;
        out.push_back(w);
    };
    cliff(ActivitySide::Before, f.riseSlope, "rise");
    cliff(ActivitySide::After, f.fallSlope, "fall");
}

// Returns whether the fitted maximum was seen (no warning about its hour).
bool addFitWarnings(std::vector<ActivityWarning>& out, const ShowerActivity& a,
                    const ActivityOptions& options) {
    if (!a.fit.fitted) {
        return true;
    }
    const bool inferred = a.fitPeakHour && addFitMaximumWarnings(out, a);
    addIntervalWarnings(out, a.fit);
    addSlopeWarnings(out, a.fit);
    const double sigma = a.fit.amplitudeSignificance;
    if (sigma < options.weakSignificance) {
        ActivityWarning w =
            warning(ActivityWarningKind::WeakFit,
                    "the fitted amplitude is only " + fixed(sigma, 1) + " sigma above zero");
        w.firstValue = sigma;
        out.push_back(w);
    }
    return !inferred;
}

// --- Coverage of the maxima -------------------------------------------------

// The unobserved hours among the 24 whose middles lie within 12 hours of a
// time; one warning per set of hours not already named by another.
void addCoverageWarning(std::vector<ActivityWarning>& out, std::set<std::int64_t>& named,
                        const ShowerActivity& a, ActivityMaximum subject, double time,
                        const ActivityOptions& options) {
    static const char* const kNames[] = {"the catalogue maximum", "the peak", "the fitted maximum"};
    const auto first = static_cast<std::int64_t>(std::ceil(time - 12.5));
    std::vector<std::int64_t> missing;
    for (std::int64_t h = first; h < first + 24; ++h) {
        if (!observedAt(a, h)) {
            missing.push_back(h);
        }
    }
    if (static_cast<int>(missing.size()) < options.unobservedHoursNearMaximum ||
        std::all_of(missing.begin(), missing.end(), [&](auto h) { return named.count(h) > 0; })) {
        return;
    }
    named.insert(missing.begin(), missing.end());
    ActivityWarning w =
        warning(ActivityWarningKind::MaximumUnobserved,
                std::to_string(missing.size()) + " of the 24 hours within 12 hours of " +
                    kNames[static_cast<int>(subject)] + " (" + utText(time) +
                    ") were not observed (" + utText(static_cast<double>(missing.front())) +
                    " to " + utText(static_cast<double>(missing.back() + 1)) + ")");
    w.subject = subject;
    w.firstHour = time;
    w.secondHour = static_cast<double>(missing.front());
    w.thirdHour = static_cast<double>(missing.back() + 1);
    w.count = static_cast<int>(missing.size());
    out.push_back(w);
}

// --- The background ---------------------------------------------------------

void addBackgroundWarnings(std::vector<ActivityWarning>& out, const ShowerActivity& a) {
    const ActivityBackground& b = a.background;
    if (b.source == BackgroundSource::BeforeOnly || b.source == BackgroundSource::AfterOnly) {
        const bool before = b.source == BackgroundSource::BeforeOnly;
        ActivityWarning w =
            warning(ActivityWarningKind::OneSidedBackground,
                    std::string("the background comes from days ") + (before ? "before" : "after") +
                        " the period only (" + daysText(a.referenceDays) +
                        "): it cannot follow a drift of the sporadic rate across the period");
        w.side = before ? ActivitySide::Before : ActivitySide::After;
        w.days = a.referenceDays;
        out.push_back(w);
    } else if (b.source == BackgroundSource::QuietDays) {
        ActivityWarning w = warning(ActivityWarningKind::QuietDaysBackground,
                                    "too few reference days outside the period: the background "
                                    "comes from the observed days farthest from the maximum (" +
                                        daysText(a.referenceDays) + ")");
        w.days = a.referenceDays;
        out.push_back(w);
    }
}

} // namespace

std::vector<ActivityWarning> activityWarnings(const ShowerActivity& a,
                                              const ActivityOptions& options) {
    std::vector<ActivityWarning> out;
    addPeakWarnings(out, a, options);
    const bool fitMaximumSeen = addFitWarnings(out, a, options);
    std::set<std::int64_t> named;
    addCoverageWarning(out, named, a, ActivityMaximum::Catalogue, a.catalogPeakHour, options);
    if (a.peak) {
        addCoverageWarning(out, named, a, ActivityMaximum::Peak, a.peak->hour, options);
    }
    if (a.fitPeakHour && fitMaximumSeen) {
        addCoverageWarning(out, named, a, ActivityMaximum::Fit, *a.fitPeakHour, options);
    }
    addBackgroundWarnings(out, a);
    return out;
}
