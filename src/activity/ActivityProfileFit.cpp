#include "activity/ActivityProfileFit.h"

#include "activity/ActivityModel.h"

#include <gsl/gsl_errno.h>

#include <algorithm>
#include <array>
#include <cmath>

using namespace activitymodel;

namespace {

constexpr double kRadiansPerDegree = 3.14159265358979323846 / 180.0;
// Degrees of solar longitude (about 2.4 hours) between minima of the
// chi-square profile that count as two.
constexpr double kDistinctMinima = 0.1;
// Times the profile is traced again from a lower point it found.
constexpr int kTracingRounds = 3;

// Why the points cannot be fitted at all; empty when they can.
std::string whyNotFittable(const std::vector<ProfilePoint>& points, const ProfileSearch& search) {
    // Two points more than parameters at least: the reduced chi-square needs
    // a degree of freedom to divide by.
    const int needed = std::max(search.minimumPoints, 8);
    if (static_cast<int>(points.size()) < needed) {
        return "too few observed hours for a fit (" + std::to_string(points.size()) + ", need " +
               std::to_string(needed) + ")";
    }
    if (!(search.startPeakExcess > 0)) {
        return "no excess over the background to fit";
    }
    for (const ProfilePoint& p : points) {
        if (!(p.observedMinutes > 0) || !(p.backgroundError >= 0) || !std::isfinite(p.excess) ||
            !std::isfinite(p.background) || !std::isfinite(p.solarLongitude) ||
            (p.elevation && !std::isfinite(*p.elevation))) {
            return "a point without a usable error";
        }
    }
    if (std::none_of(points.begin(), points.end(),
                     [](const ProfilePoint& p) { return !p.elevation || *p.elevation > 0; })) {
        return "the radiant stayed below the horizon in every observed hour";
    }
    return {};
}

// --- The search over the maximum --------------------------------------------

struct GridPoint {
    double longitude = 0;
    Solution solution;
};

std::optional<std::size_t> leastOf(const std::vector<GridPoint>& grid) {
    std::optional<std::size_t> best;
    for (std::size_t j = 0; j < grid.size(); ++j) {
        const Solution& s = grid[j].solution;
        if (s.converged && (!best || s.chiSquare < grid[*best].solution.chiSquare)) {
            best = j;
        }
    }
    return best;
}

// Two solvers over the same points: one with the maximum held, for the
// chi-square profile, and one with it free, for the refinement.
//
// The other parameters make the profile a fit of its own at every grid
// point, and a fit can settle in a poor valley. So the profile is traced
// outwards from the best fit found (where the other parameters are right),
// each point fitted from its neighbour's solution and, every few points or
// where that fails, from fresh starts too, keeping the best; when the
// profile finds a lower point, the best fit moves there and the tracing
// starts again.
class MaximumSearch {
public:
    MaximumSearch(const Problem& base, const ProfileSearch& search, const Parameters& start)
        : held_(withPeak(base, false)), free_(withPeak(base, true)), search_(search),
          start_(start) {
        const double span = std::max(0.0, search.to - search.from);
        const auto count = static_cast<std::size_t>(
            search.step > 0 ? std::floor(span / search.step + 1e-9) + 1 : 1);
        for (std::size_t j = 0; j < count; ++j) {
            longitudes_.push_back(search.from + static_cast<double>(j) * search.step);
        }
    }

    bool ready() const { return held_.ready() && free_.ready(); }

    // The first best fit: the best of the first guess held at coarse
    // longitudes (which the trace keeps as fresh starts), refined.
    Solution firstCenter() {
        const double coarse = std::max(kCoarseStep, search_.step);
        for (double l = search_.from; l <= search_.to + 1e-9; l += coarse) {
            held_.holdPeakAt(l);
            const Solution s = held_.solve(start_, 3 * kTraceIterations, kTraceTolerance);
            if (s.converged) {
                coarse_.push_back(GridPoint{l, s});
            }
        }
        const auto best = std::min_element(coarse_.begin(), coarse_.end(),
                                           [](const GridPoint& a, const GridPoint& b) {
                                               return a.solution.chiSquare < b.solution.chiSquare;
                                           });
        return best != coarse_.end() ? refine(*best) : Solution{};
    }

