// The points in a working frame: q = (p - origin) * scale with scale a power
// of two that brings the points to unit size, so that no square underflows or
// overflows; their moments, and what the references find in that frame.
#pragma once

#include "pointset/pointset.h"

#include <array>
#include <cmath>
#include <cstddef>
#include <limits>
#include <string>
#include <utility>
#include <vector>

namespace formeval::pointset::kernel {

using Vec = std::array<double, 3>;
constexpr double inf = std::numeric_limits<double>::infinity();
constexpr double eps = std::numeric_limits<double>::epsilon();

inline double dot(const Vec& a, const Vec& b) {
    return a[0] * b[0] + a[1] * b[1] + a[2] * b[2];
}
inline Vec sub(const Vec& a, const Vec& b) {
    return {a[0] - b[0], a[1] - b[1], a[2] - b[2]};
}
inline Vec add(const Vec& a, const Vec& b) {
    return {a[0] + b[0], a[1] + b[1], a[2] + b[2]};
}
inline Vec mul(double s, const Vec& a) {
    return {s * a[0], s * a[1], s * a[2]};
}
inline double norm(const Vec& a) {
    return std::sqrt(dot(a, a));
}
inline Vec cross(const Vec& a, const Vec& b) {
    return {a[1] * b[2] - a[2] * b[1], a[2] * b[0] - a[0] * b[2], a[0] * b[1] - a[1] * b[0]};
}

// The points in working coordinates (z = 0 for points of the plane).
struct View {
    const double* data = nullptr;
    std::size_t n = 0;
    int dim = 2;
    std::size_t stride = 2;
    Vec origin = {0, 0, 0};
    double scale = 1; // working unit per coordinate unit, a power of two

    Vec operator[](std::size_t i) const {
        const double* p = data + i * stride;
        return {(p[0] - origin[0]) * scale, (p[1] - origin[1]) * scale,
                dim == 3 ? (p[2] - origin[2]) * scale : 0.0};
    }
    Vec touser(const Vec& q) const {
        return {origin[0] + q[0] / scale, origin[1] + q[1] / scale,
                dim == 3 ? origin[2] + q[2] / scale : std::numeric_limits<double>::quiet_NaN()};
    }
};

// Centroid, covariance (divided by n) and its eigenvalues (ascending) with
// unit eigenvectors, in working coordinates; the view's origin is the
// centroid. largest: the largest magnitude of a coordinate (coordinate unit).
// spread: the root mean square of the points' distances along the principal
// directions, as the values are ordered: the square roots of the values until
// measurespreads takes them from the points themselves. A value below the
// covariance's rounding (1e-16 of the largest) is noise, so that a spread
// from the values has lost its digits below about 1e-8 of the strongest,
// while a measured one keeps them down to 1e-16 of it.
// algebraic: the normal equations of the algebraic circle or sphere
// (2 c.q + k = |q|^2, unknowns c and k; the right-hand side last), summed
// with the covariance; hasalgebraic is false where the sums could overflow.
struct Moments {
    View view;
    std::array<double, 3> values = {0, 0, 0};
    std::array<Vec, 3> vectors = {};
    std::array<double, 3> spread = {0, 0, 0};
    bool measured = false; // spread measured on the points
    double largest = 0;
    std::string failure; // a coordinate that is not finite or too large
    double algebraic[4][5] = {};
    bool hasalgebraic = false;
};
// The distances |p - o| scale of n 2-D points held side by side (x, y, x,
// y ...), into d: the bits of sqrt(x^2 + y^2) with x = (p_x - o_x) scale,
// two points at a time in SSE2's registers (the compiler, keeping to the
// rounding mode, would take one at a time).
void distances2(const double* data, std::size_t n, const double* o, double scale, double* d);

// Whether the processor has AVX2, which the kernels that take four points at
// a time need (false off x86-64 and where the compiler cannot ask).
bool hasavx2();

// The tangent rows about the centre c (working coordinates, c[2] 0) of n 2-D
// points held side by side, three numbers a point into rows: the direction
// (x / r, y / r), 0 where r is not positive, and the distance r, the bits of
// x = (p_x - origin_x) scale - c_x and r = sqrt(x^2 + y^2) point by point;
// four points at a time where the processor has AVX2.
void tangents2(const double* data, std::size_t n, const double* origin, double scale,
               const double* c, double* rows);

Moments moments(const Points& points);

// The spreads measured on the points themselves (two passes).
void measurespreads(Moments& m);

// A result in working coordinates, before it is measured against the points.
struct Found {
    bool found = false;
    std::string failure;
    Vec point = {0, 0, 0};
    Vec direction = {0, 0, 0};
    double radius = 0;
    double angle = 0;        // a cone's half apex angle
    bool onhull = false;     // an inscribed centre on the points' hull
    Certificate certificate; // in working units
};

// Nothing found, and why.
inline Found notfound(std::string why) {
    Found f;
    f.failure = std::move(why);
    return f;
}

// Least squares (lsfit.cpp). Line and plane through the centroid along the
// moments' eigenvectors; circle and sphere by Gauss-Newton on the orthogonal
// distances from the algebraic fit.
Found lslinear(const Moments& m);
Found lsradial(const Moments& m);

// Minimum zone (mzlinear.cpp, the line's by calipers.cpp, mzradial.cpp) and
// the extreme circles and spheres (pkradial.cpp, varadial.cpp).
Found mzlinear(const Moments& m, const Options& options);
// The plane's minimum zone by the exchange and its own proof alone, as taken
// by sets beyond the hull's reach (mzlinear takes a small or thick set's
// from its hull): for the tests of that proof.
Found mzexchange(const Moments& m, const Options& options);
Found mzline(const Moments& m, const Options& options);
Found mzradial(const Moments& m, const Options& options);
// Below 256 points of the plane the circumscribed circle is that of Welzl's
// recursion over the points in their index order, to the bit; `indexorder`
// runs that recursion even where a scrambled order is known to give the same
// (for the tests).
Found pkradial(const Moments& m, const Options& options, bool indexorder = false);
Found varadial(const Moments& m, const Options& options);

// The algebraic circle or sphere's centre (the least-squares solution of
// 2 c.q + k = |q|^2); false when it is singular.
bool algebraic(const View& w, Vec& c);
// The same from the moments' sums where they have them; k as well, so that
// |q - c|^2 = k + |c|^2 on the circle or sphere.
bool algebraic(const Moments& m, Vec& c);
bool algebraic(const Moments& m, Vec& c, double& k);

// Distances of the points from c: largest and smallest, and which points.
struct Spread {
    double top = -inf;
    double bottom = inf;
    std::size_t far = 0;
    std::size_t near = 0;
    double zone() const { return top - bottom; }
};
Spread spread(const View& w, const Vec& c);

// spread() of n 2-D points held side by side about c (working coordinates,
// c[2] 0): the same distances (the bits of sqrt(x^2 + y^2), x = (p_x -
// origin_x) scale - c_x) and the first point of each extreme, four points at
// a time where the processor has AVX2.
Spread spread2(const double* data, std::size_t n, const double* origin, double scale,
               const double* c);
Spread spread(const View& w, const std::vector<std::size_t>& subset, const Vec& c);

// Up to `most` of the points p, the first and then each next the one whose
// direction from c is farthest from those taken: a few that surround c
// whenever all of them do.
std::vector<std::size_t> spreadout(const View& w, const Vec& c, std::vector<std::size_t> p,
                                   std::size_t most);

} // namespace formeval::pointset::kernel
