// Orientation characteristics: the narrowest zone of the orientation the
// datum fixes, its place free. A plane's zone is two parallel planes whose
// normal makes a fixed angle with the datum's direction, turned freely about
// it; a derived axis's zone is two parallel planes along a datum plane or
// across a datum axis, or a cylinder along the datum's direction.
#include "tolerance/frames.h"
#include "tolerance/geometry.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <limits>
#include <string>

namespace formeval::tolerance::detail {

namespace {

// Angle between a toleranced plane's zone normal and the datum's direction.
double normalangle(const Frame& f, DatumKind datum) {
    const bool plane = datum == DatumKind::plane;
    switch (f.characteristic) {
    case Characteristic::parallelism:
        return plane ? 0 : 90;
    case Characteristic::perpendicularity:
        return plane ? 90 : 0;
    default:
        return plane ? f.angle : 90 - f.angle;
    }
}

// The least-squares normal of a plane's points, signed along `toward`.
bool leastsquaresnormal(const Measured& m, const Vector& toward, Vector& n, std::string& failure) {
    pointset::Options o;
    o.deviations = false;
    o.certificate = false;
    const pointset::Reference r = pointset::evaluate(m.points, pointset::Feature::plane,
                                                     pointset::Criterion::leastsquares, o);
    if (!r.found) {
        failure = m.name + ": " + r.failure;
        return false;
    }
    n = dot(r.direction, toward) < 0 ? scaled(-1, r.direction) : r.direction;
    return true;
}

void ofplane(const Frame& f, const Measured& m, const Datum& d, FrameValue& v) {
    const double angle = normalangle(f, d.kind);
    // The zone as the drawing relates it to the datum.
    std::string zone = "two parallel planes ";
    if (f.characteristic == Characteristic::angularity) {
        char degrees[32];
        std::snprintf(degrees, sizeof degrees, "%g", f.angle);
        zone += std::string("at ") + degrees + " degrees";
    } else {
        zone += f.characteristic == Characteristic::parallelism ? "parallel" : "perpendicular";
    }
    zone += " to datum " + d.label;
    const std::vector<Point> p = points(m.points);
    if (v.system.datums.size() == 1) {
        const TurnedRange t = turnedrange(p, d.direction, angle);
        v.value = t.value;
        v.certificate = t.certificate;
        v.zone = zone;
        v.found = true;
        double floor = std::numeric_limits<double>::infinity();
        for (const Point& q : p) floor = std::min(floor, dot(q, t.direction));
        planeszone(v, p, t.direction, floor);
        return;
    }
    // A secondary datum fixes the turn: the zone's normal leans from the
    // primary's direction toward the axis of the system nearest the plane's.
    if (v.system.oriented != 3) {
        v.failure = "datum " + v.system.datums[1].label + " fixes no turn about datum " + d.label;
        return;
    }
    Vector n;
    if (!leastsquaresnormal(m, d.direction, n, v.failure)) return;
    const Vector lean = across(n, d.direction);
    const Vector& x = v.system.axes[0];
    const Vector& y = v.system.axes[1];
    Vector e = std::fabs(dot(lean, x)) >= std::fabs(dot(lean, y)) ? x : y;
    if (dot(e, lean) < 0) e = scaled(-1, e);
    const double theta = std::min(angle, 180 - angle) * 3.141592653589793 / 180;
    const Vector normal = along(scaled(std::cos(theta), d.direction), std::sin(theta), e);
    exact(v, spread(p, normal));
    double floor = std::numeric_limits<double>::infinity();
    for (const Point& q : p) floor = std::min(floor, dot(q, normal));
    planeszone(v, p, normal, floor);
    v.zone = zone + ", turned as datum " + v.system.datums[1].label + " fixes";
}

void ofaxis(const Frame& f, const Measured& m, const Datum& d, FrameValue& v) {
    const std::vector<Point> axis = derivedaxis(m, v.failure);
    if (axis.empty()) {
        v.failure = m.name + ": " + v.failure;
        return;
    }
    if (f.characteristic == Characteristic::angularity) {
        // Two parallel planes inclined at the angle to the datum, turned
        // freely about its direction: the line lies in them where it can.
        const TurnedRange t = turnedrange(axis, d.direction, normalangle(f, d.kind));
        v.value = t.value;
        v.certificate = t.certificate;
        char degrees[32];
        std::snprintf(degrees, sizeof degrees, "%g", f.angle);
        v.zone = std::string("two parallel planes at ") + degrees + " degrees to datum " + d.label;
        v.found = true;
        double floor = std::numeric_limits<double>::infinity();
        for (const Point& q : axis) floor = std::min(floor, dot(q, t.direction));
        planeszone(v, axis, t.direction, floor);
        return;
    }
    // Parallel to a plane or across an axis: two planes normal to the datum's direction.
    const bool planes =
        (f.characteristic == Characteristic::parallelism) == (d.kind == DatumKind::plane);
    if (planes) {
        exact(v, spread(axis, d.direction));
        double floor = std::numeric_limits<double>::infinity();
        for (const Point& q : axis) floor = std::min(floor, dot(q, d.direction));
        planeszone(v, axis, d.direction, floor);
        v.zone = "two parallel planes " +
                 std::string(d.kind == DatumKind::plane ? "parallel" : "perpendicular") +
                 " to datum " + d.label;
        return;
    }
    const std::array<double, 2> c = enclosingdiameter(projected(axis, d.direction), v);
    Vector x, y;
    basis(d.direction, x, y);
    roundzone(v, axis, along(scaled(c[0], x), c[1], y), d.direction);
    v.zone = "a cylinder " +
             std::string(d.kind == DatumKind::plane ? "perpendicular" : "parallel") + " to datum " +
             d.label;
}

} // namespace

void orientation(const Frame& f, const Measured& m, FrameValue& v) {
    const Datum& d = v.system.datums.front();
    const char* name = traits(f.characteristic).name;
    if (d.kind == DatumKind::point) {
        v.failure =
            std::string(name) + ": datum " + d.label + " is a point, which fixes no direction";
        return;
    }
    if (m.type == pointset::Feature::plane)
        ofplane(f, m, d, v);
    else if (m.type == pointset::Feature::cylinder)
        ofaxis(f, m, d, v);
    else
        v.failure = std::string(name) + " is of a plane or a cylinder's axis, and " + m.name +
                    " is a " + pointset::featurename(m.type);
}

} // namespace formeval::tolerance::detail
