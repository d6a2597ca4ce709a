// What the parts of the engine share: the measured points with their
// normals, how a trial and a GUM input move them, and the evaluation of
// moved points into the values of the quantities.
#pragma once

#include "uncertainty/parallel.h"
#include "uncertainty/streams.h"
#include "uncertainty/uncertainty.h"

#include <array>
#include <cstddef>
#include <memory>
#include <string>
#include <vector>

namespace formeval::uncertainty {

// The systematic parameters of a transformation: scale errors sx sy sz,
// squareness exy exz eyz, offsets ox oy oz.
using Systematic = std::array<double, 9>;

// Adds e to the parameters the contribution `a` (systematic) drives.
void addsystematic(Acts a, double e, Systematic& s);

// The problem: points held contiguously (`dimension` numbers a point), the
// unit normal of the measured feature at each point, the model.
struct Problem {
    Feature feature = Feature::circle;
    Criterion criterion = Criterion::leastsquares;
    int dimension = 2;
    std::size_t count = 0;
    std::vector<double> points;
    std::vector<double> normals; // `dimension` numbers a point
    std::vector<Contribution> model;
    pointset::Options evaluation;  // of the trials and the GUM inputs
    pointset::Vector orientation;  // the measured direction: every result's is turned to it
    std::vector<std::size_t> kept; // the quantities reported (finite when measured)
    // The points' own reference, where every trial's evaluation starts
    // (evaluation.nearby points to it), and the margin its proof asks for.
    std::shared_ptr<const pointset::Nearby> nearby;
    double margin = 0;
};

// Starts the trials of `p` from `reference`, the reference of p's own points:
// the minimum-zone cylinder's with the margin the trials' moves ask for (six
// times the largest move of 16 trials' points on a stream of their own: a
// trial's zone, and every axis', moves by at most twice its points' move),
// proven beyond a cone of axes. A trial that moves further is certified by
// the whole search, as without a start.
void startnear(Problem& p, const pointset::Reference& reference);

// What each quantity of quantitynames is measured in: the coordinates'
// unit, nothing (a direction's component, a slope) or radians.
enum class Measure { length, ratio, angle };
std::vector<Measure> quantitymeasures(Feature feature, Criterion criterion);

// Why the model does not fit the points, or "".
std::string refusemodel(const std::vector<Contribution>& model, int dimension);

// The normals of the measured reference at every point.
std::vector<double> normalsof(const pointset::Reference& r, const std::vector<double>& points,
                              int dimension);

// Moves the points as one trial draws it from `g`, into `out` (the size of
// the points): per point every per-point contribution in model order, after
// one draw of every systematic one in model order.
void trialpoints(const Problem& p, Generator& g, std::vector<double>& out);

// Applies the systematic transformation to the points in place.
void transform(const Systematic& s, int dimension, std::vector<double>& points);

// Evaluates the points into the values of the kept quantities; false when
// they give no feature or a quantity that is not finite. `certified` tells whether the
// result was certified (always true for least squares or when the problem
// asks for no certificate).
bool evaluateinto(const Problem& p, const std::vector<double>& points, double* values,
                  bool& certified);

// The number of threads to use for `threads` (0: every core).
int threadcount(int threads);

// Monte Carlo (montecarlo.cpp): fills each quantity's values, statistics,
// U, k, tolerance and convergence, and the result's trials and counts.
void montecarlo(const Problem& p, const Options& o, Result& r);

// Denoising (denoise.cpp). The variance of each point's noise along its
// normal from the per-point contributions; the signed distances of `points`
// (the problem's count, `dimension` numbers each) from the reference `r`
// along the problem's normals; and the points with each deviation replaced
// by a kernel average of its neighbours' (on the reference) at the widest
// bandwidth whose residuals the noise explains.
std::vector<double> pointnoise(const Problem& p);
std::vector<double> deviationsabout(const Problem& p, const pointset::Reference& r,
                                    const std::vector<double>& points);
struct Denoised {
    std::vector<double> points;
    double bandwidth = 0;
    double left = 1; // the share of the noise's variance the points keep
    bool smoothed() const { return left <= 0.5; }
};
Denoised denoise(const Problem& p, const std::vector<double>& points,
                 const std::vector<double>& deviations, const std::vector<double>& variances);

// The bias correction (correctbias.cpp): each quantity's `quoted` estimate
// where its bias is significant, with the Monte Carlo results in place.
void correctbias(const Problem& p, const Options& o, Result& r);

// GUM (gum.cpp): the sensitivities, u_c(y), the budget and the validation
// of each quantity, with the Monte Carlo results in place.
void gum(const Problem& p, const Options& o, Result& r);

} // namespace formeval::uncertainty
