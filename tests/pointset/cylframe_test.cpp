// The cylinder's kernels checked by sampling: the sharpness of gradients in
// four dimensions against the least of max w.v over many directions, and the
// neighbourhood an axis proves against the objective measured at moves of the
// axis out to its radius.
#include "pointset/cylinder.h"
#include "tests/harness/harness.h"
#include "tests/pointset/support.h"

#include <cmath>
#include <gtest/gtest.h>
#include <random>

namespace formeval::pointset::test {
namespace {

using kernel::Frame;
using V4 = std::array<double, 4>;

V4 randomunit(std::mt19937& g) {
    std::normal_distribution<double> n(0, 1);
    V4 v = {n(g), n(g), n(g), n(g)};
    const double l = std::sqrt(v[0] * v[0] + v[1] * v[1] + v[2] * v[2] + v[3] * v[3]);
    for (double& x : v) x /= l;
    return v;
}
double dot4(const V4& a, const V4& b) {
    return a[0] * b[0] + a[1] * b[1] + a[2] * b[2] + a[3] * b[3];
}

// The least of max w.v over unit v, from above by sampling and a descent on
// the sphere from the best samples.
double sampledsharpness(const std::vector<V4>& w, std::mt19937& g) {
    const auto f = [&](const V4& v) {
        double top = -1e300;
        for (const V4& x : w) top = std::max(top, dot4(x, v));
        return top;
    };
    double best = 1e300;
    for (int k = 0; k < 20000; ++k) {
        V4 v = randomunit(g);
        double value = f(v);
        for (double step = 0.1; step > 1e-7; step /= 2)
            for (int t = 0; t < 20; ++t) {
                V4 u = randomunit(g), next;
                for (int c = 0; c < 4; ++c) next[c] = v[c] + step * u[c];
                const double l = std::sqrt(dot4(next, next));
                for (double& x : next) x /= l;
                if (f(next) < value) value = f(next), v = next;
            }
        best = std::min(best, value);
        if (k > 200) break;
    }
    return best;
}

TEST(CylinderKernels, SharpnessIsTheLeastOfTheMaximumOverDirections) {
    std::mt19937 g(5);
    for (const int count : {5, 6, 9, 16}) {
        std::vector<V4> w;
        for (int k = 0; k < count; ++k) w.push_back(randomunit(g));
        const double kappa = kernel::sharpness4(w);
        const double sampled = sampledsharpness(w, g);
        if (kappa > 0) {
            // No direction does below it, and the search comes near it.
            EXPECT_LE(kappa, sampled + 1e-12) << count;
            EXPECT_GE(kappa, 0.95 * sampled) << count;
        } else {
            EXPECT_LE(sampled, 1e-9) << count; // the origin outside: some v has max w.v <= 0
        }
    }
    // By hand: the cross-polytope's facets lie 1/2 from the origin, the
    // hypercube's 1.
    std::vector<V4> cross, cube;
    for (int i = 0; i < 4; ++i)
        for (const double s : {-1.0, 1.0}) {
            V4 e = {0, 0, 0, 0};
            e[i] = s;
            cross.push_back(e);
        }
    for (int k = 0; k < 16; ++k)
        cube.push_back(
            {k & 1 ? 1.0 : -1.0, k & 2 ? 1.0 : -1.0, k & 4 ? 1.0 : -1.0, k & 8 ? 1.0 : -1.0});
    EXPECT_NEAR(kernel::sharpness4(cross), 0.5, 1e-15);
    EXPECT_NEAR(kernel::sharpness4(cube), 1, 1e-15);
    // Vectors in one hyperplane hold no direction.
    EXPECT_LE(kernel::sharpness4({{1, 0, 0, 0}, {0, 1, 0, 0}, {-1, -1, 0, 0}, {0, 0, 1, 0}}), 0);
}

struct Set {
    std::string name;
    Cloud points;
    int kind;
};

class Neighbourhood : public ::testing::TestWithParam<Set> {};

// Every move of the axis within the radius keeps the objective at least h.
TEST_P(Neighbourhood, HoldsAtEveryMoveWithinItsRadius) {
    Cloud c = GetParam().points;
    const int kind = GetParam().kind;
    const kernel::Moments m = kernel::moments(c.view());
    Frame ls;
    double radius = 0;
    std::string failure;
    ASSERT_TRUE(kernel::lsaxis(m, ls, radius, failure)) << failure;
    kernel::Objective o;
    o.kind = kind;
    const kernel::Cylinder best = kernel::descend(m.view, ls, o);
    const double L = kernel::axialextent(m.view, best.f);
    const double gap = certifiedgap(best.top - best.bottom, 1);
    const kernel::Ball b = kernel::ball(m.view, best.f, L, kind, gap);
    ASSERT_GT(b.rho, 0);
    std::mt19937 g(3);
    for (int k = 0; k < 3000; ++k) {
        const V4 v = randomunit(g);
        const double s =
            b.rho * (k % 3 == 0 ? 1 : std::pow(std::uniform_real_distribution<>(0, 1)(g), 0.25));
        const Frame f = kernel::moved(best.f, {s * v[0], s * v[1], s * v[2], s * v[3]}, L);
        EXPECT_GE(kernel::measured(m.view, f, kind).value, b.h - 1e-14) << s / b.rho;
    }
}

INSTANTIATE_TEST_SUITE_P(
    Sets, Neighbourhood,
    ::testing::Values(
        Set{"ZoneShaft", turned(cylinder(6, 60, 20, 60, 0.01, 0.01, 360, 1), 0.4, {1, 1, 0}), 0},
        Set{"ZoneShort", turned(cylinder(3, 60, 40, 4, 0.01, 0.01, 360, 2), 0.4, {1, 1, 0}), 0},
        Set{"ZoneSegment", turned(cylinder(6, 60, 20, 60, 0.01, 0.01, 120, 3), 0.4, {1, 1, 0}), 0},
        Set{"Circumscribed", turned(cylinder(6, 60, 20, 60, 0.01, 0.01, 360, 4), 0.4, {1, 1, 0}),
            1},
        Set{"Inscribed", turned(cylinder(6, 60, 20, 60, 0.01, 0.01, 360, 5), 0.4, {1, 1, 0}), 2}),
    ::formeval::test::namedby([](const Set& s) { return s.name; }));

} // namespace
} // namespace formeval::pointset::test
