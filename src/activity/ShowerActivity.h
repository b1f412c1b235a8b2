#pragma once
// A shower's activity in one year from the station's own counts: each hour's
// echo rate against the sporadic background of the same UT hour of day, the
// excess, its radiant-corrected value, the peak and a fitted profile.
//
// The background of a UT hour of day is the median rate of that hour over
// reference days: days within a window before the activity period and after
// it, leaving out noise and unobserved hours and days inside the period of
// another listed shower strong enough to lift the rate (interferingZhrAbove).
// Where that leaves fewer than minimumReferenceDays observed days, the window
// widens a day at a time up to maximumWindowDays, since the major showers'
// periods overlap their neighbours'.
//
// Callers build the UT hour counts once (utHourCounts), then call
// computeShowerActivity per shower and year; nothing is kept between calls.

#include "activity/ActivityProfileFit.h"
#include "activity/ShowerCatalog.h"
#include "activity/SkyGeometry.h"
#include "activity/UtHourCounts.h"

#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

struct ActivityOptions {
    int windowDays = 7;           // reference days on each side of the period
    int minimumReferenceDays = 3; // observed reference days wanted before widening stops
    int maximumWindowDays = 30;
    // Another shower's period keeps its days out of the reference days only
    // when its ZHR is above this (or the list gives none: nothing says it is
    // weak). A shower of ZHR 10 or less adds less to a radio station's hourly
    // rate than the sporadic rate's own scatter, and the median shrugs off the
    // few such days; leaving them out as well would empty the window of the
    // Geminids (Northern Taurids, Puppid-Velids, sigma-Hydrids before it,
    // Ursids after it) and push the reference days weeks away.
    double interferingZhrAbove = 10;
    int smoothingHours = 5;         // odd; the running mean that finds the peak
    double minimumElevation = 10.0; // degrees; below it no radiant-corrected excess
    int minimumFitHours = 12;
};

struct HourBackground {
    double rate = 0;   // median echoes per hour
    double spread = 0; // robust standard deviation of the days (1.4826 * MAD)
    // Standard error of the median: 1.2533 * spread / sqrt(days), the spread
    // taken at least as the Poisson scatter sqrt(rate).
    double error = 0;
    int days = 0;
};

struct ActivityHour {
    std::int64_t hour = 0;     // hours since 1970-01-01 00:00 UT (start of the hour)
    double solarLongitude = 0; // at the middle of the hour
    bool inPeriod = false;
    bool observed = false; // a row exists (noise or usable)
    bool usable = false;   // observed above the noise threshold
    std::int64_t observedMinutes = 0;
    std::int64_t echoes = 0;
    std::optional<double> rate, rateError, background, excess, excessError, ratio;
    std::optional<double> radiantElevation, correctedExcess;
};

struct ActivityPeak {
    double hour = 0; // hours since 1970-01-01 00:00 UT, with fraction
    double solarLongitude = 0;
    double excess = 0; // the smoothed excess at the peak
};

struct ShowerActivity {
    Shower shower;
    int year = 0;                            // the year in which the activity period ends
    std::int64_t periodStart = 0;            // first hour of the period
    std::int64_t periodEnd = 0;              // first hour after it
    double catalogPeakHour = 0;              // when the Sun reaches the catalogue's peak longitude
    int windowDays = 0;                      // after any widening
    std::vector<std::int64_t> referenceDays; // days since 1970-01-01 with observed hours
    std::array<std::optional<HourBackground>, 24> background;
    bool hasCoordinates = false;
    std::vector<ActivityHour> hours; // every hour from the first reference day to the last
    std::optional<ActivityPeak> peak;
    std::string peakProblem; // why there is no peak, when there is none
    ProfileFit fit;          // peak longitude already moved back to 0..360
    std::optional<double> fitPeakHour;
};

// The years (of the period's end) in which at least one usable hour falls in
// the shower's activity period, ascending.
std::vector<int> showerYears(const std::vector<UtHourCount>& counts, const Shower& shower);

// The activity period of the shower that ends in the given year, as UT hours.
std::pair<std::int64_t, std::int64_t> activityPeriod(const Shower& shower, int year);

ShowerActivity computeShowerActivity(const std::vector<UtHourCount>& counts,
                                     const std::vector<Shower>& catalog, const Shower& shower,
                                     int year, const std::optional<GeoPosition>& station,
                                     const ActivityOptions& options = {});

// "YYYY/MM/DD HH:MM" of an hour count with fraction.
std::string formatUtTime(double unixHour);

// The CSV table: header line, then one line per hour.
std::vector<std::string> activityCsvLines(const ShowerActivity& activity);
// The NAME=VALUE lines of the peak and the fit.
std::vector<std::string> activitySummaryLines(const ShowerActivity& activity);
// "activity_GEM_2016.csv"
std::string activityCsvFileName(const ShowerActivity& activity);
