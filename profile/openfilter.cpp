// The Gaussian regression filter of open profiles, by a window that slides
// along the positions.
#include "profile/openprofile.h"
#include "profile/profile.h"

#include <cmath>
#include <stdexcept>
#include <string>

namespace formeval::profile {

namespace detail {

void checkopen(const std::vector<double>& position, const std::vector<double>& value, double cutoff,
               const char* what) {
    const std::string name(what);
    if (position.size() != value.size())
        throw std::invalid_argument(name + ": as many positions as values are needed");
    if (!(cutoff > 0) || !std::isfinite(cutoff))
        throw std::invalid_argument(name + ": the cut-off must be above 0");
    for (std::size_t i = 0; i < position.size(); ++i) {
        if (!std::isfinite(position[i]) || !std::isfinite(value[i]))
            throw std::invalid_argument(name + ": a position or value is not finite");
        if (i > 0 && !(position[i] > position[i - 1]))
            throw std::invalid_argument(name + ": positions must increase");
    }
}

std::vector<double> weightedregression(const std::vector<double>& position,
                                       const std::vector<double>& value,
                                       const std::vector<double>& weight, double cutoff,
                                       const std::vector<double>& previous) {
    const double pi = std::acos(-1.0);
    const double width = std::sqrt(std::log(2.0) / pi) * cutoff; // alpha * cut-off
    const std::size_t n = position.size();
    std::vector<double> out(n);
    std::size_t first = 0, last = 0; // the window [first, last)
    for (std::size_t i = 0; i < n; ++i) {
        while (position[i] - position[first] > cutoff) ++first;
        while (last < n && position[last] - position[i] <= cutoff) ++last;
        // Weighted sums about position i, so that the fit's value there is
        // its intercept.
        double s0 = 0, s1 = 0, s2 = 0, t0 = 0, t1 = 0, g0 = 0;
        for (std::size_t j = first; j < last; ++j) {
            const double d = position[j] - position[i];
            const double g = std::exp(-pi * (d / width) * (d / width));
            const double w = g * weight[j];
            g0 += g;
            s0 += w;
            s1 += w * d;
            s2 += w * d * d;
            t0 += w * value[j];
            t1 += w * d * value[j];
        }
        if (!(s0 > 1e-12 * g0)) {
            out[i] = previous.empty() ? value[i] : previous[i];
            continue;
        }
        const double det = s0 * s2 - s1 * s1;
        // A window of one position (or positions too close to tell a slope)
        // has only its level.
        out[i] = det > 1e-12 * s0 * s2 ? (s2 * t0 - s1 * t1) / det : t0 / s0;
    }
    return out;
}

} // namespace detail

std::vector<double> openfilter(const std::vector<double>& position,
                               const std::vector<double>& value, double cutoff) {
    detail::checkopen(position, value, cutoff);
    return detail::weightedregression(position, value, std::vector<double>(position.size(), 1.0),
                                      cutoff, {});
}

} // namespace formeval::profile
