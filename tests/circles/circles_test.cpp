// The peak and valley circles in process: what the twins share (one cycle on
// a near-perfect circle, the fallback circle at its trace level, silence at
// low levels, no state between calls), the peak circle's prompts with
// scripted console input, the valley circle's bounded stage loop, the mended
// failures, and random noisy circles against independently computed minimum
// enclosing and maximum inscribed circles.
#include "circles/circles.h"
#include "driver/dispatch.h"
#include "form/form.h"
#include "tests/circles/support.h"
#include "tests/harness/harness.h"
#include "tests/harness/support.h"

#include <array>
#include <cmath>
#include <cstdio>
#include <gtest/gtest.h>
#include <random>
#include <string>
#include <vector>

namespace formeval {
namespace {

using test::count;
using test::Points;
using test::Session;

struct Twin {
    const char* name;
    circlefunction cal;
    void (*job)(const jobinfo& job);
    int code;
    std::string start;    // the job's start message
    std::string searched; // label of a search cycle in result.txt
    int labels;           // times that label is written when the search runs once
    double side;          // +1: the circle holds the points; -1: none lies inside
};

const Twin peak{
    "Peak",     pkcircocal, pkcirco, 2700, "Started Peak circle circulatity calculation",
    "Peakcr0=", 1,          1};
const Twin valley{"Valley", vacircocal, vacirco, 2800, "Started Valley circle calculation",
                  "micr0=", 2,          -1};

void PrintTo(const Twin& t, std::ostream* os) {
    *os << t.name;
}

std::array<double, 4> evaluate(const Twin& twin, const Points& p) {
    std::array<double, 4> ans{};
    twin.cal(p.u.data(), p.v.data(), p.size(), ans);
    return ans;
}

// No point more than cri outside the peak circle, or inside the valley
// circle, up to rounding.
void expectbounds(const Twin& twin, const Points& p, const std::array<double, 4>& ans) {
    for (const double a : ans) ASSERT_TRUE(std::isfinite(a));
    const double slack = cri + 1e-12 * ans[2];
    if (twin.side > 0)
        EXPECT_LE(test::farthest(p, ans[0], ans[1]), ans[2] + slack);
    else
        EXPECT_GE(test::nearest(p, ans[0], ans[1]), ans[2] - slack);
    EXPECT_GE(ans[3], 0);
}

class Twins : public testing::TestWithParam<Twin> {};

TEST_P(Twins, NearPerfectCircleNeedsOneStageAndOneCycle) {
    const Twin& twin = GetParam();
    Session session;
    cri = 1e-6;
    const auto ans = evaluate(twin, test::alternating(1e-9));
    EXPECT_NEAR(ans[0], 40, 1e-9);
    EXPECT_NEAR(ans[1], -15, 1e-9);
    EXPECT_NEAR(ans[2], 25 + twin.side * 1e-9, 1e-9);
    EXPECT_LE(ans[3], 2e-9 + 1e-12); // the spread of the deviations
    EXPECT_EQ(count(session.console(), "Stage Number = "), 1);
    EXPECT_EQ(count(session.result(), twin.searched), twin.labels);
}

TEST_P(Twins, SilentAtLowTraceLevels) {
    const Twin& twin = GetParam();
    std::mt19937 gen(7);
    const Points p = test::noisycircle(gen, 60, 40, -15, 25, 0.002);
    for (const int level : {0, 1}) {
        Session session("4 0.000001 1 0 0 1 -1 0 0 -1");
        oqt = level;
        twin.job(test::job(twin.code));
        evaluate(twin, p);
        EXPECT_EQ(session.console(), twin.start);
        EXPECT_EQ(session.result(), "");
        EXPECT_EQ(oqt, level);
    }
}

TEST_P(Twins, CarriesNoStateBetweenCalls) {
    const Twin& twin = GetParam();
    Session session;
    oqt = 1;
    cri = 1e-9;
    std::mt19937 gen(3);
    const Points a = test::noisycircle(gen, 40, 40, -15, 25, 0.002);
    const Points b = test::noisycircle(gen, 17, -3, 8, 2, 0.01);
    const auto first = evaluate(twin, a);
    evaluate(twin, b);
    const auto again = evaluate(twin, a);
    for (int k = 0; k < 4; ++k) EXPECT_EQ(first[k], again[k]);
}

TEST_P(Twins, TooFewPointsGiveNoCircle) {
    const Twin& twin = GetParam();
    Session session;
    const auto ans = evaluate(twin, test::pairs({1, 0, 0, 1, -1, 0}));
    for (const double a : ans) EXPECT_TRUE(std::isnan(a));
    EXPECT_EQ(session.console(),
              "\n3 points are too few for a peak or valley circle; it needs at least 4");
}

INSTANTIATE_TEST_SUITE_P(Circles, Twins, testing::Values(peak, valley),
                         [](const testing::TestParamInfo<Twin>& info) { return info.param.name; });

struct Fallback {
    Twin twin;
    Points points;
    int oqt;
    std::string message; // "" where the level keeps it back
};

void PrintTo(const Fallback& f, std::ostream* os) {
    *os << f.twin.name << " at oqt " << f.oqt;
}

class FallbackCircle : public testing::TestWithParam<Fallback> {};

// The search ends with a circle larger (smaller) than the minimum-zone peak
// (valley) circle, which is then reported: its radius reaches the farthest
// (nearest) point from its centre. The peak circle's message is a detail
// item, the valley circle's a progress item.
TEST_P(FallbackCircle, ReportsTheMinimumZoneCircleAtItsLevel) {
    const Fallback& f = GetParam();
    Session session;
    cri = 1e-6;
    oqt = f.oqt;
    const auto ans = evaluate(f.twin, f.points);
    const std::string message = f.twin.side > 0
                                    ? "\nPeak circle radius is bigger than Minimum Zone Peak "
                                      "Circle radius"
                                    : "\nValley circle radius is smaller than Minimum Zone "
                                      "Valley Circle radius";
    const int expected = f.message.empty() ? 0 : 1;
    EXPECT_EQ(count(session.console(), message), expected);
    EXPECT_EQ(count(session.result(), message), expected);
    const double reach = f.twin.side > 0 ? test::farthest(f.points, ans[0], ans[1])
                                         : test::nearest(f.points, ans[0], ans[1]);
    EXPECT_NEAR(ans[2], reach, 1e-12);
    expectbounds(f.twin, f.points, ans);
}

const Points bumps = test::ring({{1, 10.09}, {5, 10.03}, {8, 10.08}, {11, 10.06}});
const Points dents = test::ring({{1, 9.91}, {5, 9.97}, {8, 9.92}, {11, 9.94}});

INSTANTIATE_TEST_SUITE_P(Levels, FallbackCircle,
                         testing::Values(Fallback{peak, bumps, 2, ""},
                                         Fallback{peak, bumps, 3, "message"},
                                         Fallback{valley, dents, 1, ""},
                                         Fallback{valley, dents, 2, "message"}),
                         test::namedby([](const Fallback& c) {
                             return c.twin.name + std::string("Level") + std::to_string(c.oqt);
                         }));

// Three adjacent bumps and a fourth opposite: the first triple leaves the
// point at 0 degrees outside, which takes the third place.
TEST(Pkcircocal, PointOutsideTheFirstCircleReplacesTheThirdPeakPoint) {
    Session session;
    cri = 1e-6;
    const Points p = test::ring({{0, 10.10}, {1, 10.09}, {2, 10.08}, {6, 10.07}, {4, 9.95}});
    const auto ans = evaluate(peak, p);
    const std::string result = session.result();
    const std::vector<double> replaced = test::numbers(result, "Maximum error point=");
    ASSERT_EQ(replaced.size(), 1u);
    EXPECT_EQ(count(result, "Peakcr0="), 2);
    const std::vector<int> first = test::triple(result, " Minimum Zone Peak points");
    const std::vector<int> last = test::triple(session.console(), "\nPeak points");
    ASSERT_EQ(first.size(), 3u);
    ASSERT_EQ(last.size(), 3u);
    EXPECT_EQ(last[0], first[0]);
    EXPECT_EQ(last[1], first[1]);
    EXPECT_NE(last[2], first[2]);
    EXPECT_EQ(last[2], static_cast<int>(replaced[0]) + 1); // 1-based there, 0-based here
    for (const int k : last) // the reported circle passes through the final triple
        EXPECT_NEAR(test::dist(p.u[k - 1], p.v[k - 1], ans[0], ans[1]), ans[2], 1e-9);
    expectbounds(peak, p, ans);
}

// A circle with its outermost point measured twice: the triple repeats a
// point and has no circle, so the minimum-zone peak circle stands in.
TEST(Pkcircocal, RepeatedPeakPointFallsBackWithAMessage) {
    Session session;
    cri = 1e-6;
    oqt = 1;
    Points p = test::ring({{0, 10.05},
                           {1, 10.001},
                           {2, 9.999},
                           {3, 10.002},
                           {4, 9.998},
                           {6, 10.001},
                           {7, 9.999},
                           {8, 10.002},
                           {9, 9.998},
                           {11, 10.001}});
    p.u.push_back(p.u[0]);
    p.v.push_back(p.v[0]);
    const auto ans = evaluate(peak, p);
    const std::string console = session.console();
    EXPECT_NE(console.find("Coefficient matrix is singular"), std::string::npos);
    EXPECT_TRUE(
        std::regex_search(console, std::regex("\nThe circle through peak points \\d+,\\d+,\\d+ "
                                              "does not exist: they lie on one line or repeat; "
                                              "the minimum zone peak circle is used$")));
    expectbounds(peak, p, ans);
    EXPECT_NEAR(ans[2], test::farthest(p, ans[0], ans[1]), 1e-12);
}

// cri = 0 lets a point of the triple re-enter it on a deviation of rounding
// size; its pivot is exactly zero, which counts as zero whatever the
// tolerance.
TEST(Pkcircocal, RepeatedTripleGivesWayToTheMinimumZoneCircle) {
    Session session;
    cri = 0;
    oqt = 1;
    Points p;
    for (int k = 0; k < 12; ++k) {
        const double t = (15 + 30 * k) * std::acos(-1.0) / 180;
        p.u.push_back(std::round(1e6 * (-10 + 9.95 * std::cos(t))) / 1e6);
        p.v.push_back(std::round(1e6 * 9.95 * std::sin(t)) / 1e6);
    }
    const Points line = test::pairs({0, -1, 0, 0, 0, 1});
    p.u.insert(p.u.end(), line.u.begin(), line.u.end());
    p.v.insert(p.v.end(), line.v.begin(), line.v.end());
    const auto ans = evaluate(peak, p);
    EXPECT_TRUE(test::endswith(session.console(), " does not exist: they lie on one line or "
                                                  "repeat; the minimum zone peak circle is used"))
        << session.console();
    expectbounds(peak, p, ans);
}

struct StagePrompt {
    std::string input;
    int prompts;
    int stages;
    std::string says; // what follows the first prompt
};

void PrintTo(const StagePrompt& c, std::ostream* os) {
    *os << "input \"" << c.input << "\"";
}

const std::string prompt = "\nStage number>5. Do you want to continue?";
const std::string endstages = ": the stage loop ends with the current centre";

class PeakStagePrompt : public testing::TestWithParam<StagePrompt> {};

// A 30 degree arc of radius 1000 whose centre settles in the seventh stage.
TEST_P(PeakStagePrompt, AnswerReplacesTheCounter) {
    const StagePrompt& c = GetParam();
    Session session("", c.input);
    cri = 1e-6;
    const Points p =
        test::pairs({1000.0080, 0.0000, 996.1483, 87.7089, 984.6095, 174.7406, 965.4914, 260.4267,
                     938.9264, 344.1042, 905.1120, 425.1231, 864.3738, 502.8925});
    const auto ans = evaluate(peak, p);
    const std::string console = session.console();
    EXPECT_EQ(count(console, prompt), c.prompts);
    EXPECT_EQ(count(console, "Stage Number = "), c.stages);
    EXPECT_EQ(console.substr(console.find(prompt) + prompt.size(), c.says.size()), c.says);
    expectbounds(peak, p, ans);
}

INSTANTIATE_TEST_SUITE_P(
    Answers, PeakStagePrompt,
    testing::Values(StagePrompt{"1", 1, 7, "\nStage Number = 1\n"},
                    // Asked again at the next stage whose counter exceeds 5.
                    StagePrompt{"5\n", 2, 6, "\nStage Number = 5\n"},
                    StagePrompt{"", 1, 5, "\nNo answer at the console" + endstages},
                    // An unusable answer is asked for again, at most three times in a row.
                    StagePrompt{"abc", 2, 5,
                                "\nThe answer abc is not a whole number of at least 1" + prompt +
                                    "\nNo answer at the console" + endstages},
                    StagePrompt{"0 2", 2, 7,
                                "\nThe answer 0 is not a whole number of at least 1" + prompt +
                                    "\nStage Number = 2\n"},
                    StagePrompt{"-2147483648 x 0 1", 3, 5,
                                "\nThe answer -2147483648 is not a whole number of at least 1" +
                                    prompt + "\nThe answer x is not a whole number of at least 1" +
                                    prompt + "\nThe answer 0 is not a whole number of at least 1" +
                                    "\n3 answers in a row could not be used" + endstages},
                    StagePrompt{"99999999999", 2, 6, "\nStage Number = 2147483646\n"}),
    test::namedby([](const StagePrompt& c) {
        return c.input.empty() ? "ConsoleClosed" : "Answer " + c.input;
    }));

// Both ways out are notes, in result.txt too; the peak circle they leave is
// larger than the circle about the centroid that holds every point, which is
// noted as well.
TEST(Pkcircocal, ClosedConsoleEndsBothLoops) {
    Session session;
    cri = 1e-6;
    oqt = 1;
    const Points p = test::shortarc();
    const auto ans = evaluate(peak, p);
    const std::string notes =
        "\nNo answer at the console: the stage loop ends with the current centre"
        "\nnfindcirc>10. Do you want to continue?"
        "\nNo answer at the console: the search ends with the minimum zone peak circle, "
        "which holds every point"
        "\nThe peak circle found is larger than the circle about the centroid that holds every "
        "point, of radius 1.50711035849; it is not the minimum circumscribing circle";
    EXPECT_EQ(session.console(), "\nStage number>5. Do you want to continue?" + notes);
    EXPECT_NE(session.result().find(
                  "No answer at the console: the stage loop ends with the current centre"
                  "\nNo answer at the console: the search ends with the minimum zone peak "
                  "circle, which holds every point\nThe peak circle found is larger"),
              std::string::npos)
        << session.result();
    // The noted circle, computed here: about the centroid, through the
    // farthest point; smaller than the peak circle reported.
    double cx = 0;
    double cy = 0;
    for (int i = 0; i < p.size(); ++i) {
        cx += p.u[i] / p.size();
        cy += p.v[i] / p.size();
    }
    EXPECT_NEAR(test::farthest(p, cx, cy), 1.50711035849, 1e-10);
    EXPECT_LT(test::farthest(p, cx, cy), ans[2]);
    EXPECT_EQ(oqt, 1); // nobody answered, so the trace stays as it was
    expectbounds(peak, p, ans);
    EXPECT_NEAR(ans[2], test::farthest(p, ans[0], ans[1]), 1e-12);
}

// The cycle prompt answered in job 2700 leaves the full trace on for the jobs
// that follow.
TEST(Pkcirco, AnsweredCyclePromptRaisesTheTraceForLaterJobs) {
    const Points p = test::shortarc();
    std::string jobs = "2700 7 0.000001";
    for (int i = 0; i < p.size(); ++i)
        jobs += " " + std::to_string(p.u[i]) + " " + std::to_string(p.v[i]);
    jobs += " 2600 4 0.000001 1 0 0 1 -1 0 0 -1";
    // Three unusable answers give up the stage loop, 5 answers the first cycle
    // prompt.
    Session session(jobs, "x y z 5");
    oqt = 1;
    EXPECT_EQ(runjobs(), 0);
    EXPECT_EQ(oqt, 3);
    const std::string console = session.console();
    EXPECT_EQ(count(console, "\nnfindcirc>10. Do you want to continue?"), 2);
    // Counter 5 after the answer: six traced cycles before it asks again.
    EXPECT_EQ(count(session.result(), "Peakcr0="), 6);
    const std::string lscirc = console.substr(console.find("Started least square"));
    EXPECT_NE(lscirc.find("\nStage Number = 1"), std::string::npos);
}

// A tolerance that accepts the first stage's system but rejects the later
// ones, which then repeat the first shift for ever: the stage loop stops at
// its bound and the evaluation goes on.
// The valley circle's stages run through the loop every staged circle fit
// shares (bounded, as its own tests show); on this short arc the exchange of
// the second stage reaches its prompt, the closed console stops it, and the
// loop refines the centre no further.
TEST(Vacircocal, StageLoopEndsAfterAStoppedExchange) {
    Session session;
    oqt = 2;
    cri = 0.1;
    Points p;
    for (int i = 0; i < 5; ++i) {
        p.u.push_back(100 * std::cos(i * 2.5 * std::acos(-1.0) / 180));
        p.v.push_back(100 * std::sin(i * 2.5 * std::acos(-1.0) / 180));
    }
    const auto ans = evaluate(valley, p);
    const std::string console = session.console();
    EXPECT_EQ(count(console, "Stage Number = "), 2);
    EXPECT_NE(console.find("\nThe minimum-zone fit was stopped in stage 2"), std::string::npos);
    EXPECT_NE(console.find("Maximum Inscribing Circle Circularity error= "), std::string::npos);
    expectbounds(valley, p, ans);
}

// On this short arc the exchange of the second stage reaches its prompt
// (cri = 0.1), which the closed console answers: the valley circle found from
// that centre is noted in result.txt, on a line of its own before the
// circle's lines, as not to be trusted. (With cri = 0 the stages once ran
// away to such a prompt; the exchange now tells the rounding of its fits from
// deviations and settles there.)
TEST(Vacircocal, RunawayMinimumZoneCircleIsNotedBeforeTheResult) {
    Session session;
    oqt = 2;
    cri = 0.1;
    Points p;
    for (int i = 0; i < 5; ++i) {
        p.u.push_back(100 * std::cos(i * 2.5 * std::acos(-1.0) / 180));
        p.v.push_back(100 * std::sin(i * 2.5 * std::acos(-1.0) / 180));
    }
    evaluate(valley, p);
    const std::string result = session.result();
    const std::size_t noted = result.find("\nThe minimum-zone fit was stopped in stage ");
    ASSERT_NE(noted, std::string::npos) << result;
    EXPECT_LT(noted, result.find("\nMaximum Inscribing Circle Circularity error= "));
}

// Random noisy circles: the peak circle holds every point and is never
// smaller than the minimum enclosing circle. It is that circle in a good
// share of the cases, not all: the method keeps its first two peak points
// throughout and falls back on the minimum-zone peak circle.
TEST(Pkcircocal, AgainstTheMinimumEnclosingCircle) {
    Session session;
    oqt = 1;
    cri = 1e-9;
    std::mt19937 gen(2024);
    constexpr int trials = 300;
    int equal = 0;
    for (int t = 0; t < trials; ++t) {
        const int numpt = std::uniform_int_distribution<int>(8, 60)(gen);
        const double noise =
            25 * std::pow(10.0, std::uniform_real_distribution<double>(-4, -1.5)(gen));
        const Points p = test::noisycircle(gen, numpt, 40, -15, 25, noise);
        const auto ans = evaluate(peak, p);
        const test::Circle mec = test::mec(p, 1e-12);
        expectbounds(peak, p, ans);
        EXPECT_GE(ans[2], mec.r - cri - 1e-12);
        if (std::fabs(ans[2] - mec.r) <= 1e-9) ++equal;
    }
    RecordProperty("equal_to_mec", equal);
    std::printf("peak circle equal to the minimum enclosing circle in %d of %d\n", equal, trials);
    EXPECT_GE(equal, trials * 3 / 10);
}

// The same for the valley circle, on sets small enough for the brute-force
// maximum inscribed circle.
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
        const auto ans = evaluate(valley, p);
        const test::Circle mic = test::mic(p, 1e-12);
        expectbounds(valley, p, ans);
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
