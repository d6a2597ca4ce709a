// Whether points surround a centre, against a brute force on small integer
// sets (where every product is exact): the centre is outside the hull, or on
// it, exactly when some plane through it has every point on one side, and
// such a plane can be turned until it holds the centre and two points (in
// the plane: one). Built without CGAL the test may only miss surrounding.
#include "pointset/pointset.h"
#include "tests/harness/harness.h"

#include <array>
#include <cmath>
#include <gtest/gtest.h>
#include <limits>
#include <random>
#include <string>
#include <vector>

namespace formeval::pointset {
namespace {

using I3 = std::array<long long, 3>;

long long dotof(const I3& a, const I3& b) {
    return a[0] * b[0] + a[1] * b[1] + a[2] * b[2];
}

I3 crossof(const I3& a, const I3& b) {
    return {a[1] * b[2] - a[2] * b[1], a[2] * b[0] - a[0] * b[2], a[0] * b[1] - a[1] * b[0]};
}

// Whether every point lies on the closed side u.d <= 0 of the plane normal u.
bool oneside(const std::vector<I3>& d, const I3& u) {
    for (const I3& v : d)
        if (dotof(u, v) > 0) return false;
    return true;
}

// No normal u through the centre with every point on one side: the normals
// to try are those across two directions, or in the plane across one.
bool brute(const std::vector<I3>& points, const I3& centre, int dim) {
    std::vector<I3> d;
    for (const I3& p : points) d.push_back({p[0] - centre[0], p[1] - centre[1], p[2] - centre[2]});
    bool spans = false;
    for (const I3& a : d) {
        if (dim == 2) {
            const I3 u = {-a[1], a[0], 0};
            if (u == I3{0, 0, 0}) continue;
            spans = true;
            if (oneside(d, u) || oneside(d, {-u[0], -u[1], 0})) return false;
            continue;
        }
        for (const I3& b : d) {
            const I3 u = crossof(a, b);
            if (u == I3{0, 0, 0}) continue;
            spans = true;
            if (oneside(d, u) || oneside(d, {-u[0], -u[1], -u[2]})) return false;
        }
    }
    return spans; // directions all on one line leave a plane holding them all
}

struct Set {
    std::string name;
    int dim;
    std::vector<I3> points;
    I3 centre;
};

// Random small sets on a coarse grid, so that centres on faces, edges and
// corners, and points on one plane, come often.
std::vector<Set> sets() {
    std::vector<Set> out;
    for (const int dim : {2, 3})
        for (const int n : {3, 4, 5, 7, 12})
            for (std::uint32_t seed = 1; seed <= 40; ++seed) {
                std::mt19937 g(seed * 97 + static_cast<std::uint32_t>(n * 7 + dim));
                std::uniform_int_distribution<int> u(-2, 2);
                Set s{(dim == 2 ? "Plane" : "Space") + std::to_string(n) + "PointsSeed" +
                          std::to_string(seed),
                      dim,
                      {},
                      {u(g), u(g), dim == 3 ? u(g) : 0}};
                for (int i = 0; i < n; ++i) s.points.push_back({u(g), u(g), dim == 3 ? u(g) : 0});
                out.push_back(s);
            }
    return out;
}

class Surrounds : public ::testing::TestWithParam<Set> {};

TEST_P(Surrounds, AsNoPlaneThroughTheCentreHasAllPointsOnOneSide) {
    const Set& s = GetParam();
    std::vector<double> data;
    for (const I3& p : s.points)
        for (int k = 0; k < s.dim; ++k) data.push_back(static_cast<double>(p[k]));
    const Points points{data.data(), s.points.size(), s.dim, static_cast<std::size_t>(s.dim)};
    const Point centre = {double(s.centre[0]), double(s.centre[1]), double(s.centre[2])};
    const bool expected = brute(s.points, s.centre, s.dim);
    if (exactreferences()) {
        EXPECT_EQ(surrounds(points, centre), expected);
    } else {
        EXPECT_TRUE(!surrounds(points, centre) || expected);
    }
}

INSTANTIATE_TEST_SUITE_P(Sets, Surrounds, ::testing::ValuesIn(sets()),
                         ::formeval::test::namedby([](const Set& s) { return s.name; }));

// The unit cube's corners about a centre at a face from within by one
// rounding unit, on the face, and beyond it by one.
TEST(Surrounds, StrictlyInsideToTheLastDigit) {
    std::vector<double> cube;
    for (int k = 0; k < 8; ++k)
        cube.insert(cube.end(), {double(k & 1), double(k >> 1 & 1), double(k >> 2)});
    const Points points{cube.data(), 8, 3, 3};
    const double below = std::nextafter(1.0, 0.0), above = std::nextafter(1.0, 2.0);
    EXPECT_TRUE(surrounds(points, {0.5, 0.5, 0.5}));
    EXPECT_FALSE(surrounds(points, {0.5, 0.5, 1.0}));
    EXPECT_FALSE(surrounds(points, {0.5, 0.5, above}));
    EXPECT_FALSE(surrounds(points, {1.0, 1.0, 1.0}));
    if (exactreferences()) { EXPECT_TRUE(surrounds(points, {0.5, 0.5, below})); }
}

// Points of a sphere of radius 25 within `degrees` of its pole, about its
// centre: a cap up to a hemisphere leaves it outside; more than one, or the
// whole sphere, around it.
TEST(Surrounds, CapsOfASphere) {
    const double pi = std::acos(-1.0);
    for (const auto& [degrees, around] :
         std::vector<std::pair<double, bool>>{{30, false}, {90, false}, {170, true}, {180, true}}) {
        std::vector<double> data;
        for (int i = 1; i <= 12; ++i)
            for (int j = 0; j < 24; ++j) {
                const double polar = degrees * i / 12 * pi / 180, azimuth = j * pi / 12;
                data.insert(data.end(),
                            {25 * std::sin(polar) * std::cos(azimuth),
                             25 * std::sin(polar) * std::sin(azimuth), 25 * std::cos(polar)});
            }
        const Points points{data.data(), data.size() / 3, 3, 3};
        EXPECT_EQ(surrounds(points, {0, 0, 0}), around) << degrees << " degrees";
        EXPECT_FALSE(surrounds(points, {0, 0, 26})) << degrees << " degrees";
    }
}

TEST(Surrounds, NothingToSurroundWith) {
    const double nan = std::numeric_limits<double>::quiet_NaN();
    const std::vector<double> square = {1, 1, -1, 1, -1, -1, 1, -1, 1, 0};
    EXPECT_TRUE(surrounds({square.data(), 4, 2, 2}, {0, 0, 0}));
    EXPECT_FALSE(surrounds({square.data(), 2, 2, 2}, {0, 0, 0})); // too few
    EXPECT_FALSE(surrounds({square.data(), 4, 4, 2}, {0, 0, 0})); // no such dimension
    EXPECT_FALSE(surrounds({square.data(), 4, 2, 1}, {0, 0, 0})); // stride too short
    EXPECT_FALSE(surrounds({nullptr, 4, 2, 2}, {0, 0, 0}));
    EXPECT_FALSE(surrounds({square.data(), 4, 2, 2}, {nan, 0, 0}));
    const std::vector<double> flat = {1, 1, 0, -1, 1, 0, -1, -1, 0, 1, -1, 0};
    EXPECT_FALSE(surrounds({flat.data(), 4, 3, 3}, {0, 0, 0})); // flat in space
    std::vector<double> holed = square;
    holed[3] = std::numeric_limits<double>::infinity();
    EXPECT_FALSE(surrounds({holed.data(), 4, 2, 2}, {0, 0, 0}));
    // In the plane z does not count; a stride skips the third value.
    EXPECT_TRUE(surrounds({square.data(), 4, 2, 2}, {0, 0, 7}));
    const std::vector<double> strided = {1, 1, 9, -1, 1, 9, -1, -1, 9, 1, -1, 9};
    EXPECT_TRUE(surrounds({strided.data(), 4, 2, 3}, {0, 0, 0}));
}

} // namespace
} // namespace formeval::pointset
