#pragma once
// The activity profile of a shower as visual and radio observers fit it:
// an exponential rise to the peak and an exponential fall after it,
//   excess(L) = peak * 10^(-rise * (peakL - L))   before the peak,
//   excess(L) = peak * 10^(-fall * (L - peakL))   after it,
// with L the solar longitude. fitActivityProfile finds the four numbers by
// weighted nonlinear least squares (GSL's trust-region solver) and gives their
// standard errors from the covariance, scaled up by the reduced chi-square
// when the points scatter more than their errors say.

#include <string>
#include <vector>

struct ProfilePoint {
    double solarLongitude = 0; // degrees from the catalogue's peak: no wrap at 360
    double excess = 0;         // echoes per hour over the background
    double error = 0;          // one standard deviation, above zero
};

struct ProfileFit {
    bool fitted = false;
    std::string problem; // why there is no fit, for the observer
    double peakSolarLongitude = 0, peakSolarLongitudeError = 0; // same origin as the points
    double peakExcess = 0, peakExcessError = 0;
    double riseSlope = 0, riseSlopeError = 0; // per degree of solar longitude
    double fallSlope = 0, fallSlopeError = 0;
    double reducedChiSquare = 0;
    int points = 0;
};

double activityProfile(double solarLongitude, double peakSolarLongitude, double peakExcess,
                       double riseSlope, double fallSlope);

// Needs at least minimumPoints points; starts from the given peak guess.
ProfileFit fitActivityProfile(const std::vector<ProfilePoint>& points, double startPeakLongitude,
                              double startPeakExcess, int minimumPoints = 12);
