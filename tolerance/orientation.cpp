// Orientation characteristics: the narrowest zone of the orientation the
// datum fixes, its place free. A plane's zone is two parallel planes whose
// normal makes a fixed angle with the datum's direction, turned freely about
// it; a derived axis's zone is two parallel planes along a datum plane or
// across a datum axis, or a cylinder along the datum's direction.
#include "tolerance/frames.h"
#include "tolerance/geometry.h"

#include <cmath>
#include <cstdio>
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

void ofplane(const Frame& f, const Measured& m, const Datum& d, FrameValue& v) {
    const double angle = normalangle(f, d.kind);
    const TurnedRange t = turnedrange(points(m.points), d.direction, angle);
    v.value = t.value;
    v.certificate = t.certificate;
    char degrees[32];
    std::snprintf(degrees, sizeof degrees, "%g", angle);
    v.zone = std::string("two parallel planes, their normal at ") + degrees + " degrees to datum " +
             d.label + "'s " + (d.kind == DatumKind::plane ? "normal" : "axis");
    v.found = true;
}

void ofaxis(const Frame& f, const Measured& m, const Datum& d, FrameValue& v) {
    if (f.characteristic == Characteristic::angularity) {
        v.failure = "angularity of an axis is not evaluated yet";
        return;
    }
    const std::vector<Point> axis = derivedaxis(m, v.failure);
    if (axis.empty()) {
        v.failure = m.name + ": " + v.failure;
        return;
    }
    // Parallel to a plane or across an axis: two planes normal to the datum's direction.
    const bool planes =
        (f.characteristic == Characteristic::parallelism) == (d.kind == DatumKind::plane);
    if (planes) {
        exact(v, spread(axis, d.direction));
        v.zone = "two parallel planes across datum " + d.label + "'s " +
                 (d.kind == DatumKind::plane ? "normal" : "axis");
        return;
    }
    enclosingdiameter(projected(axis, d.direction), v);
    v.zone = "a cylinder along datum " + d.label + "'s " +
             (d.kind == DatumKind::plane ? "normal" : "axis");
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