    std::vector<GridPoint> trace(const Solution& center) {
        std::vector<GridPoint> grid(longitudes_.size());
        const auto nearest = std::lower_bound(longitudes_.begin(), longitudes_.end(),
                                              center.at.peak - search_.step / 2);
        const auto c =
            std::min(static_cast<std::size_t>(nearest - longitudes_.begin()), grid.size() - 1);
        const double ceiling = coarseCeiling();
        for (std::size_t j = c; j < grid.size(); ++j) {
            grid[j] =
                j == c ? fitAt(j, center.at, center) : traceStep(j, grid[j - 1], center, ceiling);
        }
        for (std::size_t j = c; j-- > 0;) {
            grid[j] = traceStep(j, grid[j + 1], center, ceiling);
        }
        return grid;
    }

    // The point with the maximum freed; the point itself when that fails or
    // wanders off the stretch searched.
    Solution refine(const GridPoint& point) {
        Parameters start = point.solution.at;
        start.peak = point.longitude;
        const Solution s = free_.solve(start, 200, 1e-9, true);
        if (s.converged && s.chiSquare <= point.solution.chiSquare && s.at.peak >= search_.from &&
            s.at.peak <= search_.to) {
            return s;
        }
        return free_.solve(start, 0, 0, true);
    }

private:
    static constexpr double kCoarseStep = 0.25; // degrees, about six hours

    // Far from the maximum the fits crawl along flat valleys; there the
    // profile needs only an upper bound, and near it they settle in a few.
    // The tolerance leaves the chi-square near its least within 0.001 of a
    // strict fit's, in a third of the time.
    static constexpr int kTraceIterations = 15;
    static constexpr double kTraceTolerance = 1e-3;
    static constexpr std::size_t kFreshStartEvery = 5; // grid points, 0.1 deg
    static constexpr double kTraceMargin = 100;        // chi-square
    static constexpr double kTraceMarginShare = 0.05;  // of the least chi-square

    static Problem withPeak(Problem problem, bool free) {
        problem.layout.freePeak = free;
        return problem;
    }

    // From the neighbour's solution; where that failed, and at every few
    // points anyway, also from the best fit's, from the first guess and from
    // the nearest coarse fit's, so that a trace that slid into a poor
    // valley climbs out within a few points (two equal maxima a day apart
    // need it: the best fit's shape for one is far from the other's).
    GridPoint fitAt(std::size_t j, const Parameters& neighbour, const Solution& center,
                    bool fresh = false) {
        held_.holdPeakAt(longitudes_[j]);
        Solution s = held_.solve(neighbour, kTraceIterations, kTraceTolerance);
        if (s.converged && !fresh && j % kFreshStartEvery != 0) {
            return {longitudes_[j], s};
        }
        std::vector<Parameters> starts{center.at, Parameters::firstGuess(center.at.amplitude)};
        if (const GridPoint* coarse = nearestCoarse(longitudes_[j])) {
            starts.push_back(coarse->solution.at);
        }
        for (const Parameters& start : starts) {
            const Solution other = held_.solve(start, kTraceIterations, kTraceTolerance);
            if (other.converged && (!s.converged || other.chiSquare < s.chiSquare)) {
                s = other;
            }
        }
        if (!s.converged) {
            s.at = center.at; // the next point starts from somewhere sensible
        }
        return {longitudes_[j], s};
    }

    // Where the coarse profile stands far above its least, the fine one
    // cannot come near the least either: there the grid keeps the coarse
    // fit's verdict (not fitted) and the trace saves its fits. A period of
    // ten weeks takes a second instead of fifteen.
    GridPoint traceStep(std::size_t j, const GridPoint& neighbour, const Solution& center,
                        double ceiling) {
        const GridPoint* coarse = nearestCoarse(longitudes_[j]);
        if (coarse && coarseLeastNear(longitudes_[j]) > ceiling) {
            Solution skipped;
            skipped.at = coarse->solution.at;
            return {longitudes_[j], skipped};
        }
        if (!neighbour.solution.converged && coarse) {
            return fitAt(j, coarse->solution.at, center, true);
        }
        return fitAt(j, neighbour.solution.at, center);
    }

