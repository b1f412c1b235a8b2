#include "activity/ActivityModel.h"

#include <gsl/gsl_blas.h>
#include <gsl/gsl_errno.h>
#include <gsl/gsl_matrix.h>
#include <gsl/gsl_vector.h>

#include <algorithm>

namespace activitymodel {

namespace {

constexpr double kLn10 = 2.302585092994046;
constexpr double kRadiansPerDegree = 3.14159265358979323846 / 180.0;

struct MatrixFree {
    void operator()(gsl_matrix* m) const { gsl_matrix_free(m); }
};

void pack(const Parameters& q, const Layout& layout, double* x) {
    if (layout.freePeak) {
        *x++ = q.peak;
    }
    *x++ = q.amplitude;
    *x++ = q.rise;
    *x++ = q.fall;
    if (layout.elevation) {
        *x++ = q.sine;
        *x = q.cosine;
    }
}

Parameters unpack(const gsl_vector* x, const Problem& problem) {
    Parameters q;
    std::size_t i = 0;
    q.peak = problem.layout.freePeak ? gsl_vector_get(x, i++) : problem.heldPeak;
    q.amplitude = gsl_vector_get(x, i++);
    q.rise = gsl_vector_get(x, i++);
    q.fall = gsl_vector_get(x, i++);
    if (problem.layout.elevation) {
        q.sine = gsl_vector_get(x, i++);
        q.cosine = gsl_vector_get(x, i);
    }
    return q;
}

// The model at given parameters, point by point: the excess and d excess /
// d parameter in the layout's order. The best elevation moves with the
// powers, but the factor's derivative along it is zero there (or it sits at
// an end of the elevations reached), so it drops out of the derivatives.
class Model {
public:
    // natural: derivatives by the slopes and powers themselves rather than
    // by the solver's coordinates, for their covariance.
    Model(const Parameters& q, const Problem& problem, bool natural)
        : q_(q), layout_(problem.layout) {
        rise_ = kSlope.value(q.rise);
        fall_ = kSlope.value(q.fall);
        a_ = kPower.value(q.sine);
        b_ = kPower.value(q.cosine);
        if (!natural) {
            chain_ = {kSlope.derivative(q.rise), kSlope.derivative(q.fall),
                      kPower.derivative(q.sine), kPower.derivative(q.cosine)};
        }
        if (layout_.elevation) {
            const double best =
                bestElevation(a_, b_, problem.lowestElevation, problem.highestElevation) *
                kRadiansPerDegree;
            bestLogSine_ = std::log(std::sin(best));
            bestLogCosine_ = std::log(std::max(std::cos(best), 1e-6));
        }
    }

