// Histogram bins: how many, and the counts in each.
#include "statistics/statistics.h"

#include <algorithm>
#include <cmath>

namespace formeval::statistics {

namespace {

// Quartile by linear interpolation between order statistics.
double quantile(const std::vector<double>& sorted, double p) {
    const double position = p * static_cast<double>(sorted.size() - 1);
    const auto below = static_cast<std::size_t>(std::floor(position));
    const std::size_t above = std::min(below + 1, sorted.size() - 1);
    return sorted[below] +
           (position - static_cast<double>(below)) * (sorted[above] - sorted[below]);
}

int clampbins(double bins) {
    return static_cast<int>(std::clamp(std::ceil(bins), double(minbins), double(maxbins)));
}

} // namespace

int autobins(const std::vector<double>& sorted) {
    if (sorted.empty() || sorted.front() == sorted.back()) return 1;
    const double n = static_cast<double>(sorted.size());
    const double iqr = quantile(sorted, 0.75) - quantile(sorted, 0.25);
    if (iqr <= 0) return clampbins(std::sqrt(n));
    const double width = 2 * iqr / std::cbrt(n);
    return clampbins((sorted.back() - sorted.front()) / width);
}

Histogram makehistogram(const std::vector<double>& values, int bins) {
    Histogram h;
    if (values.empty()) return h;
    const auto [lowest, highest] = std::minmax_element(values.begin(), values.end());
    h.low = *lowest;
    h.high = *highest;
    if (h.low == h.high) {
        // All values equal: one bar of a width that can be drawn.
        const double half = h.low != 0 ? std::fabs(h.low) * 1e-9 : 1e-12;
        h.low -= half;
        h.high += half;
        bins = 1;
    }
    h.counts.assign(static_cast<std::size_t>(std::max(bins, 1)), 0);
    const double width = h.width();
    const double last = static_cast<double>(h.counts.size() - 1);
    for (const double v : values) {
        // Halves keep a span beyond the largest double finite.
        const double position = std::isfinite(width)
                                    ? (v - h.low) / width
                                    : (v / 2 - h.low / 2) / (h.high / 2 - h.low / 2) *
                                          static_cast<double>(h.counts.size());
        const double bin = position > 0 ? std::min(std::floor(position), last) : 0;
        ++h.counts[static_cast<std::size_t>(bin)];
    }
    return h;
}

} // namespace formeval::statistics
