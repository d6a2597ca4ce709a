// Orientation characteristics: the narrowest zone of the orientation the
// datum fixes, its place free. A plane's zone is two parallel planes whose
// normal makes a fixed angle with the datum's direction, turned freely about
// it; a derived axis's zone is two parallel planes along a datum plane or
// across a datum axis, or a cylinder along the datum's direction (with a
// second datum, two planes along it turned as that datum fixes).
#include "tolerance/frames.h"
#include "tolerance/geometry.h"

#include <algorithm>
#include <cmath>
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
    const pointset::Reference r =
        reference(m.points, pointset::Feature::plane, pointset::Criterion::leastsquares, false);
    if (!r.found) {
        failure = m.name + ": " + r.failure;
        return false;
    }
    n = dot(r.direction, toward) < 0 ? scaled(-1, r.direction) : r.direction;
    return true;
}

// Two parallel planes about the points whose normal makes `angle` degrees
// with `axis`, turned freely about it: the narrowest, certified.
void turnedzone(FrameValue& v, const std::vector<Point>& p, const Vector& axis, double angle,
                const std::string& zone) {
    const TurnedRange t = turnedrange(p, axis, angle);
    v.value = t.value;
    v.certificate = t.certificate;
    v.zone = zone;
    v.found = true;
    planeszone(v, p, t.direction);
}

// The angle the zone's normal leans from the datum's direction, radians,
// 0 to 90 degrees: its side is the measured feature's (`normalangle` is
// negative for an axis datum at more than 90 degrees).
double leaning(double angle) {
    const double a = std::fabs(angle);
    return std::min(a, 180 - a) * 3.141592653589793 / 180;
}

// The system's axis across the primary's direction nearest the vector
// `lean` (across it), signed along it: the direction a second datum fixes.
Vector fixedturn(const DatumSystem& s, const Vector& lean) {
    const Vector& x = s.axes[0];
    const Vector& y = s.axes[1];
    const Vector e = std::fabs(dot(lean, x)) >= std::fabs(dot(lean, y)) ? x : y;
    return dot(e, lean) < 0 ? scaled(-1, e) : e;
}

// Two parallel planes about the points with the unit normal n: exact.
void fixedzone(FrameValue& v, const std::vector<Point>& p, const Vector& n,
               const std::string& zone) {
    exact(v, spread(p, n));
    v.zone = zone;
    planeszone(v, p, n);
}

// The zone as the drawing relates it to the datum: "two parallel planes
// perpendicular to datum A", "... at 30 degrees to datum A".
std::string relation(const Frame& f, const Datum& d) {
    std::string zone = "two parallel planes ";
    if (f.characteristic == Characteristic::angularity)
        zone += "at " + degrees(f.angle) + " degrees";
    else
        zone += f.characteristic == Characteristic::parallelism ? "parallel" : "perpendicular";
    return zone + " to datum " + d.label;
}

void ofplane(const Frame& f, const Measured& m, const Datum& d, FrameValue& v) {
    const double angle = normalangle(f, d.kind);
    const std::vector<Point> p = points(m.points);
    // Points that determine no plane (all on one line) are no face to orient.
    Vector n;
    if (!leastsquaresnormal(m, d.direction, n, v.failure)) return;
    if (v.system.datums.size() == 1) {
        turnedzone(v, p, d.direction, angle, relation(f, d));
        return;
    }
    // A secondary datum fixes the turn: the zone's normal leans from the
    // primary's direction toward the axis of the system nearest the plane's.
    if (v.system.oriented != 3) {
        v.failure = "datum " + v.system.datums[1].label + " fixes no turn about datum " + d.label;
        return;
    }
    const Vector e = fixedturn(v.system, across(n, d.direction));
    const double theta = leaning(angle);
    fixedzone(v, p, along(scaled(std::cos(theta), d.direction), std::sin(theta), e),
              relation(f, d) + ", turned as datum " + v.system.datums[1].label + " fixes");
}

void ofaxis(const Frame& f, const Measured& m, const Datum& d, FrameValue& v) {
    const std::vector<Point> axis = derivedaxis(m, v.failure);
    if (axis.empty()) {
        v.failure = m.name + ": " + v.failure;
        return;
    }
    // Angularity: two parallel planes inclined at the angle to the datum,
    // turned freely about its direction (the line lies in them where it can),
    // or as a second datum fixes the turn.
    if (f.characteristic == Characteristic::angularity) {
        if (v.system.datums.size() == 1) {
            turnedzone(v, axis, d.direction, normalangle(f, d.kind), relation(f, d));
            return;
        }
        if (v.system.oriented != 3) {
            v.failure =
                "datum " + v.system.datums[1].label + " fixes no turn about datum " + d.label;
            return;
        }
        // The exact axis leans from the primary's direction toward the
        // system's axis nearest the derived axis's lean; the planes hold it,
        // their normal across it in the plane of the two.
        Vector u = minus(axis.back(), axis.front());
        if (dot(u, d.direction) < 0) u = scaled(-1, u);
        const Vector e = fixedturn(v.system, across(u, d.direction));
        const double theta = leaning(normalangle(f, d.kind));
        fixedzone(v, axis, along(scaled(std::cos(theta), d.direction), -std::sin(theta), e),
                  relation(f, d) + ", turned as datum " + v.system.datums[1].label + " fixes");
        return;
    }
    // Parallel to a plane or across an axis: two planes normal to the datum's direction.
    if ((f.characteristic == Characteristic::parallelism) == (d.kind == DatumKind::plane)) {
        fixedzone(v, axis, d.direction, relation(f, d));
        return;
    }
    // Along the datum's direction with a second datum: two planes along it,
    // their normal the system's axis the second fixes (parallel to a datum
    // plane B, across the plane of two datum axes).
    if (v.system.datums.size() > 1) {
        const Datum& b = v.system.datums[1];
        if (v.system.oriented != 3) {
            v.failure = "datum " + b.label + " fixes no turn about datum " + d.label;
            return;
        }
        fixedzone(v, axis, v.system.axes[0],
                  relation(f, d) +
                      (b.kind == DatumKind::plane
                           ? " and parallel to datum " + b.label
                           : " and across the plane of datums " + d.label + " and " + b.label));
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
