// The minimum-zone line and plane against the minimum width by brute force
// (the width along the normal of every pair of points, and in space of every
// pair of point pairs), thin and thick sets alike.
#include "pointset/pointset.h"
#include "tests/harness/harness.h"
#include "tests/pointset/support.h"

#include <cmath>
#include <gtest/gtest.h>
#include <random>

namespace formeval::pointset::test {
namespace {

struct Set {
    std::string name;
    Feature feature;
    Cloud points;
};

// Random sets from a thin strip to a blob as wide as long.
std::vector<Set> sets() {
    std::vector<Set> out;
    for (std::uint32_t seed = 1; seed <= 5; ++seed)
        for (const double thick : {0.001, 0.1, 1.0, 4.0}) {
            const std::string tag =
                std::to_string(int(thick * 1000)) + "Seed" + std::to_string(seed);
            out.push_back({"Line" + tag, Feature::line,
                           turned(line(12, 10, thick, seed), 0.4 * seed, {0, 0, 1})});
            out.push_back({"Plane" + tag, Feature::plane,
                           turned(plane(9, 10, thick, seed), 0.3 * seed, {1, -1, 2})});
        }
    return out;
}

class Width : public ::testing::TestWithParam<Set> {};

TEST_P(Width, MinimumZoneIsTheMinimumWidth) {
    Cloud c = GetParam().points;
    const Reference r = evaluate(c.view(), GetParam().feature, Criterion::minimumzone);
    ASSERT_TRUE(r.found) << r.failure;
    const double width = mzwidth(c.p, c.dim);
    const double slack = 1e-9 * width + 1e-13;
    EXPECT_LE(r.certificate.lower, width + slack);
    EXPECT_GE(r.t, width - slack); // a zone holding every point is never narrower
    if (r.certificate.certified) { EXPECT_NEAR(r.t, width, slack); }
    // Thin sets, which any measured profile or face is, are always certified.
    if (r.t < 0.2) { EXPECT_TRUE(r.certificate.certified) << r.certificate.why; }
}

INSTANTIATE_TEST_SUITE_P(Sets, Width, ::testing::ValuesIn(sets()),
                         ::formeval::test::namedby([](const Set& s) { return s.name; }));

// Regular polygons, whose many equal widths kept the exchange's search busy:
// the width in closed form, 2 r cos(pi / n) for even n and r (1 + cos(pi /
// n)) for odd n, certified.
class Polygon : public ::testing::TestWithParam<int> {};

TEST_P(Polygon, MinimumZoneIsItsWidth) {
    const int n = GetParam();
    const double r = 10, pi = std::acos(-1.0);
    Cloud c;
    for (int i = 0; i < n; ++i)
        c.p.push_back({r * std::cos(2 * pi * i / n), r * std::sin(2 * pi * i / n), 0});
    c = moved(turned(c, 0.3, {0, 0, 1}), {120, -45, 0});
    const Reference l = evaluate(c.view(), Feature::line, Criterion::minimumzone);
    ASSERT_TRUE(l.found) << l.failure;
    const double width = n % 2 == 0 ? 2 * r * std::cos(pi / n) : r * (1 + std::cos(pi / n));
    EXPECT_NEAR(l.t, width, 1e-12 * width);
    EXPECT_TRUE(l.certificate.certified) << l.certificate.why;
    EXPECT_LE(l.certificate.lower, width * (1 + 1e-12));
    EXPECT_NEAR(l.p, l.v, 1e-12 * width);
}

INSTANTIATE_TEST_SUITE_P(Gons, Polygon, ::testing::Values(3, 4, 5, 16, 20, 21, 24, 36, 72, 360),
                         ::formeval::test::namedby([](int n) {
                             return std::to_string(n) + "Gon";
                         }));

// Small sets, which left the plane's exchange without a first basis (it took
// the least-squares plane, uncertified), against brute force: certified and
// the minimum width.
struct Small {
    int n;
    std::uint32_t seed;
    Feature feature;
};

std::vector<Small> smalls() {
    std::vector<Small> out;
    for (std::uint32_t seed = 1; seed <= 6; ++seed)
        for (int n = 3; n <= 12; ++n) {
            out.push_back({n, seed, Feature::line});
            if (n >= 4) out.push_back({n, seed, Feature::plane});
        }
    return out;
}

class Few : public ::testing::TestWithParam<Small> {};

TEST_P(Few, CertifiedMinimumWidth) {
    const Small s = GetParam();
    std::mt19937 g(s.seed * 100 + static_cast<std::uint32_t>(s.n));
    std::uniform_real_distribution<double> u(-1, 1);
    Cloud c;
    c.dim = traits(s.feature).dimension;
    for (int i = 0; i < s.n; ++i)
        c.p.push_back(
            {10 * u(g), c.dim == 3 ? 10 * u(g) : 0.5 * u(g), c.dim == 3 ? 0.5 * u(g) : 0});
    c = turned(c, 0.3 * s.seed, c.dim == 3 ? P3{1, -1, 2} : P3{0, 0, 1});
    const Reference r = evaluate(c.view(), s.feature, Criterion::minimumzone);
    ASSERT_TRUE(r.found) << r.failure;
    const double width = mzwidth(c.p, c.dim);
    EXPECT_TRUE(r.certificate.certified) << r.certificate.why;
    EXPECT_NEAR(r.t, width, 1e-9 * width + 1e-13);
    EXPECT_LE(r.certificate.lower, width * (1 + 1e-9));
}

INSTANTIATE_TEST_SUITE_P(Sets, Few, ::testing::ValuesIn(smalls()),
                         ::formeval::test::namedby([](const Small& s) {
                             return std::string(featurename(s.feature)) == "line"
                                        ? "Line" + std::to_string(s.n) + "Seed" +
                                              std::to_string(s.seed)
                                        : "Plane" + std::to_string(s.n) + "Seed" +
                                              std::to_string(s.seed);
                         }));

// A strip 100 long and 0.01 wide, any way up: as certified as a plate. A
// few points against brute force; many, against the width of a subset (never
// wider than the whole).
Cloud strip(int n, std::uint32_t seed) {
    std::mt19937 g(seed);
    std::uniform_real_distribution<double> u(-1, 1);
    Cloud c;
    c.dim = 3;
    for (int i = 0; i < n; ++i) c.p.push_back({50 * u(g), 0.005 * u(g), 0.002 * u(g)});
    return turned(c, 0.3 * seed, {1, -1, 2});
}

TEST(Linear, NarrowStripIsCertified) {
    for (std::uint32_t seed = 1; seed <= 3; ++seed) {
        Cloud few = strip(30, seed);
        const Reference r = evaluate(few.view(), Feature::plane, Criterion::minimumzone);
        ASSERT_TRUE(r.found) << r.failure;
        EXPECT_TRUE(r.certificate.certified) << r.certificate.why;
        // The brute force's normals of nearly parallel edges 100 long are
        // rounded to 1e-11 or so: never narrower than that, nor wider.
        const double width = mzwidth(few.p, 3);
        EXPECT_LE(r.t, width * (1 + 1e-12));
        EXPECT_GE(r.t, width * (1 - 1e-9) - 1e-11);
        Cloud many = strip(5000, seed);
        const Reference m = evaluate(many.view(), Feature::plane, Criterion::minimumzone);
        ASSERT_TRUE(m.found) << m.failure;
        EXPECT_TRUE(m.certificate.certified) << m.certificate.why;
        const std::vector<P3> part(many.p.begin(), many.p.begin() + 25);
        EXPECT_GE(m.t, mzwidth(part, 3) * (1 - 1e-9));
        EXPECT_LE(m.t, 0.004 + 1e-12); // the strip's own thickness
    }
}

// Points on one line, and points repeated: a line's zone of nothing, and the
// width of the distinct points.
TEST(Linear, CollinearAndRepeatedPoints) {
    Cloud on;
    for (int i = 0; i < 7; ++i) on.p.push_back({1 + 3.0 * i, 2 + 4.0 * i, 0});
    const Reference l = evaluate(on.view(), Feature::line, Criterion::minimumzone);
    ASSERT_TRUE(l.found) << l.failure;
    EXPECT_NEAR(l.t, 0, 1e-13);
    EXPECT_TRUE(l.certificate.certified) << l.certificate.why;
    EXPECT_NEAR(std::fabs(l.direction[0]), 0.6, 1e-15);
    Cloud twice;
    for (const P3& p : std::vector<P3>{{0, 0, 0}, {4, 0, 0}, {2, 1, 0}, {1, 0.2, 0}})
        twice.p.insert(twice.p.end(), {p, p});
    const Reference t = evaluate(twice.view(), Feature::line, Criterion::minimumzone);
    ASSERT_TRUE(t.found) << t.failure;
    EXPECT_TRUE(t.certificate.certified) << t.certificate.why;
    EXPECT_NEAR(t.t, mzwidth(twice.p, 2), 1e-12);
}

// Two points make a line, three a plane: a zone of nothing, certified.
TEST(Linear, FewestPointsFitExactly) {
    Cloud two;
    two.p = {{1, 2, 0}, {4, 6, 0}};
    const Reference l = evaluate(two.view(), Feature::line, Criterion::minimumzone);
    ASSERT_TRUE(l.found) << l.failure;
    EXPECT_NEAR(l.t, 0, 1e-15);
    EXPECT_TRUE(l.certificate.certified);
    EXPECT_NEAR(l.direction[0], 0.6, 1e-15);
    Cloud three;
    three.dim = 3;
    three.p = {{0, 0, 1}, {1, 0, 1}, {0, 1, 1}};
    const Reference p = evaluate(three.view(), Feature::plane, Criterion::minimumzone);
    ASSERT_TRUE(p.found) << p.failure;
    EXPECT_NEAR(p.t, 0, 1e-15);
    EXPECT_NEAR(p.direction[2], 1, 1e-15);
}

} // namespace
} // namespace formeval::pointset::test
