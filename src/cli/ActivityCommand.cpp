#include "ActivityCommand.h"

#include "activity/ShowerActivity.h"
#include "activity/StationCoordinates.h"
#include "shared/TextFile.h"

#include <algorithm>
#include <cstdio>
#include <stdexcept>

namespace {

std::string fixed(double v, int decimals) {
    char buf[64];
    std::snprintf(buf, sizeof buf, "%.*f", decimals, v);
    return buf;
}

const Shower& requestedShower(const ActivityRequest& request) {
    if (const Shower* shower = findShower(request.showers, request.showerCode)) {
        return *shower;
    }
    // A mistyped code is the usual cause: the list tells the right one.
    std::string known;
    for (const Shower& s : request.showers) {
        known += (known.empty() ? "" : " ") + s.code;
    }
    throw std::runtime_error("unknown shower '" + request.showerCode + "' (known: " + known + ")");
}

// The year asked for, or every year the data cover; a year without one
// observed hour in the period would give an empty table.
std::vector<int> requestedYears(const std::vector<UtHourCount>& counts, const Shower& shower,
                                const std::optional<int>& year) {
    const std::vector<int> covered = showerYears(counts, shower);
    if (!year) {
        if (covered.empty()) {
            throw std::runtime_error("the data cover no activity period of " + shower.code);
        }
        return covered;
    }
    if (std::find(covered.begin(), covered.end(), *year) == covered.end()) {
        throw std::runtime_error("the data have no observed hour in the " + std::to_string(*year) +
                                 " activity period of " + shower.code);
    }
    return {*year};
}

constexpr const char* kComparisonColumns =
    "ComparisonColumns=year,peak_ut,peak_solar_longitude,peak_excess,fit_peak_solar_longitude,"
    "fit_peak_solar_longitude_error,fit_peak_excess,fit_rise_slope,fit_fall_slope,"
    "peak_significance,fit_peak_solar_longitude_low,fit_peak_solar_longitude_high,warnings";

// One year's peak and fit in kComparisonColumns' order, empty cells where
// there is none, so that the years line up in a spreadsheet.
std::string comparisonLine(const ShowerActivity& a) {
    std::string line = "Comparison=" + std::to_string(a.year) + ",";
    if (a.peak) {
        line += formatUtTime(a.peak->hour) + "," + fixed(a.peak->solarLongitude, 2) + "," +
                fixed(a.peak->excess, 1);
    } else {
        line += ",,";
    }
    line += ",";
    const ProfileFit& f = a.fit;
    if (f.fitted) {
        line += fixed(f.peakSolarLongitude, 3) + "," + fixed(f.peakSolarLongitudeError, 3) + "," +
                fixed(f.peakExcess, 1) + "," + fixed(f.riseSlope, 3) + "," + fixed(f.fallSlope, 3);
    } else {
        line += ",,,,";
    }
    line += ',';
    if (a.peak) {
        line += fixed(a.peak->significance, 1);
    }
    line += ',';
    if (f.fitted) {
        line += fixed(f.peakSolarLongitudeLow, 3) + "," + fixed(f.peakSolarLongitudeHigh, 3);
    } else {
        line += ',';
    }
    line += ',';
    line += std::to_string(a.warnings.size());
    return line;
}

} // namespace

std::vector<std::string> runActivityCommand(const UtHourList& hours, const ActivityRequest& request,
                                            const OutputWriter& writer) {
    const Shower& shower = requestedShower(request);
    const std::vector<UtHourCount> counts = utHourCounts(hours);
    const std::vector<int> years = requestedYears(counts, shower, request.year);
    const std::optional<GeoPosition> station = stationPosition(request.station);
    std::vector<std::string> out;
    if (!station) {
        out.push_back("Note=no station coordinates: no radiant elevation or corrected excess");
    }
    // One year asked for gets its whole summary; many years get one line
    // each, compared at the end.
    std::vector<std::string> comparison, warnings;
    for (int year : years) {
        const ShowerActivity a =
            computeShowerActivity(counts, request.showers, shower, year, station, request.options);
        const std::string file = activityCsvFileName(a);
        writeLinesToFile(writer.pathOf(file), activityCsvLines(a));
        if (request.year) {
            const std::vector<std::string> summary = activitySummaryLines(a);
            out.insert(out.end(), summary.begin(), summary.end());
        }
        out.push_back("File=" + file);
        comparison.push_back(comparisonLine(a));
        for (const ActivityWarning& w : a.warnings) {
            warnings.push_back("Warning=" + std::to_string(year) + ": " + w.text);
        }
    }
    if (!request.year) {
        out.push_back(kComparisonColumns);
        out.insert(out.end(), comparison.begin(), comparison.end());
        out.insert(out.end(), warnings.begin(), warnings.end());
    }
    return out;
}
