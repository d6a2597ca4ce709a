// Where a profile was measured, and the profile at equal angles.
#include "profile/profile.h"

#include <algorithm>
#include <cmath>

namespace formeval::profile {

namespace {

const double pi = std::acos(-1.0);

// The upper of the two middle values of an even count.
double uppermedian(std::vector<double> v) {
    std::nth_element(v.begin(), v.begin() + static_cast<long>(v.size() / 2), v.end());
    return v[v.size() / 2];
}

} // namespace

ProfileExtent profileextent(const std::vector<PolarPoint>& sorted) {
    ProfileExtent e;
    e.span = 2 * pi;
    if (sorted.size() < 2) return e;
    std::vector<double> gaps;
    std::size_t widest = 0;
    for (std::size_t i = 0; i < sorted.size(); ++i) {
        const double next = i + 1 < sorted.size() ? sorted[i + 1].angle : sorted[0].angle + 2 * pi;
        gaps.push_back(next - sorted[i].angle);
        if (gaps.back() > gaps[widest]) widest = i;
    }
    const double largest = gaps[widest];
    if (largest <= std::max(2 * uppermedian(gaps), pi / 6)) return e;
    e.closed = false;
    e.start = sorted[(widest + 1) % sorted.size()].angle;
    e.span = 2 * pi - largest;
    return e;
}

EqualAngles equalangles(const std::vector<PolarPoint>& given) {
    // A point that repeats the one before it (a trace closed by its first
    // point again, at 360 degrees) is one sample, not two.
    std::vector<PolarPoint> sorted;
    for (const PolarPoint& p : given)
        if (sorted.empty() || p.angle != sorted.back().angle ||
            p.deviation != sorted.back().deviation)
            sorted.push_back(p);
    EqualAngles e;
    const std::size_t n = sorted.size();
    if (n == 0) return e;
    e.start = sorted[0].angle;
    const double step = 2 * pi / static_cast<double>(n);
    bool equal = true;
    for (std::size_t i = 0; i < n && equal; ++i)
        equal = std::fabs(sorted[i].angle - (e.start + step * static_cast<double>(i))) <=
                equalangletolerance * step;
    if (equal) {
        for (const PolarPoint& p : sorted) e.deviation.push_back(p.deviation);
        return e;
    }
    e.resampled = true;
    std::size_t below = 0; // the last point at or before the sample's angle
    for (std::size_t k = 0; k < n; ++k) {
        const double angle = e.start + step * static_cast<double>(k);
        while (below + 1 < n && sorted[below + 1].angle <= angle) ++below;
        const PolarPoint& a = sorted[below];
        const PolarPoint& b = sorted[(below + 1) % n];
        const double bangle = below + 1 < n ? b.angle : b.angle + 2 * pi;
        const double t = bangle > a.angle ? (angle - a.angle) / (bangle - a.angle) : 0;
        e.deviation.push_back(a.deviation + t * (b.deviation - a.deviation));
    }
    return e;
}

} // namespace formeval::profile
