// Least-squares features against published reference fits (NIST's circles)
// and against the conditions any least-squares optimum meets, computed here
// independently; tilted features against the same set laid flat.
#include "pointset/pointset.h"
#include "tests/harness/harness.h"
#include "tests/pointset/support.h"

#include <cmath>
#include <fstream>
#include <gtest/gtest.h>

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

} // namespace
} // namespace formeval::pointset::test
