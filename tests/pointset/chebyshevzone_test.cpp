// The minimum zone of formeval's linear models (lines along y, planes along
// z, the linearised polar circle and sphere) against brute force over every
// reference set, a hand-worked line and its copy far below unit size; the
// depth test its certificate rests on; the ISO parameters of hand-worked
// profiles.
#include "pointset/kernels.h"
#include "tests/fit/bruteforce.h"
#include "tests/harness/harness.h"

#include <algorithm>
#include <cmath>
#include <gtest/gtest.h>
#include <random>
#include <vector>

namespace formeval::pointset {
namespace {

const double pi = std::acos(-1.0);

bool near(double a, double b, double relative) {
    return std::fabs(a - b) <= relative * std::max(std::fabs(a), std::fabs(b));
}

// A large set's first working set: the 96 points of largest and of smallest
// observation, the same points as a heap of 96 taking every observation in
// turn keeps, ties included (values from a few levels), for observations in
// random order and running up or down (every point a new extreme).
TEST(Levels, AreThePointsAHeapOfEveryObservationKeeps) {
    struct Rows {
        const std::vector<double>& f;
        void operator()(std::size_t i, double* a, double& o) const {
            a[0] = 1;
            a[1] = 0;
            o = f[i];
        }
    };
    std::mt19937 gen(4);
    std::uniform_real_distribution<double> unit(0, 1);
    std::uniform_int_distribution<int> level(0, 40);
    for (int pattern = 0; pattern < 4; ++pattern) {
        const std::size_t n = 30000;
        std::vector<double> f(n);
        for (std::size_t i = 0; i < n; ++i)
            f[i] = pattern == 0   ? unit(gen)
                   : pattern == 1 ? level(gen) * 0.25
                   : pattern == 2 ? static_cast<double>(i)
                                  : -static_cast<double>(i) * 1e-3 + (i % 7 == 0);
        const Rows rows{f};
        const kernel::Chebyshev<Rows> lp(rows, n, 2);
        double top = 0, bottom = 0;
        std::vector<long> ids = lp.levels(top, bottom);
        kernel::Extremes every{96, {}, {}};
        for (std::size_t i = 0; i < n; ++i) every.take(f[i], i);
        std::vector<long> expected = every.ids();
        std::sort(ids.begin(), ids.end());
        std::sort(expected.begin(), expected.end());
        EXPECT_EQ(ids, expected) << "pattern " << pattern;
        EXPECT_EQ(top, *std::max_element(f.begin(), f.end()));
        EXPECT_EQ(bottom, *std::min_element(f.begin(), f.end()));
    }
}

struct LinearCase {
    const char* name;
    int n; // parameters
    int seed;
};

class ChebyshevTest : public ::testing::TestWithParam<LinearCase> {};

// Lines (1, x), planes (1, x, y) and the polar circle model (1, cos, sin)
// with noisy observations: the zone is twice the largest levelled deviation
// over every reference set of n + 1 points.
TEST_P(ChebyshevTest, ZoneIsTwiceTheLargestLevelledReferenceSet) {
    const LinearCase c = GetParam();
    std::mt19937 gen(c.seed);
    std::uniform_real_distribution<double> coordinate(-50, 50);
    std::normal_distribution<double> noise(0, 0.003);
    std::vector<ModelRow> a;
    std::vector<std::array<double, 5>> rows;
    std::vector<double> f;
    for (int i = 0; i < 9; ++i) {
        const double x = coordinate(gen), y = coordinate(gen), t = 2 * pi * i / 9;
        if (c.n == 2) a.push_back({1, x, 0, 0, 0});
        if (c.n == 3 && c.name[0] == 'p') a.push_back({1, x, y, 0, 0});
        if (c.n == 3 && c.name[0] == 'c') a.push_back({1, std::cos(t), std::sin(t), 0, 0});
        if (c.n == 4)
            a.push_back({1, std::cos(t) * std::cos(x), std::sin(t) * std::cos(x), std::sin(x), 0});
        f.push_back(10 + 0.01 * x - 0.02 * y + noise(gen));
        rows.push_back(a.back());
    }
    const LinearZone z = chebyshevzone(a, f, c.n);
    ASSERT_TRUE(z.found);
    const double brute = 2 * test::chebyshev(rows, f, c.n);
    EXPECT_TRUE(near(z.zone, brute, 1e-9)) << z.zone << " against " << brute;
    EXPECT_TRUE(z.certificate.certified) << z.certificate.why;
    // The zone is centred on the fit: residuals from -zone/2 to +zone/2.
    double high = -INFINITY, low = INFINITY;
    for (std::size_t i = 0; i < f.size(); ++i) {
        double r = f[i];
        for (int j = 0; j < c.n; ++j) r -= a[i][j] * z.p[j];
        high = std::max(high, r), low = std::min(low, r);
    }
    EXPECT_NEAR(high, z.zone / 2, 1e-12);
    EXPECT_NEAR(low, -z.zone / 2, 1e-12);
}

INSTANTIATE_TEST_SUITE_P(Models, ChebyshevTest,
                         ::testing::Values(LinearCase{"line1", 2, 1}, LinearCase{"line2", 2, 2},
                                           LinearCase{"plane1", 3, 3}, LinearCase{"plane2", 3, 4},
                                           LinearCase{"circle1", 3, 5},
                                           LinearCase{"sphere1", 4, 6}),
                         [](const ::testing::TestParamInfo<LinearCase>& info) {
                             return std::string(info.param.name);
                         });

// The manual's straightness example (docs/formeval.md): points (0, 1), (1, -1), (2, 1), (3, -1)
// have the zone y = 0 +- 1, width 2.
TEST(Chebyshevzone, TheHandWorkedLine) {
    const std::vector<ModelRow> a = {{1, 0}, {1, 1}, {1, 2}, {1, 3}};
    const LinearZone z = chebyshevzone(a, {1, -1, 1, -1}, 2);
    ASSERT_TRUE(z.found);
    EXPECT_NEAR(z.zone, 2, 1e-15);
    EXPECT_NEAR(z.p[0], 0, 1e-15);
    EXPECT_NEAR(z.p[1], 0, 1e-15);
    EXPECT_TRUE(z.certificate.certified);
    // The same line in units of 1e-200, whose squares underflow.
    const double u = 1e-200;
    const std::vector<ModelRow> b = {{1, 0}, {1, u}, {1, 2 * u}, {1, 3 * u}};
    const LinearZone w = chebyshevzone(b, {u, -u, u, -u}, 2);
    ASSERT_TRUE(w.found);
    EXPECT_NEAR(w.zone / u, 2, 1e-15);
    EXPECT_NEAR(w.p[1], 0, 1e-15);
    EXPECT_TRUE(w.certificate.certified);
}

// Rows that leave a parameter free, or fewer rows than parameters, give no
// fit.
TEST(Chebyshevzone, UndeterminedModelsGiveNone) {
    const std::vector<ModelRow> onex = {{1, 2}, {1, 2}, {1, 2}};
    EXPECT_FALSE(chebyshevzone(onex, {0, 1, 2}, 2).found);
    EXPECT_FALSE(chebyshevzone({{1, 0, 0}, {1, 1, 0}}, {0, 1}, 3).found);
    EXPECT_FALSE(chebyshevzone({}, {}, 1).found);
    // Exactly as many rows as parameters: the zone is empty, the fit exact.
    const LinearZone z = chebyshevzone({{1, 0}, {1, 2}}, {1, 5}, 2);
    ASSERT_TRUE(z.found);
    EXPECT_EQ(z.zone, 0);
    EXPECT_NEAR(z.p[1], 2, 1e-15);
}

// Repeated points, and a line's points at only two x, leave every reference
// set with a zero multiplier; the fit is found all the same.
TEST(Chebyshevzone, RepeatedRowsAndPointsAtOneX) {
    const LinearZone twice = chebyshevzone({{1, 4}, {1, 3.95}, {1, 4}, {1, 3.95}, {1, 4}},
                                           {-2, -1.69, -2, -1.69, -2}, 2);
    ASSERT_TRUE(twice.found);
    EXPECT_NEAR(twice.zone, 0, 1e-14);
    EXPECT_NEAR(twice.p[1], (-2 + 1.69) / 0.05, 1e-9);
    // The square's corners: a zone 1 wide, level, whatever the slope's freedom.
    const LinearZone square = chebyshevzone({{1, 0}, {1, 0}, {1, 1}, {1, 1}}, {0, 1, 0, 1}, 2);
    ASSERT_TRUE(square.found);
    EXPECT_NEAR(square.zone, 1, 1e-15);
    EXPECT_NEAR(square.p[1], 0, 1e-15);
    EXPECT_TRUE(square.certificate.certified) << square.certificate.why;
}

struct IsoCase {
    const char* name;
    std::vector<double> deviations;
    IsoParameters iso;
};

class IsoTest : public ::testing::TestWithParam<IsoCase> {};

TEST_P(IsoTest, HandWorkedProfiles) {
    const IsoCase c = GetParam();
    const IsoParameters iso = isoparameters(c.deviations);
    EXPECT_DOUBLE_EQ(iso.t, c.iso.t);
    EXPECT_DOUBLE_EQ(iso.p, c.iso.p);
    EXPECT_DOUBLE_EQ(iso.v, c.iso.v);
    EXPECT_DOUBLE_EQ(iso.q, c.iso.q);
}

// q = sqrt(mean of squares): (1 + 1 + 4 + 4) / 4 = 2.5; (9 + 16) / 2 = 12.5.
INSTANTIATE_TEST_SUITE_P(
    Profiles, IsoTest,
    ::testing::Values(IsoCase{"bothsides", {1, -1, 2, -2}, {4, 2, 2, std::sqrt(2.5)}},
                      IsoCase{"allinside", {-3, -4}, {4, 0, 4, std::sqrt(12.5)}},
                      IsoCase{"alloutside", {0, 0.5}, {0.5, 0.5, 0, std::sqrt(0.125)}},
                      IsoCase{"flat", {0, 0, 0}, {0, 0, 0, 0}}),
    [](const ::testing::TestParamInfo<IsoCase>& info) { return std::string(info.param.name); });

// The certificate's test: how deep the origin lies in the hull of the
// differences, min over unit v of max over w of w.v.
TEST(Sharpness, DepthOfTheOriginInTheHull) {
    using kernel::sharpness;
    // A square of half-side 1 about the origin: depth 1; shifted by 3: outside.
    const std::vector<Vector> square = {{1, 1, 0}, {-1, 1, 0}, {-1, -1, 0}, {1, -1, 0}};
    EXPECT_NEAR(sharpness(square, {}, 2), 1, 1e-15);
    std::vector<Vector> shifted = square;
    for (Vector& v : shifted) v[0] += 3;
    EXPECT_LT(sharpness(shifted, {}, 2), 0);
    EXPECT_NEAR(sharpness({{2, 0, 0}, {-0.5, 0, 0}}, {}, 1), 0.5, 0);
    // The octahedron of the unit axes: faces at 1 / sqrt 3.
    const std::vector<Vector> octahedron = {{1, 0, 0},  {-1, 0, 0}, {0, 1, 0},
                                            {0, -1, 0}, {0, 0, 1},  {0, 0, -1}};
    EXPECT_NEAR(sharpness(octahedron, {}, 3), 1 / std::sqrt(3.0), 1e-15);
    EXPECT_LT(sharpness({{1, 0, 0}, {0, 1, 0}, {0, 0, 1}, {1, 1, 1}}, {}, 3), 0);
}

} // namespace
} // namespace formeval::pointset
