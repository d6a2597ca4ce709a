// Cones against what is known of them: exact cones and trilobed ones whose
// zone is known, the same cone turned and moved anywhere, the deviations
// recomputed from the reported fields, and the optimum against small moves of
// every parameter of it.
#include "pointset/cylinder.h"
#include "pointset/pointset.h"
#include "tests/pointset/support.h"

#include <cmath>
#include <gtest/gtest.h>
#include <random>

namespace formeval::pointset::test {
namespace {

const double pi = std::acos(-1.0);

P3 unit(const P3& a) {
    const double l = std::sqrt(a[0] * a[0] + a[1] * a[1] + a[2] * a[2]);
    return {a[0] / l, a[1] / l, a[2] / l};
}

struct Known {
    std::string name;
    double r, half, length; // radius at z = 0, half apex angle (degrees), length along the axis
    double angle;           // the whole cone turned by this about (1, 2, 0.5), then moved
};

std::vector<Known> knowns() {
    return {
        {"Taper", 20, 5.7, 60, 0},      {"Steep", 15, 30, 20, 0.9}, {"Slight", 10, 0.5, 80, 2.0},
        {"Countersink", 8, 45, 6, 0.4}, {"Flat", 30, 70, 8, 1.3},   {"Narrowing", 12, 10, 30, pi},
    };
}

const P3 about = {1, 2, 0.5}, by = {10, -20, 5};

Cloud placed(const Cloud& c, const Known& k) {
    return moved(turned(c, k.angle, about), by);
}
// The nominal axis as the points were placed.
P3 axisof(const Known& k) {
    Cloud a;
    a.dim = 3;
    a.p = {{0, 0, 0}, {0, 0, 1}};
    a = turned(a, k.angle, about);
    return unit(a.p[1]);
}

class Form : public ::testing::TestWithParam<Known> {};

// The fields describe the cone: the deviations recomputed from them are the
// reported ones, their spread is t, and the axis is the nominal one, pointing
// the way the cone widens.
void describes(const Cloud& c, const Reference& r, const Known& k) {
    ASSERT_TRUE(r.found) << r.failure;
    const std::vector<double> d = deviations(c, r);
    double top = -1e300, bottom = 1e300;
    for (std::size_t i = 0; i < d.size(); ++i) {
        EXPECT_NEAR(d[i], r.deviations[i], 1e-12 * k.r);
        top = std::max(top, d[i]);
        bottom = std::min(bottom, d[i]);
    }
    EXPECT_NEAR(top - bottom, r.t, 1e-12 * k.r);
    const P3 u = axisof(k);
    EXPECT_NEAR(r.direction[0] * u[0] + r.direction[1] * u[1] + r.direction[2] * u[2], 1, 1e-12);
    EXPECT_NEAR(r.angle, k.half / 180 * pi, 1e-10);
}

TEST_P(Form, ExactConeIsFoundByEitherCriterion) {
    const Known& k = GetParam();
    Cloud c = placed(cone(7, 36, k.r, k.half, k.length, 0, 0, 1), k);
    for (const Criterion crit : {Criterion::leastsquares, Criterion::minimumzone}) {
        const Reference r = evaluate(c.view(), Feature::cone, crit);
        describes(c, r, k);
        EXPECT_LT(r.t, 1e-11 * k.r) << criterionname(crit);
    }
}

// A trilobe across the surface, sampled through its peaks and valleys: the
// nominal cone holds it in a zone of 2a, and six points a section alternate at
// its edges, which no other cone narrows.
TEST_P(Form, TrilobedConeHasTheZoneOfItsLobes) {
    const Known& k = GetParam();
    const double a = 0.004;
    Cloud c = placed(cone(7, 36, k.r, k.half, k.length, a, 0, 1), k);
    const Reference r = evaluate(c.view(), Feature::cone, Criterion::minimumzone);
    describes(c, r, k);
    EXPECT_NEAR(r.t, 2 * a, 1e-9 * 2 * a);
    EXPECT_NEAR(r.p, r.v, 1e-12);
    // Its radius at the reported point is the nominal cone's there.
    const P3 u = axisof(k);
    const double h =
        (r.point[0] - by[0]) * u[0] + (r.point[1] - by[1]) * u[1] + (r.point[2] - by[2]) * u[2];
    EXPECT_NEAR(r.radius, k.r + h * std::tan(k.half / 180 * pi), 1e-9 * k.r);
    // The bracket holds 2a, and proves it but where the cone nears a plane.
    EXPECT_LE(r.certificate.lower, 2 * a * (1 + 1e-9));
    EXPECT_EQ(r.certificate.upper, r.t);
    if (k.half < 60) { EXPECT_TRUE(r.certificate.certified) << r.certificate.why; }
}

// A set large enough to be fitted on a working set checked against every
// point, its rows computed afresh on each pass.
TEST(Cone, LargeTrilobedConeOnAWorkingSet) {
    const Known k{"Large", 20, 12, 50, 0.8};
    const double a = 0.003;
    Cloud c = placed(cone(20, 1200, k.r, k.half, k.length, a, 0, 1), k);
    const Reference r = evaluate(c.view(), Feature::cone, Criterion::minimumzone);
    describes(c, r, k);
    EXPECT_NEAR(r.t, 2 * a, 1e-9 * 2 * a);
}

INSTANTIATE_TEST_SUITE_P(Cones, Form, ::testing::ValuesIn(knowns()),
                         [](const auto& info) { return info.param.name; });

// The zone and the sum of squares of the points about a cone given by its
// fields, each moved by a small amount: independent of the library's kernels.
double zone(const Cloud& c, const Reference& r) {
    const std::vector<double> d = deviations(c, r);
    return *std::max_element(d.begin(), d.end()) - *std::min_element(d.begin(), d.end());
}
double squares(const Cloud& c, const Reference& r) {
    const std::vector<double> d = deviations(c, r);
    double sum = 0, sum2 = 0;
    for (const double e : d) sum += e, sum2 += e * e;
    return sum2 - sum * sum / static_cast<double>(d.size());
}
Reference nudged(Reference r, std::mt19937& g, double size) {
    std::uniform_real_distribution<double> u(-size, size);
    for (int j = 0; j < 3; ++j) r.point[j] += u(g) * 10, r.direction[j] += u(g);
    const double l = std::sqrt(r.direction[0] * r.direction[0] + r.direction[1] * r.direction[1] +
                               r.direction[2] * r.direction[2]);
    for (int j = 0; j < 3; ++j) r.direction[j] /= l;
    r.angle += u(g);
    return r;
}

// Noisy cones, no form known: no small move of the axis, its place or the angle
// narrows the zone found, or lowers the least-squares sum; and the minimum zone
// is never wider than the least-squares cone's.
TEST(Cone, NoNearbyConeDoesBetter) {
    std::mt19937 g(5);
    for (const Known& k : knowns()) {
        Cloud c = placed(cone(6, 30, k.r, k.half, k.length, 0.002, 0.003, 3), k);
        Options local; // the descent's optimum, not its proof
        local.certificate = false;
        const Reference mz = evaluate(c.view(), Feature::cone, Criterion::minimumzone, local);
        const Reference ls = evaluate(c.view(), Feature::cone, Criterion::leastsquares);
        ASSERT_TRUE(mz.found && ls.found) << k.name;
        EXPECT_LE(mz.t, ls.t) << k.name;
        const double fit = squares(c, ls);
        for (const double size : {1e-3, 1e-5, 1e-7})
            for (int trial = 0; trial < 300; ++trial) {
                EXPECT_GE(zone(c, nudged(mz, g, size)), mz.t * (1 - 1e-12)) << k.name;
                EXPECT_GE(squares(c, nudged(ls, g, size)), fit * (1 - 1e-12)) << k.name;
            }
    }
}

// A trilobed cone's minimum zone in working coordinates: the view, its frame
// and half angle, and the zone of the distances across the surface about them.
// The view reads the points: they outlive it.
struct Working {
    kernel::Moments m;
    kernel::Frame f;
    double beta = 0;
};
Working working(Cloud& c) {
    Working out{kernel::moments(c.view()), {}, 0};
    Options o;
    o.certificate = false;
    const kernel::Found k = kernel::mzcone(out.m, o);
    out.f = kernel::frameabout(k.point, k.direction);
    out.beta = k.angle;
    return out;
}
double zoneabout(const kernel::View& w, const kernel::Frame& f, double beta) {
    double top = -1e300, bottom = 1e300;
    for (std::size_t i = 0; i < w.n; ++i) {
        const P3 q = f.local(w[i]);
        const double g = std::hypot(q[0], q[1]) * std::cos(beta) - q[2] * std::sin(beta);
        top = std::max(top, g), bottom = std::min(bottom, g);
    }
    return top - bottom;
}

// A certificate begun from a worse cone (the optimum turned, moved and
// steepened) meets the better one in its search, descends to it and proves
// it; its lower bound never passes the known optimum.
TEST(ConeKernels, ACertificateFromAWorseConeFindsTheOptimum) {
    for (const Known& k : knowns()) {
        if (k.half >= 60) continue;
        const double a = 0.004;
        Cloud points = placed(cone(7, 36, k.r, k.half, k.length, a, 0, 1), k);
        const Working c = working(points);
        const kernel::View& w = c.m.view;
        const double L = kernel::axialextent(w, c.f);
        kernel::Conic start{kernel::moved(c.f, {0.01, -0.02, 0.03 * L, 0.01 * L}, L),
                            std::tan(c.beta + 0.02)};
        double zone = 0;
        const Certificate cert = kernel::certifycone(w, start, zone, 100000);
        const double optimum = 2 * a * w.scale;
        EXPECT_TRUE(cert.certified) << k.name << ": " << cert.why;
        EXPECT_NEAR(zone, optimum, 1e-9 * optimum) << k.name;
        EXPECT_LE(cert.lower, optimum * (1 + 1e-9)) << k.name;
        EXPECT_EQ(cert.upper, zone) << k.name;
        EXPECT_NEAR(zoneabout(w, start.f, std::atan(start.s)), zone, 1e-12 * optimum) << k.name;
    }
}

TEST(Cone, RefusedWhereItIsUndetermined) {
    const Cloud section = cone(1 + 1, 36, 10, 20, 0, 0, 0, 1);
    Cloud flat = section;
    flat.p.resize(36); // one section
    Cloud few = section;
    few.p.resize(5);
    Cloud c = section;
    const struct {
        Cloud points;
        Criterion criterion;
        std::string failure;
    } cases[] = {
        {c, Criterion::circumscribed, "a cone has no circumscribed reference"},
        {c, Criterion::inscribed, "a cone has no inscribed reference"},
        {few, Criterion::leastsquares, "too few points for a cone: 5, at least 6 needed"},
        {flat, Criterion::minimumzone,
         "the points lie in one plane (a single section), which determines no cone axis"},
    };
    for (auto k : cases) {
        const Reference r = evaluate(k.points.view(), Feature::cone, k.criterion);
        EXPECT_FALSE(r.found);
        EXPECT_EQ(r.failure, k.failure);
    }
}

} // namespace
} // namespace formeval::pointset::test
