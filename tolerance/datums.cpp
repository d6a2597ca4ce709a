// Datums associated to their features, and the datum system a sequence of
// them sets up: each datum associated with the directions the earlier ones
// fix, then folded into the coordinate system.
#include "tolerance/geometry.h"

#include <cmath>
#include <string>

namespace formeval::tolerance {

namespace {

using namespace detail;
using pointset::Criterion;
using pointset::Feature;

// Nearly along: within 45 degrees.
constexpr double alongcosine = 0.7071;
// An outward direction within about 6 degrees of its plane tells no side of it.
constexpr double sidecosine = 0.1;

Criterion enclosing(Material m) {
    return m == Material::shaft ? Criterion::circumscribed : Criterion::inscribed;
}
const char* enclosingname(Material m) {
    return m == Material::shaft ? "smallest holding the points" : "largest inside the points";
}

// The datum plane with the unit normal n out of the material: the plane
// every point lies behind, at the highest point.
void tangent(Datum& d, const std::vector<Point>& p, const Vector& n) {
    double top = -std::numeric_limits<double>::infinity();
    for (const Point& q : p) top = std::max(top, dot(q, n));
    d.kind = DatumKind::plane;
    d.direction = n;
    // The foot of the points' centroid on the plane.
    Point c = {0, 0, 0};
    for (const Point& q : p)
        for (int k = 0; k < 3; ++k) c[k] += q[k] / static_cast<double>(p.size());
    d.point = along(c, top - dot(c, n), n);
}

// A plane's direction out of the material: the feature's own, or the
// normal's sign that agrees with it.
Vector outward(const Measured& m, const Vector& normal) {
    if (m.outward && dot(*m.outward, normal) < 0) return scaled(-1, normal);
    return normal;
}

// The frame axis nearest to the direction v, signed as v.
Vector nearestaxis(const DatumSystem& s, const Vector& v) {
    int k = 0;
    for (int i = 1; i < 3; ++i)
        if (std::fabs(dot(s.axes[i], v)) > std::fabs(dot(s.axes[k], v))) k = i;
    return dot(s.axes[k], v) < 0 ? scaled(-1, s.axes[k]) : s.axes[k];
}

// How the datums before it hold a datum: "perpendicular to datum A" where
// its direction lies across the primary's normal (or along the primary's
// axis: "parallel"), or along it; "its orientation fixed by datums A|B"
// once every direction is fixed.
std::string held(const DatumSystem& s, bool acrossz) {
    std::string labels;
    for (const Datum& e : s.datums) labels += (labels.empty() ? "" : "|") + e.label;
    if (s.oriented == 3) return "its orientation fixed by datums " + labels;
    const bool plane = s.datums.front().kind == DatumKind::plane;
    return std::string(acrossz == plane ? "perpendicular" : "parallel") + " to datum " + labels;
}

// No optimum: a certificate with nothing to prove.
Certificate none() {
    const double nan = std::numeric_limits<double>::quiet_NaN();
    return {true, nan, nan, ""};
}

void planedatum(Datum& d, const std::vector<const Measured*>& parts, const DatumSystem& s) {
    // The side matters: the datum lies on the zone's face away from the
    // material, and coordinates run from it into the material.
    for (const Measured* m : parts)
        if (!m->outward) {
            d.failure = "plane " + m->name +
                        " needs its outward direction, away from the "
                        "material, to be a datum";
            return;
        }
    std::vector<Point> p;
    std::vector<double> xyz;
    for (const Measured* m : parts)
        for (const Point& q : points(m->points)) {
            p.push_back(q);
            xyz.insert(xyz.end(), q.begin(), q.end());
        }
    // The free minimum zone gives the orientation when nothing constrains it,
    // and the rough normal otherwise.
    const pointset::Reference mz =
        reference({xyz.data(), p.size(), 3, 3}, Feature::plane, Criterion::minimumzone, true);
    if (!mz.found) {
        d.failure = "its plane: " + mz.failure;
        return;
    }
    // Each plane's outward must clearly leave it, all to the same side: the
    // sign of one nearly in the plane is a guess that could put the datum on
    // the material's side.
    for (const Measured* m : parts) {
        const double c = dot(unit(*m->outward), mz.direction);
        if (std::fabs(c) < sidecosine) {
            d.failure = "plane " + m->name +
                        ": its outward direction lies nearly in the plane, which tells no "
                        "side of it";
            return;
        }
        if ((c < 0) != (dot(*parts.front()->outward, mz.direction) < 0)) {
            d.failure = "the outward directions of its planes " + parts.front()->name + " and " +
                        m->name + " point to opposite sides";
            return;
        }
    }
    const Vector rough = outward(*parts.front(), mz.direction);
    const Vector z = s.axes[2];
    if (s.oriented == 0) {
        tangent(d, p, rough);
        d.association = "minimum-zone plane, outside the material";
        d.certificate = mz.certificate;
    } else if (s.oriented == 3 || std::fabs(dot(rough, z)) >= alongcosine) {
        tangent(d, p, nearestaxis(s, rough));
        d.association = "plane outside the material, " + held(s, false);
        d.certificate = none();
    } else {
        const TurnedRange t = turnedrange(p, z, 90);
        tangent(d, p, dot(t.direction, rough) < 0 ? scaled(-1, t.direction) : t.direction);
        d.association = "minimum-zone plane, outside the material, " + held(s, true);
        d.certificate = t.certificate;
    }
    d.found = true;
}

// The axis or centre of a cylinder, sphere or circle: the smallest holding a
// shaft's points, the largest inside a hole's; a cylinder's axis held
// parallel to the datum system's axis nearest it once one is fixed.
void centreddatum(Datum& d, const Measured& m, const DatumSystem& s) {
    if (m.material == Material::unstated) {
        d.failure = std::string("a ") + pointset::featurename(m.type) +
                    " needs its material, shaft or hole, to be a datum";
        return;
    }
    if (m.type != Feature::cylinder) {
        const pointset::Reference r = circlereference(m, enclosing(m.material), true);
        if (!r.found) {
            d.failure = std::string("its ") + pointset::featurename(m.type) + ": " + r.failure;
            return;
        }
        d.kind = DatumKind::point;
        d.point = centre(r, m);
        d.association = std::string("centre of the ") + pointset::featurename(m.type) + " " +
                        enclosingname(m.material);
        d.certificate = r.certificate;
        d.found = true;
        return;
    }
    d.kind = DatumKind::axis;
    if (s.oriented == 0) {
        const pointset::Reference r = reference(m.points, m.type, enclosing(m.material), true);
        if (!r.found) {
            d.failure = "its cylinder: " + r.failure;
            return;
        }
        d.point = r.point;
        d.direction = r.direction;
        d.association = std::string("axis of the cylinder ") + enclosingname(m.material);
        d.certificate = r.certificate;
        d.found = true;
        return;
    }
    const pointset::Reference ls =
        reference(m.points, Feature::cylinder, Criterion::leastsquares, false);
    if (!ls.found) {
        d.failure = "its cylinder: " + ls.failure;
        return;
    }
    // Along the primary's direction, or, once every direction is fixed,
    // along the system's axis nearest it; across a direction whose turn is
    // free it would need a search of its own.
    if (s.oriented == 1 && std::fabs(dot(ls.direction, s.axes[2])) < alongcosine) {
        d.failure = "a cylinder across the datums' direction is not associated as a datum yet";
        return;
    }
    const Vector a = nearestaxis(s, ls.direction);
    const std::vector<Point> p = points(m.points);
    const std::vector<double> xy = projected(p, a);
    const pointset::Reference c =
        reference({xy.data(), p.size(), 2, 2}, Feature::circle, enclosing(m.material), true);
    if (!c.found) {
        d.failure = "its cylinder seen along the datum system's axis: " + c.failure;
        return;
    }
    Vector x, y;
    basis(a, x, y);
    d.point = along(scaled(c.point[0], x), c.point[1], y);
    d.direction = a;
    d.association =
        std::string("axis of the cylinder ") + enclosingname(m.material) + ", " + held(s, false);
    d.certificate = c.certificate;
    d.found = true;
}

void commonaxis(Datum& d, const std::vector<const Measured*>& parts) {
    Datum first, second;
    centreddatum(first, *parts[0], {});
    centreddatum(second, *parts[1], {});
    for (const Datum* e : {&first, &second})
        if (!e->found) {
            d.failure = e->failure;
            return;
        }
    const Vector axis = unit(minus(second.point, first.point));
    if (!(norm(minus(second.point, first.point)) > 0)) {
        d.failure = "its two cylinders' axes meet at one point";
        return;
    }
    d.kind = DatumKind::axis;
    d.point = first.point;
    d.direction = dot(axis, first.direction) < 0 ? scaled(-1, axis) : axis;
    d.association = "common axis through the axes of its cylinders, each associated alone";
    d.certificate = none();
    d.certificate.certified = first.certificate.certified && second.certificate.certified;
    d.certificate.why =
        first.certificate.certified ? second.certificate.why : first.certificate.why;
    d.found = true;
}

// The datum `label` associated under the system so far.
Datum associate(const std::string& label, const std::vector<DatumFeature>& datums,
                const std::vector<Measured>& features, const DatumSystem& s) {
    Datum d;
    d.label = label;
    const DatumFeature* df = nullptr;
    for (const DatumFeature& f : datums)
        if (f.label == label) df = &f;
    if (!df) {
        d.failure = "the part has no datum " + label;
        return d;
    }
    std::vector<const Measured*> parts;
    for (const std::string& name : df->features) {
        const Measured* m = named(features, name);
        if (!m) {
            d.failure = "datum " + label + " names no feature of the part: " + name;
            return d;
        }
        if (const std::string why = unreadable(*m); !why.empty()) {
            d.failure = "datum " + label + ": " + name + ": " + why;
            return d;
        }
        parts.push_back(m);
    }
    if (parts.empty()) {
        d.failure = "datum " + label + " names no feature";
        return d;
    }
    const Feature type = parts.front()->type;
    for (const Measured* m : parts)
        if (m->type != type) {
            d.failure = "datum " + label + " joins features of different types";
            return d;
        }
    if (type == Feature::plane)
        planedatum(d, parts, s);
    else if (type == Feature::line)
        d.failure = "a line is no datum here";
    else if (type == Feature::cone)
        d.failure = "a cone is no datum here";
    else if (parts.size() == 1)
        centreddatum(d, *parts.front(), s);
    else if (type == Feature::cylinder && parts.size() == 2 && s.oriented == 0)
        commonaxis(d, parts);
    else
        d.failure = "a common datum is made of planes, or of two cylinders as the primary datum";
    if (!d.found && d.failure.rfind("datum ", 0) != 0)
        d.failure = "datum " + label + ": " + d.failure;
    return d;
}

// Moves the origin along the unit vector e until it lies on the plane
// through p with the unit normal n.
void onto(DatumSystem& s, const Vector& e, const Point& p, const Vector& n) {
    const double en = dot(e, n);
    s.origin = along(s.origin, dot(minus(p, s.origin), n) / en, e);
}

// Folds the datum into the system; false, with the system's failure, where
// it fixes nothing the earlier ones leave free.
bool fold(DatumSystem& s, const Datum& d) {
    const std::string nothing =
        "datum " + d.label + " fixes nothing the datums before it leave free";
    Vector& x = s.axes[0];
    Vector& y = s.axes[1];
    Vector& z = s.axes[2];
    if (s.oriented == 0) {
        if (d.kind == DatumKind::point) {
            if (s.located[0]) {
                s.failure = nothing;
                return false;
            }
            s.origin = d.point;
            s.located = {true, true, true};
            return true;
        }
        z = d.kind == DatumKind::plane ? scaled(-1, d.direction) : d.direction;
        basis(z, x, y);
        if (s.located[0]) {
            // A centre first: the plane or axis through it orients only.
            s.oriented = 1;
            return true;
        }
        s.origin = d.point;
        if (d.kind == DatumKind::plane)
            s.located[2] = true;
        else
            s.located[0] = s.located[1] = true;
        s.oriented = 1;
        return true;
    }
    if (s.oriented == 1) {
        if (d.kind == DatumKind::plane && std::fabs(dot(d.direction, z)) >= alongcosine) {
            // Across the axis: it fixes the origin along it and the axis's sense.
            if (s.located[2]) {
                s.failure = nothing;
                return false;
            }
            z = scaled(-1, d.direction);
            basis(z, x, y);
            onto(s, z, d.point, d.direction);
            s.located[2] = true;
            return true;
        }
        if (d.kind == DatumKind::plane) {
            x = scaled(-1, d.direction);
            y = cross(z, x);
            if (!s.located[0]) {
                onto(s, x, d.point, d.direction);
                s.located[0] = true;
            }
            s.oriented = 3;
            return true;
        }
        // An axis along z or a centre.
        const Vector off = across(minus(d.point, s.origin), z);
        if (!s.located[0]) {
            s.origin = along(s.origin, 1, off);
            s.located[0] = s.located[1] = true;
            return true;
        }
        if (!(norm(off) > 0)) {
            s.failure = nothing;
            return false;
        }
        x = unit(off);
        y = cross(z, x);
        s.oriented = 3;
        return true;
    }
    // Every direction fixed: a plane or centre fixes the coordinate still free.
    int k = 0;
    if (d.kind == DatumKind::plane) {
        const Vector n = d.direction;
        for (int i = 1; i < 3; ++i)
            if (std::fabs(dot(s.axes[i], n)) > std::fabs(dot(s.axes[k], n))) k = i;
        if (s.located[k]) {
            s.failure = nothing;
            return false;
        }
        s.axes[k] = scaled(-1, n);
        onto(s, s.axes[k], d.point, n);
        s.located[k] = true;
        return true;
    }
    bool fixed = false;
    for (k = 0; k < 3; ++k) {
        if (s.located[k] ||
            (d.kind == DatumKind::axis && std::fabs(dot(s.axes[k], d.direction)) >= alongcosine))
            continue;
        s.origin = along(s.origin, dot(minus(d.point, s.origin), s.axes[k]), s.axes[k]);
        s.located[k] = fixed = true;
    }
    if (!fixed) s.failure = nothing;
    return fixed;
}

} // namespace

DatumSystem datumsystem(const std::vector<std::string>& labels,
                        const std::vector<DatumFeature>& datums,
                        const std::vector<Measured>& features) {
    DatumSystem s;
    for (const std::string& label : labels) {
        const Datum d = associate(label, datums, features, s);
        s.datums.push_back(d);
        if (!d.found) {
            s.failure = d.failure;
            return s;
        }
        if (!fold(s, d)) return s;
    }
    s.found = true;
    return s;
}

} // namespace formeval::tolerance
