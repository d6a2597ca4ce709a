// The extent of a chart's values, and the points of a profile as a chart
// draws it: in x order, thinned to the extremes of equal steps where there
// are too many.
#include "report/charts/canvas.h"

#include <algorithm>
#include <cmath>
#include <numeric>

namespace formeval::report {

Range rangeof(const std::vector<double>& v) {
    const auto [low, high] = std::minmax_element(v.begin(), v.end());
    Range r{*low, *high};
    if (!(r.high > r.low)) {
        const double half = r.low != 0 ? std::fabs(r.low) * 1e-6 : 1;
        r.low -= half;
        r.high += half;
    }
    return r;
}

std::vector<std::size_t> traced(const std::vector<double>& x, const std::vector<double>& d,
                                std::size_t most) {
    std::vector<std::size_t> order(x.size());
    std::iota(order.begin(), order.end(), 0);
    std::sort(order.begin(), order.end(),
              [&](std::size_t a, std::size_t b) { return x[a] < x[b]; });
    if (order.size() <= most) return order;
    std::vector<std::size_t> out;
    const std::size_t steps = most / 2;
    for (std::size_t s = 0, i = 0; s < steps; ++s) {
        const std::size_t end = (s + 1) * order.size() / steps;
        std::size_t low = order[i], high = order[i];
        for (; i < end; ++i) {
            if (d[order[i]] < d[low]) low = order[i];
            if (d[order[i]] > d[high]) high = order[i];
        }
        const bool lowfirst = x[low] <= x[high];
        out.push_back(lowfirst ? low : high);
        if (low != high) out.push_back(lowfirst ? high : low);
    }
    return out;
}

} // namespace formeval::report
