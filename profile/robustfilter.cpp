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

namespace {

// The median of [first, last), `middle` at the rank of its upper middle
// value and `odd` whether it has an odd count: that value, or its mean with
// the largest below it. Reorders the range.
template <class It> double middleof(It first, It middle, It last, bool odd) {
    std::nth_element(first, middle, last);
    if (odd) return *middle;
    return (*middle + *std::max_element(first, middle)) / 2;
}

} // namespace

double median(std::vector<double> values) {
    if (values.empty()) return std::numeric_limits<double>::quiet_NaN();
    const auto middle = values.begin() + static_cast<std::ptrdiff_t>(values.size() / 2);
    return middleof(values.begin(), middle, values.end(), values.size() % 2 == 1);
}

namespace detail {

double mediannear(const std::vector<double>& values, double guess, std::vector<double>& window) {
    const std::size_t n = values.size();
    if (n >= 2 && guess > 0 && std::isfinite(guess)) {
        const double lo = guess * 0.9, hi = guess * 1.1;
        window.resize(n);
        std::size_t in = 0, below = 0, above = 0;
        for (const double v : values) {
            window[in] = v;
            in += v >= lo && v <= hi;
            below += v < lo;
            above += v > hi;
        }
        const std::size_t high = n / 2, low = n % 2 == 1 ? high : high - 1;
        if (below + in + above == n && low >= below && high < below + in) {
            return middleof(window.begin(),
                            window.begin() + static_cast<std::ptrdiff_t>(high - below),
                            window.begin() + static_cast<std::ptrdiff_t>(in), n % 2 == 1);
        }
    }
    return median(values);
}

} // namespace detail

namespace {

// Reweights from the plain filter's mean line `mean` until it settles:
// `step` puts the filter of `value` with the given point weights in its last
// argument, which holds the previous mean line on entry. With `support`,
// which gives the share of each window's weight the last step's weights
// keep, passes that detach the mean line give way to the first one (see
// robustfilter), and `detached` says so.
using Step = std::function<void(const std::vector<double>& weight, std::vector<double>& mean)>;
using Support = std::function<void(std::vector<double>& share)>;
std::vector<double> reweight(const std::vector<double>& value, std::vector<double> mean,
                             const Step& step, const Support& support = nullptr,
                             bool* detached = nullptr) {
    const std::size_t n = value.size();
    // The residuals share a buffer with the next mean line, the median's
    // window with the weights: each is done with before the other is made.
    std::vector<double> next(n), weight(n), first;
    std::vector<double>& residual = next;
    double guess = std::numeric_limits<double>::quiet_NaN();
    double c = 0, change = 0; // of the last pass
    int passes = 0;
    for (int k = 0; k < robustiterations; ++k) {
        for (std::size_t i = 0; i < n; ++i) residual[i] = std::abs(value[i] - mean[i]);
        guess = detail::mediannear(residual, guess, weight);
        // Half the points or more on the mean line make c 0: the others
        // still weigh nothing, and the passes stop only when the mean line
        // stands still.
        const double scalenow = biweightscale * guess;
        if (!(scalenow >= 0)) break;
        c = scalenow;
        // Tukey's biweight of each residual at the scale c; at c = 0 its
        // limit, 1 on the mean line and 0 off it.
        if (c == 0) {
            for (std::size_t i = 0; i < n; ++i) weight[i] = value[i] == mean[i] ? 1 : 0;
        } else {
            const double scale = 1 / c;
            for (std::size_t i = 0; i < n; ++i) {
                const double u = (value[i] - mean[i]) * scale;
                weight[i] = std::abs(u) < 1 ? (1 - u * u) * (1 - u * u) : 0;
            }
        }
        next = mean;
        step(weight, next);
        change = 0;
        for (std::size_t i = 0; i < n; ++i) change = std::max(change, std::abs(next[i] - mean[i]));
        std::swap(mean, next);
        if (++passes == 1 && support) first = mean;
        if (change <= robusttolerance * c) break;
    }
    if (!support || passes == 0) return mean;
    // Beyond rounding: a departure or a change of the mean line counts from
    // more than c and a billionth of the values' range. The passes detached
    // the mean line where the last left a window all but without weight at
    // a point the line departs from, or where they ran out still moving it.
    const auto [low, high] = std::minmax_element(value.begin(), value.end());
    const double beyond = std::max(c, 1e-9 * (*high - *low));
    bool off = passes == robustiterations && change > beyond;
    if (!off) {
        std::vector<double>& share = next;
        support(share);
        for (std::size_t i = 0; i < n && !off; ++i)
            off = share[i] < robustleastsupport && std::abs(value[i] - mean[i]) > beyond;
    }
    if (detached) *detached = off;
    return off ? first : mean;
}

} // namespace

std::vector<double> robustfilter(const std::vector<double>& samples, double cutoff,
                                 bool* firstpass) {
    if (firstpass) *firstpass = false;
    if (samples.empty()) return {};
    // The weighted mean of the periodic Gaussian window: the filtered
    // weighted values over the filtered weights (with the weights all 1,
    // the Gaussian filter itself).
    detail::WeightedGaussian weightedmean(samples.size(), cutoff);
    const Step step = [&](const std::vector<double>& weight, std::vector<double>& mean) {
        weightedmean(samples, weight, mean);
    };
    std::vector<double> first = samples;
    step(std::vector<double>(samples.size(), 1.0), first);
    return reweight(
        samples, std::move(first), step,
        [&](std::vector<double>& share) { weightedmean.support(share); }, firstpass);
}

std::vector<double> robustopenfilter(const std::vector<double>& position,
                                     const std::vector<double>& value, double cutoff) {
    const std::vector<double> first = openfilter(position, value, cutoff);
    if (value.empty()) return first;
    const Step step = [&](const std::vector<double>& weight, std::vector<double>& mean) {
        mean = detail::weightedregression(position, value, weight, cutoff, mean);
    };
    return reweight(value, first, step);
}

} // namespace formeval::profile
