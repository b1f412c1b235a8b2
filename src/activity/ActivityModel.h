#pragma once
// The model of a shower's hourly excess as the fit's solver sees it, used by
// ActivityProfileFit alone: the parameters (the slopes and the powers of the
// elevation factor held within bounds), the residuals and their derivatives
// for GSL's nonlinear least squares, and a solver that keeps one GSL
// workspace for the many fits of a search.
//
// Each hour's residual is (model - excess) / s, with s^2 the variance of the
// hour's excess were the model true: the Poisson variance of the count the
// background and the model's excess would give, and the background's own. The
// sum of their squares (Pearson's chi-square) compares every maximum tried by
// the same rule, where errors taken from a first fit would favour that fit's
// maximum.

#include "activity/ActivityProfileFit.h"

#include <gsl/gsl_multifit_nlinear.h>

#include <array>
#include <cmath>
#include <limits>
#include <memory>
#include <optional>
#include <vector>

namespace activitymodel {

constexpr double kInfinity = std::numeric_limits<double>::infinity();

// A value held between 0 and a ceiling: the solver moves t and the model
// reads ceiling * sin^2 t, so that no step takes it out of range and either
// end is reached at a finite t, where the solver can stop. Unbounded, a slope
// runs off to infinity as soon as a step fits the data better than a slope,
// and a power chases single hours.
struct Bounded {
    double ceiling;
    double value(double t) const { return ceiling * std::sin(t) * std::sin(t); }
    double derivative(double t) const { return ceiling * std::sin(2 * t); }
    double coordinate(double v) const;
};
constexpr Bounded kSlope{kSteepestSlope};
constexpr Bounded kPower{6.0};
// The sine power is held near 1 (the flux through the sky's area above the
// station) by a residual (a - 1) / kSinePowerLeeway: data that ask for more
// get it, but the two powers free alike trade off along a curved valley, and
// the chi-square profile of the maximum then claims more precision than the
// counts hold (synthetic years: the true maximum outside the interval twice
// as often as it should be).
constexpr double kSinePowerLeeway = 0.5;

// What the solver moves: the slopes and the powers as their coordinates.
struct Parameters {
    double peak = 0;
    double amplitude = 0;
    double rise = 0, fall = 0;   // kSlope coordinates
    double sine = 0, cosine = 0; // kPower coordinates
    static Parameters firstGuess(double amplitude);
};

// Which parameters are free: the peak is held during the search and freed
// for the refinement; the powers exist only with elevations.
struct Layout {
    bool freePeak = false;
    bool elevation = false;
    std::size_t size() const { return (freePeak ? 1 : 0) + 3 + (elevation ? 2 : 0); }
};

// A point as the model reads it: the elevation's logarithms and the parts of
// the variance are taken once.
struct ModelPoint {
    double longitude = 0; // the hour's middle
    double halfSpan = 0;  // half the longitude the hour covers
    double excess = 0;
    double background = 0;         // echoes per hour
    double perHour = 1;            // 60 / observed minutes
    double backgroundVariance = 0; // of the background's rate
    bool seen = true;              // the radiant is up (always without elevations)
    double logSine = 0;            // ln sin h
    double logCosine = 0;          // ln cos h, cos h at least 1e-6

    // The variance of the excess were the shower's part showerExcess, and
    // its derivative by that part.
    double variance(double showerExcess) const;
    double varianceSlope(double showerExcess) const;
};

struct Problem {
    std::vector<ModelPoint> points;
    Layout layout;
    double heldPeak = 0;
    double lowestElevation = 0, highestElevation = 90; // of the points with the radiant up

    // The points', and with elevations one more: the sine power's leeway.
    std::size_t residualCount() const { return points.size() + (layout.elevation ? 1 : 0); }
};

Problem problemOf(const std::vector<ProfilePoint>& points);

// The activity 10^(-slope |L - peak|) averaged over an hour (its middle and
// half the longitude it covers; 0: the middle alone), and its derivatives by
// the peak and the slopes. An hour's count adds up the whole hour: a sharp
// maximum inside it lifts the hour less than its middle's value says, and
// the chi-square then changes smoothly as the maximum moves through the hour
// instead of dipping at every hour's middle.
struct HourAverage {
    double value = 0;
    double byPeak = 0, byRise = 0, byFall = 0;
};
HourAverage hourAverage(double middle, double halfSpan, double peak, double rise, double fall);

// The best elevation of sin^a cos^b within the elevations the radiant reached.
double bestElevation(double a, double b, double lowest, double highest);

struct Solution {
    bool converged = false;
    bool settled = false; // converged within the iterations allowed
    Parameters at;
    double chiSquare = kInfinity;
};

// One GSL workspace for many fits of the same points and layout: the search
// runs hundreds of them. Not copyable: GSL holds a pointer to its problem.
class Solver {
public:
    explicit Solver(const Problem& problem);
    Solver(const Solver&) = delete;
    Solver& operator=(const Solver&) = delete;

    bool ready() const { return work_ != nullptr; }
    void holdPeakAt(double longitude) { problem_.heldPeak = longitude; }

    // Iterates from start; with maxIterations 0, only evaluates there.
    // strict: only a solution that settled counts as converged; else one out
    // of iterations counts too (it stands lower than where it started).
    Solution solve(const Parameters& start, int maxIterations, double tolerance,
                   bool strict = false);

private:
    struct WorkspaceFree {
        void operator()(gsl_multifit_nlinear_workspace* w) const;
    };
    Problem problem_;
    std::unique_ptr<gsl_multifit_nlinear_workspace, WorkspaceFree> work_;
    gsl_multifit_nlinear_fdf fdf_{};
};

// The variances of the natural parameters (peak, amplitude, rise, fall, sine
// and cosine power) at a solution, the peak free.
std::optional<std::array<double, 6>> naturalVariances(Problem problem, const Parameters& at);

// The chi-square of no shower at all.
double chiSquareWithoutShower(const Problem& problem);

} // namespace activitymodel
