// The shower analysis as text: the hourly CSV table and the NAME=VALUE lines
// of the peak, the fit and the warnings, for the command line and the files.

#include "activity/ShowerActivity.h"

#include <cmath>
#include <cstdio>

namespace {

std::string fixed(double v, int decimals) {
    char buf[64];
    std::snprintf(buf, sizeof buf, "%.*f", decimals, v);
    return buf;
}

std::string optionalFixed(const std::optional<double>& v, int decimals) {
    return v ? fixed(*v, decimals) : std::string();
}

void appendPeakLines(std::vector<std::string>& out, const ShowerActivity& a) {
    if (!a.peak) {
        out.push_back("Peak=none: " + a.peakProblem);
        return;
    }
    out.push_back("Peak=" + formatUtTime(a.peak->hour) + " UT");
    out.push_back("PeakSolarLongitude=" + fixed(a.peak->solarLongitude, 2));
    out.push_back("PeakExcess=" + fixed(a.peak->excess, 1));
    out.push_back("PeakSignificance=" + fixed(a.peak->significance, 1));
}

void appendFitLines(std::vector<std::string>& out, const ShowerActivity& a) {
    const ProfileFit& f = a.fit;
    if (!f.fitted) {
        out.push_back("Fit=none: " + f.problem);
        return;
    }
    if (a.fitPeakHour) {
        out.push_back("FitPeak=" + formatUtTime(*a.fitPeakHour) + " UT");
    }
    out.push_back("FitPeakSolarLongitude=" + fixed(f.peakSolarLongitude, 3));
    out.push_back("FitPeakSolarLongitudeError=" + fixed(f.peakSolarLongitudeError, 3));
    out.push_back("FitPeakSolarLongitudeLow=" + fixed(f.peakSolarLongitudeLow, 3));
    out.push_back("FitPeakSolarLongitudeHigh=" + fixed(f.peakSolarLongitudeHigh, 3));
    out.push_back("FitPeakExcess=" + fixed(f.peakExcess, 1));
    out.push_back("FitPeakExcessError=" + fixed(f.peakExcessError, 1));
    out.push_back("FitSignificance=" + fixed(f.amplitudeSignificance, 1));
    out.push_back("FitRiseSlope=" + fixed(f.riseSlope, 3));
    out.push_back("FitRiseSlopeError=" + fixed(f.riseSlopeError, 3));
    out.push_back("FitFallSlope=" + fixed(f.fallSlope, 3));
    out.push_back("FitFallSlopeError=" + fixed(f.fallSlopeError, 3));
    if (f.withElevation) {
        out.push_back("FitSinePower=" + fixed(f.response.sinePower, 2));
        out.push_back("FitSinePowerError=" + fixed(f.sinePowerError, 2));
        out.push_back("FitCosinePower=" + fixed(f.response.cosinePower, 2));
        out.push_back("FitCosinePowerError=" + fixed(f.cosinePowerError, 2));
        out.push_back("FitBestElevation=" + fixed(f.response.bestElevation, 1));
    }
    out.push_back("FitReducedChiSquare=" + fixed(f.reducedChiSquare, 2));
}

} // namespace

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
                    "excess_error,ratio,radiant_elevation,corrected_excess,elevation_factor,"
                    "fit_excess");
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
        line += ',' + optionalFixed(h.elevationFactor, 3);
        line += ',' + optionalFixed(h.fitExcess, 2);
        lines.push_back(std::move(line));
    }
    return lines;
}

std::vector<std::string> activitySummaryLines(const ShowerActivity& a) {
    std::vector<std::string> out;
    out.push_back("Shower=" + a.shower.code + " " + a.shower.name);
    out.push_back("Year=" + std::to_string(a.year));
    out.push_back("ReferenceDays=" + std::to_string(a.referenceDays.size()));
    appendPeakLines(out, a);
    appendFitLines(out, a);
    for (const ActivityWarning& w : a.warnings) {
        out.push_back("Warning=" + w.text);
    }
    return out;
}

std::string activityCsvFileName(const ShowerActivity& a) {
    return "activity_" + a.shower.code + "_" + std::to_string(a.year) + ".csv";
}
