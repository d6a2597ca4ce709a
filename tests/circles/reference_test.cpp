// The reference circles of the peak and valley tests, checked against plain
// enumeration on small sets, so that the comparisons rest on sound ground.
#include "tests/circles/reference.h"

#include <gtest/gtest.h>
#include <random>

namespace formeval {
namespace {

// Smallest circle through two or three of the points that holds them all.
test::Circle enclosing(const test::Points& p) {
    const int n = p.size();
    const auto holds = [&](const test::Circle& c) {
        for (int m = 0; m < n; ++m)
            if (test::dist(p.u[m], p.v[m], c.x, c.y) > c.r + 1e-9) return false;
        return true;
    };
    test::Circle best{0, 0, INFINITY};
    const auto consider = [&](const test::Circle& c) {
        if (c.r >= 0 && c.r < best.r && holds(c)) best = c;
    };
    for (int i = 0; i < n; ++i)
        for (int j = i + 1; j < n; ++j) {
            consider({(p.u[i] + p.u[j]) / 2, (p.v[i] + p.v[j]) / 2,
                      test::dist(p.u[i], p.v[i], p.u[j], p.v[j]) / 2});
            for (int k = j + 1; k < n; ++k)
                consider(test::circumcircle(p.u[i], p.v[i], p.u[j], p.v[j], p.u[k], p.v[k]));
        }
    return best;
}

TEST(Reference, WelzlFindsTheSmallestEnclosingCircle) {
    std::mt19937 gen(11);
    std::uniform_real_distribution<double> coordinate(-5, 5);
    for (int t = 0; t < 200; ++t) {
        test::Points p;
        const int n = 3 + t % 10;
        for (int i = 0; i < n; ++i) {
            p.u.push_back(coordinate(gen));
            p.v.push_back(coordinate(gen));
        }
        EXPECT_NEAR(test::mec(p, 1e-12).r, enclosing(p).r, 1e-9);
    }
}

TEST(Reference, InscribedCircleOfARegularPolygonTouchesEveryVertex) {
    // Eight vertices of a regular octagon of circumradius 3 about (1, 2):
    // every empty circle through three of them is the circumcircle.
    test::Points p;
    for (int i = 0; i < 8; ++i) {
        p.u.push_back(1 + 3 * std::cos(i * std::acos(-1.0) / 4));
        p.v.push_back(2 + 3 * std::sin(i * std::acos(-1.0) / 4));
    }
    const test::Circle c = test::mic(p, 1e-12);
    EXPECT_NEAR(c.x, 1, 1e-12);
    EXPECT_NEAR(c.y, 2, 1e-12);
    EXPECT_NEAR(c.r, 3, 1e-12);
    // A dent in one vertex: the largest empty circle shrinks, and no vertex
    // lies inside it.
    p.u[0] = 1 + 2.5;
    const test::Circle d = test::mic(p, 1e-12);
    EXPECT_LT(d.r, 3);
    EXPECT_GE(test::nearest(p, d.x, d.y), d.r - 1e-12);
}

} // namespace
} // namespace formeval