    // The least coarse chi-square plus a margin far beyond the two sigma
    // that the interval and a second minimum look at; infinite when the
    // coarse fits found nothing, so that everything is traced.
    double coarseCeiling() const {
        double least = kInfinity;
        for (const GridPoint& g : coarse_) {
            least = std::min(least, g.solution.chiSquare);
        }
        return least + kTraceMargin + kTraceMarginShare * least;
    }

    // The least coarse chi-square within a coarse step either side.
    double coarseLeastNear(double longitude) const {
        const double reach = std::max(kCoarseStep, search_.step) * 1.001;
        double least = kInfinity;
        bool any = false;
        for (const GridPoint& g : coarse_) {
            if (std::fabs(g.longitude - longitude) <= reach) {
                least = std::min(least, g.solution.chiSquare);
                any = true;
            }
        }
        return any ? least : -kInfinity;
    }

    const GridPoint* nearestCoarse(double longitude) const {
        const GridPoint* nearest = nullptr;
        for (const GridPoint& g : coarse_) {
            if (!nearest ||
                std::fabs(g.longitude - longitude) < std::fabs(nearest->longitude - longitude)) {
                nearest = &g;
            }
        }
        return nearest;
    }

    Solver held_, free_;
    ProfileSearch search_;
    Parameters start_;
    std::vector<double> longitudes_;
    std::vector<GridPoint> coarse_; // the first guess held at coarse longitudes
};

// The natural parameters and their errors, scaled up by the reduced
// chi-square when the points scatter more than their errors say.
void takeSolution(ProfileFit& fit, const Solution& s, const std::array<double, 6>& variances,
                  const Problem& base) {
    Layout layout = base.layout;
    layout.freePeak = true;
    const int dof = fit.points - static_cast<int>(layout.size());
    fit.chiSquare = s.chiSquare;
    fit.reducedChiSquare = s.chiSquare / dof;
    const double scale = std::max(1.0, fit.reducedChiSquare);
    const auto error = [&](std::size_t i) { return std::sqrt(variances[i] * scale); };
    fit.peakSolarLongitude = s.at.peak;
    fit.peakExcess = s.at.amplitude;
    fit.peakExcessError = error(1);
    fit.riseSlope = kSlope.value(s.at.rise);
    fit.riseSlopeError = error(2);
    fit.fallSlope = kSlope.value(s.at.fall);
    fit.fallSlopeError = error(3);
    if (base.layout.elevation) {
        fit.response.sinePower = kPower.value(s.at.sine);
        fit.response.cosinePower = kPower.value(s.at.cosine);
        fit.response.bestElevation = bestElevation(fit.response.sinePower, fit.response.cosinePower,
                                                   base.lowestElevation, base.highestElevation);
        fit.sinePowerError = error(4);
        fit.cosinePowerError = error(5);
    }
}

// Where the profile crosses least + delta, found between grid points; at the
// grid's end the interval stays open.
void setInterval(ProfileFit& fit, const std::vector<GridPoint>& grid, double target) {
    const auto inside = [&](std::size_t j) {
        return grid[j].solution.converged && grid[j].solution.chiSquare <= target;
    };
    const auto crossing = [&](std::size_t out, std::size_t in) {
        const double a = grid[out].solution.chiSquare, b = grid[in].solution.chiSquare;
        const double t = std::isfinite(a) && a > b ? (a - target) / (a - b) : 0.0;
        return grid[out].longitude + t * (grid[in].longitude - grid[out].longitude);
    };
    std::size_t first = 0, last = grid.size() - 1;
    while (first < last && !inside(first)) {
        ++first;
    }
    while (last > first && !inside(last)) {
        --last;
    }
    fit.intervalOpenBelow = first == 0;
    fit.intervalOpenAbove = last == grid.size() - 1;
    fit.peakSolarLongitudeLow = first == 0 ? grid[0].longitude : crossing(first - 1, first);
    fit.peakSolarLongitudeHigh =
        last + 1 == grid.size() ? grid[last].longitude : crossing(last + 1, last);
}

double barrierBetween(const std::vector<GridPoint>& grid, std::size_t i, std::size_t j) {
    double top = -kInfinity;
    for (std::size_t k = std::min(i, j); k <= std::max(i, j); ++k) {
        top = std::max(top, grid[k].solution.chiSquare);
    }
    return top;
}

// The deepest other minimum of the profile within 4 (two sigma) of the best,
// counted only where the profile rises by delta between it and every
// minimum already taken, and they lie kDistinctMinima apart: the wiggles
// that hourly counts leave in the profile belong to one minimum.
std::optional<SecondMinimum> secondMinimum(const std::vector<GridPoint>& grid, std::size_t best,
                                           double least, double delta) {
    const auto chi = [&](std::size_t j) { return grid[j].solution.chiSquare; };
    std::vector<std::size_t> minima;
    for (std::size_t j = 0; j < grid.size(); ++j) {
        if (j != best && grid[j].solution.converged && chi(j) - least <= 4 * delta &&
            (j == 0 || chi(j) <= chi(j - 1)) && (j + 1 == grid.size() || chi(j) <= chi(j + 1))) {
            minima.push_back(j);
        }
    }
    std::sort(minima.begin(), minima.end(), [&](auto a, auto b) { return chi(a) < chi(b); });
    std::vector<std::size_t> taken{best};
    for (std::size_t m : minima) {
        if (std::all_of(taken.begin(), taken.end(), [&](std::size_t t) {
                return std::fabs(grid[m].longitude - grid[t].longitude) >= kDistinctMinima &&
                       barrierBetween(grid, m, t) - std::max(chi(m), chi(t)) >= delta;
            })) {
            taken.push_back(m);
        }
    }
    if (taken.size() < 2) {
        return std::nullopt;
    }
    return SecondMinimum{grid[taken[1]].longitude, (chi(taken[1]) - least) / delta,
                         static_cast<int>(taken.size()) - 2};
}

// A converged solution may still describe no shower. A nuisance's error may
// be unbounded (a slope the hours cannot pin down) without spoiling the rest.
std::string whyNoProfile(const ProfileFit& fit) {
    const double all[] = {fit.peakSolarLongitude,
                          fit.peakSolarLongitudeLow,
                          fit.peakSolarLongitudeHigh,
                          fit.peakExcess,
                          fit.riseSlope,
                          fit.fallSlope,
                          fit.response.sinePower,
                          fit.response.cosinePower};
    if (!std::all_of(std::begin(all), std::end(all), [](double v) { return std::isfinite(v); })) {
        return "the fit gave no finite values";
    }
    if (fit.peakExcess <= 0) {
        return "no excess over the background to fit";
    }
    if (fit.riseSlope < 1e-3 || fit.fallSlope < 1e-3) {
        return "the data show no rise and fall that the profile could follow";
    }
    return {};
}

// The profile over the grid, the interval and any second minimum, once the
// refined solution is known. It joins the grid at its own longitude: it lies
// between grid points, where the profile dips below them.
void describeProfile(ProfileFit& fit, std::vector<GridPoint> grid, const Solution& refined) {
    const auto at = std::lower_bound(
        grid.begin(), grid.end(), refined.at.peak,
        [](const GridPoint& g, double longitude) { return g.longitude < longitude; });
    const auto best = static_cast<std::size_t>(at - grid.begin());
    grid.insert(at, GridPoint{refined.at.peak, refined});
    const double least = refined.chiSquare;
    const double delta = std::max(1.0, fit.reducedChiSquare);
    for (const GridPoint& g : grid) {
        fit.chiSquareProfile.push_back({g.longitude, g.solution.chiSquare});
    }
    setInterval(fit, grid, least + delta);
    fit.peakSolarLongitudeError = (fit.peakSolarLongitudeHigh - fit.peakSolarLongitudeLow) / 2;
    fit.secondMinimum = secondMinimum(grid, best, least, delta);
}

} // namespace

