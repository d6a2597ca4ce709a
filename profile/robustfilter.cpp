// The robust Gaussian regression filter: the Gaussian filter iteratively
// reweighted with Tukey's biweight of each point's residual from the mean
// line.
#include "profile/openprofile.h"
#include "profile/profile.h"
#include "profile/weightedgaussian.h"

#include <algorithm>
#include <cmath>
#include <functional>
#include <limits>

namespace formeval::profile {

double median(std::vector<double> values) {
    if (values.empty()) return std::numeric_limits<double>::quiet_NaN();
    const auto middle = values.begin() + static_cast<std::ptrdiff_t>(values.size() / 2);
    std::nth_element(values.begin(), middle, values.end());
    if (values.size() % 2 == 1) return *middle;
    return (*middle + *std::max_element(values.begin(), middle)) / 2;
}

namespace {

// The median of |value - mean|.
double medianresidual(const std::vector<double>& value, const std::vector<double>& mean) {
    std::vector<double> r(value.size());
    for (std::size_t i = 0; i < r.size(); ++i) r[i] = std::abs(value[i] - mean[i]);
    return median(std::move(r));
}

// Tukey's biweight of each residual at the scale c; at c = 0 its limit, 1 on
// the mean line and 0 off it.
std::vector<double> biweights(const std::vector<double>& value, const std::vector<double>& mean,
                              double c) {
    std::vector<double> w(value.size());
    if (c == 0) {
        for (std::size_t i = 0; i < w.size(); ++i) w[i] = value[i] == mean[i] ? 1 : 0;
        return w;
    }
    const double scale = 1 / c;
    for (std::size_t i = 0; i < w.size(); ++i) {
        const double u = (value[i] - mean[i]) * scale;
        w[i] = std::abs(u) < 1 ? (1 - u * u) * (1 - u * u) : 0;
    }
    return w;
}

// Reweights from the plain filter's mean line `mean` until it settles:
// `step` is the filter with the given point weights.
using Step = std::function<std::vector<double>(const std::vector<double>& weight,
                                               const std::vector<double>& previous)>;
std::vector<double> reweight(const std::vector<double>& value, std::vector<double> mean,
                             const Step& step) {
    for (int k = 0; k < robustiterations; ++k) {
        // Half the points or more on the mean line make c 0: the others
        // still weigh nothing, and the passes stop only when the mean line
        // stands still.
        const double c = biweightscale * medianresidual(value, mean);
        if (!(c >= 0)) break;
        std::vector<double> next = step(biweights(value, mean, c), mean);
        double change = 0;
        for (std::size_t i = 0; i < next.size(); ++i)
            change = std::max(change, std::abs(next[i] - mean[i]));
        mean = std::move(next);
        if (change <= robusttolerance * c) break;
    }
    return mean;
}

} // namespace

std::vector<double> robustfilter(const std::vector<double>& samples, double cutoff) {
    if (samples.empty()) return {};
    // The weighted mean of the periodic Gaussian window: the filtered
    // weighted values over the filtered weights (with the weights all 1,
    // the Gaussian filter itself).
    detail::WeightedGaussian weightedmean(samples.size(), cutoff);
    const Step step = [&](const std::vector<double>& weight, const std::vector<double>& previous) {
        std::vector<double> out = previous;
        weightedmean(samples, weight, out);
        return out;
    };
    return reweight(samples, step(std::vector<double>(samples.size(), 1.0), samples), step);
}

std::vector<double> robustopenfilter(const std::vector<double>& position,
                                     const std::vector<double>& value, double cutoff) {
    const std::vector<double> first = openfilter(position, value, cutoff);
    if (value.empty()) return first;
    const Step step = [&](const std::vector<double>& weight, const std::vector<double>& previous) {
        return detail::weightedregression(position, value, weight, cutoff, previous);
    };
    return reweight(value, first, step);
}

} // namespace formeval::profile
