#pragma once
// A shower's activity in one year from the station's own counts: each hour's
// echo rate against the sporadic background of the same UT hour of day (see
// ActivityBackground), the excess, the peak of its running mean, the fitted
// model of the activity seen through the station's response to the radiant's
// elevation (see ActivityProfileFit), and the doubts about them (see
// ActivityWarning).
//
// Callers build the UT hour counts once (utHourCounts), then call
// computeShowerActivity per shower and year; nothing is kept between calls.

#include "activity/ActivityBackground.h"
#include "activity/ActivityOptions.h"
#include "activity/ActivityProfileFit.h"
#include "activity/ActivityWarning.h"
#include "activity/ShowerCatalog.h"
#include "activity/SkyGeometry.h"
#include "activity/UtHourCounts.h"

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

struct ActivityHour {
    std::int64_t hour = 0;     // hours since 1970-01-01 00:00 UT (start of the hour)
    double solarLongitude = 0; // at the middle of the hour
    bool inPeriod = false;
    bool observed = false; // a row exists (noise or usable)
    bool usable = false;   // observed above the noise threshold
    std::int64_t observedMinutes = 0;
    std::int64_t echoes = 0;
    std::optional<double> rate, rateError, background, excess, excessError, ratio;
    std::optional<double> backgroundError; // the background's standard error
    std::optional<double> radiantElevation, correctedExcess;
    // The fitted model in the period: its elevation factor R(h) (1 without
    // the station's place) and its excess, the activity times that factor.
    std::optional<double> elevationFactor, fitExcess;
};

// An hour whose running mean of the excess could be the peak.
struct PeakCandidate {
    double hour = 0; // hours since 1970-01-01 00:00 UT, with fraction
    double solarLongitude = 0;
    double excess = 0; // the running mean of the excess
    double error = 0;  // of that mean
};

struct ActivityPeak {
    double hour = 0; // hours since 1970-01-01 00:00 UT, with fraction
    double solarLongitude = 0;
    double excess = 0;       // the running mean of the excess at the peak
    double error = 0;        // of that mean
    double significance = 0; // excess / error, sigma
    // The largest other local maximum of the running mean, at least the
    // running mean's width away, and how many more lie within the errors.
    std::optional<PeakCandidate> rival;
    int moreWithinErrors = 0;
};

struct ShowerActivity {
    Shower shower;
    int year = 0;                            // the year in which the activity period ends
    std::int64_t periodStart = 0;            // first hour of the period
    std::int64_t periodEnd = 0;              // first hour after it
    double catalogPeakHour = 0;              // when the Sun reaches the catalogue's peak longitude
    int windowDays = 0;                      // the wider side's window after any widening
    std::vector<std::int64_t> referenceDays; // days since 1970-01-01 the background comes from
    ActivityBackground background;
    bool hasCoordinates = false;
    std::vector<ActivityHour> hours; // every hour from the first reference day to the last
    std::optional<ActivityPeak> peak;
    std::string peakProblem; // why there is no peak, when there is none
    ProfileFit fit;          // longitudes already moved back to 0..360
    std::optional<double> fitPeakHour;
    std::vector<ActivityWarning> warnings; // one per doubt, in a fixed order
};

// The years (of the period's end) in which at least one usable hour falls in
// the shower's activity period, ascending.
std::vector<int> showerYears(const std::vector<UtHourCount>& counts, const Shower& shower);

ShowerActivity computeShowerActivity(const std::vector<UtHourCount>& counts,
                                     const std::vector<Shower>& catalog, const Shower& shower,
                                     int year, const std::optional<GeoPosition>& station,
                                     const ActivityOptions& options = {});

// Whether an hour counts as observed for the analysis: above the noise, with
// a background to measure its excess against.
inline bool hasExcess(const ActivityHour& hour) {
    return hour.excess.has_value();
}
// The stretches of the table's hours without an excess (the reference days'
// too), as [first, end) UT hours: the hours the window shades.
std::vector<std::pair<std::int64_t, std::int64_t>> unobservedStretches(const ShowerActivity& a);

// "YYYY/MM/DD HH:MM" of an hour count with fraction.
std::string formatUtTime(double unixHour);

// The CSV table: header line, then one line per hour.
std::vector<std::string> activityCsvLines(const ShowerActivity& activity);
// The NAME=VALUE lines of the peak, the fit and the warnings.
std::vector<std::string> activitySummaryLines(const ShowerActivity& activity);
// "activity_GEM_2016.csv"
std::string activityCsvFileName(const ShowerActivity& activity);
