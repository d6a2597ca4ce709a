// Least-squares circle: the staged evaluation against hand-built circles,
// published reference fits, invariances, trace levels and the stage bound.
#include "form/form.h"
#include "form/jobs.h"
#include "tests/harness/harness.h"
#include "tests/harness/support.h"

#include <cmath>
#include <cstring>
#include <fstream>
#include <gtest/gtest.h>
#include <regex>
#include <string>
#include <vector>

namespace formeval {
namespace {

using test::pi;
using test::Session;

int count(const std::string& text, const std::string& what) {
    int n = 0;
    for (size_t at = text.find(what); at != std::string::npos; at = text.find(what, at + 1)) ++n;
    return n;
}

// Eight points at 0, 45, ..., 315 degrees about (c1, c2), radii R + d, R - d, ...
void alternating(double c1, double c2, double R, double d, double* u, double* v) {
    for (int i = 0; i < 8; ++i) {
        const double r = i % 2 ? R - d : R + d;
        u[i] = c1 + r * std::cos(i * pi / 4);
        v[i] = c2 + r * std::sin(i * pi / 4);
    }
}

// The rows of the linearised circle, point by point: distance sqrt(x^2 + y^2)
// and direction (x, y) / distance to the last bit, +0 directions for a point
// at the origin (either zero's sign) and NaN through, for counts ending on
// either lane.
TEST(CentredCircleRows, AreEachPointsDistanceAndDirection) {
    const double nan = std::nan("");
    const std::vector<std::pair<double, double>> points = {
        {3, -4},   {0, 0}, {1e-300, 2e-300}, {-0.0, 0.0},     {nan, 1},   {25.1, 0.3},
        {-7, 1e8}, {2, 2}, {-0.0, -0.0},     {1e150, -1e150}, {0.1, -0.7}};
    for (std::size_t count = 0; count <= points.size(); ++count) {
        std::vector<double> x, y;
        for (std::size_t i = 0; i < count; ++i) {
            x.push_back(points[i].first);
            y.push_back(points[i].second);
        }
        std::vector<Row5> a(count + 1, Row5{9, 9, 9, 9, 9});
        std::vector<double> z(count + 1, 9);
        centredcirclerows(x.data(), y.data(), static_cast<int>(count), a.data(), z.data());
        for (std::size_t i = 0; i < count; ++i) {
            const double r = std::sqrt(x[i] * x[i] + y[i] * y[i]);
            const Row5 row = {1, r == 0 ? 0.0 : x[i] / r, r == 0 ? 0.0 : y[i] / r, 0, 0};
            EXPECT_EQ(std::memcmp(&z[i], &r, sizeof r), 0) << count << " " << i;
            EXPECT_EQ(std::memcmp(&a[i], &row, sizeof row), 0) << count << " " << i;
        }
        EXPECT_EQ(z[count], 9);
        EXPECT_EQ(a[count][0], 9);
    }
}

TEST(Lscirco, UnitCircleWritesEveryItem) {
    test::Run setup;
    setup.jobs = "2600 4 0.000001 1 0 0 1 -1 0 0 -1\n";
    const auto out = test::run(setup);
    const std::string items = "\nStage Number = 1\nCurrent distance to centre=0"
                              "\n1    0    0\n0    1    0\n-1    0    0\n0    -1    0"
                              "\nLeast square circularity error= 0\nr0=1xo=0y0=0";
    EXPECT_EQ(out.result, items);
    // The console has the start message and lsqerr's trace as well.
    EXPECT_EQ(out.console, "Started least square circularity error calculation"
                           "\nStage Number = 1\nerlsq=0\nCurrent distance to centre=0"
                           "\n1    0    0\n0    1    0\n-1    0    0\n0    -1    0"
                           "\nLeast square circularity error= 0\nr0=1xo=0y0=0\a");
}

TEST(Lscircocal, AlternatingRadiiAboutAFarCentre) {
    Session session;
    cri = 1e-9;
    double u[8], v[8];
    Circlefit ans;
    alternating(1000, -2000, 50, 0.01, u, v);
    lscircocal(u, v, 8, ans);
    EXPECT_NEAR(ans[0], 1000, 1e-9);
    EXPECT_NEAR(ans[1], -2000, 1e-9);
    EXPECT_NEAR(ans[2], 50, 1e-9);
    EXPECT_NEAR(ans[3], 0.02, 1e-9);
    EXPECT_EQ(count(session.console(), "Stage Number"), 1); // the centroid is the centre
}

TEST(Lscircocal, LeavesItsInputUnchangedAndCarriesNoState) {
    Session session;
    oqt = 1;
    cri = 1e-9;
    double u[8], v[8];
    alternating(3, 4, 10, 0.1, u, v);
    const std::vector<double> u0(u, u + 8), v0(v, v + 8);
    Circlefit first, second;
    lscircocal(u, v, 8, first);
    lscircocal(u, v, 8, second);
    EXPECT_EQ(std::vector<double>(u, u + 8), u0);
    EXPECT_EQ(std::vector<double>(v, v + 8), v0);
    for (int k = 0; k < 4; ++k) EXPECT_EQ(first[k], second[k]);
}

TEST(Lscircocal, TranslationMovesOnlyTheCentre) {
    Session session;
    oqt = 1;
    cri = 1e-9;
    const double u[6] = {10.2, 0.1, -9.8, -0.3, 7.1, -7.0};
    const double v[6] = {0.1, 9.9, -0.2, -10.1, 7.0, 7.2};
    Circlefit ans;
    lscircocal(u, v, 6, ans);
    for (const double shift : {-500.0, 1e4}) {
        double us[6], vs[6];
        Circlefit moved;
        for (int i = 0; i < 6; ++i) {
            us[i] = u[i] + shift;
            vs[i] = v[i] - 2 * shift;
        }
        lscircocal(us, vs, 6, moved);
        EXPECT_NEAR(moved[0], ans[0] + shift, 1e-6);
        EXPECT_NEAR(moved[1], ans[1] - 2 * shift, 1e-6);
        EXPECT_NEAR(moved[2], ans[2], 1e-6);
        EXPECT_NEAR(moved[3], ans[3], 1e-6);
    }
}

TEST(Lscircocal, ShortArcRunsStagesUntilTheSquaredShiftIsSmall) {
    Session session;
    cri = 1e-9;
    // Exactly on the circle of radius 100 about the origin, over 30 degrees:
    // the loop stops once the squared shift is at most 0.01.
    double u[7], v[7];
    Circlefit ans;
    for (int i = 0; i < 7; ++i) {
        u[i] = 100 * std::cos(i * 5 * pi / 180);
        v[i] = 100 * std::sin(i * 5 * pi / 180);
    }
    lscircocal(u, v, 7, ans);
    const std::string out = session.console();
    std::vector<double> shifts;
    const std::regex distance("Current distance to centre=([^\n]*)");
    for (auto m = std::sregex_iterator(out.begin(), out.end(), distance);
         m != std::sregex_iterator(); ++m)
        shifts.push_back(std::stod((*m)[1]));
    ASSERT_GE(shifts.size(), 2u);
    EXPECT_EQ(count(out, "Stage Number = "), static_cast<int>(shifts.size()));
    for (size_t s = 0; s + 1 < shifts.size(); ++s) EXPECT_GT(shifts[s], 0.01);
    EXPECT_LE(shifts.back(), 0.01);
    EXPECT_NEAR(std::hypot(ans[0], ans[1]), 0, 0.1);
    EXPECT_NEAR(ans[2], 100, 0.1);
}

TEST(Lscircocal, TraceLevels) {
    const std::string job = "4 0.000001 1 0 0 1 -1 0 0 -1"; // the record after the code
    const std::string listing = "\n1    0    0\n0    1    0\n-1    0    0\n0    -1    0";
    {
        Session session(job);
        oqt = 1;
        lscirco(test::job(2600));
        EXPECT_EQ(session.console(), "Started least square circularity error calculation");
        EXPECT_EQ(session.result(), "");
    }
    {
        Session session(job);
        oqt = 2; // the per-point listing is a progress item
        lscirco(test::job(2600));
        EXPECT_EQ(session.console(),
                  "Started least square circularity error calculation" + listing);
        EXPECT_EQ(session.result(), listing);
    }
}

TEST(Lscircocal, PointAtTheCentreGivesFiniteResults) {
    Session session;
    cri = 1e-9;
    const double u[5] = {1, 0, -1, 0, 0};
    const double v[5] = {0, 1, 0, -1, 0}; // the centroid is the fifth point
    Circlefit ans;
    lscircocal(u, v, 5, ans);
    for (const double a : ans) EXPECT_TRUE(std::isfinite(a));
    EXPECT_EQ(session.console().find("nan"), std::string::npos);
    EXPECT_NEAR(ans[0], 0, 1e-12);
    EXPECT_NEAR(ans[1], 0, 1e-12);
}

TEST(Lscircocal, StageLoopIsBoundedWhenTheCentreNeverSettles) {
    Session session;
    // A tolerance that accepts the first stage's system but rejects the
    // following ones, which then repeat the first shift for ever.
    cri = 0.1;
    double u[5], v[5];
    Circlefit ans;
    for (int i = 0; i < 5; ++i) {
        u[i] = 100 * std::cos(i * 2.5 * pi / 180);
        v[i] = 100 * std::sin(i * 2.5 * pi / 180);
    }
    lscircocal(u, v, 5, ans);
    const std::string out = session.console();
    EXPECT_EQ(count(out, "Stage Number = "), maxstages);
    EXPECT_NE(out.find("The centre did not settle within 1000 stages"), std::string::npos);
}

// Published least-squares reference fits. The staged evaluation stops once
// the squared shift of a stage is at most 0.0001 R, so the last shift is at
// most 0.01 sqrt(R); with the iteration at least halving the distance to its
// fixed point (the least-squares circle) from stage to stage, the remaining
// error of centre and radius is at most that last shift.
struct Reference {
    std::vector<double> x, y;
    double cx, cy, radius;
};

Reference reference(int set) {
    const std::string base = test::testdata("nist-circle2d/cir2d" + std::to_string(set));
    std::ifstream ds(base + ".ds"), fit(base + ".fit");
    int numpt = 0;
    ds >> numpt;
    std::vector<std::array<double, 3>> p(numpt);
    for (auto& q : p) ds >> q[0] >> q[1] >> q[2];
    std::array<double, 7> f{};
    for (auto& value : f) fit >> value;
    if (!ds || !fit) throw std::runtime_error("cannot read reference set " + base);
    int fixed = 0; // the coordinate that is the same for every point
    for (int k = 0; k < 3; ++k) {
        bool same = true;
        for (const auto& q : p) same = same && q[k] == p[0][k];
        if (same) fixed = k;
    }
    const int a = fixed == 0 ? 1 : 0;
    const int b = fixed == 2 ? 1 : 2;
    Reference r;
    for (const auto& q : p) {
        r.x.push_back(q[a]);
        r.y.push_back(q[b]);
    }
    r.cx = f[a];
    r.cy = f[b];
    r.radius = f[6] / 2;
    return r;
}

class NistCircle : public testing::TestWithParam<int> {};

TEST_P(NistCircle, MatchesTheReferenceFit) {
    const Reference r = reference(GetParam());
    Session session;
    oqt = 1;
    cri = 1e-10;
    Circlefit ans;
    lscircocal(r.x.data(), r.y.data(), static_cast<int>(r.x.size()), ans);
    const double tolerance = 0.01 * std::sqrt(r.radius);
    EXPECT_LE(std::hypot(ans[0] - r.cx, ans[1] - r.cy), tolerance);
    EXPECT_NEAR(ans[2], r.radius, tolerance);
    RecordProperty("centre_error", std::to_string(std::hypot(ans[0] - r.cx, ans[1] - r.cy)));
}

INSTANTIATE_TEST_SUITE_P(Sets, NistCircle, testing::Range(1, 31),
                         test::namedby([](int set) { return "cir2d" + std::to_string(set); }));

} // namespace
} // namespace formeval
