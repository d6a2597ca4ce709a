// Run-out about the datum axis: of radii in each section across it (radial)
// or over the whole surface (total radial), of heights along it on each
// circle about it (axial) or over the whole face (total axial). Closed forms
// on the datums.
#include "tolerance/frames.h"
#include "tolerance/geometry.h"

#include <algorithm>
#include <cmath>
#include <string>

namespace formeval::tolerance::detail {

namespace {

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
    const bool fits = radial ? m.type == pointset::Feature::cylinder ||
                                   m.type == pointset::Feature::circle ||
                                   m.type == pointset::Feature::sphere
                             : m.type == pointset::Feature::plane;
    if (!fits) {
        v.failure =
            std::string(name) + " is of " +
            (radial ? "a surface of revolution (cylinder, circle, sphere)" : "a plane face") +
            ", and " + m.name + " is a " + pointset::featurename(m.type);
        return;
    }
    const Vector z = s.axes[2];
    const std::vector<Point> p = points(m.points);
    std::vector<double> heights, radii;
    for (const Point& q : p) {
        heights.push_back(dot(minus(q, s.origin), z));
        radii.push_back(offaxis(q, s.origin, z));
    }
    const std::vector<double>& measured = radial ? radii : heights;
    std::vector<std::vector<std::size_t>> groups;
    if (total || m.type == pointset::Feature::circle) {
        groups.emplace_back(p.size());
        for (std::size_t i = 0; i < p.size(); ++i) groups.back()[i] = i;
    } else {
        groups = runs(radial ? heights : radii, m.sections);
    }
    double value = 0;
    for (const auto& g : groups) value = std::max(value, range(measured, g));
    exact(v, value);
    Vector x, y;
    basis(z, x, y);
    v.shape = ZoneShape::runout;
    for (std::size_t i = 0; i < p.size(); ++i) {
        const Vector r = minus(p[i], s.origin);
        v.zonepoints.push_back({std::atan2(dot(r, y), dot(r, x)), radii[i], heights[i]});
    }
    v.groups = std::move(groups);
    v.zone = radial ? (total ? "two coaxial cylinders about the datum axis"
                             : "two concentric circles about the datum axis in each section")
                    : (total ? "two parallel planes across the datum axis"
                             : "two circles along the datum axis on each cylinder about it");
}

} // namespace formeval::tolerance::detail
