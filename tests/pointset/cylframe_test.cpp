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
using V5 = std::array<double, 5>;

template <std::size_t N> std::array<double, N> randomunit(std::mt19937& g) {
    std::normal_distribution<double> n(0, 1);
    std::array<double, N> v;
    double l = 0;
    for (double& x : v) x = n(g), l += x * x;
    for (double& x : v) x /= std::sqrt(l);
    return v;
}
template <std::size_t N>
double dotn(const std::array<double, N>& a, const std::array<double, N>& b) {
    double s = 0;
    for (std::size_t c = 0; c < N; ++c) s += a[c] * b[c];
    return s;
}

// The least of max w.v over unit v, from above by sampling and a descent on
// the sphere from the best samples.
template <std::size_t N>
double sampledsharpness(const std::vector<std::array<double, N>>& w, std::mt19937& g) {
    using V = std::array<double, N>;
    const auto f = [&](const V& v) {
        double top = -1e300;
        for (const V& x : w) top = std::max(top, dotn(x, v));
        return top;
    };
    double best = 1e300;
    for (int k = 0; k <= 200 * int(N - 3); ++k) {
        V v = randomunit<N>(g);
        double value = f(v);
        for (double step = 0.1; step > 1e-7; step /= 2)
            for (int t = 0; t < 20; ++t) {
                const V u = randomunit<N>(g);
                V next;
                for (std::size_t c = 0; c < N; ++c) next[c] = v[c] + step * u[c];
                const double l = std::sqrt(dotn(next, next));
                for (double& x : next) x /= l;
                if (f(next) < value) value = f(next), v = next;
            }
        best = std::min(best, value);
    }
    return best;
}

// Sharpness in N dimensions (4: a cylinder's axis, 5: a cone's with its
// angle) against sampling, and by hand: the cross-polytope's facets lie
// 1 / sqrt N from the origin, the hypercube's 1; vectors in one hyperplane
// hold no direction.
template <std::size_t N, class Sharpness> void sharpnessholds(Sharpness sharpness) {
    using V = std::array<double, N>;
    std::mt19937 g(5);
    for (const int count : {int(N) + 1, int(N) + 2, 9, 16}) {
        std::vector<V> w;
        for (int k = 0; k < count; ++k) w.push_back(randomunit<N>(g));
        const double kappa = sharpness(w);
        const double sampled = sampledsharpness(w, g);
        if (kappa > 0) {
            // No direction does below it, and the search comes near it.
            EXPECT_LE(kappa, sampled + 1e-12) << count;
            EXPECT_GE(kappa, 0.95 * sampled) << count;
        } else {
            EXPECT_LE(sampled, 1e-9) << count; // the origin outside: some v has max w.v <= 0
        }
    }
    std::vector<V> cross, cube, flat;
    for (std::size_t i = 0; i < N; ++i)
        for (const double s : {-1.0, 1.0}) {
            V e{};
            e[i] = s;
            cross.push_back(e);
            if (i + 1 < N) flat.push_back(e);
        }
    for (std::size_t k = 0; k < (1u << N); ++k) {
        V c;
        for (std::size_t i = 0; i < N; ++i) c[i] = k >> i & 1 ? 1.0 : -1.0;
        cube.push_back(c);
    }
    EXPECT_NEAR(sharpness(cross), 1 / std::sqrt(double(N)), 1e-15);
    EXPECT_NEAR(sharpness(cube), 1, 1e-15);
    EXPECT_LE(sharpness(flat), 0);
}

TEST(CylinderKernels, SharpnessIsTheLeastOfTheMaximumOverDirections) {
    sharpnessholds<4>([](const std::vector<V4>& w) { return kernel::sharpness4(w); });
    sharpnessholds<5>([](const std::vector<V5>& w) { return kernel::sharpness5(w); });
}

