#pragma once
// The model of a shower's hourly excess over the background, and its fit.
//
// The shower's activity follows the profile visual and radio observers fit, an
// exponential rise to the maximum and an exponential fall after it,
//   P(L) = 10^(-rise * (peakL - L))   before the maximum,
//   P(L) = 10^(-fall * (L - peakL))   after it,
// with L the solar longitude. A forward-scatter station sees that activity
// through its response to the radiant's elevation h:
//   R(h) = 0 with the radiant below the horizon, else
//   R(h) = sin^a(h) cos^b(h) / (the same at the best elevation reached),
// which is sin h for a = 1, b = 0 (the flux through the sky's area above the
// station) and dips near the zenith for b > 0, as a zenith-pointing antenna's
// counts do; a and b come from the data. The excess of an hour is then
//   excess = peakExcess * P(L) * R(h),
// so peakExcess is the excess at the maximum with the radiant at its best.
// Without the station's place, R = 1.
//
// fitActivityProfile minimises Pearson's chi-square: each hour's residual is
// divided by the scatter its count would have were the model true (see
// ActivityModel), by GSL's trust-region solver. It searches the maximum over
// the whole stretch of points on a grid (every searchStep degrees), fitting
// the other parameters at each, then refines from the best. The chi-square profile over the grid
// gives the maximum's interval (where the chi-square lies within 1 of its least, after scaling by
// the reduced chi-square when the points scatter more than their errors say) and tells when a
// second minimum of similar depth makes the maximum ambiguous. The other parameters' standard
// errors come from the covariance, scaled alike.

#include <optional>
#include <string>
#include <vector>

// One observed hour. Its error is not given but follows from the model: the
// Poisson scatter of the count the background and the model's excess would
// give, and the background's own error.
struct ProfilePoint {
    double solarLongitude = 0;       // degrees from the catalogue's peak: no wrap at 360
    double excess = 0;               // echoes per hour over the background
    double background = 0;           // echoes per hour
    double backgroundError = 0;      // standard error of the background
    double observedMinutes = 60;     // above zero
    std::optional<double> elevation; // the radiant's, degrees; nothing without the station
    double longitudeSpan = 0;        // the longitude the hour covers (0: its middle alone)
};

// The station's response to the radiant's elevation, as fitted.
struct ElevationResponse {
    double sinePower = 1;      // a
    double cosinePower = 0;    // b
    double bestElevation = 90; // degrees, where the factor is 1
    double factor(double elevation) const;
};

struct ChiSquarePoint {
    double solarLongitude = 0;
    double chiSquare = 0; // the least chi-square with the maximum held here
};

struct SecondMinimum {
    double solarLongitude = 0;
    double chiSquareAbove = 0; // above the best, on the scaled chi-square
    int others = 0;            // more minima of similar depth beside this one
};

struct ProfileFit {
    bool fitted = false;
    std::string problem; // why there is no fit, for the observer
    // The error is half the chi-square profile's interval: where the profile
    // is not a parabola, the covariance's error would understate it.
    double peakSolarLongitude = 0, peakSolarLongitudeError = 0;
    // The chi-square profile's interval of the maximum; open on a side where
    // it reaches the end of the hours searched.
    double peakSolarLongitudeLow = 0, peakSolarLongitudeHigh = 0;
    bool intervalOpenBelow = false, intervalOpenAbove = false;
    double peakExcess = 0, peakExcessError = 0;
    double riseSlope = 0, riseSlopeError = 0; // per degree of solar longitude
    double fallSlope = 0, fallSlopeError = 0;
    bool withElevation = false; // R(h) fitted; else R = 1
    ElevationResponse response;
    double sinePowerError = 0, cosinePowerError = 0;
    double chiSquare = 0, reducedChiSquare = 0;
    int points = 0;
    std::vector<ChiSquarePoint> chiSquareProfile; // over the grid searched
    std::optional<SecondMinimum> secondMinimum;

    // The fitted amplitude over its error, in sigma, from the chi-square:
    // the square root of what the shower takes off the chi-square of no
    // shower at all (scaled like the errors). For a well-determined fit that
    // is the amplitude over its standard error; it stays meaningful where the
    // covariance does not, when a slope or a power is left undetermined.
    double amplitudeSignificance = 0;
    // The model's excess at a solar longitude (same origin as the fit's) and
    // radiant elevation (ignored without R); over an hour covering
    // longitudeSpan around it, as the fit compares it with a count.
    double excessAt(double solarLongitude, std::optional<double> elevation,
                    double longitudeSpan = 0) const;
    // Moves every longitude by offset (the catalogue's peak, from the points'
    // origin to 0..360).
    void shiftLongitudes(double offset);
};

double activityProfile(double solarLongitude, double peakSolarLongitude, double peakExcess,
                       double riseSlope, double fallSlope);

// The steepest rise or fall the fit allows, per degree: a fall by ten within
// 0.05 deg (72 minutes), steeper than the sharpest maxima hourly counts can
// show.
constexpr double kSteepestSlope = 20.0;

struct ProfileSearch {
    double from = 0, to = 0;    // the maxima tried, in the points' longitudes
    double step = 0.02;         // degrees
    double startPeakExcess = 0; // the largest smoothed excess: the amplitude's first guess
    int minimumPoints = 12;
};

// points in time order.
ProfileFit fitActivityProfile(const std::vector<ProfilePoint>& points, const ProfileSearch& search);
