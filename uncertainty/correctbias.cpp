// The estimate a statement quotes when the noise biases a quantity. The
// measured points already carry the noise the trials add again, so the Monte
// Carlo average holds the bias twice and its interval is shifted by it: a form
// error comes out above the measured value, which is itself above the part's.
//
// The correction is a parametric bootstrap about a denoised copy of the points
// (Efron and Tibshirani 1993, 10.2 and 13.3): trials about the copy give the
// distribution of (quantity of noisy points) - (quantity of the points without
// that noise); the measured value less its mean is the estimate, and the
// measured value less its interval ends, reflected, the interval. How well
// the copy stands in for the part is itself uncertain: the same procedure is
// run on pseudo-measurements of the copy, whose true bias is known, and the
// root mean square of their errors, as a standard uncertainty, widens the
// interval (the calibrated bootstrap's idea, Efron and Tibshirani 18.3).
#include "uncertainty/engine.h"

#include <algorithm>
#include <cmath>

namespace formeval::uncertainty {

namespace {

// Substreams of the correction's draws, far beyond any run's trials.
constexpr std::uint64_t copytrials = std::uint64_t{1} << 40;
constexpr std::uint64_t pseudomeasurements = std::uint64_t{1} << 41;
constexpr std::uint64_t pseudotrials = std::uint64_t{1} << 42;
constexpr long mostcopytrials = 10000;
constexpr long replicates = 20;
constexpr long replicatetrials = 200;

// The mean shift of every kept quantity over `trials` trials about the
// points of `p`, from the substreams from `first` on; each trial's shifts in
// `each` when asked. False when the points themselves or every trial give no
// feature.
bool shifts(const Problem& p, const Substreams& streams, std::uint64_t first, long trials,
            int threads, std::vector<double>& mean, std::vector<std::vector<double>>* each) {
    const std::size_t nq = p.kept.size();
    std::vector<double> base(nq);
    bool certified = true;
    if (!evaluateinto(p, p.points, base.data(), certified)) return false;
    std::vector<double> values(static_cast<std::size_t>(trials) * nq);
    std::vector<char> found(static_cast<std::size_t>(trials));
    const auto trial = [&](long t) {
        Generator g(streams.start(first + static_cast<std::uint64_t>(t)));
        thread_local std::vector<double> points;
        trialpoints(p, g, points);
        bool ok = true;
        found[t] = evaluateinto(p, points, &values[t * nq], ok);
    };
    if (threads > 1)
        parallel(0, trials, threads, trial);
    else
        for (long t = 0; t < trials; ++t) trial(t);
    mean.assign(nq, 0.0);
    if (each) each->assign(nq, {});
    long count = 0;
    for (long t = 0; t < trials; ++t) {
        if (!found[t]) continue;
        ++count;
        for (std::size_t q = 0; q < nq; ++q) {
            const double shift = values[t * nq + q] - base[q];
            mean[q] += shift;
            if (each) (*each)[q].push_back(shift);
        }
    }
    if (count == 0) return false;
    for (double& m : mean) m /= static_cast<double>(count);
    return true;
}

// The problem with its points denoised about the measured reference; the
// share of the noise they keep.
Problem denoised(const Problem& p, const pointset::Reference& measured,
                 const std::vector<double>& points, const std::vector<double>& variances,
                 double* left = nullptr) {
    Problem copy = p;
    Denoised d = denoise(p, points, deviationsabout(p, measured, points), variances);
    copy.points = std::move(d.points);
    if (left) *left = d.left;
    // Its trials start from its own reference, found from the measured one.
    const pointset::Points view{copy.points.data(), copy.count, copy.dimension,
                                static_cast<std::size_t>(copy.dimension)};
    const pointset::Reference reference =
        pointset::evaluate(view, copy.feature, copy.criterion, p.evaluation);
    if (reference.found) {
        startnear(copy, reference);
    } else {
        copy.nearby.reset();
        copy.evaluation.nearby = nullptr;
    }
    return copy;
}

// A component of a unit vector: a line's direction, a plane's normal, an
// axis.
bool unitcomponent(const std::string& quantity) {
    for (const char* prefix : {"direction_", "normal_", "axis_"})
        if (quantity.rfind(prefix, 0) == 0) return true;
    return false;
}

} // namespace

bool nonnegative(const std::string& quantity) {
    for (const char* name : {"t", "p", "v", "q", "radius", "diameter"})
        if (quantity == name) return true;
    return false;
}

void correctbias(const Problem& p, const Options& o, Result& r) {
    // A bias is significant beyond a tenth of u(y), and beyond the rounding
    // of the coordinates (a translation moves a form error by that alone).
    double scale = 0;
    for (const double v : p.points) scale = std::max(scale, std::fabs(v));
    const auto significant = [&](const Quantity& y) {
        return std::fabs(y.bias) > y.mc.sd / 10 && std::fabs(y.bias) > 1e-12 * scale;
    };
    bool any = false;
    for (const Quantity& y : r.quantities) any = any || significant(y);
    if (!o.correctbias || !any) return;
    const Substreams streams(o.seed);
    const int threads = threadcount(o.threads);
    const std::vector<double> variances = pointnoise(p);
    double left = 1;
    const Problem copy = denoised(p, r.measured, p.points, variances, &left);
    const long trials = std::min(r.trials, mostcopytrials);
    std::vector<double> correction;
    std::vector<std::vector<double>> each;
    if (!shifts(copy, streams, copytrials, trials, threads, correction, &each)) return;

    // The procedure again on pseudo-measurements of the copy: each its own
    // denoised copy and trials, its error against the copy's own bias.
    std::vector<std::vector<double>> errors(replicates);
    parallel(0, replicates, threads, [&](long k) {
        Generator g(streams.start(pseudomeasurements + static_cast<std::uint64_t>(k)));
        std::vector<double> measurement;
        trialpoints(copy, g, measurement);
        const Problem again = denoised(p, r.measured, measurement, variances);
        std::vector<double> estimated;
        if (shifts(again, streams, pseudotrials + static_cast<std::uint64_t>(k) * replicatetrials,
                   replicatetrials, 1, estimated, nullptr))
            errors[k] = estimated;
    });

    const double factor = gaussianfactor(o.coverage);
    for (std::size_t q = 0; q < r.quantities.size(); ++q) {
        Quantity& y = r.quantities[q];
        if (!significant(y)) continue;
        const statistics::Statistics shift = statistics::summarise(each[q], o.coverage);
        if (!shift.hasinterval) continue;
        double squares = 0;
        long counted = 0;
        for (const std::vector<double>& e : errors)
            if (!e.empty()) {
                squares += (e[q] - correction[q]) * (e[q] - correction[q]);
                ++counted;
            }
        if (counted < replicates / 2) continue;
        squares = squares / static_cast<double>(counted) +
                  shift.sd * shift.sd / static_cast<double>(shift.count);
        Quantity::Estimate& e = y.quoted;
        e.corrected = true;
        e.correction = correction[q];
        e.correctionu = std::sqrt(squares);
        // Points too sparse for their form to be told from the noise keep
        // some of it, and a rough profile gains less from noise than the
        // part's: the correction may fall short, by about itself where the
        // copy keeps all the noise.
        e.denoised = left <= 0.5;
        e.correctionu = std::max(e.correctionu, std::sqrt(left) * std::fabs(e.correction));
        e.y = y.measured - e.correction;
        const double widen = factor * e.correctionu;
        e.low = e.y - std::hypot(shift.high - shift.mean, widen);
        e.high = e.y + std::hypot(shift.mean - shift.low, widen);
        e.u = std::hypot(shift.sd, e.correctionu);
        // A form error or a size is never negative, whatever the
        // correction says of points rounder than their noise.
        if (nonnegative(y.name)) {
            const bool bound = e.y < 0;
            e.y = std::max(e.y, 0.0);
            e.low = std::max(e.low, 0.0);
            e.high = std::max(e.high, e.y);
            // Points that vary less than the model's noise would leave put
            // the whole reflected interval below 0, which clamped is 0 +- 0;
            // an estimate held at 0 keeps the Gaussian U of its own u(y).
            if (bound) e.high = std::max(e.high, factor * e.u);
        }
        // A direction's component lies within [-1, 1]: reflected about a
        // measured 1 (an axis along z), the trials' lower average put it
        // above.
        if (unitcomponent(y.name) && std::fabs(e.y) > 1) {
            const double sign = e.y > 0 ? 1 : -1;
            e.y = sign;
            if (sign > 0) {
                e.high = 1;
                e.low = std::max(std::min(e.low, 1 - factor * e.u), -1.0);
            } else {
                e.low = -1;
                e.high = std::min(std::max(e.high, -1 + factor * e.u), 1.0);
            }
        } else if (unitcomponent(y.name)) {
            e.low = std::max(e.low, -1.0);
            e.high = std::min(e.high, 1.0);
        }
        e.U = std::max(e.y - e.low, e.high - e.y);
        e.k = e.u > 0 ? e.U / e.u : 0;
    }
}

} // namespace formeval::uncertainty