double ElevationResponse::factor(double elevation) const {
    if (elevation <= 0) {
        return 0;
    }
    const auto term = [&](double h) {
        return sinePower * std::log(std::sin(h * kRadiansPerDegree)) +
               cosinePower * std::log(std::max(std::cos(h * kRadiansPerDegree), 1e-6));
    };
    return std::exp(term(elevation) - term(bestElevation));
}

double activityProfile(double solarLongitude, double peakSolarLongitude, double peakExcess,
                       double riseSlope, double fallSlope) {
    const double distance = solarLongitude - peakSolarLongitude;
    const double slope = distance < 0 ? riseSlope : fallSlope;
    return peakExcess * std::pow(10.0, -slope * std::fabs(distance));
}

double ProfileFit::excessAt(double solarLongitude, std::optional<double> elevation,
                            double longitudeSpan) const {
    const double l =
        peakSolarLongitude + std::remainder(solarLongitude - peakSolarLongitude, 360.0);
    const double activity =
        hourAverage(l, longitudeSpan / 2, peakSolarLongitude, riseSlope, fallSlope).value;
    const double factor = withElevation && elevation ? response.factor(*elevation) : 1.0;
    return peakExcess * activity * factor;
}

void ProfileFit::shiftLongitudes(double offset) {
    const auto shift = [&](double& l) { l = std::fmod(l + offset + 720.0, 360.0); };
    shift(peakSolarLongitude);
    shift(peakSolarLongitudeLow);
    shift(peakSolarLongitudeHigh);
    for (ChiSquarePoint& p : chiSquareProfile) {
        shift(p.solarLongitude);
    }
    if (secondMinimum) {
        shift(secondMinimum->solarLongitude);
    }
}

