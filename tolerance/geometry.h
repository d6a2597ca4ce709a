// Small vector arithmetic and the measured points as vectors, shared by the
// tolerance library's sources; not installed.
#pragma once

#include "tolerance/tolerance.h"

#include <cmath>
#include <string>
#include <vector>

namespace formeval::tolerance::detail {

inline double dot(const Vector& a, const Vector& b) {
    return a[0] * b[0] + a[1] * b[1] + a[2] * b[2];
}
inline Vector cross(const Vector& a, const Vector& b) {
    return {a[1] * b[2] - a[2] * b[1], a[2] * b[0] - a[0] * b[2], a[0] * b[1] - a[1] * b[0]};
}
inline Vector minus(const Point& a, const Point& b) {
    return {a[0] - b[0], a[1] - b[1], a[2] - b[2]};
}
inline Point along(const Point& p, double t, const Vector& d) {
    return {p[0] + t * d[0], p[1] + t * d[1], p[2] + t * d[2]};
}
inline Vector scaled(double s, const Vector& v) {
    return {s * v[0], s * v[1], s * v[2]};
}
inline double norm(const Vector& v) {
    return std::sqrt(dot(v, v));
}
// v / |v|; v itself when it is 0.
inline Vector unit(const Vector& v) {
    const double n = norm(v);
    return n > 0 ? scaled(1 / n, v) : v;
}
// v less its part along the unit vector u.
inline Vector across(const Vector& v, const Vector& u) {
    return along(v, -dot(v, u), u);
}
// Distance of p from the line through o along the unit vector d.
inline double offaxis(const Point& p, const Point& o, const Vector& d) {
    return norm(across(minus(p, o), d));
}

// The reference of the points by the criterion, without deviations; with
// its certificate only where `certified`.
pointset::Reference reference(const pointset::Points& p, pointset::Feature f, pointset::Criterion c,
                              bool certified);

// The feature of `features` named `name`; null where there is none.
const Measured* named(const std::vector<Measured>& features, const std::string& name);

// An angle in degrees as the zones' words give it: "30", "59.98".
std::string degrees(double angle);

// Two unit vectors completing the unit vector z to a right-handed basis.
void basis(const Vector& z, Vector& x, Vector& y);

// A feature's points as 3-D points (z = 0 for points in the plane).
std::vector<Point> points(const pointset::Points& p);

// The points' coordinates across the unit vector d, in the basis of
// basis(d), as points in the plane for the pointset library.
std::vector<double> projected(const std::vector<Point>& p, const Vector& d);

// Largest coordinate magnitude of the points, for certificates' rounding.
double scale(const std::vector<Point>& p);

// max - min of d.p over the points (0 for none).
double spread(const std::vector<Point>& p, const Vector& d);

// The least-squares circle's centre of the points `group` of `p` seen along
// the unit vector d, put back in space at their mean height along d; false,
// with `failure`, where there is none.
bool sectioncentre(const std::vector<Point>& p, const std::vector<std::size_t>& group,
                   const Vector& d, Point& centre, std::string& failure);

// Why the measured feature's points cannot be evaluated, or "" when they
// can: a dimension its type does not take (a line or circle 2 or 3, the
// others 3), a stride below it, too few points for its type, a coordinate
// not finite or beyond +-1e150. The library's own passes over the points
// rely on it.
std::string unreadable(const Measured& m);

// Whether a line or circle was measured in space (x, y, z).
bool inspace(const Measured& m);

// A circle measured in space: its least-squares plane (origin, unit normal,
// basis x, y in it) and its points' coordinates in that basis.
struct PlaneCircle {
    bool found = false;
    std::string failure;
    Point origin = {0, 0, 0};
    Vector x = {1, 0, 0}, y = {0, 1, 0}, normal = {0, 0, 1};
    std::vector<double> xy;
};
PlaneCircle inplane(const Measured& m);

// The circle (or sphere) of `m` by the criterion: a circle in space
// evaluated in its least-squares plane, its centre put back in space and its
// direction that plane's normal.
pointset::Reference circlereference(const Measured& m, pointset::Criterion criterion,
                                    bool certified);

// A circle's or sphere's centre in space (z = 0 for a circle in the plane).
Point centre(const pointset::Reference& r, const Measured& m);

} // namespace formeval::tolerance::detail
