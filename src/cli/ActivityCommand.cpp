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

} // namespace

std::vector<std::string> runActivityCommand(const UtHourList& hours, const ActivityRequest& request,
                                            const OutputWriter& writer) {
    const Shower* shower = findShower(request.showers, request.showerCode);
    if (!shower) {
        std::string known;
        for (const Shower& s : request.showers) {
            known += (known.empty() ? "" : " ") + s.code;
        }
        throw std::runtime_error("unknown shower '" + request.showerCode + "' (known: " + known +
                                 ")");
    }
    const std::vector<UtHourCount> counts = utHourCounts(hours);
    const std::vector<int> covered = showerYears(counts, *shower);
    std::vector<int> years;
    if (request.year) {
        if (std::find(covered.begin(), covered.end(), *request.year) == covered.end()) {
            throw std::runtime_error("the data have no observed hour in the " +
                                     std::to_string(*request.year) + " activity period of " +
                                     shower->code);
        }
        years.push_back(*request.year);
    } else {
        if (covered.empty()) {
            throw std::runtime_error("the data cover no activity period of " + shower->code);
        }
        years = covered;
    }
    const std::optional<GeoPosition> station = stationPosition(request.station);
    std::vector<std::string> out;
    if (!station) {
        out.push_back("Note=no station coordinates: no radiant elevation or corrected excess");
    }
    std::vector<std::string> comparison;
    for (int year : years) {
        const ShowerActivity a =
            computeShowerActivity(counts, request.showers, *shower, year, station, request.options);
        const std::string file = activityCsvFileName(a);
        writeLinesToFile(writer.pathOf(file), activityCsvLines(a));
        if (request.year) {
            for (const std::string& line : activitySummaryLines(a)) {
                out.push_back(line);
            }
        }
        out.push_back("File=" + file);
        std::string line = "Comparison=" + std::to_string(year) + ",";
        if (a.peak) {
            line += formatUtTime(a.peak->hour) + "," + fixed(a.peak->solarLongitude, 2) + "," +
                    fixed(a.peak->excess, 1);
        } else {
            line += ",,";
        }
        line += ",";
        if (a.fit.fitted) {
            line += fixed(a.fit.peakSolarLongitude, 3) + "," +
                    fixed(a.fit.peakSolarLongitudeError, 3) + "," + fixed(a.fit.peakExcess, 1) +
                    "," + fixed(a.fit.riseSlope, 3) + "," + fixed(a.fit.fallSlope, 3);
        } else {
            line += ",,,,";
        }
        comparison.push_back(line);
    }
    if (!request.year) {
        out.push_back("ComparisonColumns=year,peak_ut,peak_solar_longitude,peak_excess,"
                      "fit_peak_solar_longitude,fit_peak_solar_longitude_error,fit_peak_excess,"
                      "fit_rise_slope,fit_fall_slope");
        out.insert(out.end(), comparison.begin(), comparison.end());
    }
    return out;
}