    // Returns the excess; fills derivatives (layout.size() of them).
    double at(const ModelPoint& p, double* derivatives) const {
        const std::size_t n = layout_.size();
        if (!p.seen) {
            std::fill(derivatives, derivatives + n, 0.0); // nothing seen, nothing to move
            return 0;
        }
        const HourAverage activity = hourAverage(p.longitude, p.halfSpan, q_.peak, rise_, fall_);
        const double sine = p.logSine - bestLogSine_, cosine = p.logCosine - bestLogCosine_;
        const double factor = layout_.elevation ? std::exp(a_ * sine + b_ * cosine) : 1.0;
        const double shape = activity.value * factor;
        const double model = q_.amplitude * shape;
        const double scale = q_.amplitude * factor;
        std::size_t c = 0;
        if (layout_.freePeak) {
            derivatives[c++] = scale * activity.byPeak;
        }
        derivatives[c++] = shape;
        derivatives[c++] = scale * activity.byRise * chain_[0];
        derivatives[c++] = scale * activity.byFall * chain_[1];
        if (layout_.elevation) {
            derivatives[c++] = model * sine * chain_[2];
            derivatives[c] = model * cosine * chain_[3];
        }
        return model;
    }

private:
    Parameters q_;
    Layout layout_;
    double rise_ = 0, fall_ = 0, a_ = 0, b_ = 0;
    double bestLogSine_ = 0, bestLogCosine_ = 0;
    // d value / d coordinate of rise, fall, sine and cosine power (1 for the
    // natural parameters)
    std::array<double, 4> chain_{1, 1, 1, 1};
};

// The last residual, with elevations: the sine power's distance from 1 in
// units of kSinePowerLeeway.
void evaluatePrior(const Parameters& q, const Problem& problem, bool natural, gsl_vector* f,
                   gsl_matrix* jac) {
    const std::size_t row = problem.points.size();
    if (f) {
        gsl_vector_set(f, row, (kPower.value(q.sine) - 1.0) / kSinePowerLeeway);
    }
    if (jac) {
        const std::size_t sineColumn = problem.layout.size() - 2;
        for (std::size_t k = 0; k < problem.layout.size(); ++k) {
            gsl_matrix_set(jac, row, k, 0.0);
        }
        gsl_matrix_set(jac, row, sineColumn,
                       (natural ? 1.0 : kPower.derivative(q.sine)) / kSinePowerLeeway);
    }
}

// Residuals (model - excess) / s(model) and their derivatives
//   dr/dx = dm/dx * (1/s - (m - y) V'(m) / (2 s^3)).
void evaluate(const Parameters& q, const Problem& problem, bool natural, gsl_vector* f,
              gsl_matrix* jac) {
    if (problem.layout.elevation) {
        evaluatePrior(q, problem, natural, f, jac);
    }
    const Model model(q, problem, natural);
    std::array<double, 6> derivatives{};
    for (std::size_t i = 0; i < problem.points.size(); ++i) {
        const ModelPoint& p = problem.points[i];
        const double m = model.at(p, derivatives.data());
        const double s = std::sqrt(p.variance(m));
        if (f) {
            gsl_vector_set(f, i, (m - p.excess) / s);
        }
        if (jac) {
            const double factor = 1 / s - (m - p.excess) * p.varianceSlope(m) / (2 * s * s * s);
            for (std::size_t k = 0; k < problem.layout.size(); ++k) {
                gsl_matrix_set(jac, i, k, derivatives[k] * factor);
            }
        }
    }
}

int residuals(const gsl_vector* x, void* data, gsl_vector* f) {
    const Problem& problem = *static_cast<const Problem*>(data);
    evaluate(unpack(x, problem), problem, false, f, nullptr);
    return GSL_SUCCESS;
}

int jacobian(const gsl_vector* x, void* data, gsl_matrix* j) {
    const Problem& problem = *static_cast<const Problem*>(data);
    evaluate(unpack(x, problem), problem, false, nullptr, j);
    return GSL_SUCCESS;
}

// The integral of e^(-k s) for s from 0 to u (u >= 0), its derivative by k
// and e^(-k u), from one exponential.
struct Decay {
    double integral = 0, bySlope = 0, end = 1;
};

Decay decay(double k, double u) {
    const double x = k * u;
    const double em = std::expm1(-x);
    Decay d;
    d.end = em + 1;
    if (x < 1e-3) {
        // The series: the closed forms cancel to nothing here.
        d.integral = u * (1 - x / 2 + x * x / 6);
        d.bySlope = u * u * (-0.5 + x / 3 - x * x / 8);
    } else {
        d.integral = -em / k;
        d.bySlope = u * u * (x * d.end + em) / (x * x);
    }
    return d;
}

} // namespace

HourAverage hourAverage(double middle, double halfSpan, double peak, double rise, double fall) {
    const double r = rise * kLn10, f = fall * kLn10;
    HourAverage h;
    if (halfSpan <= 0) {
        const double d = middle - peak;
        const double slope = d < 0 ? r : f;
        h.value = std::exp(-slope * std::fabs(d));
        h.byPeak = (d < 0 ? -1.0 : 1.0) * slope * h.value;
        (d < 0 ? h.byRise : h.byFall) = -kLn10 * std::fabs(d) * h.value;
        return h;
    }
    // The hour from a to b, counted from the maximum.
    const double a = middle - halfSpan - peak, b = middle + halfSpan - peak, width = 2 * halfSpan;
    if (b <= 0) {
        const Decay far = decay(r, -a), near = decay(r, -b);
        h.value = (far.integral - near.integral) / width;
        h.byPeak = (far.end - near.end) / width;
        h.byRise = kLn10 * (far.bySlope - near.bySlope) / width;
    } else if (a >= 0) {
        const Decay near = decay(f, a), far = decay(f, b);
        h.value = (far.integral - near.integral) / width;
        h.byPeak = (near.end - far.end) / width;
        h.byFall = kLn10 * (far.bySlope - near.bySlope) / width;
    } else {
        const Decay before = decay(r, -a), after = decay(f, b);
        h.value = (before.integral + after.integral) / width;
        h.byPeak = (before.end - after.end) / width;
        h.byRise = kLn10 * before.bySlope / width;
        h.byFall = kLn10 * after.bySlope / width;
    }
    return h;
}

double Bounded::coordinate(double v) const {
    return std::asin(std::sqrt(std::clamp(v / ceiling, 0.0, 1.0)));
}

// Typical showers rise and fall by a factor of ten within a few degrees; a
// station sees at least the flux through the sky's area above it (sin h),
// and a little less towards the zenith.
Parameters Parameters::firstGuess(double amplitude) {
    Parameters q;
    q.amplitude = amplitude;
    q.rise = q.fall = kSlope.coordinate(0.5);
    q.sine = kPower.coordinate(1.0);
    q.cosine = kPower.coordinate(0.5);
    return q;
}

// An hour expecting almost nothing still counts whole echoes: at least one
// echo's variance.
double ModelPoint::variance(double showerExcess) const {
    const double expected = background + std::max(0.0, showerExcess);
    return std::max(expected * perHour, perHour * perHour) + backgroundVariance;
}

double ModelPoint::varianceSlope(double showerExcess) const {
    const double expected = background + std::max(0.0, showerExcess);
    return showerExcess > 0 && expected > perHour ? perHour : 0.0;
}

Problem problemOf(const std::vector<ProfilePoint>& points) {
    Problem problem;
    problem.layout.elevation = std::all_of(points.begin(), points.end(),
                                           [](const ProfilePoint& p) { return p.elevation; });
    double lowest = 90, highest = 0;
    for (const ProfilePoint& p : points) {
        ModelPoint m;
        m.longitude = p.solarLongitude;
        m.halfSpan = p.longitudeSpan / 2;
        m.excess = p.excess;
        m.background = p.background;
        m.perHour = 60.0 / p.observedMinutes;
        m.backgroundVariance = p.backgroundError * p.backgroundError;
        if (problem.layout.elevation) {
            const double h = *p.elevation;
            m.seen = h > 0;
            if (m.seen) {
                m.logSine = std::log(std::sin(h * kRadiansPerDegree));
                m.logCosine = std::log(std::max(std::cos(h * kRadiansPerDegree), 1e-6));
                lowest = std::min(lowest, h);
                highest = std::max(highest, h);
            }
        }
        problem.points.push_back(m);
    }
    problem.lowestElevation = std::min(lowest, highest);
    problem.highestElevation = highest;
    return problem;
}

double bestElevation(double a, double b, double lowest, double highest) {
    const double free = b > 0 ? std::atan(std::sqrt(a / b)) / kRadiansPerDegree : 90.0;
    return std::clamp(free, lowest, highest);
}

void Solver::WorkspaceFree::operator()(gsl_multifit_nlinear_workspace* w) const {
    gsl_multifit_nlinear_free(w);
}

Solver::Solver(const Problem& problem) : problem_(problem) {
    gsl_multifit_nlinear_parameters params = gsl_multifit_nlinear_default_parameters();
    params.solver = gsl_multifit_nlinear_solver_cholesky; // many points, few parameters
    work_.reset(gsl_multifit_nlinear_alloc(gsl_multifit_nlinear_trust, &params,
                                           problem.residualCount(), problem.layout.size()));
    fdf_.f = residuals;
    fdf_.df = jacobian;
    fdf_.n = problem.residualCount();
    fdf_.p = problem.layout.size();
    fdf_.params = &problem_;
}

Solution Solver::solve(const Parameters& start, int maxIterations, double tolerance, bool strict) {
    std::array<double, 6> x0{};
    pack(start, problem_.layout, x0.data());
    gsl_vector_view view = gsl_vector_view_array(x0.data(), problem_.layout.size());
    Solution s;
    if (gsl_multifit_nlinear_init(&view.vector, &fdf_, work_.get()) != GSL_SUCCESS) {
        return s;
    }
    int info = 0;
    const int status = maxIterations == 0
                           ? GSL_SUCCESS
                           : gsl_multifit_nlinear_driver(maxIterations, tolerance, tolerance, 0.0,
                                                         nullptr, nullptr, &info, work_.get());
    s.at = unpack(gsl_multifit_nlinear_position(work_.get()), problem_);
    const gsl_vector* f = gsl_multifit_nlinear_residual(work_.get());
    gsl_blas_ddot(f, f, &s.chiSquare);
    s.settled = status == GSL_SUCCESS && std::isfinite(s.chiSquare);
    s.converged = s.settled || (status == GSL_EMAXITER && !strict && std::isfinite(s.chiSquare));
    return s;
}

// Taken by the natural parameters rather than by the solver's coordinates:
// at a bound a coordinate's derivative vanishes and its covariance says
// nothing.
std::optional<std::array<double, 6>> naturalVariances(Problem problem, const Parameters& at) {
    problem.layout.freePeak = true;
    const std::size_t p = problem.layout.size();
    std::unique_ptr<gsl_matrix, MatrixFree> jac(gsl_matrix_alloc(problem.residualCount(), p));
    std::unique_ptr<gsl_matrix, MatrixFree> covariance(gsl_matrix_alloc(p, p));
    if (!jac || !covariance) {
        return std::nullopt;
    }
    evaluate(at, problem, true, nullptr, jac.get());
    if (gsl_multifit_nlinear_covar(jac.get(), 0.0, covariance.get()) != GSL_SUCCESS) {
        return std::nullopt;
    }
    std::array<double, 6> variances{};
    for (std::size_t i = 0; i < p; ++i) {
        variances[i] = gsl_matrix_get(covariance.get(), i, i);
    }
    return variances;
}

double chiSquareWithoutShower(const Problem& problem) {
    double sum = 0;
    for (const ModelPoint& p : problem.points) {
        sum += p.excess * p.excess / p.variance(0);
    }
    return sum;
}

} // namespace activitymodel
