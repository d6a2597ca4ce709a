// Largest angular gap between the directions of points about a centre.
#include "pointset/pointset.h"

#include <algorithm>
#include <cmath>

namespace formeval::pointset {

double largestgap(const std::vector<Point>& p, double cx, double cy) {
    const double twopi = 2 * std::acos(-1.0);
    std::vector<double> angles;
    for (const Point& q : p)
        if (q[0] != cx || q[1] != cy) angles.push_back(std::atan2(q[1] - cy, q[0] - cx));
    if (angles.size() < 2) return twopi;
    std::sort(angles.begin(), angles.end());
    double gap = angles.front() + twopi - angles.back();
    for (std::size_t i = 1; i < angles.size(); ++i) gap = std::max(gap, angles[i] - angles[i - 1]);
    return gap;
}

} // namespace formeval::pointset
