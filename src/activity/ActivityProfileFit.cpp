#include "activity/ActivityProfileFit.h"

#include <gsl/gsl_blas.h>
#include <gsl/gsl_errno.h>
#include <gsl/gsl_matrix.h>
#include <gsl/gsl_multifit_nlinear.h>
#include <gsl/gsl_vector.h>

#include <algorithm>
#include <array>
#include <cmath>
#include <memory>
#include <string>

namespace {

constexpr double kLn10 = 2.302585092994046;

struct FitData {
    const std::vector<ProfilePoint>* points;
};

int residuals(const gsl_vector* x, void* data, gsl_vector* f) {
    const auto& pts = *static_cast<FitData*>(data)->points;
    const double peak = gsl_vector_get(x, 0), height = gsl_vector_get(x, 1),
                 rise = gsl_vector_get(x, 2), fall = gsl_vector_get(x, 3);
    for (std::size_t i = 0; i < pts.size(); ++i) {
        const double model = activityProfile(pts[i].solarLongitude, peak, height, rise, fall);
        gsl_vector_set(f, i, (model - pts[i].excess) / pts[i].error);
    }
    return GSL_SUCCESS;
}

int jacobian(const gsl_vector* x, void* data, gsl_matrix* j) {
    const auto& pts = *static_cast<FitData*>(data)->points;
    const double peak = gsl_vector_get(x, 0), height = gsl_vector_get(x, 1),
                 rise = gsl_vector_get(x, 2), fall = gsl_vector_get(x, 3);
    for (std::size_t i = 0; i < pts.size(); ++i) {
        const double l = pts[i].solarLongitude, s = pts[i].error;
        const bool before = l < peak;
        const double slope = before ? rise : fall;
        const double distance = std::fabs(peak - l);
        const double shape = std::pow(10.0, -slope * distance);
        const double model = height * shape;
        gsl_matrix_set(j, i, 0, (before ? -1.0 : 1.0) * model * slope * kLn10 / s);
        gsl_matrix_set(j, i, 1, shape / s);
        gsl_matrix_set(j, i, 2, before ? -model * kLn10 * distance / s : 0.0);
        gsl_matrix_set(j, i, 3, before ? 0.0 : -model * kLn10 * distance / s);
    }
    return GSL_SUCCESS;
}

struct WorkspaceFree {
    void operator()(gsl_multifit_nlinear_workspace* w) const { gsl_multifit_nlinear_free(w); }
};
struct MatrixFree {
    void operator()(gsl_matrix* m) const { gsl_matrix_free(m); }
};

// Why the points cannot be fitted at all; empty when they can.
std::string whyNotFittable(const std::vector<ProfilePoint>& points, double startPeakExcess,
                           int minimumPoints) {
    // A fifth point at least: with four parameters, the reduced chi-square
    // needs a degree of freedom to divide by.
    const int needed = std::max(minimumPoints, 5);
    if (static_cast<int>(points.size()) < needed) {
        return "too few observed hours for a fit (" + std::to_string(points.size()) + ", need " +
               std::to_string(needed) + ")";
    }
    if (!(startPeakExcess > 0)) {
        return "no excess over the background to fit";
    }
    for (const ProfilePoint& p : points) {
        if (!(p.error > 0) || !std::isfinite(p.excess) || !std::isfinite(p.solarLongitude)) {
            return "a point without a usable error";
        }
    }
    return {};
}

// What the solver found: the parameters in the order peak longitude, peak
// excess, rise slope, fall slope, their variances and the chi-square; or why
// it found nothing.
struct Solution {
    std::string problem;
    std::array<double, 4> parameters{};
    std::array<double, 4> variances{};
    double chiSquare = 0;
};

Solution solveProfile(const std::vector<ProfilePoint>& points, std::array<double, 4> start) {
    Solution solution;
    // GSL's default handler aborts the program; every status is checked here.
    gsl_set_error_handler_off();
    FitData data{&points};
    gsl_multifit_nlinear_fdf fdf{};
    fdf.f = residuals;
    fdf.df = jacobian;
    fdf.n = points.size();
    fdf.p = 4;
    fdf.params = &data;
    gsl_multifit_nlinear_parameters params = gsl_multifit_nlinear_default_parameters();
    std::unique_ptr<gsl_multifit_nlinear_workspace, WorkspaceFree> work(
        gsl_multifit_nlinear_alloc(gsl_multifit_nlinear_trust, &params, points.size(), 4));
    if (!work) {
        solution.problem = "out of memory for the fit";
        return solution;
    }
    gsl_vector_view x0 = gsl_vector_view_array(start.data(), 4);
    gsl_multifit_nlinear_init(&x0.vector, &fdf, work.get());
    int info = 0;
    const int status =
        gsl_multifit_nlinear_driver(200, 1e-9, 1e-9, 0.0, nullptr, nullptr, &info, work.get());
    const gsl_vector* x = gsl_multifit_nlinear_position(work.get());
    const gsl_vector* f = gsl_multifit_nlinear_residual(work.get());
    gsl_blas_ddot(f, f, &solution.chiSquare);
    std::unique_ptr<gsl_matrix, MatrixFree> covar(gsl_matrix_alloc(4, 4));
    if (status != GSL_SUCCESS || gsl_multifit_nlinear_covar(gsl_multifit_nlinear_jac(work.get()),
                                                            0.0, covar.get()) != GSL_SUCCESS) {
        solution.problem = std::string("the fit did not converge (") + gsl_strerror(status) + ")";
        return solution;
    }
    for (std::size_t i = 0; i < 4; ++i) {
        solution.parameters[i] = gsl_vector_get(x, i);
        solution.variances[i] = gsl_matrix_get(covar.get(), i, i);
    }
    return solution;
}

// The solution as a profile, its errors scaled up by the reduced chi-square
// when the points scatter more than their errors say.
void takeSolution(ProfileFit& fit, const Solution& solution) {
    const int dof = fit.points - 4;
    fit.reducedChiSquare = solution.chiSquare / dof;
    const double scale = std::max(1.0, fit.reducedChiSquare);
    auto error = [&](std::size_t i) { return std::sqrt(solution.variances[i] * scale); };
    fit.peakSolarLongitude = solution.parameters[0];
    fit.peakExcess = solution.parameters[1];
    fit.riseSlope = solution.parameters[2];
    fit.fallSlope = solution.parameters[3];
    fit.peakSolarLongitudeError = error(0);
    fit.peakExcessError = error(1);
    fit.riseSlopeError = error(2);
    fit.fallSlopeError = error(3);
}

// A converged solution may still describe no shower.
std::string whyNoProfile(const ProfileFit& fit) {
    const double all[] = {
        fit.peakSolarLongitude,      fit.peakExcess,      fit.riseSlope,      fit.fallSlope,
        fit.peakSolarLongitudeError, fit.peakExcessError, fit.riseSlopeError, fit.fallSlopeError};
    if (!std::all_of(std::begin(all), std::end(all), [](double v) { return std::isfinite(v); })) {
        return "the fit gave no finite values";
    }
    if (fit.peakExcess <= 0 || fit.riseSlope <= 0 || fit.fallSlope <= 0) {
        return "the data show no rise and fall that the profile could follow";
    }
    return {};
}

} // namespace

double activityProfile(double solarLongitude, double peakSolarLongitude, double peakExcess,
                       double riseSlope, double fallSlope) {
    const double distance = solarLongitude - peakSolarLongitude;
    const double slope = distance < 0 ? riseSlope : fallSlope;
    return peakExcess * std::pow(10.0, -slope * std::fabs(distance));
}

ProfileFit fitActivityProfile(const std::vector<ProfilePoint>& points, double startPeakLongitude,
                              double startPeakExcess, int minimumPoints) {
    ProfileFit fit;
    fit.points = static_cast<int>(points.size());
    fit.problem = whyNotFittable(points, startPeakExcess, minimumPoints);
    if (!fit.problem.empty()) {
        return fit;
    }
    // Typical showers rise and fall by a factor of ten within a few degrees.
    const Solution solution = solveProfile(points, {startPeakLongitude, startPeakExcess, 0.3, 0.3});
    if (!solution.problem.empty()) {
        fit.problem = solution.problem;
        return fit;
    }
    takeSolution(fit, solution);
    fit.problem = whyNoProfile(fit);
    fit.fitted = fit.problem.empty();
    return fit;
}
