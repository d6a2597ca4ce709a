// Least-squares features against published reference fits (NIST's circles)
// and against the conditions any least-squares optimum meets, computed here
// independently; tilted features against the same set laid flat.
#include "pointset/kernels.h"
#include "pointset/pointset.h"
#include "tests/harness/harness.h"
#include "tests/pointset/support.h"

#include <cmath>
#include <fstream>
#include <gtest/gtest.h>
#include <random>

namespace formeval::pointset::test {
namespace {

class Nist : public ::testing::TestWithParam<int> {};

// The sets lie in a plane parallel to a coordinate plane: the coordinate that
// never changes is dropped, the other two taken in order.
TEST_P(Nist, LeastSquaresCircleMatchesTheReferenceFit) {
    const std::string name = "nist-circle2d/cir2d" + std::to_string(GetParam());
    std::ifstream ds(::formeval::test::testdata(name + ".ds"));
    std::ifstream fit(::formeval::test::testdata(name + ".fit"));
    int n = 0;
    ASSERT_TRUE(ds >> n);
    std::vector<P3> p(n);
    for (P3& q : p) ASSERT_TRUE(ds >> q[0] >> q[1] >> q[2]);
    P3 centre;
    double normal[3], diameter;
    ASSERT_TRUE(fit >> centre[0] >> centre[1] >> centre[2] >> normal[0] >> normal[1] >> normal[2] >>
                diameter);
    int fixed = 0;
    for (int k = 0; k < 3; ++k)
        if (std::fabs(normal[k]) > 0.5) fixed = k;
    Cloud c;
    std::array<double, 2> ref{};
    for (const P3& q : p) {
        P3 r = {0, 0, 0};
        for (int k = 0, j = 0; k < 3; ++k)
            if (k != fixed) r[j++] = q[k];
        c.p.push_back(r);
    }
    for (int k = 0, j = 0; k < 3; ++k)
        if (k != fixed) ref[j++] = centre[k];
    const Reference r = evaluate(c.view(), Feature::circle, Criterion::leastsquares);
    ASSERT_TRUE(r.found) << r.failure;
    const double tolerance = 1e-9 * (diameter + std::hypot(ref[0], ref[1]));
    EXPECT_NEAR(r.point[0], ref[0], tolerance);
    EXPECT_NEAR(r.point[1], ref[1], tolerance);
    EXPECT_NEAR(2 * r.radius, diameter, tolerance);
}

INSTANTIATE_TEST_SUITE_P(Sets, Nist, ::testing::Range(1, 31), ::formeval::test::namedby([](int k) {
                             return "Set" + std::to_string(k);
                         }));

// At a least-squares optimum the gradient of the sum of squared orthogonal
// deviations vanishes: sum e_i = 0 and sum e_i u_i = 0 for a circle or sphere
// (u the unit vector from the centre), sum e_i = 0 and sum e_i (p_i - o) . d = 0
// along every direction d of a line or plane.
struct Optimum {
    std::string name;
    Feature feature;
    Cloud points;
};

class Stationary : public ::testing::TestWithParam<Optimum> {};

TEST_P(Stationary, GradientVanishes) {
    Cloud c = GetParam().points;
    const Reference r = evaluate(c.view(), GetParam().feature, Criterion::leastsquares);
    ASSERT_TRUE(r.found) << r.failure;
    const std::vector<double> e = deviations(c, r);
    double sum = 0, size = 0;
    P3 moment = {0, 0, 0};
    for (std::size_t i = 0; i < e.size(); ++i) {
        P3 d = {0, 0, 0};
        for (int k = 0; k < c.dim; ++k) d[k] = c.p[i][k] - r.point[k];
        const double len = std::sqrt(d[0] * d[0] + d[1] * d[1] + d[2] * d[2]);
        size = std::max(size, len);
        sum += e[i];
        for (int k = 0; k < 3; ++k) moment[k] += e[i] * (std::isnan(r.radius) ? d[k] : d[k] / len);
    }
    const double scale = 1e-9 * c.p.size() * (std::isnan(r.radius) ? size : 1) * (r.t + 1e-12);
    EXPECT_NEAR(sum, 0, 1e-9 * c.p.size() * (r.t + 1e-12));
    if (std::isnan(r.radius)) {
        // Only the in-feature directions: the normal part is the sum itself.
        P3 n = c.dim == 2 ? P3{-r.direction[1], r.direction[0], 0} : r.direction;
        const double along = moment[0] * n[0] + moment[1] * n[1] + moment[2] * n[2];
        for (int k = 0; k < 3; ++k) moment[k] -= along * n[k];
    }
    for (int k = 0; k < 3; ++k) EXPECT_NEAR(moment[k], 0, scale) << k;
}

INSTANTIATE_TEST_SUITE_P(
    Features, Stationary,
    ::testing::Values(Optimum{"Arc40", Feature::circle, circle(30, 50, 3, 4, 0.3, 40, 1)},
                      Optimum{"Circle", Feature::circle, circle(100, 2, -1, 1, 0.01, 360, 2)},
                      Optimum{"Sphere", Feature::sphere, sphere(120, 3, {1, 1, 1}, 0.05, 180, 3)},
                      Optimum{"Cap30", Feature::sphere, sphere(60, 20, {0, 0, 0}, 0.05, 30, 4)},
                      Optimum{"Line", Feature::line, turned(line(40, 9, 0.2, 5), 0.7, {0, 0, 1})},
                      Optimum{"Plane", Feature::plane,
                              turned(plane(40, 9, 0.2, 6), 0.7, {1, 1, 1})}),
    ::formeval::test::namedby([](const Optimum& o) { return o.name; }));

// Deviations normal to the feature: a profile or face tilted by any angle,
// even upright, reads as it does laid flat, by least squares and minimum zone.
struct Tilt {
    std::string name;
    Feature feature;
    double angle;
    P3 axis;
};

class Tilted : public ::testing::TestWithParam<Tilt> {};

TEST_P(Tilted, ReadsAsLaidFlat) {
    const Tilt& t = GetParam();
    Cloud flat = t.feature == Feature::line ? line(50, 20, 0.01, 7) : plane(300, 50, 0.01, 8);
    Cloud tilted = turned(flat, t.angle, t.axis);
    for (const Criterion c : {Criterion::leastsquares, Criterion::minimumzone}) {
        const Reference a = evaluate(flat.view(), t.feature, c);
        const Reference b = evaluate(tilted.view(), t.feature, c);
        ASSERT_TRUE(a.found && b.found);
        EXPECT_NEAR(b.t, a.t, 1e-9 * a.t) << criterionname(c);
        EXPECT_NEAR(b.q, a.q, 1e-9 * a.q) << criterionname(c);
    }
}

INSTANTIATE_TEST_SUITE_P(
    Features, Tilted,
    ::testing::Values(Tilt{"Line45", Feature::line, std::atan(1.0), {0, 0, 1}},
                      Tilt{"LineUpright", Feature::line, 2 * std::atan(1.0), {0, 0, 1}},
                      Tilt{"Plane30", Feature::plane, std::acos(-1.0) / 6, {1, 0, 0}},
                      Tilt{"PlaneVertical", Feature::plane, 2 * std::atan(1.0), {0, 1, 0}},
                      Tilt{"PlaneNearlyVertical", Feature::plane, 1.5, {1, 1, 0}}),
    ::formeval::test::namedby([](const Tilt& t) { return t.name; }));

// Features whose least-squares optimum is known exactly: points at distance
// r + e_i from a known circle, sphere, cylinder or plane, the e_i noise made
// orthogonal (in long double) to every first-order move of the feature
// (1, the unit directions u_i, and for a cylinder z_i u_i along its axis; for
// a plane 1 and the in-plane coordinates). The gradient of the sum of squares
// vanishes at the feature itself, so the fit must return it and the e_i as its
// deviations, to rounding of the coordinates. Short arcs, small caps, centres
// far off, huge radii and few points are where the steps need halving.
struct Exact {
    std::string name;
    Feature feature;
    int n;      // points (a cylinder: sections of n / sections)
    double r;   // radius (a plane: half its side)
    P3 centre;  // centre, a point of the axis, or of the plane
    double arc; // degrees of arc (circle, cylinder), of the cap (sphere)
    double amp; // noise before it is made orthogonal
    P3 axis = {0, 0, 1};
    double length = 0; // of the cylinder
};

using Basis = std::vector<std::vector<long double>>;

// e less its projection on the span of the columns (modified Gram-Schmidt,
// twice over for its digits).
std::vector<long double> orthogonal(std::vector<long double> e, Basis columns) {
    for (std::size_t k = 0; k < columns.size(); ++k) {
        auto& a = columns[k];
        for (int twice = 0; twice < 2; ++twice)
            for (std::size_t j = 0; j < k; ++j) {
                long double s = 0;
                for (std::size_t i = 0; i < a.size(); ++i) s += a[i] * columns[j][i];
                for (std::size_t i = 0; i < a.size(); ++i) a[i] -= s * columns[j][i];
            }
        long double s = 0;
        for (const long double x : a) s += x * x;
        for (long double& x : a) x /= std::sqrt(s);
    }
    for (int twice = 0; twice < 2; ++twice)
        for (const auto& a : columns) {
            long double s = 0;
            for (std::size_t i = 0; i < e.size(); ++i) s += e[i] * a[i];
            for (std::size_t i = 0; i < e.size(); ++i) e[i] -= s * a[i];
        }
    return e;
}

// A unit frame (x, y, axis) about the axis, in long double.
std::array<std::array<long double, 3>, 3> frameof(const P3& axis) {
    std::array<long double, 3> z = {axis[0], axis[1], axis[2]};
    const long double lz = std::sqrt(z[0] * z[0] + z[1] * z[1] + z[2] * z[2]);
    for (auto& v : z) v /= lz;
    std::array<long double, 3> x = std::fabs(z[0]) < 0.9L ? std::array<long double, 3>{1, 0, 0}
                                                          : std::array<long double, 3>{0, 1, 0};
    const long double along = x[0] * z[0] + x[1] * z[1] + x[2] * z[2];
    for (int k = 0; k < 3; ++k) x[k] -= along * z[k];
    const long double lx = std::sqrt(x[0] * x[0] + x[1] * x[1] + x[2] * x[2]);
    for (auto& v : x) v /= lx;
    const std::array<long double, 3> y = {z[1] * x[2] - z[2] * x[1], z[2] * x[0] - z[0] * x[2],
                                          z[0] * x[1] - z[1] * x[0]};
    return {x, y, z};
}

// The points of the case and their deviations from it.
struct Built {
    Cloud cloud;
    std::vector<double> e;
};

Built build(const Exact& c) {
    const long double pi = std::acos(-1.0L);
    std::mt19937 g(static_cast<std::uint32_t>(c.n) * 7919u + static_cast<std::uint32_t>(c.arc));
    std::uniform_real_distribution<double> noise(-1, 1);
    const auto f = frameof(c.axis);
    const int dim = c.feature == Feature::circle ? 2 : 3;
    // Each point: a unit direction u from the feature's point, its offset
    // along the axis (z) and in the plane (x, y).
    std::vector<std::array<long double, 3>> u(c.n), base(c.n);
    Basis columns(c.feature == Feature::cylinder ? 5
                  : c.feature == Feature::plane  ? 3
                                                 : dim + 1,
                  std::vector<long double>(c.n, 0));
    const int sections = c.feature == Feature::cylinder ? std::max(2, c.n / 24) : 1;
    for (int i = 0; i < c.n; ++i) {
        const long double t = (i % (c.n / sections) + 0.5L) / (c.n / sections);
        std::array<long double, 3> d{}, at{};
        if (c.feature == Feature::circle || c.feature == Feature::cylinder) {
            const long double a = t * c.arc * pi / 180;
            d = {std::cos(a), std::sin(a), 0};
        } else if (c.feature == Feature::sphere) {
            // A spiral over the cap: even in area.
            const long double z = 1 - t * (1 - std::cos(c.arc * pi / 180));
            const long double s = std::sqrt(1 - z * z), b = 2.399963229728653L * i;
            d = {s * std::cos(b), s * std::sin(b), z};
        } else {
            const long double x = 2 * t - 1, y = std::sin(12.9898L * i);
            at = {c.r * x, c.r * y, 0};
            d = {0, 0, 1};
        }
        if (c.feature == Feature::cylinder) {
            const int k = i / (c.n / sections);
            at = {0, 0, c.length * (static_cast<long double>(k) / (sections - 1) - 0.5L)};
        }
        for (int k = 0; k < 3; ++k) {
            u[i][k] = d[0] * f[0][k] + d[1] * f[1][k] + d[2] * f[2][k];
            base[i][k] = at[0] * f[0][k] + at[1] * f[1][k] + at[2] * f[2][k];
        }
        columns[0][i] = 1;
        if (c.feature == Feature::plane) {
            columns[1][i] = at[0];
            columns[2][i] = at[1];
        } else if (c.feature == Feature::cylinder) {
            columns[1][i] = d[0], columns[2][i] = d[1];
            columns[3][i] = d[0] * at[2], columns[4][i] = d[1] * at[2];
        } else {
            for (int k = 0; k < dim; ++k) columns[k + 1][i] = d[k];
        }
    }
    std::vector<long double> e(c.n);
    for (long double& x : e) x = c.amp * noise(g);
    e = orthogonal(e, columns);
    Built out;
    out.cloud.dim = dim;
    const long double radius = c.feature == Feature::plane ? 0 : c.r;
    for (int i = 0; i < c.n; ++i) {
        P3 p = {0, 0, 0};
        for (int k = 0; k < dim; ++k)
            p[k] = static_cast<double>(c.centre[k] + base[i][k] + (radius + e[i]) * u[i][k]);
        out.cloud.p.push_back(p);
        out.e.push_back(static_cast<double>(e[i]));
    }
    return out;
}

class Exactly : public ::testing::TestWithParam<Exact> {};

TEST_P(Exactly, LeastSquaresIsTheFeatureBuilt) {
    const Exact& c = GetParam();
    Built b = build(c);
    const Reference r = evaluate(b.cloud.view(), c.feature, Criterion::leastsquares);
    ASSERT_TRUE(r.found) << r.failure;
    const double size = std::hypot(c.centre[0], c.centre[1], c.centre[2]) + c.r + c.length;
    const double tolerance = 1e-12 * size;
    const int dim = b.cloud.dim;
    // The feature: its centre, a point of its axis or plane on the one built.
    P3 off = {0, 0, 0};
    for (int k = 0; k < dim; ++k) off[k] = r.point[k] - c.centre[k];
    if (c.feature == Feature::cylinder || c.feature == Feature::plane) {
        const auto f = frameof(c.axis);
        const P3 a = {static_cast<double>(f[2][0]), static_cast<double>(f[2][1]),
                      static_cast<double>(f[2][2])};
        const double along = off[0] * a[0] + off[1] * a[1] + off[2] * a[2];
        const double cosine =
            std::fabs(r.direction[0] * a[0] + r.direction[1] * a[1] + r.direction[2] * a[2]);
        EXPECT_NEAR(std::sqrt(std::max(0.0, 1 - cosine * cosine)) * std::max(c.length, 2 * c.r), 0,
                    tolerance)
            << "direction";
        for (int k = 0; k < 3; ++k)
            off[k] = c.feature == Feature::plane ? along * a[k] : off[k] - along * a[k];
    }
    EXPECT_NEAR(std::hypot(off[0], off[1], off[2]), 0, tolerance) << "position";
    if (c.feature != Feature::plane) { EXPECT_NEAR(r.radius, c.r, tolerance) << "radius"; }
    // The form parameters are those of the deviations built.
    const IsoParameters iso = isoparameters(b.e);
    EXPECT_NEAR(r.t, iso.t, tolerance) << "t";
    EXPECT_NEAR(r.p, iso.p, tolerance) << "p";
    EXPECT_NEAR(r.v, iso.v, tolerance) << "v";
    EXPECT_NEAR(r.q, iso.q, tolerance) << "q";
    ASSERT_EQ(r.deviations.size(), b.e.size());
    for (std::size_t i = 0; i < b.e.size(); ++i)
        ASSERT_NEAR(r.deviations[i], b.e[i], tolerance) << "deviation " << i;
}

std::vector<Exact> exactcases() {
    std::vector<Exact> out;
    const std::pair<int, const char*> sizes[] = {{100, "100"}, {1000, "1000"}, {100000, "100000"}};
    for (const auto& [n, name] : sizes) {
        const std::string s = name;
        out.push_back({"Circle" + s, Feature::circle, n, 25, {120, 80, 0}, 360, 0.004});
        out.push_back({"Sphere" + s, Feature::sphere, n, 25, {10, -20, 30}, 180, 0.004});
        out.push_back({"Cylinder" + s,
                       Feature::cylinder,
                       n,
                       25,
                       {10, -20, 5},
                       360,
                       0.004,
                       {0, -0.6, 0.8},
                       100});
        out.push_back({"Plane" + s, Feature::plane, n, 50, {3, 4, 5}, 0, 0.005, {0.1, 0.2, 1}});
    }
    // Hard cases.
    out.push_back({"CircleFourPoints", Feature::circle, 4, 10, {1, 2, 0}, 270, 0.5});
    out.push_back({"CircleArc30", Feature::circle, 200, 30, {-5, 7, 0}, 30, 0.05});
    out.push_back({"CircleArc10", Feature::circle, 200, 50, {0, 0, 0}, 10, 0.01});
    out.push_back({"CircleArc10Noisy", Feature::circle, 200, 50, {0, 0, 0}, 10, 0.05});
    out.push_back({"CircleFarCentre", Feature::circle, 500, 5, {1e4, -1e4, 0}, 360, 0.01});
    out.push_back({"CircleHugeRadius", Feature::circle, 300, 1e6, {0, -1e6, 0}, 2, 20});
    out.push_back({"CircleHalfNoise", Feature::circle, 100, 1, {0, 0, 0}, 360, 0.3});
    out.push_back({"SphereFivePoints", Feature::sphere, 5, 10, {1, 2, 3}, 120, 0.3});
    out.push_back({"SphereCap20", Feature::sphere, 400, 60, {0, 0, 0}, 20, 0.02});
    out.push_back({"SphereFarCentre", Feature::sphere, 500, 5, {1e4, 1e4, -1e4}, 180, 0.01});
    // Slow descents: each step gains only a factor of about 0.7, so that the
    // sum falls by less than its rounding while the steps still count.
    out.push_back({"SphereCap6Noisy", Feature::sphere, 3000, 25, {3, -2, 1}, 6, 0.2});
    out.push_back({"SphereCap32Noisy", Feature::sphere, 1300, 25, {3, -2, 1}, 32, 2});
    out.push_back({"CircleArc6Noisy", Feature::circle, 2000, 40, {5, 5, 0}, 6, 0.3});
    // No noise: the steps are rounding's own from the first.
    out.push_back({"CircleExact", Feature::circle, 2000, 25, {120, 80, 0}, 360, 0});
    out.push_back({"SphereExact", Feature::sphere, 2000, 25, {10, -20, 30}, 180, 0});
    out.push_back(
        {"CylinderArc90", Feature::cylinder, 480, 20, {0, 0, 0}, 90, 0.01, {1, 1, 1}, 60});
    out.push_back(
        {"CylinderShort", Feature::cylinder, 240, 40, {5, 5, 5}, 360, 0.01, {0, 0, 1}, 2});
    // An odd count: the last point alone in its pass.
    out.push_back(
        {"CylinderOdd", Feature::cylinder, 999, 25, {1, 2, 3}, 360, 0.004, {0.3, 0.1, 1}, 80});
    out.push_back(
        {"CylinderFarOff", Feature::cylinder, 480, 10, {1e4, 0, 1e4}, 360, 0.005, {1, 0, 0}, 50});
    return out;
}

INSTANTIATE_TEST_SUITE_P(Cases, Exactly, ::testing::ValuesIn(exactcases()),
                         ::formeval::test::namedby([](const Exact& c) { return c.name; }));

// Ill-conditioned circles and spheres (short arcs, shallow caps, far
// centres, heavy noise, a handful of points), whose descent is slow or whose
// sum of squares changes by less than its rounding near the optimum: the fit
// is the optimum a textbook Gauss-Newton in long double reaches from it, with
// its steps halved until the sum falls, run until its steps stop shortening
// (to 1e-10 of the points' size: the slowest of these descents gain a factor
// of only about 0.7 a step, and double's rounding stops them near 1e-11).
template <int d> std::array<long double, 4> finerdescent(const Cloud& cloud, const Reference& r) {
    std::array<long double, 4> x = {r.point[0], r.point[1], d == 3 ? r.point[2] : 0, r.radius};
    const auto sum = [&](const std::array<long double, 4>& y) {
        long double s = 0;
        for (const P3& p : cloud.p) {
            long double l = 0;
            for (int k = 0; k < d; ++k) l += (p[k] - y[k]) * (p[k] - y[k]);
            s += (std::sqrt(l) - y[3]) * (std::sqrt(l) - y[3]);
        }
        return s;
    };
    long double before = HUGE_VALL;
    for (int iteration = 0; iteration < 2000; ++iteration) {
        long double a[4][5] = {};
        for (const P3& p : cloud.p) {
            long double u[4] = {0, 0, 0, -1}, l = 0;
            for (int k = 0; k < d; ++k) l += (p[k] - x[k]) * (p[k] - x[k]);
            l = std::sqrt(l);
            for (int k = 0; k < d; ++k) u[k] = -(p[k] - x[k]) / l;
            u[d] = -1;
            for (int i = 0; i <= d; ++i) {
                for (int j = 0; j <= d; ++j) a[i][j] += u[i] * u[j];
                a[i][d + 1] -= u[i] * (l - x[3]);
            }
        }
        for (int c = 0; c <= d; ++c)
            for (int i = c + 1; i <= d; ++i) {
                const long double f = a[i][c] / a[c][c];
                for (int j = c; j <= d + 1; ++j) a[i][j] -= f * a[c][j];
            }
        long double step[4] = {0, 0, 0, 0}, length = 0;
        for (int c = d; c >= 0; --c) {
            long double v = a[c][d + 1];
            for (int j = c + 1; j <= d; ++j) v -= a[c][j] * step[j];
            step[c] = v / a[c][c];
            length += step[c] * step[c];
        }
        if (!(std::sqrt(length) < before)) break;
        before = std::sqrt(length);
        const long double was = sum(x);
        for (long double t = 1; t > 1e-6L; t /= 2) {
            std::array<long double, 4> y = x;
            for (int k = 0; k < d; ++k) y[k] += t * step[k];
            y[3] += t * step[d];
            if (sum(y) <= was) {
                x = y;
                break;
            }
        }
    }
    return x;
}

struct Hard {
    std::string name;
    Feature feature;
    Cloud points;
};

class IllConditioned : public ::testing::TestWithParam<Hard> {};

TEST_P(IllConditioned, FitIsWhereAFinerDescentEnds) {
    Cloud c = GetParam().points;
    const Reference r = evaluate(c.view(), GetParam().feature, Criterion::leastsquares);
    ASSERT_TRUE(r.found) << r.failure;
    const auto x = c.dim == 3 ? finerdescent<3>(c, r) : finerdescent<2>(c, r);
    // The feature's own size: its radius and the points' extent, wherever
    // they lie.
    double size = std::fabs(r.radius);
    for (const P3& p : c.p)
        size = std::max(size, std::fabs(r.radius) +
                                  std::hypot(p[0] - c.p[0][0], p[1] - c.p[0][1], p[2] - c.p[0][2]));
    for (int k = 0; k < c.dim; ++k)
        EXPECT_NEAR(r.point[k], static_cast<double>(x[k]), 1e-10 * size) << k;
    EXPECT_NEAR(r.radius, static_cast<double>(x[3]), 1e-10 * size);
}

// A patch of a sphere (or an arc of a circle) about c: azimuths over the
// given degrees, polar angles over half of them from the pole, radii r plus
// uniform noise of the amplitude given, coordinates rounded to a tenth of it
// where asked.
Cloud patch(int dim, int n, double r, const P3& c, double amp, double degrees, bool rounded,
            std::uint32_t seed) {
    std::mt19937 g(seed);
    std::uniform_real_distribution<double> u(0, 1);
    const double pi = std::acos(-1.0), lowest = std::cos(degrees * pi / 360);
    Cloud out;
    out.dim = dim;
    for (int i = 0; i < n; ++i) {
        const double a = u(g) * degrees * pi / 180;
        const double z = dim == 3 ? 1 - u(g) * (1 - lowest) : 0, s = std::sqrt(1 - z * z);
        const double radius = r + amp * (2 * u(g) - 1);
        P3 p = {c[0] + radius * s * std::cos(a), c[1] + radius * s * std::sin(a),
                dim == 3 ? c[2] + radius * z : 0};
        if (rounded)
            for (double& x : p) x = std::round(x / amp * 10) * amp / 10;
        out.p.push_back(p);
    }
    return out;
}

// Points of the plane given as x y pairs.
Cloud planar(const std::vector<double>& xy) {
    Cloud c;
    for (std::size_t i = 0; i + 1 < xy.size(); i += 2) c.p.push_back({xy[i], xy[i + 1], 0});
    return c;
}

INSTANTIATE_TEST_SUITE_P(
    Sets, IllConditioned,
    ::testing::Values(Hard{"Patch12FarNoisy", Feature::sphere,
                           patch(3, 3077, 17494, {3948, -1165, -2143}, 114.6, 12, false, 21)},
                      Hard{"Patch65VeryNoisy", Feature::sphere,
                           patch(3, 1311, 1.65, {0.25, 0.01, 0.11}, 0.14, 64.5, false, 22)},
                      Hard{"Patch16Noisy", Feature::sphere,
                           patch(3, 171, 1368, {31, 146, -103}, 18.7, 15.7, false, 23)},
                      Hard{"Patch44Rounded", Feature::sphere,
                           patch(3, 17, 0.178, {0.026, 0.029, 0.011}, 0.0114, 43.5, true, 24)},
                      Hard{"Patch6Far", Feature::sphere,
                           patch(3, 834, 70359, {-4888, 4387, -1618}, 0.0425, 5.8, false, 31)},
                      Hard{"Patch13FewPoints", Feature::sphere,
                           patch(3, 19, 37900, {-10155, 7267, -9325}, 0.218, 12.8, false, 34)},
                      Hard{"Arc11FourPoints", Feature::circle,
                           patch(2, 4, 1.515, {0.13, 0.126, 0}, 0.00025, 11.4, false, 34)},
                      // Its steps change sign from one to the next, shrinking eightfold.
                      Hard{"ArcFarOffSteppingToAndFro", Feature::circle,
                           planar({1000004.0061999999,
                                   999998,
                                   1000003.9889723355,
                                   999998.15663782984,
                                   1000003.9584747571,
                                   999998.31142732687,
                                   1000003.8862841896,
                                   999998.45158435008,
                                   1000003.8044055975,
                                   999998.58443487633,
                                   1000003.7119151073,
                                   999998.71191510733,
                                   1000003.5940745545,
                                   999998.81767347618,
                                   1000003.4521745377,
                                   999998.88744249812,
                                   1000003.3083989604,
                                   999998.94915440329,
                                   1000003.1563562478,
                                   999998.98719449644,
                                   1000003,
                                   999998})},
                      Hard{"Arc20Noisy", Feature::circle, circle(500, 300, 1e3, -2e3, 4, 20, 27)}),
    ::formeval::test::namedby([](const Hard& h) { return h.name; }));

// The moments' algebraic sums, taken with the covariance in the coordinates'
// unit and scaled, give the centre a pass over the working coordinates gives,
// to the bit: far off, scaled up and down, in the plane and in space.
struct Algebraic {
    std::string name;
    Cloud points;
};

class MomentSums : public ::testing::TestWithParam<Algebraic> {};

TEST_P(MomentSums, GiveThePassesCentreToTheBit) {
    Cloud c = GetParam().points;
    const kernel::Moments m = kernel::moments(c.view());
    ASSERT_TRUE(m.failure.empty()) << m.failure;
    ASSERT_TRUE(m.hasalgebraic);
    kernel::Vec pass, sums;
    ASSERT_TRUE(kernel::algebraic(m.view, pass));
    ASSERT_TRUE(kernel::algebraic(m, sums));
    for (int j = 0; j < 3; ++j) EXPECT_EQ(sums[j], pass[j]) << j;
}

// The moments' passes take two coordinates at a time: their sums are those
// of the coordinates one at a time in the points' order, to the bit (the
// origin from the first pass; the scale and the algebraic sums, covariance
// among them, from the second), at any stride.
TEST_P(MomentSums, AreThoseOfOneCoordinateAtATime) {
    Cloud c = GetParam().points;
    for (const std::size_t stride : {std::size_t(c.dim), std::size_t(c.dim + 1)}) {
        std::vector<double> data;
        for (const P3& p : c.p) {
            for (int k = 0; k < c.dim; ++k) data.push_back(p[k]);
            if (stride > std::size_t(c.dim)) data.push_back(std::nan(""));
        }
        const Points points{data.data(), c.p.size(), c.dim, stride};
        const kernel::Moments m = kernel::moments(points);
        ASSERT_TRUE(m.failure.empty()) << m.failure;
        const int d = c.dim;
        double sum[3] = {0, 0, 0}, largest = 0;
        for (std::size_t i = 0; i < points.count; ++i)
            for (int k = 0; k < d; ++k) {
                sum[k] += data[i * stride + k];
                largest = std::max(largest, std::fabs(data[i * stride + k]));
            }
        EXPECT_EQ(m.largest, largest);
        kernel::Vec o = {0, 0, 0};
        for (int k = 0; k < d; ++k) {
            o[k] = sum[k] / static_cast<double>(points.count);
            EXPECT_EQ(m.view.origin[k], o[k]) << k;
        }
        double extent = 0, squares = 0, cc[3][3] = {}, shift[3] = {}, cubes[3] = {};
        for (std::size_t i = 0; i < points.count; ++i) {
            double q[3] = {0, 0, 0};
            for (int k = 0; k < d; ++k) q[k] = data[i * stride + k] - o[k];
            for (int k = 0; k < d; ++k) extent = std::max(extent, std::fabs(q[k]));
            const double f = q[0] * q[0] + q[1] * q[1] + q[2] * q[2];
            squares += f;
            for (int r = 0; r < d; ++r) {
                shift[r] += q[r];
                cubes[r] += q[r] * f;
                for (int k = r; k < d; ++k) cc[r][k] += q[r] * q[k];
            }
        }
        int exponent = 0;
        std::frexp(extent, &exponent);
        const double s = std::ldexp(1.0, -exponent);
        EXPECT_EQ(m.view.scale, s);
        for (int r = 0; r < d; ++r) {
            for (int k = r; k < d; ++k)
                EXPECT_EQ(m.algebraic[r][k], 4 * cc[r][k] * s * s) << r << k;
            EXPECT_EQ(m.algebraic[r][d], 2 * shift[r] * s) << r;
            EXPECT_EQ(m.algebraic[r][d + 1], 2 * cubes[r] * s * s * s) << r;
        }
        EXPECT_EQ(m.algebraic[d][d + 1], squares * s * s);
    }
}

INSTANTIATE_TEST_SUITE_P(
    Sets, MomentSums,
    ::testing::Values(Algebraic{"Circle", circle(360, 25, 120, 80, 0.004, 360, 11)},
                      Algebraic{"Arc20FarOff", circle(50, 5, 1e4, -2e4, 0.01, 20, 12)},
                      Algebraic{"CircleTiny", scaled(circle(100, 1, 0, 0, 0.01, 360, 13), 1e-40)},
                      Algebraic{"CircleHuge", scaled(circle(100, 1, 3, 4, 0.01, 180, 14), 1e40)},
                      Algebraic{"Sphere", sphere(500, 25, {10, -20, 30}, 0.005, 180, 15)},
                      Algebraic{"Cap30", sphere(200, 60, {1e3, 0, 0}, 0.05, 30, 16)}),
    ::formeval::test::namedby([](const Algebraic& a) { return a.name; }));

} // namespace
} // namespace formeval::pointset::test