// A random frame in working coordinates, its origin near the points in
// eighths (so that a point can sit on its axis to the bit).
Frame randomframe(std::mt19937& g) {
    Frame f = kernel::frameabout({0, 0, 0}, randomunit<3>(g));
    std::uniform_int_distribution<int> u(-8, 8);
    f.origin = {u(g) / 8.0, u(g) / 8.0, u(g) / 8.0};
    return f;
}

// The rows of every point and the spread of their distances four points at
// a time are those of the one-point formulas, cylrow(f.local(w[i])) and the
// first point of each extreme, bit for bit: for counts ending in each lane,
// points held with padding, scales from tiny to huge, a point on the axis
// (its direction 0) and distances tied within a lane, across lanes and in
// the tail.
TEST(CylinderKernels, FourPointsAtATimeAreThoseOneByOne) {
    std::mt19937 g(11);
    std::uniform_real_distribution<double> u(-1, 1);
    for (const std::size_t n : {1, 3, 4, 5, 6, 7, 12, 13, 1001})
        for (const std::size_t stride : {3, 4})
            for (const double scale : {1.0, 0x1p-30, 0x1p40}) {
                const Frame f = randomframe(g);
                kernel::View w;
                w.n = n;
                w.dim = 3;
                w.stride = stride;
                w.scale = scale;
                w.origin = {3 / scale, -5 / scale, 2 / scale};
                std::vector<double> p(stride * n, 0.0);
                w.data = p.data();
                // Point i at local coordinates (x, y, z) of the frame.
                const auto put = [&](std::size_t i, double x, double y, double z) {
                    for (int c = 0; c < 3; ++c)
                        p[stride * i + c] =
                            w.origin[c] +
                            (f.origin[c] + x * f.e[0][c] + y * f.e[1][c] + z * f.e[2][c]) / scale;
                };
                for (std::size_t i = 0; i < n; ++i) put(i, 0.5 * u(g), 0.5 * u(g), u(g));
                // The largest distance tied at 5, 2 and the last point; the
                // smallest, 0 (on the axis, bit for bit), at 4, 1 and n - 2:
                // the first of each in a later lane than another.
                for (const std::size_t i : {std::size_t{5}, std::size_t{2}, n - 1})
                    if (i < n) put(i, 3, 4, u(g));
                for (const std::size_t i : {std::size_t{4}, std::size_t{1}, n - 2})
                    if (i < n && n > 2) {
                        for (int c = 0; c < 3; ++c)
                            p[stride * i + c] = w.origin[c] + f.origin[c] / scale;
                        ASSERT_EQ(kernel::across(f.local(w[i])[0], f.local(w[i])[1]), 0);
                    }
                const double L = 0.75;
                const std::size_t first = n > 5 ? 1 : 0;
                std::vector<double> rows(5 * n);
                kernel::cylrows(w, f, L, first, n - first, rows.data());
                kernel::Spread expected;
                for (std::size_t i = 0; i < n; ++i) {
                    double a[4], rho;
                    kernel::cylrow(f.local(w[i]), L, a, rho);
                    if (rho > expected.top) expected.top = rho, expected.far = i;
                    if (rho < expected.bottom) expected.bottom = rho, expected.near = i;
                    if (i < first) continue;
                    const double* r = &rows[5 * (i - first)];
                    for (int c = 0; c < 4; ++c)
                        ASSERT_EQ(std::signbit(r[c]), std::signbit(a[c])) << n << " " << i;
                    ASSERT_EQ(std::vector<double>(r, r + 5),
                              std::vector<double>({a[0], a[1], a[2], a[3], rho}))
                        << "point " << i << " of " << n << ", scale " << scale;
                }
                const kernel::Spread s = kernel::radial(w, f);
                EXPECT_EQ(s.top, expected.top) << n;
                EXPECT_EQ(s.bottom, expected.bottom) << n;
                EXPECT_EQ(s.far, expected.far) << n;
                EXPECT_EQ(s.near, expected.near) << n;
            }
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
        const V4 v = randomunit<4>(g);
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
