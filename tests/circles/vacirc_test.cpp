// The valley circle: hand-built cases for the steps of the method, its trace
// levels (which differ from the peak circle's), the bounded stage loop, and
// random noisy circles against a maximum inscribed circle found by brute
// force.
#include "circles/circles.h"
#include "form/form.h"
#include "tests/circles/reference.h"
#include "tests/harness/harness.h"

#include <array>
#include <cmath>
#include <cstdio>
#include <gtest/gtest.h>
#include <random>
#include <regex>
#include <string>
#include <vector>

namespace formeval {
namespace {

using test::Points;
using test::Session;

int count(const std::string& text, const std::string& what) {
    int n = 0;
    for (size_t at = text.find(what); at != std::string::npos; at = text.find(what, at + 1)) ++n;
    return n;
}

std::vector<int> triple(const std::string& text, const std::string& label) {
    std::smatch m;
    if (!std::regex_search(text, m, std::regex(label + "(\\d+),(\\d+),(\\d+)"))) return {};
    return {std::stoi(m[1]), std::stoi(m[2]), std::stoi(m[3])};
}

std::array<double, 4> valley(const Points& p) {
    std::array<double, 4> ans{};
    vacircocal(p.u.data(), p.v.data(), p.size(), ans.data());
    return ans;
}

// No point more than cri inside the circle, up to rounding.
void expectempty(const Points& p, const std::array<double, 4>& ans) {
    for (const double a : ans) ASSERT_TRUE(std::isfinite(a));
    EXPECT_GE(test::nearest(p, ans[0], ans[1]), ans[2] - cri - 1e-12 * ans[2]);
    EXPECT_GE(ans[3], 0);
}

Points alternating(double d) {
    Points p;
    for (int i = 0; i < 24; ++i) {
        const double t = i * std::acos(-1.0) / 12;
        const double r = 25 + (i % 2 ? -d : d);
        p.u.push_back(40 + r * std::cos(t));
        p.v.push_back(-15 + r * std::sin(t));
    }
    return p;
}

TEST(Vacircocal, NearPerfectCircleNeedsOneStageAndOneCycle) {
    Session session;
    cri = 1e-6;
    const auto ans = valley(alternating(1e-9));
    EXPECT_NEAR(ans[0], 40, 1e-9);
    EXPECT_NEAR(ans[1], -15, 1e-9);
    EXPECT_NEAR(ans[2], 25 - 1e-9, 1e-9);
    EXPECT_LE(ans[3], 2e-9 + 1e-12);
    EXPECT_EQ(count(session.console(), "Stage Number = "), 1);
    // One search cycle and the final line.
    EXPECT_EQ(count(session.result(), "micr0="), 2);
}

TEST(Vacircocal, SameCircleAsThePeakCircleUpToTheDeviations) {
    Session session;
    oqt = 1;
    cri = 1e-6;
    const Points p = alternating(1e-9);
    double pk[4];
    pkcircocal(p.u.data(), p.v.data(), p.size(), pk);
    const auto va = valley(p);
    EXPECT_NEAR(std::hypot(pk[0] - va[0], pk[1] - va[1]), 0, 1e-9);
    EXPECT_NEAR(pk[2] - va[2], 2e-9, 1e-9);
}

// The mirror image of the peak circle's case: three adjacent dents and a
// fourth opposite; the point at 0 degrees lies inside the first circle.
TEST(Vacircocal, PointInsideTheFirstCircleReplacesTheThirdValleyPoint) {
    Session session;
    cri = 1e-6;
    const Points p = test::ring({{0, 9.90}, {1, 9.91}, {2, 9.92}, {6, 9.93}, {4, 10.05}});
    const auto ans = valley(p);
    const std::string result = session.result();
    EXPECT_EQ(count(result, "micr0="), 3); // two search cycles and the final line
    EXPECT_EQ(count(result, "Maximum error"), 0);
    const std::vector<int> first = triple(result, " Minimum Zone Valley points");
    const std::vector<int> last = triple(session.console(), "\nValley points");
    ASSERT_EQ(first.size(), 3u);
    ASSERT_EQ(last.size(), 3u);
    EXPECT_EQ(last[0], first[0]);
    EXPECT_EQ(last[1], first[1]);
    EXPECT_NE(last[2], first[2]);
    for (const int k : last)
        EXPECT_NEAR(test::dist(p.u[k - 1], p.v[k - 1], ans[0], ans[1]), ans[2], 1e-9);
    expectempty(p, ans);
}

struct FallbackCase {
    int oqt;
    bool message;
};

void PrintTo(const FallbackCase& c, std::ostream* os) {
    *os << "oqt " << c.oqt;
}

class ValleyFallback : public testing::TestWithParam<FallbackCase> {};

// The search ends with a circle smaller than the minimum-zone valley circle,
// which is then reported: its radius reaches the nearest point. The message
// is a progress item here, already written at trace level 2.
TEST_P(ValleyFallback, ReportsTheMinimumZoneValleyCircle) {
    Session session;
    cri = 1e-6;
    oqt = GetParam().oqt;
    const Points p = test::ring({{1, 9.91}, {5, 9.97}, {8, 9.92}, {11, 9.94}});
    const auto ans = valley(p);
    const std::string message =
        "\nValley circle radius is smaller than Minimum Zone Valley Circle radius";
    EXPECT_EQ(count(session.console(), message), GetParam().message ? 1 : 0);
    EXPECT_EQ(count(session.result(), message), GetParam().message ? 1 : 0);
    EXPECT_NEAR(ans[2], test::nearest(p, ans[0], ans[1]), 1e-12);
    expectempty(p, ans);
}

INSTANTIATE_TEST_SUITE_P(Levels, ValleyFallback,
                         testing::Values(FallbackCase{1, false}, FallbackCase{2, true}));

TEST(Vacircocal, TraceLevels) {
    const std::string job = "4 0.000001 1 0 0 1 -1 0 0 -1";
    const std::string start = "Started Valley circle calculation";
    const std::string lines = "\nValley points4,3,2\nmicr0=1micx0=0micy0=0"
                              "\nMaximum Inscribing Circle Circularity error= 0";
    for (const int level : {0, 1}) {
        Session session(job);
        oqt = level;
        vacirco();
        EXPECT_EQ(session.console(), start);
        EXPECT_EQ(session.result(), "");
        EXPECT_EQ(oqt, level);
    }
    Session session(job);
    oqt = 2;
    vacirco();
    EXPECT_EQ(session.console(), start + "\nStage Number = 1" + lines);
    EXPECT_EQ(session.result(), "\nStage Number = 1"
                                "\nMinimum zone valley circle r0=1mzvcx0=0mzvcy0=0"
                                "\n Minimum Zone Valley points4,3,2"
                                "\nmicr0=1micx0=0micy0=0" +
                                    lines);
    EXPECT_EQ(oqt, 2);
}

TEST(Vacircocal, TooFewPointsGiveNoCircle) {
    Session session;
    const double u[2] = {1, 0};
    const double v[2] = {0, 1};
    double ans[4] = {};
    vacircocal(u, v, 2, ans);
    for (const double a : ans) EXPECT_TRUE(std::isnan(a));
    EXPECT_EQ(session.console(),
              "\n2 points are too few for a peak or valley circle; it needs at least 4");
}

TEST(Vacircocal, CarriesNoStateBetweenCalls) {
    Session session;
    oqt = 1;
    cri = 1e-9;
    std::mt19937 gen(5);
    const Points a = test::noisycircle(gen, 40, 40, -15, 25, 0.002);
    const Points b = test::noisycircle(gen, 17, -3, 8, 2, 0.01);
    const auto first = valley(a);
    valley(b);
    const auto again = valley(a);
    for (int k = 0; k < 4; ++k) EXPECT_EQ(first[k], again[k]);
    EXPECT_EQ(session.console(), "");
    EXPECT_EQ(session.result(), "");
}

// A tolerance that accepts the first stage's system but rejects the later
// ones, which then repeat the first shift for ever: the stage loop stops at
// its bound and the evaluation goes on.
TEST(Vacircocal, StageLoopIsBounded) {
    Session session;
    oqt = 2;
    cri = 0.1;
    Points p;
    for (int i = 0; i < 5; ++i) {
        p.u.push_back(100 * std::cos(i * 2.5 * std::acos(-1.0) / 180));
        p.v.push_back(100 * std::sin(i * 2.5 * std::acos(-1.0) / 180));
    }
    const auto ans = valley(p);
    const std::string console = session.console();
    EXPECT_EQ(count(console, "Stage Number = "), maxstages);
    EXPECT_NE(console.find("\nThe centre did not settle within 1000 stages"), std::string::npos);
    EXPECT_NE(console.find("Maximum Inscribing Circle Circularity error= "), std::string::npos);
    expectempty(p, ans);
}

// A short, noisy arc with cri = 0: the stage loop runs away until the
// minimum-zone circle is not a number. There is no circle to start from or to
// fall back on, and no result is made up.
TEST(Vacircocal, RunawayMinimumZoneCircleGivesNoCircle) {
    Session session;
    oqt = 1;
    cri = 0;
    const Points p = test::pairs({10.049, 0.000, 10.060, 0.505, 9.976, 1.004, 9.851, 1.493, 9.885,
                                  2.009, 9.681, 2.479, 9.601, 2.978});
    const auto ans = valley(p);
    for (const double a : ans) EXPECT_TRUE(std::isnan(a));
    const std::string console = session.console();
    const std::string message =
        "\nThe minimum zone circle is not finite: no valley circle is found";
    ASSERT_GE(console.size(), message.size());
    EXPECT_EQ(console.substr(console.size() - message.size()), message);
    EXPECT_EQ(session.result().find("Circularity error"), std::string::npos);
}

// Random noisy circles, small enough for the brute-force reference: the
// valley circle has no point inside, is never larger than the maximum
// inscribed circle, and is that circle in a good share of the cases.
TEST(Vacircocal, AgainstTheMaximumInscribedCircle) {
    Session session;
    oqt = 1;
    cri = 1e-9;
    std::mt19937 gen(2025);
    constexpr int trials = 200;
    int equal = 0;
    for (int t = 0; t < trials; ++t) {
        const int numpt = std::uniform_int_distribution<int>(8, 24)(gen);
        const double noise =
            25 * std::pow(10.0, std::uniform_real_distribution<double>(-4, -1.5)(gen));
        const Points p = test::noisycircle(gen, numpt, 40, -15, 25, noise);
        const auto ans = valley(p);
        const test::Circle mic = test::mic(p, 1e-12);
        expectempty(p, ans);
        ASSERT_GT(mic.r, 0);
        EXPECT_LE(ans[2], mic.r + cri + 1e-12);
        if (std::fabs(ans[2] - mic.r) <= 1e-9) ++equal;
    }
    RecordProperty("equal_to_mic", equal);
    std::printf("valley circle equal to the maximum inscribed circle in %d of %d\n", equal, trials);
    EXPECT_GE(equal, trials * 3 / 10);
}

} // namespace
} // namespace formeval
