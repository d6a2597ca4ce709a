// The derived axis of a cylinder: the centres of the least-squares circles
// of its sections across its least-squares axis.
#include "tolerance/geometry.h"

#include <string>

namespace formeval::tolerance {

namespace detail {

bool sectioncentre(const std::vector<Point>& p, const std::vector<std::size_t>& group,
                   const Vector& d, Point& centre, std::string& failure) {
    Vector x, y;
    basis(d, x, y);
    std::vector<double> xy;
    double height = 0;
    for (std::size_t i : group) {
        xy.push_back(dot(p[i], x));
        xy.push_back(dot(p[i], y));
        height += dot(p[i], d) / static_cast<double>(group.size());
    }
    const pointset::Reference r =
        reference({xy.data(), group.size(), 2, 2}, pointset::Feature::circle,
                  pointset::Criterion::leastsquares, false);
    if (!r.found) {
        failure = "a section's circle: " + r.failure;
        return false;
    }
    for (int k = 0; k < 3; ++k) centre[k] = r.point[0] * x[k] + r.point[1] * y[k] + height * d[k];
    return true;
}

} // namespace detail

std::vector<Point> derivedaxis(const Measured& cylinder, std::string& failure) {
    std::vector<Point> centres;
    const pointset::Reference ls = detail::reference(cylinder.points, pointset::Feature::cylinder,
                                                     pointset::Criterion::leastsquares, false);
    if (!ls.found) {
        failure = "its least-squares cylinder: " + ls.failure;
        return centres;
    }
    const std::vector<Point> p = detail::points(cylinder.points);
    std::vector<double> heights;
    for (const Point& q : p) heights.push_back(detail::dot(q, ls.direction));
    const auto sections = runs(heights, cylinder.sections);
    if (sections.size() < 2) {
        failure = "its points fall in one section along its axis: measure it in circles, or "
                  "give its number of sections";
        return centres;
    }
    for (const auto& s : sections) {
        if (s.size() < 3) {
            failure = "a section of its points along its axis holds fewer than 3 points";
            centres.clear();
            return centres;
        }
        Point c;
        if (!detail::sectioncentre(p, s, ls.direction, c, failure)) {
            centres.clear();
            return centres;
        }
        centres.push_back(c);
    }
    return centres;
}

} // namespace formeval::tolerance
