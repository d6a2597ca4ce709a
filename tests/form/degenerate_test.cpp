// The form jobs end to end on inputs they cannot or need not fit: too few
// points, points that leave a parameter free, data the model fits exactly.
// Every run has a closed console and must end with status 0, with a clear
// message or a sound result, and the job stream must go on.
#include "tests/form/formtext.h"
#include "tests/harness/harness.h"

#include <cmath>
#include <gtest/gtest.h>
#include <sstream>
#include <string>
#include <vector>

namespace formeval {
namespace {

// The four-point line, run after each refused job to show the stream goes on.
const std::string nextjob = " 0 1000 4 1e-9 0 1 1 -1 2 1 3 -1";

const char* opening(int job) {
    switch (job) {
    case 1000:
        return "Started straightness error calculation";
    case 2000:
        return "\nStarted circularity error calculation";
    case 2500:
        return "Started circularity error calculation";
    case 2600:
        return "Started least square circularity error calculation";
    case 3000:
        return "\nStarted flatness error calculation";
    case 4000:
        return "\nStarted sphericity error calculation";
    default:
        return "Started sphericity error calculation";
    }
}

struct Refused {
    const char* name;
    int job;
    std::string record;
    const char* why;
};

// Twelve points 10 apart on a line turned by `degrees`, off it by +-1e-12:
// rounding alone, whatever the direction.
std::string wiggle(double degrees) {
    const double t = degrees * std::acos(-1.0) / 180;
    std::ostringstream text;
    text.precision(17);
    text << "12 1e-6";
    for (int i = 0; i < 12; ++i) {
        const double along = 10.0 * i / 11;
        const double off = i % 2 ? 1e-12 : -1e-12;
        text << " " << along * std::cos(t) - off * std::sin(t) << " "
             << along * std::sin(t) + off * std::cos(t);
    }
    return text.str();
}

class RefusedJob : public testing::TestWithParam<Refused> {};

TEST_P(RefusedJob, SaysWhyAndEvaluatesNothing) {
    const Refused p = GetParam();
    test::Run setup;
    setup.jobs = std::to_string(p.job) + " " + p.record + nextjob;
    const auto out = test::run(setup);
    EXPECT_EQ(out.status, 0);
    EXPECT_FALSE(out.hung);
    const std::string message = "\nJob " + std::to_string(p.job) + " not evaluated: " + p.why;
    const std::string next = "Started straightness error calculation";
    EXPECT_EQ(out.console.substr(0, out.console.find(next, 1)), opening(p.job) + message);
    EXPECT_EQ(out.result.substr(0, out.result.find("\n0 1  ")), message);
    EXPECT_NE(out.result.find("Minimum zone straightness error=2"), std::string::npos);
}

INSTANTIATE_TEST_SUITE_P(
    Records, RefusedJob,
    testing::Values(
        Refused{"line2", 1000, "2 1e-9 0 0 1 1",
                "2 points are too few; the evaluation needs at least 3"},
        Refused{"line0", 1000, "0 1e-9", "0 points are too few; the evaluation needs at least 3"},
        Refused{"polarcircle3", 2000, "3 1e-9 1 0 1 120 1 240",
                "3 points are too few; the evaluation needs at least 4"},
        Refused{"circle3", 2500, "3 1e-9 1 0 0 1 -1 0",
                "3 points are too few; the evaluation needs at least 4"},
        Refused{"plane3", 3000, "3 1e-9 0 0 0 1 0 0 0 1 0",
                "3 points are too few; the evaluation needs at least 4"},
        Refused{"polarsphere4", 4000, "4 1e-9 1 0 0 1 90 0 1 180 0 1 0 90",
                "4 points are too few; the evaluation needs at least 5"},
        Refused{"sphere4", 4500, "4 1e-9 1 0 0 0 1 0 -1 0 0 0 0 1",
                "4 points are too few; the evaluation needs at least 5"},
        Refused{"lineonex", 1000, "4 1e-9 2 0 2 1 2 5 2 3",
                "all points have the same x; they determine no line"},
        Refused{"polarcircletwodirections", 2000, "4 1e-9 1 0 1.1 180 1 0 1.2 180",
                "the points lie in fewer than three directions from the origin; they determine "
                "no circle"},
        Refused{"circleonaline", 2500, "4 1e-9 0 0 1 1 2 2 3 3",
                "the points lie on one line; they determine no circle"},
        Refused{"planeonaline", 3000, "4 1e-9 0 0 1 1 1 2 2 2 0 3 3 1",
                "the points lie on one line in the x-y plane; they determine no plane"},
        Refused{"planeonaslantline", 3000, "5 1e-9 0 0 1 0.3 0.1 2 0.6 0.2 0 0.9 0.3 1 3 1 5",
                "the points lie on one line in the x-y plane; they determine no plane"},
        Refused{"polarsphereoneelevation", 4000, "5 1e-9 1 0 10 1 90 10 1 180 10 1 270 10 1 45 10",
                "the directions of the points lie on one circle of the unit sphere; they "
                "determine no sphere"},
        Refused{"sphereinaplane", 4500, "5 1e-9 1 0 0 -1 0 0 0 1 0 0 -1 0 0.5 0.5 0",
                "the points lie in one plane; they determine no sphere"},
        // Where the points lie and how they are turned does not matter.
        Refused{"wiggleat0", 2600, wiggle(0),
                "the points lie on one line; they determine no circle"},
        Refused{"wiggleat30", 2600, wiggle(30),
                "the points lie on one line; they determine no circle"},
        Refused{"wiggleat90", 2600, wiggle(90),
                "the points lie on one line; they determine no circle"},
        Refused{"wiggleat90via2500", 2500, wiggle(90),
                "the points lie on one line; they determine no circle"},
        Refused{"lineonexwithrounding", 1000, "4 1e-9 2 0 2.000000000000001 1 2 5 2 3",
                "all points have the same x; they determine no line"},
        // A mean of equal numbers may differ from them in its last bit: that
        // is no spread.
        Refused{"lineoftinyequalpoints", 1000,
                "5 1e-9 4e-150 -2e-150 4e-150 -2e-150 4e-150 -2e-150 4e-150 -2e-150 4e-150 -2e-150",
                "all points have the same x; they determine no line"},
        Refused{"polarspherealmostoneelevation", 4000,
                "5 1e-9 0.9978 0 0 1.0111 72 -1.96e-14 0.9878 144 -3.92e-14 1.0047 216 -5.88e-14 "
                "0.9966 288 -7.84e-14",
                "the directions of the points lie on one circle of the unit sphere; they "
                "determine no sphere"}),
    [](const auto& info) { return std::string(info.param.name); });

struct Exact {
    const char* name;
    std::string jobs;
    const char* label; // the label of the job's last error item
};

std::string exactcircle(int job) {
    std::ostringstream text;
    text.precision(17);
    text << job << " 8 1e-9";
    for (int i = 0; i < 8; ++i) {
        const double t = 2 * std::acos(-1.0) * i / 8;
        if (job == 2000)
            text << " 12.5 " << 45 * i;
        else
            text << " " << 7 + 12.5 * std::cos(t) << " " << -3 + 12.5 * std::sin(t);
    }
    return text.str();
}

std::string exactsphere(int job) {
    // The octahedron's six vertices and two more points, on the sphere of
    // radius 4 about (1, 2, 3), or the same directions in polar form.
    const double dirs[8][3] = {{1, 0, 0}, {-1, 0, 0}, {0, 1, 0},     {0, -1, 0},
                               {0, 0, 1}, {0, 0, -1}, {0.6, 0.8, 0}, {0, 0.6, -0.8}};
    const double pi = std::acos(-1.0);
    std::ostringstream text;
    text.precision(17);
    text << job << " 8 1e-9";
    for (const auto& d : dirs) {
        if (job == 4000)
            text << " 4 " << std::atan2(d[1], d[0]) * 180 / pi << " " << std::asin(d[2]) * 180 / pi;
        else
            text << " " << 1 + 4 * d[0] << " " << 2 + 4 * d[1] << " " << 3 + 4 * d[2];
    }
    return text.str();
}

class ExactData : public testing::TestWithParam<Exact> {};

// The zone width is 0 or rounding, printed like any other result.
TEST_P(ExactData, GiveAZeroError) {
    const Exact p = GetParam();
    test::Run setup;
    setup.jobs = p.jobs;
    const auto out = test::run(setup);
    EXPECT_EQ(out.status, 0);
    EXPECT_FALSE(out.hung);
    EXPECT_EQ(out.console.find("Continue?"), std::string::npos);
    EXPECT_EQ(out.console.find("nan"), std::string::npos);
    EXPECT_EQ(out.console.find("not evaluated"), std::string::npos);
    const std::vector<double> error = test::lastline(out.result, p.label);
    ASSERT_EQ(error.size(), 1u) << out.result;
    EXPECT_NEAR(error[0], 0, 1e-9);
}

INSTANTIATE_TEST_SUITE_P(
    Jobs, ExactData,
    testing::Values(Exact{"line", "1000 3 1e-9 0 1 1 3 2 5", "Minimum zone straightness error="},
                    Exact{"longline", "1000 6 1e-9 0 1 1 3 2 5 3 7 4 9 5 11",
                          "Minimum zone straightness error="},
                    Exact{"plane", "3000 5 1e-9 0 0 1 1 0 3 0 1 0 1 1 2 0.5 0.5 1.5",
                          "Minimum zone  flatness error="},
                    Exact{"polarcircle", exactcircle(2000), "Minimum zone circularity error="},
                    Exact{"circle", exactcircle(2500), "Circularity error= "},
                    Exact{"polarsphere", exactsphere(4000), "Minimum zone sphericity error="},
                    Exact{"sphere", exactsphere(4500), "Sphericity error= "}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(ExactData, LineListsTheExactLine) {
    test::Run setup;
    setup.jobs = "1000 3 1e-9 0 1 1 3 2 5";
    const auto out = test::run(setup);
    const std::string fit = "\n0 1  0\n1 3  0\n2 5  0\ny0=1   l0=2";
    test::expectnear(test::itemtext(out.result),
                     test::itemtext(fit + "\nLeast squares straightness error=0" + fit +
                                    "\nMinimum zone straightness error=0"),
                     1e-12);
}

// Small circles far from the origin are circles: only their own extent
// counts, not where they lie. The job evaluates them to the digits the
// coordinates carry.
TEST(SmallFarCircles, AreEvaluated) {
    const struct {
        double centre, radius, cri;
    } cases[] = {{1e8, 1e-3, 1e-12}, {1000, 1e-7, 1e-15}};
    for (const auto& c : cases) {
        std::ostringstream jobs;
        jobs.precision(17);
        jobs << "2600 8 " << c.cri;
        for (int i = 0; i < 8; ++i) {
            const double t = 2 * std::acos(-1.0) * i / 8;
            jobs << " " << c.centre + c.radius * std::cos(t) << " "
                 << c.centre + c.radius * std::sin(t);
        }
        test::Run setup;
        setup.jobs = jobs.str();
        const auto out = test::run(setup);
        EXPECT_EQ(out.status, 0);
        EXPECT_EQ(out.result.find("not evaluated"), std::string::npos) << out.result;
        const std::vector<double> circle = test::lastline(out.result, "r0=");
        ASSERT_FALSE(circle.empty()) << out.result;
        EXPECT_NEAR(circle[0], c.radius, 1e-4 * c.radius);
    }
}

// Four exact points of a circle of radius 25 spanning 0.01 degrees determine
// the circle, but the staged fit from their centroid cannot find it: every
// stage's system is singular and the centre never settles. The result stands,
// after notes that say so.
TEST(NearlyDegenerate, ResultsThatAreNotFitsAreNoted) {
    std::ostringstream jobs;
    jobs.precision(17);
    jobs << "2600 4 1e-6";
    for (int k = 0; k < 4; ++k) {
        const double t = 0.01 / 3 * k * std::acos(-1.0) / 180;
        jobs << " " << 25 * std::cos(t) << " " << 25 * std::sin(t);
    }
    test::Run setup;
    setup.jobs = jobs.str();
    const auto out = test::run(setup);
    EXPECT_EQ(out.status, 0);
    const std::size_t result = out.result.find("\nLeast square circularity error=");
    ASSERT_NE(result, std::string::npos);
    const std::size_t settle = out.result.find(
        "\nThe centre did not settle within 1000 stages; the evaluation goes on from the last "
        "stage");
    const std::size_t singular = out.result.find(
        "\nThe fit of stage 1000 met a singular system; its centre and radius are not fitted to "
        "these points");
    EXPECT_LT(settle, result);
    EXPECT_LT(singular, result);
}

// A pivot of exactly 0 with a tolerance of 0 (a reference set with three
// points on one line and repeated points) is negligible: the trace shows no
// NaN.
TEST(NearlyDegenerate, ExactlyZeroPivotsLeaveNoNaN) {
    test::Run setup;
    setup.jobs = "3000 9 0  2 0 0.68  1 0 0.8  0 2 -0.06  1 3 0.09  1 0 0.46  3 2 -0.64  "
                 "3 1 0.52  0 1 0.24  3 1 -0.74";
    const auto out = test::run(setup);
    EXPECT_EQ(out.status, 0);
    EXPECT_EQ(out.result.find("nan"), std::string::npos);
    EXPECT_EQ(out.console.find("nan"), std::string::npos);
    EXPECT_NE(out.result.find("Minimum zone  flatness error="), std::string::npos);
}

} // namespace
} // namespace formeval
