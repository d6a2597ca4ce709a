// The entry's contract: refusals in words, every reported number recomputable
// from the fields and the points, results independent of where the points lie,
// how they are turned, scaled or ordered and of the view's stride, and the
// same on every call and thread.
#include "pointset/pointset.h"
#include "tests/harness/harness.h"
#include "tests/pointset/support.h"

#include <algorithm>
#include <cmath>
#include <gtest/gtest.h>
#include <limits>
#include <thread>

namespace formeval::pointset::test {
namespace {

struct Refused {
    std::string name;
    Feature feature;
    Criterion criterion;
    std::vector<double> xyz;
    int dim;
    std::size_t stride;
    std::string says;
};

class Refusal : public ::testing::TestWithParam<Refused> {};

TEST_P(Refusal, SaysWhy) {
    const Refused& c = GetParam();
    const Points p{c.xyz.data(), c.xyz.size() / c.stride, c.dim, c.stride};
    const Reference r = evaluate(p, c.feature, c.criterion);
    EXPECT_FALSE(r.found);
    EXPECT_EQ(r.failure, c.says);
}

const double nan = std::numeric_limits<double>::quiet_NaN();

INSTANTIATE_TEST_SUITE_P(
    Features, Refusal,
    ::testing::Values(Refused{"LineOfSpacePoints",
                              Feature::line,
                              Criterion::leastsquares,
                              {0, 0, 0, 1, 1, 1},
                              3,
                              3,
                              "a line needs points of 2 coordinates, not 3"},
                      Refused{"TwoPointCircle",
                              Feature::circle,
                              Criterion::minimumzone,
                              {0, 0, 1, 1},
                              2,
                              2,
                              "too few points for a circle: 2, at least 3 needed"},
                      Refused{"CollinearCircle",
                              Feature::circle,
                              Criterion::inscribed,
                              {0, 0, 1, 1, 2, 2, 3, 3},
                              2,
                              2,
                              "the points lie on one line, which determines no circle"},
                      Refused{"CollinearPlane",
                              Feature::plane,
                              Criterion::minimumzone,
                              {0, 0, 0, 1, 2, 3, 2, 4, 6, 3, 6, 9},
                              3,
                              3,
                              "the points lie on one line, which determines no plane"},
                      Refused{"CircleOfSpherePoints",
                              Feature::sphere,
                              Criterion::leastsquares,
                              {1, 0, 5, 0, 1, 5, -1, 0, 5, 0, -1, 5, 0.6, 0.8, 5},
                              3,
                              3,
                              "the points lie on one plane or circle, which determines no sphere"},
                      Refused{"OnePlaceLine",
                              Feature::line,
                              Criterion::minimumzone,
                              {2, 3, 2, 3, 2, 3},
                              2,
                              2,
                              "the points all lie at one place"},
                      Refused{"NotANumber",
                              Feature::circle,
                              Criterion::leastsquares,
                              {0, 0, 1, nan, 2, 0, 1, 1},
                              2,
                              2,
                              "a coordinate is not a finite number within +-1e150"},
                      Refused{"HugeCoordinate",
                              Feature::line,
                              Criterion::leastsquares,
                              {0, 0, 1e151, 1, 2, 0},
                              2,
                              2,
                              "a coordinate is not a finite number within +-1e150"},
                      Refused{"ShortStride",
                              Feature::plane,
                              Criterion::leastsquares,
                              {0, 0, 0, 1, 0, 0, 0, 1},
                              3,
                              2,
                              "the stride between points (2) is smaller than their 3 coordinates"},
                      Refused{"CircumscribedLine",
                              Feature::line,
                              Criterion::circumscribed,
                              {0, 0, 1, 1, 2, 0},
                              2,
                              2,
                              "a line has no circumscribed reference"},
                      Refused{"FourPointCylinder",
                              Feature::cylinder,
                              Criterion::minimumzone,
                              {1, 0, 0, 0, 1, 0, -1, 0, 1, 0, -1, 1},
                              3,
                              3,
                              "too few points for a cylinder: 4, at least 5 needed"},
                      Refused{"CylinderOfPlanePoints",
                              Feature::cylinder,
                              Criterion::leastsquares,
                              {1, 0, 0, 1, -1, 0, 1, 2, 1, 0, 2, 3},
                              2,
                              2,
                              "a cylinder needs points of 3 coordinates, not 2"},
                      Refused{"CollinearCylinder",
                              Feature::cylinder,
                              Criterion::circumscribed,
                              {0, 0, 0, 1, 1, 1, 2, 2, 2, 3, 3, 3, 5, 5, 5},
                              3,
                              3,
                              "the points lie on one line, which determines no cylinder"},
                      Refused{"OneSectionCylinder",
                              Feature::cylinder,
                              Criterion::minimumzone,
                              {1, 0, 5, 0, 1, 5, -1, 0, 5, 0, -1, 5, 0.6, 0.8, 5, -0.8, 0.6, 5},
                              3,
                              3,
                              "the points lie in one plane (a single section), which determines "
                              "no cylinder axis"},
                      Refused{"InscribedPlane",
                              Feature::plane,
                              Criterion::inscribed,
                              {0, 0, 0, 1, 0, 0, 0, 1, 0, 1, 1, 1},
                              3,
                              3,
                              "a plane has no inscribed reference"}),
    ::formeval::test::namedby([](const Refused& c) { return c.name; }));

// Typical data of each feature, off the origin and turned.
Cloud typical(Feature f) {
    switch (f) {
    case Feature::line:
        return moved(turned(line(60, 40, 0.01, 3), 0.3, {0, 0, 1}), {5, -7, 0});
    case Feature::plane:
        return moved(turned(plane(80, 30, 0.02, 4), 0.4, {1, 2, 0}), {1, 2, 3});
    case Feature::circle:
        return circle(72, 12.5, 30, -40, 0.02, 360, 5);
    case Feature::sphere:
        return sphere(90, 8, {3, -2, 10}, 0.01, 180, 6);
    case Feature::cylinder:
        return moved(turned(cylinder(6, 40, 12, 30, 0.01, 0.01, 360, 7), 0.7, {1, -2, 0.5}),
                     {4, -3, 8});
    case Feature::cone:
        return moved(turned(cone(6, 40, 12, 20, 30, 0.01, 0.01, 8), 1.1, {1, 0.5, -2}), {-6, 2, 9});
    }
    return {};
}

struct Kind {
    Feature feature;
    Criterion criterion;
};

std::vector<Kind> kinds() {
    std::vector<Kind> out;
    for (const FeatureTraits& f : features)
        for (const Criterion c : {Criterion::leastsquares, Criterion::minimumzone,
                                  Criterion::circumscribed, Criterion::inscribed})
            if (applies(c, f.feature)) out.push_back({f.feature, c});
    return out;
}

std::string kindname(const Kind& k) {
    return std::string(featurename(k.feature)) + " " + criterionname(k.criterion);
}

class Every : public ::testing::TestWithParam<Kind> {};

// The size of the numbers a deviation is formed from.
double size(const Reference& r) {
    return std::isnan(r.radius) ? 100 : std::fabs(r.radius) + 100;
}

// Equal, or both not a number.
bool same(double a, double b) {
    return a == b || (std::isnan(a) && std::isnan(b));
}

TEST_P(Every, NumbersRecomputeFromTheFields) {
    Cloud c = typical(GetParam().feature);
    const Reference r = evaluate(c.view(), GetParam().feature, GetParam().criterion);
    ASSERT_TRUE(r.found) << r.failure;
    const std::vector<double> d = deviations(c, r);
    ASSERT_EQ(r.deviations.size(), d.size());
    double top = -1e300, bottom = 1e300, squares = 0;
    for (std::size_t i = 0; i < d.size(); ++i) {
        EXPECT_NEAR(r.deviations[i], d[i], 1e-12 * (1 + size(r)));
        top = std::max(top, d[i]);
        bottom = std::min(bottom, d[i]);
        squares += d[i] * d[i];
    }
    const double tiny = 1e-12 * (1 + size(r));
    EXPECT_NEAR(r.p, std::max(top, 0.0), tiny);
    EXPECT_NEAR(r.v, std::max(-bottom, 0.0), tiny);
    EXPECT_NEAR(r.t, r.p + r.v, tiny);
    EXPECT_NEAR(r.q, std::sqrt(squares / d.size()), tiny);
    switch (GetParam().criterion) {
    case Criterion::minimumzone:
        EXPECT_NEAR(r.p, r.v, tiny);
        break;
    case Criterion::circumscribed:
        EXPECT_EQ(r.p, 0);
        break;
    case Criterion::inscribed:
        EXPECT_EQ(r.v, 0);
        break;
    case Criterion::leastsquares:
        EXPECT_TRUE(std::isnan(r.certificate.lower));
        break;
    }
    if (GetParam().criterion != Criterion::leastsquares) {
        EXPECT_TRUE(r.certificate.certified) << r.certificate.why;
        EXPECT_LE(r.certificate.lower, r.certificate.upper);
        const double achieved = GetParam().criterion == Criterion::minimumzone ? r.t : r.radius;
        EXPECT_EQ(GetParam().criterion == Criterion::inscribed ? r.certificate.lower
                                                               : r.certificate.upper,
                  achieved);
    }
    const bool flat = r.feature == Feature::line || r.feature == Feature::circle;
    EXPECT_EQ(std::isnan(r.point[2]), flat);
    EXPECT_EQ(std::isnan(r.radius), r.feature == Feature::line || r.feature == Feature::plane);
}

// A change of place, turn, unit or order changes no form parameter.
TEST_P(Every, InvariantUnderMotionScaleAndOrder) {
    const Kind k = GetParam();
    Cloud c = typical(k.feature);
    const Reference r = evaluate(c.view(), k.feature, k.criterion);
    ASSERT_TRUE(r.found);
    const P3 axis = c.dim == 2 ? P3{0, 0, 1} : P3{0.3, -1, 0.5};
    std::vector<std::pair<std::string, Cloud>> variants = {
        {"turned", turned(c, 2.1, axis)},
        {"moved", moved(c, {1234.5, -987.25, 55})},
        {"shuffled", shuffled(c, 9)},
        {"inches", scaled(c, 1 / 25.4)}};
    for (auto& [name, v] : variants) {
        const Reference s = evaluate(v.view(), k.feature, k.criterion);
        ASSERT_TRUE(s.found) << name;
        const double factor = name == "inches" ? 1 / 25.4 : 1;
        EXPECT_NEAR(s.t, r.t * factor, 1e-9 * r.t * factor + 1e-12) << name;
        EXPECT_NEAR(s.q, r.q * factor, 1e-9 * r.q * factor + 1e-12) << name;
        if (!std::isnan(r.radius)) {
            EXPECT_NEAR(s.radius, r.radius * factor, 1e-9 * r.radius * factor) << name;
        }
        EXPECT_EQ(s.certificate.certified, r.certificate.certified) << name;
    }
}

// Points read through a wider stride (a fourth column ignored) give the same.
TEST_P(Every, StrideIsHonoured) {
    const Kind k = GetParam();
    Cloud c = typical(k.feature);
    const Reference r = evaluate(c.view(), k.feature, k.criterion);
    std::vector<double> wide;
    for (const P3& q : c.p) {
        for (int j = 0; j < c.dim; ++j) wide.push_back(q[j]);
        wide.push_back(-1e300); // not a coordinate
    }
    const Points p{wide.data(), c.p.size(), c.dim, static_cast<std::size_t>(c.dim + 1)};
    const Reference s = evaluate(p, k.feature, k.criterion);
    EXPECT_EQ(s.t, r.t);
    EXPECT_EQ(s.deviations, r.deviations);
}

// Every thread gets the same bits as a lone call.
TEST_P(Every, SameOnEveryCallAndThread) {
    const Kind k = GetParam();
    Cloud c = typical(k.feature);
    const Points p = c.view();
    const Reference alone = evaluate(p, k.feature, k.criterion);
    std::vector<Reference> got(4);
    std::vector<std::thread> threads;
    for (Reference& g : got) threads.emplace_back([&] { g = evaluate(p, k.feature, k.criterion); });
    for (std::thread& t : threads) t.join();
    for (const Reference& g : got) {
        for (int k = 0; k < 3; ++k) EXPECT_TRUE(same(g.point[k], alone.point[k]));
        EXPECT_EQ(g.t, alone.t);
        EXPECT_TRUE(same(g.certificate.lower, alone.certificate.lower));
    }
}

TEST_P(Every, OptionsLeaveOutDeviationsAndCertificate) {
    const Kind k = GetParam();
    Cloud c = typical(k.feature);
    Options o;
    o.deviations = false;
    o.certificate = false;
    const Reference full = evaluate(c.view(), k.feature, k.criterion);
    const Reference bare = evaluate(c.view(), k.feature, k.criterion, o);
    EXPECT_TRUE(bare.deviations.empty());
    EXPECT_EQ(bare.t, full.t);
    EXPECT_FALSE(bare.certificate.certified);
    EXPECT_FALSE(bare.certificate.why.empty());
}

INSTANTIATE_TEST_SUITE_P(Features, Every, ::testing::ValuesIn(kinds()),
                         ::formeval::test::namedby(kindname));

// Large sets take other paths (a working set checked against every point,
// rows computed afresh on each pass): their minimum zone is that of their
// points farthest out and in, found on the small sets' path. Each set is made
// by the case that uses it, not when the cases are registered: every case runs
// in a process of its own, which would otherwise make them all.
struct Large {
    std::string name;
    Feature feature;
    Cloud (*points)();
};

class LargeSet : public ::testing::TestWithParam<Large> {};

TEST_P(LargeSet, MinimumZoneIsThatOfItsExtremePoints) {
    Cloud c = GetParam().points();
    const Reference all = evaluate(c.view(), GetParam().feature, Criterion::minimumzone);
    ASSERT_TRUE(all.found) << all.failure;
    EXPECT_TRUE(all.certificate.certified) << all.certificate.why;
    std::vector<std::pair<double, std::size_t>> order;
    for (std::size_t i = 0; i < c.p.size(); ++i) order.emplace_back(all.deviations[i], i);
    std::sort(order.begin(), order.end());
    Cloud extremes;
    extremes.dim = c.dim;
    for (std::size_t k = 0; k < 300; ++k) {
        extremes.p.push_back(c.p[order[k].second]);
        extremes.p.push_back(c.p[order[order.size() - 1 - k].second]);
    }
    const Reference few = evaluate(extremes.view(), GetParam().feature, Criterion::minimumzone);
    ASSERT_TRUE(few.certificate.certified) << few.certificate.why;
    EXPECT_NEAR(all.t, few.t, 1e-9 * all.t);
}

INSTANTIATE_TEST_SUITE_P(
    Features, LargeSet,
    ::testing::Values(
        Large{"Circle2200000", Feature::circle,
              [] { return circle(2200000, 25, 3, 4, 0.01, 360, 1); }},
        Large{"Arc20000", Feature::circle, [] { return circle(20000, 25, 3, 4, 0.01, 120, 2); }},
        Large{"Line20000", Feature::line,
              [] {
                  return turned(line(20000, 90, 0.01, 3), 1, {0, 0, 1});
              }},
        Large{"Plane20000", Feature::plane, [] { return plane(20000, 40, 0.01, 4); }},
        Large{"Sphere20000", Feature::sphere,
              [] {
                  return sphere(20000, 8, {1, 2, 3}, 0.01, 180, 5);
              }},
        Large{"Cylinder20000", Feature::cylinder,
              [] {
                  return turned(cylinder(10, 2000, 20, 60, 0.005, 0.004, 360, 6), 0.5, {1, 1, 0});
              }}),
    ::formeval::test::namedby([](const Large& l) { return l.name; }));

TEST(Features, NamesForMessagesAndIsoParameters) {
    EXPECT_STREQ(isostem(Feature::circle), "RON");
    EXPECT_STREQ(isostem(Feature::line), "STR");
    EXPECT_STREQ(isostem(Feature::plane), "FLT");
    EXPECT_STREQ(isostem(Feature::sphere), "SPH");
    EXPECT_STREQ(isostem(Feature::cylinder), "CYL");
    EXPECT_STREQ(isostem(Feature::cone), "CON");
    EXPECT_STREQ(criterionname(Criterion::minimumzone), "minimum zone");
}

// A plane's normal and a line's direction point the way of their largest
// component, whichever way the fit found them.
TEST(Features, OrientationIsFixed) {
    Cloud up = plane(50, 10, 0.01, 2);
    Cloud down = turned(up, std::acos(-1.0), {1, 0, 0}); // upside down
    for (Cloud* c : {&up, &down}) {
        const Reference r = evaluate(c->view(), Feature::plane, Criterion::minimumzone);
        EXPECT_GT(r.direction[2], 0.99);
    }
    Cloud l = turned(line(30, 10, 0.01, 2), 2.5, {0, 0, 1}); // pointing left and up
    const Reference r = evaluate(l.view(), Feature::line, Criterion::leastsquares);
    EXPECT_GT(std::fabs(r.direction[0]) >= std::fabs(r.direction[1]) ? r.direction[0]
                                                                     : r.direction[1],
              0);
}

// The spread that decides a degenerate set, at every ratio of it to the
// strongest: below 1e-8 refused, above taken. Pairs of points either side of
// a line (of a plane for the sphere) at exactly that ratio of spreads, turned
// and moved; the covariance's eigenvalues lost such ratios to rounding (5.4e-12
// was taken, 5e-9 refused).
struct Spread {
    Feature feature;
    double ratio;
};

Cloud nearlydegenerate(Feature f, double ratio) {
    Cloud c;
    c.dim = traits(f).dimension;
    constexpr int n = 21;
    double rms = 0;
    for (int k = 0; k < n; ++k) rms += std::pow(-10 + 20.0 * k / (n - 1), 2);
    rms = std::sqrt(rms / n);
    for (int k = 0; k < n; ++k)
        for (const double side : {-1.0, 1.0}) {
            const double x = -10 + 20.0 * k / (n - 1), off = side * ratio * rms;
            if (f == Feature::sphere) {
                // A plate (two equal spreads) and the weakest across it.
                c.p.push_back({x, k % 2 ? rms : -rms, off});
            } else {
                c.p.push_back({x, off, 0});
            }
        }
    const P3 axis = c.dim == 3 ? P3{1, -1, 2} : P3{0, 0, 1};
    return moved(turned(c, 0.7, axis), {3, -2, c.dim == 3 ? 5.0 : 0.0});
}

class Degenerate : public ::testing::TestWithParam<Spread> {};

TEST_P(Degenerate, RefusedExactlyBelowTheRatio) {
    const Spread s = GetParam();
    Cloud c = nearlydegenerate(s.feature, s.ratio);
    const Reference r = evaluate(c.view(), s.feature, Criterion::leastsquares);
    EXPECT_EQ(r.found, s.ratio > 1e-8) << r.failure;
    if (!r.found) {
        EXPECT_EQ(r.failure,
                  s.feature == Feature::sphere
                      ? "the points lie on one plane or circle, which determines no sphere"
                      : std::string("the points lie on one line, which determines no ") +
                            featurename(s.feature));
    }
}

std::vector<Spread> spreads() {
    std::vector<Spread> out;
    for (const Feature f : {Feature::plane, Feature::circle, Feature::sphere})
        for (const double ratio : {1e-14, 1e-13, 5.4e-12, 5e-11, 1e-10, 5e-10, 1e-9, 5e-9, 9e-9,
                                   1.1e-8, 2e-8, 1e-7, 1e-6})
            out.push_back({f, ratio});
    return out;
}

std::string rationame(double r) {
    // 5.4e-12 as 54Em13: the mantissa's two digits and the exponent.
    const int e = static_cast<int>(std::floor(std::log10(r) + 1e-9));
    const long m = std::lround(r / std::pow(10.0, e) * 10);
    return std::to_string(m) + "Em" + std::to_string(1 - e);
}

INSTANTIATE_TEST_SUITE_P(Ratios, Degenerate, ::testing::ValuesIn(spreads()),
                         ::formeval::test::namedby([](const Spread& s) {
                             std::string f = featurename(s.feature);
                             f[0] = static_cast<char>(f[0] - 'a' + 'A');
                             return f + rationame(s.ratio);
                         }));

} // namespace
} // namespace formeval::pointset::test
