// Run-out about the datum axis: of radii in each section across it (radial)
// or over the whole surface (total radial), of heights along it on each
// circle about it (axial) or over the whole face (total axial). Closed forms
// on the datums. A cone's radial run-out is read normal to its surface: the
// distances across a cone about the datum axis of the feature's own
// least-squares apex angle.
#include "tolerance/frames.h"
#include "tolerance/geometry.h"

#include <algorithm>
#include <cmath>
#include <string>

namespace formeval::tolerance::detail {

namespace {

// Whether the points of a group go round the axis: three or more, no gap of
// half a turn between their angles.
bool allround(const std::vector<double>& angles, const std::vector<std::size_t>& group) {
    if (group.size() < 3) return false;
    std::vector<double> a;
    for (std::size_t i : group) a.push_back(angles[i]);
    std::sort(a.begin(), a.end());
    double gap = a.front() + 2 * 3.141592653589793 - a.back();
    for (std::size_t k = 1; k < a.size(); ++k) gap = std::max(gap, a[k] - a[k - 1]);
    return gap < 3.141592653589793;
}

double range(const std::vector<double>& v, const std::vector<std::size_t>& group) {
    double lo = v[group.front()], hi = lo;
    for (std::size_t i : group) lo = std::min(lo, v[i]), hi = std::max(hi, v[i]);
    return hi - lo;
}

} // namespace

void runout(const Frame& f, const Measured& m, FrameValue& v) {
    const DatumSystem& s = v.system;
    const char* name = traits(f.characteristic).name;
    if (s.oriented == 0 || !(s.located[0] && s.located[1])) {
        v.failure = std::string(name) + ": the datums fix no axis";
        return;
    }
    const bool radial = f.characteristic == Characteristic::radialrunout ||
                        f.characteristic == Characteristic::totalradialrunout;
    const bool total = f.characteristic == Characteristic::totalradialrunout ||
                       f.characteristic == Characteristic::totalaxialrunout;
    const bool cone = m.type == pointset::Feature::cone;
    const bool fits = radial ? m.type == pointset::Feature::cylinder || cone ||
                                   m.type == pointset::Feature::circle ||
                                   m.type == pointset::Feature::sphere
                             : m.type == pointset::Feature::plane;
    if (!fits) {
        v.failure =
            std::string(name) + " is of " +
            (radial ? "a surface of revolution (cylinder, cone, circle, sphere)" : "a plane face") +
            ", and " + m.name + " is a " + pointset::featurename(m.type);
        return;
    }
    const Vector z = s.axes[2];
    // A cone's slope along z and the factor from radii to distances across it.
    double slope = 0, normal = 1;
    if (cone) {
        const pointset::Reference ls =
            reference(m.points, pointset::Feature::cone, pointset::Criterion::leastsquares, false);
        if (!ls.found) {
            v.failure = m.name + ": its least-squares cone: " + ls.failure;
            return;
        }
        const double angle = dot(ls.direction, z) < 0 ? -ls.angle : ls.angle;
        slope = std::tan(angle);
        normal = std::cos(angle);
    }
    Vector x, y;
    basis(z, x, y);
    const std::vector<Point> p = points(m.points);
    std::vector<double> heights, radii, angles;
    for (const Point& q : p) {
        const Vector r = minus(q, s.origin);
        heights.push_back(dot(r, z));
        radii.push_back((offaxis(q, s.origin, z) - slope * heights.back()) * normal);
        angles.push_back(std::atan2(dot(r, y), dot(r, x)));
    }
    const std::vector<double>& measured = radial ? radii : heights;
    std::vector<std::vector<std::size_t>> groups;
    if (total || m.type == pointset::Feature::circle) {
        groups.emplace_back(p.size());
        for (std::size_t i = 0; i < p.size(); ++i) groups.back()[i] = i;
    } else {
        groups = runs(radial ? heights : radii, m.sections);
        // Circular run-out is read round the axis: a run of points that does
        // not go round it is no section (circle) of the measurement.
        for (const auto& g : groups)
            if (!allround(angles, g)) {
                v.failure = radial ? std::string(name) + ": a section of " + m.name +
                                         " across the datum axis does not go round it (3 "
                                         "points or more, no gap of half a turn): measure it in "
                                         "circles, or give its sections"
                                   : std::string(name) + ": the points of " + m.name +
                                         " form no circles about the datum axis (each of 3 "
                                         "points or more, all round it): measure the face in "
                                         "circles, or take its total axial run-out";
                return;
            }
    }
    double value = 0;
    for (const auto& g : groups) value = std::max(value, range(measured, g));
    exact(v, value);
    v.shape = ZoneShape::runout;
    for (std::size_t i = 0; i < p.size(); ++i)
        v.zonepoints.push_back({angles[i], radii[i], heights[i]});
    v.groups = std::move(groups);
    v.zone = cone     ? (total ? "two coaxial cones of the cone's apex angle about the datum axis"
                               : "two cones of the cone's apex angle about the datum axis, "
                                 "in each section")
             : radial ? (total ? "two coaxial cylinders about the datum axis"
                               : "two concentric circles about the datum axis in each section")
                      : (total ? "two parallel planes across the datum axis"
                               : "two circles along the datum axis on each cylinder about it");
}

} // namespace formeval::tolerance::detail
