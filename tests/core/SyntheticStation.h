#pragma once
// Hourly counts of a made-up forward-scatter station, for checking the shower
// analysis against maxima known in advance: a sporadic rate with its daily
// cycle (and, if asked, a slow drift), plus a shower whose activity follows
// the two-sided exponential profile in solar longitude, seen through the
// station's response sin^a(h) cos^b(h) to the radiant's elevation h (zero
// below the horizon, 1 at its best elevation). Counts are Poisson draws from
// the benchmark generator's integer sampler, so a seed gives the same counts
// on every compiler and library.

#include "../../bench/GenData.h"
#include "activity/ShowerCatalog.h"
#include "activity/SkyGeometry.h"
#include "activity/UtHourCounts.h"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <vector>

namespace synthetic {

struct ShowerTruth {
    double peakSolarLongitude = 262.05; // J2000
    double peakExcess = 150;            // echoes per hour at the maximum, radiant at its best
    double rise = 0.4, fall = 0.8;      // per degree, as the profile's slopes
    double sinePower = 1.5, cosinePower = 2.0;
};

struct Station {
    GeoPosition place{35.68, 139.76};
    double sporadicMean = 40;     // echoes per hour over a day
    double sporadicSwing = 0.5;   // relative amplitude of the daily cycle
    double sporadicPeakUt = 21;   // UT hour of the daily maximum (06 local in Japan)
    double driftPerDay = 0;       // relative change of the sporadic rate per day
    std::int64_t driftOrigin = 0; // hour at which the drift is zero
    std::uint64_t seed = 1;
    bool noiseless = false; // the expected counts, rounded: every day alike
};

inline double sporadicRate(const Station& s, std::int64_t hour) {
    constexpr double kPi = 3.14159265358979323846;
    const double phase = 2 * kPi * (static_cast<double>(hour % 24) + 0.5 - s.sporadicPeakUt) / 24;
    const double days = static_cast<double>(hour - s.driftOrigin) / 24.0;
    return s.sporadicMean * (1 + s.sporadicSwing * std::cos(phase)) *
           std::max(0.1, 1 + s.driftPerDay * days);
}

// The station's response, 1 at the best elevation.
inline double response(const ShowerTruth& t, double elevation) {
    constexpr double kDegree = 3.14159265358979323846 / 180;
    if (elevation <= 0) {
        return 0;
    }
    const double best =
        t.cosinePower > 0 ? std::atan(std::sqrt(t.sinePower / t.cosinePower)) : 90 * kDegree;
    const auto term = [&](double h) {
        return std::pow(std::sin(h), t.sinePower) * std::pow(std::cos(h), t.cosinePower);
    };
    return term(elevation * kDegree) / term(best);
}

// The radiant as the analysis places it: drifting from the catalogue's
// position at the catalogue's maximum.
class Radiant {
public:
    // nearJd: up to a month before the maximum.
    Radiant(const Shower& shower, double nearJd)
        : shower_(shower), peakJd_(timeOfSolarLongitude(shower.peakSolarLongitude, nearJd - 30)),
          sky_(peakJd_) {}

    double elevation(double unixHour, const GeoPosition& place) const {
        const double jd = julianDateOfUnixHours(unixHour);
        const double days = jd - peakJd_;
        return sky_.elevation(shower_.rightAscension + shower_.rightAscensionDrift * days,
                              shower_.declination + shower_.declinationDrift * days, jd, place);
    }

private:
    Shower shower_;
    double peakJd_;
    RadiantSky sky_;
};

// The expected shower excess of an hour: its mean over the hour, in
// ten-minute steps, as a count adds up the whole hour. The Sun's longitude
// moves evenly within the hour.
inline double showerExcess(const ShowerTruth& t, const Radiant& radiant, const Station& s,
                           std::int64_t hour) {
    constexpr int kSteps = 6;
    const double start = solarLongitude(julianDateOfUnixHours(static_cast<double>(hour)));
    const double end = solarLongitude(julianDateOfUnixHours(static_cast<double>(hour) + 1));
    double sum = 0;
    for (int i = 0; i < kSteps; ++i) {
        const double f = (i + 0.5) / kSteps;
        const double at = static_cast<double>(hour) + f;
        const double l = start + f * std::remainder(end - start, 360.0);
        const double d = std::remainder(l - t.peakSolarLongitude, 360.0);
        const double activity = std::pow(10.0, -(d < 0 ? t.rise : t.fall) * std::fabs(d));
        sum += t.peakExcess * activity * response(t, radiant.elevation(at, s.place));
    }
    return sum / kSteps;
}

// Every hour from `from` up to `to` observed for 60 minutes; the showers'
// excesses add up (two of them make a maximum with two humps).
inline std::vector<UtHourCount> counts(const Station& s, const Shower& catalogShower,
                                       const std::vector<ShowerTruth>& truths, std::int64_t from,
                                       std::int64_t to) {
    velkbench::SplitMix64 rng(s.seed);
    const Radiant radiant(catalogShower, julianDateOfUnixHours(static_cast<double>(from)));
    std::vector<UtHourCount> out;
    for (std::int64_t h = from; h < to; ++h) {
        double rate = sporadicRate(s, h);
        for (const ShowerTruth& truth : truths) {
            rate += showerExcess(truth, radiant, s, h);
        }
        const auto fixedRate = static_cast<std::uint32_t>(std::lround(rate * velkbench::kRateOne));
        out.push_back(
            {h, 60, s.noiseless ? std::llround(rate) : velkbench::poisson(rng, fixedRate), true});
    }
    return out;
}

} // namespace synthetic