ProfileFit fitActivityProfile(const std::vector<ProfilePoint>& points,
                              const ProfileSearch& search) {
    ProfileFit fit;
    fit.points = static_cast<int>(points.size());
    fit.problem = whyNotFittable(points, search);
    if (!fit.problem.empty()) {
        return fit;
    }
    // GSL's default handler aborts the program; every status is checked here.
    gsl_set_error_handler_off();
    const Problem base = problemOf(points);
    fit.withElevation = base.layout.elevation;
    MaximumSearch searcher(base, search, Parameters::firstGuess(search.startPeakExcess));
    Solution solution = searcher.ready() ? searcher.firstCenter() : Solution{};
    std::vector<GridPoint> grid;
    for (int round = 0; round < kTracingRounds && solution.converged; ++round) {
        grid = searcher.trace(solution);
        const std::optional<std::size_t> best = leastOf(grid);
        if (!best || grid[*best].solution.chiSquare >= solution.chiSquare - 1e-6) {
            break;
        }
        solution = searcher.refine(grid[*best]);
    }
    if (!solution.converged || grid.empty()) {
        fit.problem = "the fit did not converge";
        return fit;
    }
    if (solution.at.peak - search.from < search.step / 2 ||
        search.to - solution.at.peak < search.step / 2) {
        fit.problem =
            "the maximum lies beyond the observed hours (the fit improves up to their end)";
        return fit;
    }
    const std::optional<std::array<double, 6>> variances = naturalVariances(base, solution.at);
    if (!variances) {
        fit.problem = "the fit's parameters could not be told apart";
        return fit;
    }
    takeSolution(fit, solution, *variances, base);
    describeProfile(fit, grid, solution);
    const double gain = std::max(0.0, chiSquareWithoutShower(base) - fit.chiSquare);
    fit.amplitudeSignificance =
        std::copysign(std::sqrt(gain / std::max(1.0, fit.reducedChiSquare)), fit.peakExcess);
    fit.problem = whyNoProfile(fit);
    fit.fitted = fit.problem.empty();
    return fit;
}
