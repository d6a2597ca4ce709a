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
