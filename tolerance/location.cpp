// Location characteristics: position about the theoretically exact place in
// the datum system, coaxiality of a derived axis and concentricity of
// section centres about the datum axis; closed forms on the datums.
#include "tolerance/frames.h"
#include "tolerance/geometry.h"

#include <algorithm>
#include <cmath>
#include <string>

namespace formeval::tolerance::detail {

namespace {

Point inspace(const DatumSystem& s, const Point& c) {
    Point p = s.origin;
    for (int k = 0; k < 3; ++k) p = along(p, c[k], s.axes[k]);
    return p;
}
Vector directioninspace(const DatumSystem& s, const Vector& c) {
    return unit(along(along(scaled(c[0], s.axes[0]), c[1], s.axes[1]), c[2], s.axes[2]));
}

// Why the datums cannot place the exact feature: a coordinate it needs that
// no datum fixes, or a turn about z they leave free where its place turns
// with it. Empty when they can. `needed[k]`: whether its place depends on
// coordinate k; `centre`: a centre, which a datum point alone places at 0.
std::string unplaced(const DatumSystem& s, const std::array<bool, 3>& needed, bool turns,
                     bool centre, const Frame& f) {
    const char* names = "xyz";
    for (int k = 0; k < 3; ++k)
        if (needed[k] && !s.located[k])
            return std::string("the datums fix no zero of the ") + names[k] + " coordinate";
    if (s.oriented == 3 || (s.oriented == 1 && !turns)) return "";
    if (s.oriented == 0 && centre && f.exact == Point{0, 0, 0}) return "";
    return "the datums leave the turn about the z axis free";
}

double largestoff(const std::vector<Point>& p, const Point& o, const Vector& d) {
    double r = 0;
    for (const Point& q : p) r = std::max(r, offaxis(q, o, d));
    return r;
}

Point leastsquarescentre(const Measured& m, std::string& failure) {
    const pointset::Reference r = circlereference(m, pointset::Criterion::leastsquares, false);
    if (!r.found) {
        failure = m.name + ": " + r.failure;
        return r.point;
    }
    return centre(r, m);
}

} // namespace

void position(const Frame& f, const Measured& m, FrameValue& v) {
    const DatumSystem& s = v.system;
    const Vector nominal = unit(f.exactdirection);
    const bool alongz = std::fabs(nominal[2]) > 1 - 1e-12;
    std::array<bool, 3> needed = {true, true, true};
    if (m.type == pointset::Feature::cylinder)
        for (int k = 0; k < 3; ++k) needed[k] = std::fabs(nominal[k]) < 1 - 1e-12;
    else if (m.type == pointset::Feature::plane)
        for (int k = 0; k < 3; ++k) needed[k] = std::fabs(nominal[k]) > 1e-12;
    else if (m.type == pointset::Feature::line) {
        v.failure = "position is of a point, an axis or a plane, and " + m.name + " is a line";
        return;
    }
    // Whether the exact place turns with the system about z: a plane unless
    // across z, an axis unless on z, a centre unless on z.
    const bool onaxis = f.exact[0] == 0 && f.exact[1] == 0;
    const bool centre = m.type != pointset::Feature::plane && m.type != pointset::Feature::cylinder;
    const bool turns = m.type == pointset::Feature::plane ? !alongz
                       : centre                           ? !onaxis
                                                          : !(alongz && onaxis);
    const std::string why = unplaced(s, needed, turns, centre, f);
    if (!why.empty()) {
        v.failure = "position of " + m.name + ": " + why;
        return;
    }
    const Point x = inspace(s, f.exact);
    const Vector d = directioninspace(s, nominal);
    if (m.type == pointset::Feature::cylinder) {
        const std::vector<Point> axis = derivedaxis(m, v.failure);
        if (axis.empty()) {
            v.failure = m.name + ": " + v.failure;
            return;
        }
        exact(v, 2 * largestoff(axis, x, d));
        v.zone = "a cylinder about the exact axis";
        roundzone(v, axis, x, d);
    } else if (m.type == pointset::Feature::plane) {
        // Points that determine no plane (all on one line) are no face to place.
        const pointset::Reference ls =
            reference(m.points, m.type, pointset::Criterion::leastsquares, false);
        if (!ls.found) {
            v.failure = m.name + ": " + ls.failure;
            return;
        }
        double r = 0;
        for (const Point& p : points(m.points)) r = std::max(r, std::fabs(dot(minus(p, x), d)));
        exact(v, 2 * r);
        v.zone = "two parallel planes about the exact plane";
        planeszone(v, points(m.points), d, dot(x, d) - r);
    } else {
        const Point c = leastsquarescentre(m, v.failure);
        if (!v.failure.empty()) return;
        exact(v, 2 * norm(minus(c, x)));
        roundzone(v, {c}, x, s.axes[2]);
        v.zone = m.type == pointset::Feature::sphere ? "a sphere about the exact centre"
                                                     : "a circle about the exact centre";
    }
}

void coaxiality(const Frame& f, const Measured& m, FrameValue& v) {
    const DatumSystem& s = v.system;
    const char* name = traits(f.characteristic).name;
    const bool point = s.oriented == 0;
    if (!point && !(s.located[0] && s.located[1])) {
        v.failure = std::string(name) + ": the datums fix no axis";
        return;
    }
    const Vector z = s.axes[2];
    if (m.type == pointset::Feature::circle || m.type == pointset::Feature::sphere) {
        if (f.characteristic == Characteristic::coaxiality) {
            v.failure = "coaxiality is of a cylinder's axis; a centre's is concentricity";
            return;
        }
        const Point c = leastsquarescentre(m, v.failure);
        if (!v.failure.empty()) return;
        exact(v, 2 * (point ? norm(minus(c, s.origin)) : offaxis(c, s.origin, z)));
        roundzone(v, {c}, s.origin, z);
        v.zone = point ? "a circle about the datum point" : "a circle about the datum axis";
        return;
    }
    if (m.type != pointset::Feature::cylinder || point) {
        v.failure = std::string(name) +
                    " is of a cylinder's axis or a circle's centre about a "
                    "datum axis, and " +
                    m.name + " is a " + pointset::featurename(m.type);
        return;
    }
    std::vector<Point> centres;
    if (f.characteristic == Characteristic::coaxiality) {
        centres = derivedaxis(m, v.failure);
        v.zone = "a cylinder about the datum axis";
    } else {
        // Concentricity: each section across the datum axis, its centre about the axis.
        const std::vector<Point> p = points(m.points);
        std::vector<double> heights;
        for (const Point& q : p) heights.push_back(dot(q, z));
        for (const auto& g : runs(heights, m.sections)) {
            Point c;
            if (g.size() < 3 || !sectioncentre(p, g, z, c, v.failure)) {
                if (v.failure.empty()) v.failure = "a section holds fewer than 3 points";
                centres.clear();
                break;
            }
            centres.push_back(c);
        }
        v.zone = "a circle about the datum axis in each section";
    }
    if (centres.empty()) {
        v.failure = m.name + ": " + v.failure;
        return;
    }
    exact(v, 2 * largestoff(centres, s.origin, z));
    roundzone(v, centres, s.origin, z);
}

} // namespace formeval::tolerance::detail
