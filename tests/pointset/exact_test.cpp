// The exact references against independent brute force on small random sets
// (every reference set of the Chebyshev fits, every candidate centre of the
// minimum-zone circle, every pair and triple for the enclosing circle, a fine
// grid for the inscribed circle), their invariance under translation,
// rotation and a change of unit, and the NIST circle set 14.
#include "pointset/pointset.h"
#include "tests/circles/support.h"
#include "tests/fit/bruteforce.h"
#include "tests/harness/harness.h"

#include <cmath>
#include <fstream>
#include <gtest/gtest.h>
#include <random>

namespace formeval::pointset {
namespace {

const double pi = std::acos(-1.0);

bool near(double a, double b, double relative) {
    return std::fabs(a - b) <= relative * std::max(std::fabs(a), std::fabs(b));
}

// numpt points on an arc of `degrees` about (cx, cy) of radius r, at
// jittered angles, with radial noise.
std::vector<Point> arcpoints(std::mt19937& gen, int numpt, double degrees, double cx, double cy,
                             double r, double noise) {
    std::normal_distribution<double> radial(0, noise);
    std::uniform_real_distribution<double> jitter(-0.3, 0.3);
    const double span = degrees * pi / 180;
    const double step = degrees >= 360 ? span / numpt : span / (numpt - 1);
    std::vector<Point> p;
    for (int i = 0; i < numpt; ++i) {
        const double t = std::clamp((i + jitter(gen)) * step, 0.0, span);
        const double ri = r + radial(gen);
        p.push_back({cx + ri * std::cos(t), cy + ri * std::sin(t), 0});
    }
    return p;
}

// Spread of the distances from (x, y) to the points.
double radialzone(const std::vector<Point>& p, double x, double y) {
    double high = 0, low = INFINITY;
    for (const Point& q : p) {
        const double d = std::hypot(q[0] - x, q[1] - y);
        high = std::max(high, d);
        low = std::min(low, d);
    }
    return high - low;
}

// The minimum-zone circle's value by every candidate centre: a local minimum
// of the zone has three points at one edge (a circumcentre) or two at each
// (where two perpendicular bisectors cross).
double bruteminzone(const std::vector<Point>& p) {
    const int n = static_cast<int>(p.size());
    double best = INFINITY;
    for (int i = 0; i < n; ++i)
        for (int j = i + 1; j < n; ++j)
            for (int k = j + 1; k < n; ++k) {
                const test::Circle c =
                    test::circumcircle(p[i][0], p[i][1], p[j][0], p[j][1], p[k][0], p[k][1]);
                if (c.r >= 0) best = std::min(best, radialzone(p, c.x, c.y));
            }
    // Bisector of a, b: points x with 2 (b - a).x = |b|^2 - |a|^2.
    const auto bisector = [&](int a, int b, double& u, double& v, double& w) {
        u = 2 * (p[b][0] - p[a][0]);
        v = 2 * (p[b][1] - p[a][1]);
        w = p[b][0] * p[b][0] + p[b][1] * p[b][1] - p[a][0] * p[a][0] - p[a][1] * p[a][1];
    };
    for (int i = 0; i < n; ++i)
        for (int j = i + 1; j < n; ++j)
            for (int k = 0; k < n; ++k)
                for (int l = k + 1; l < n; ++l) {
                    if (k == i || k == j || l == i || l == j) continue;
                    double a1, b1, c1, a2, b2, c2;
                    bisector(i, j, a1, b1, c1);
                    bisector(k, l, a2, b2, c2);
                    const double det = a1 * b2 - a2 * b1;
                    if (std::fabs(det) < 1e-12 * (std::fabs(a1 * b2) + std::fabs(a2 * b1)))
                        continue;
                    best = std::min(
                        best, radialzone(p, (c1 * b2 - c2 * b1) / det, (a1 * c2 - a2 * c1) / det));
                }
    return best;
}

// Smallest circle through a pair (as diameter) or a triple that holds every
// point.
double bruteenclosing(const std::vector<Point>& p) {
    const int n = static_cast<int>(p.size());
    double best = INFINITY;
    const auto holds = [&](double x, double y, double r) {
        for (const Point& q : p)
            if (std::hypot(q[0] - x, q[1] - y) > r * (1 + 1e-12)) return false;
        return true;
    };
    for (int i = 0; i < n; ++i)
        for (int j = i + 1; j < n; ++j) {
            const double x = (p[i][0] + p[j][0]) / 2, y = (p[i][1] + p[j][1]) / 2;
            const double r = std::hypot(p[i][0] - x, p[i][1] - y);
            if (r < best && holds(x, y, r)) best = r;
            for (int k = j + 1; k < n; ++k) {
                const test::Circle c =
                    test::circumcircle(p[i][0], p[i][1], p[j][0], p[j][1], p[k][0], p[k][1]);
                if (c.r >= 0 && c.r < best && holds(c.x, c.y, c.r)) best = c.r;
            }
        }
    return best;
}

// Convex hull counterclockwise, for the grid search's containment test.
std::vector<Point> hull(std::vector<Point> p) {
    std::sort(p.begin(), p.end());
    const auto turn = [](const Point& o, const Point& a, const Point& b) {
        return (a[0] - o[0]) * (b[1] - o[1]) - (a[1] - o[1]) * (b[0] - o[0]);
    };
    std::vector<Point> h;
    for (int pass = 0; pass < 2; ++pass) {
        const std::size_t base = h.size();
        for (const Point& q : p) {
            while (h.size() >= base + 2 && turn(h[h.size() - 2], h.back(), q) <= 0) h.pop_back();
            h.push_back(q);
        }
        h.pop_back();
        std::reverse(p.begin(), p.end());
    }
    return h;
}

// Largest empty circle centred in the hull, by a grid of `steps`^2 centres
// over the points' bounding box. Returns the best radius and the grid step.
std::pair<double, double> gridinscribed(const std::vector<Point>& p, int steps) {
    const std::vector<Point> h = hull(p);
    double x0 = INFINITY, x1 = -INFINITY, y0 = INFINITY, y1 = -INFINITY;
    for (const Point& q : p) {
        x0 = std::min(x0, q[0]), x1 = std::max(x1, q[0]);
        y0 = std::min(y0, q[1]), y1 = std::max(y1, q[1]);
    }
    const double step = std::max(x1 - x0, y1 - y0) / steps;
    double best = 0;
    for (double x = x0; x <= x1; x += step)
        for (double y = y0; y <= y1; y += step) {
            bool inside = true;
            for (std::size_t k = 0; k < h.size() && inside; ++k) {
                const Point& a = h[k];
                const Point& b = h[(k + 1) % h.size()];
                inside = (b[0] - a[0]) * (y - a[1]) - (b[1] - a[1]) * (x - a[0]) >= 0;
            }
            if (!inside) continue;
            double r = INFINITY;
            for (const Point& q : p) r = std::min(r, std::hypot(q[0] - x, q[1] - y));
            best = std::max(best, r);
        }
    return {best, step};
}

struct RandomCase {
    int seed;
    int points;
    double degrees; // the arc the points span; 360: all round
};

std::string casename(const ::testing::TestParamInfo<RandomCase>& info) {
    return "seed" + std::to_string(info.param.seed) + "_" + std::to_string(info.param.points) +
           "points_" + std::to_string(static_cast<int>(info.param.degrees)) + "degrees";
}

class RandomCircleTest : public ::testing::TestWithParam<RandomCase> {
  protected:
    std::vector<Point> points() const {
        const RandomCase c = GetParam();
        std::mt19937 gen(c.seed);
        return arcpoints(gen, c.points, c.degrees, 3.5, -1.25, 10, 0.05);
    }
};

TEST_P(RandomCircleTest, MinimumZoneIsTheBestCandidateCentre) {
    const std::vector<Point> p = points();
    const RadialZone z = minzone(p, 2);
    ASSERT_TRUE(z.found);
    const double brute = bruteminzone(p);
    EXPECT_TRUE(near(z.zone, brute, 1e-9)) << z.zone << " against " << brute;
    EXPECT_TRUE(near(radialzone(p, z.centre[0], z.centre[1]), z.zone, 1e-12));
    EXPECT_TRUE(z.certificate.certified) << z.certificate.why;
    EXPECT_LE(z.certificate.lower, brute * (1 + 1e-12));
}

TEST_P(RandomCircleTest, EnclosingCircleIsTheSmallestThroughAPairOrTriple) {
    const std::vector<Point> p = points();
    const ExtremeCircle c = enclosingcircle(p);
    ASSERT_TRUE(c.found);
    EXPECT_TRUE(near(c.r, bruteenclosing(p), 1e-12)) << c.r;
    EXPECT_TRUE(c.certificate.certified) << c.certificate.why;
    EXPECT_GE(c.support.size(), 2u);
    for (const int i : c.support)
        EXPECT_TRUE(near(std::hypot(p[i][0] - c.x, p[i][1] - c.y), c.r, 1e-12));
}

TEST_P(RandomCircleTest, InscribedCircleBeatsEveryGridCentreByLessThanAStep) {
    const std::vector<Point> p = points();
    const ExtremeCircle c = inscribedcircle(p);
    ASSERT_TRUE(c.found);
    EXPECT_TRUE(c.certificate.certified) << c.certificate.why;
    for (const Point& q : p) EXPECT_GE(std::hypot(q[0] - c.x, q[1] - c.y), c.r * (1 - 1e-12));
    const auto [grid, step] = gridinscribed(p, 400);
    EXPECT_GE(c.r, grid * (1 - 1e-12));
    EXPECT_LE(c.r, grid + step * std::sqrt(0.5)) << "the grid comes within half a diagonal";
    // Points all round hold the circle from every side; on an arc the hull does.
    EXPECT_EQ(c.onhull, GetParam().degrees < 180);
}

INSTANTIATE_TEST_SUITE_P(Sets, RandomCircleTest,
                         ::testing::Values(RandomCase{1, 7, 360}, RandomCase{2, 8, 360},
                                           RandomCase{3, 9, 360}, RandomCase{4, 10, 360},
                                           RandomCase{5, 12, 360}, RandomCase{6, 8, 270},
                                           RandomCase{7, 9, 200}, RandomCase{8, 10, 90},
                                           RandomCase{9, 12, 150}),
                         casename);

// Many more sets, the minimum zone only: full circles with little noise, and
// arcs with much, where the exchange may stop on a centre that is not the
// best. A certified zone is the brute-force optimum; an uncertified one is
// never below it.
TEST(Minzone, AgreesWithBruteForceOnManyRandomCircles) {
    int certified = 0;
    constexpr int sets = 120;
    for (int seed = 100; seed < 100 + sets; ++seed) {
        std::mt19937 gen(seed);
        const bool arc = seed % 2;
        const double degrees = arc ? 40 + seed % 7 * 50 : 360;
        const double noise = arc ? 0.0001 * std::pow(10, seed % 4) : 0.002;
        const std::vector<Point> p = arcpoints(gen, 6 + seed % 5, degrees, 0, 0, 25, noise);
        const RadialZone z = minzone(p, 2);
        ASSERT_TRUE(z.found);
        const double brute = bruteminzone(p);
        const double rounding = 1e-13; // a few units in the last place of radius 25
        EXPECT_GE(z.zone, brute - rounding) << "seed " << seed;
        if (z.certificate.certified) {
            ++certified;
            EXPECT_TRUE(near(z.zone, brute, 1e-9)) << "seed " << seed;
            EXPECT_LE(z.certificate.lower, brute + rounding) << "seed " << seed;
        } else {
            EXPECT_TRUE(arc) << "seed " << seed << ": " << z.certificate.why;
        }
    }
    EXPECT_GE(certified, sets * 9 / 10);
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

struct Change {
    const char* name;
    double scale, angle, dx, dy;
};

class InvarianceTest : public ::testing::TestWithParam<Change> {};

// Moving, turning or rescaling the points moves, turns or rescales every
// reference with them.
TEST_P(InvarianceTest, ReferencesFollowTheirPoints) {
    const Change k = GetParam();
    std::mt19937 gen(77);
    const std::vector<Point> p = arcpoints(gen, 40, 360, 12, -7, 25, 0.002);
    std::vector<Point> q = p;
    const double c = std::cos(k.angle), s = std::sin(k.angle);
    for (Point& e : q)
        e = {k.scale * (c * e[0] - s * e[1]) + k.dx, k.scale * (s * e[0] + c * e[1]) + k.dy, 0};
    const RadialZone z0 = minzone(p, 2), z1 = minzone(q, 2);
    EXPECT_TRUE(near(z1.zone, k.scale * z0.zone, 1e-9));
    EXPECT_TRUE(z0.certificate.certified && z1.certificate.certified);
    const ExtremeCircle e0 = enclosingcircle(p), e1 = enclosingcircle(q);
    EXPECT_TRUE(near(e1.r, k.scale * e0.r, 1e-12));
    EXPECT_EQ(e0.support, e1.support);
    const ExtremeCircle i0 = inscribedcircle(p), i1 = inscribedcircle(q);
    EXPECT_TRUE(near(i1.r, k.scale * i0.r, 1e-12));
    EXPECT_EQ(i0.support, i1.support);
    // The centre moves with the points.
    EXPECT_NEAR(i1.x, k.scale * (c * i0.x - s * i0.y) + k.dx, 1e-9 * k.scale * 25);
}

INSTANTIATE_TEST_SUITE_P(
    Changes, InvarianceTest,
    ::testing::Values(Change{"translation", 1, 0, 1000, -250}, Change{"rotation", 1, 1.234, 0, 0},
                      Change{"micrometres", 1000, 0, 0, 0}, Change{"all", 0.001, -2.5, 0.3, 0.7},
                      // Squares of these coordinates underflow.
                      Change{"farbelowunit", 1e-200, 0.5, 0, 0}),
    [](const ::testing::TestParamInfo<Change>& info) { return std::string(info.param.name); });

std::vector<Point> nist14(double unit) {
    std::ifstream ds(test::testdata("nist-circle2d/cir2d14.ds"));
    int numpt = 0;
    ds >> numpt;
    std::vector<Point> p(numpt);
    for (Point& q : p) {
        double x, y, z;
        ds >> x >> y >> z;
        q = {unit * x, unit * z, 0}; // the set lies in a plane y = const
    }
    return p;
}

// NIST circle set 14, a half circle: its exact minimum zone is the same
// in millimetres and micrometres, and below what formeval's exchange finds.
TEST(Minzone, NistSet14InMillimetresAndMicrometres) {
    const RadialZone mm = minzone(nist14(1), 2);
    const RadialZone um = minzone(nist14(1000), 2);
    ASSERT_TRUE(mm.found && um.found);
    EXPECT_TRUE(near(um.zone, 1000 * mm.zone, 1e-9)) << mm.zone << " " << um.zone;
    EXPECT_TRUE(mm.certificate.certified) << mm.certificate.why;
    EXPECT_TRUE(um.certificate.certified) << um.certificate.why;
    EXPECT_NEAR(mm.zone, 0.0259085, 5e-8);
    EXPECT_NEAR(bruteminzone(nist14(1)), mm.zone, 1e-9 * mm.zone);
}

TEST(Minzone, SphereAgainstRandomStartsOfALocalSearch) {
    std::mt19937 gen(5);
    std::normal_distribution<double> noise(0, 0.003);
    std::uniform_real_distribution<double> unit(-1, 1);
    std::vector<Point> p;
    while (p.size() < 30) {
        Point d = {unit(gen), unit(gen), unit(gen)};
        const double length = std::hypot(d[0], d[1], d[2]);
        if (length > 1 || length < 0.1) continue;
        const double r = 12.5 + noise(gen);
        p.push_back({40 + r * d[0] / length, -25 + r * d[1] / length, 60 + r * d[2] / length});
    }
    const RadialZone z = minzone(p, 3);
    ASSERT_TRUE(z.found);
    EXPECT_TRUE(z.certificate.certified) << z.certificate.why;
    // No centre near the one found, on a fine lattice, does better.
    const auto zone = [&](double x, double y, double w) {
        double high = 0, low = INFINITY;
        for (const Point& q : p) {
            const double d = std::hypot(q[0] - x, q[1] - y, q[2] - w);
            high = std::max(high, d), low = std::min(low, d);
        }
        return high - low;
    };
    EXPECT_NEAR(zone(z.centre[0], z.centre[1], z.centre[2]), z.zone, 1e-12);
    for (int i = -10; i <= 10; ++i)
        for (int j = -10; j <= 10; ++j)
            for (int k = -10; k <= 10; ++k)
                EXPECT_GE(
                    zone(z.centre[0] + 1e-3 * i, z.centre[1] + 1e-3 * j, z.centre[2] + 1e-3 * k),
                    z.zone * (1 - 1e-12));
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

TEST(Inradius, DepthOfTheOriginInTheHull) {
    // A square of half-side 1 about the origin: depth 1; shifted by 3: outside.
    const std::vector<Vector> square = {{1, 1, 0}, {-1, 1, 0}, {-1, -1, 0}, {1, -1, 0}};
    EXPECT_NEAR(inradius(square, 2), 1, 1e-15);
    std::vector<Vector> shifted = square;
    for (Vector& v : shifted) v[0] += 3;
    EXPECT_LT(inradius(shifted, 2), 0);
    EXPECT_NEAR(inradius({{2, 0, 0}, {-0.5, 0, 0}}, 1), 0.5, 0);
    // The octahedron of the unit axes: faces at 1 / sqrt 3.
    const std::vector<Vector> octahedron = {{1, 0, 0},  {-1, 0, 0}, {0, 1, 0},
                                            {0, -1, 0}, {0, 0, 1},  {0, 0, -1}};
    EXPECT_NEAR(inradius(octahedron, 3), 1 / std::sqrt(3.0), 1e-15);
    EXPECT_LT(inradius({{1, 0, 0}, {0, 1, 0}, {0, 0, 1}, {1, 1, 1}}, 3), 0);
}

} // namespace
} // namespace formeval::pointset
