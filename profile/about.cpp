// A profile as radial deviations about a circle, and the distance to a
// circle along a direction.
#include "profile/profile.h"

#include <algorithm>
#include <cmath>

namespace formeval::profile {

std::vector<PolarPoint> profileabout(const std::vector<double>& x, const std::vector<double>& y,
                                     const Circle& about) {
    std::vector<PolarPoint> out;
    for (std::size_t i = 0; i < x.size() && i < y.size(); ++i) {
        const double dx = x[i] - about.x;
        const double dy = y[i] - about.y;
        out.push_back({std::atan2(dy, dx), std::hypot(dx, dy) - about.r});
    }
    std::sort(out.begin(), out.end(),
              [](const PolarPoint& a, const PolarPoint& b) { return a.angle < b.angle; });
    return out;
}

std::optional<double> distancealong(const Circle& c, double fromx, double fromy, double angle) {
    const double ux = std::cos(angle);
    const double uy = std::sin(angle);
    const double ex = c.x - fromx;
    const double ey = c.y - fromy;
    // Solve |t u - e| = r for the t > 0 in front of `from`.
    const double along = ex * ux + ey * uy;
    const double across = ex * uy - ey * ux;
    const double under = c.r * c.r - across * across;
    if (under < 0 || ex * ex + ey * ey >= c.r * c.r) return std::nullopt;
    return along + std::sqrt(under);
}

} // namespace formeval::profile
