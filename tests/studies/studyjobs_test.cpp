// The study jobs of the minimum-zone, peak and valley circles end to end:
// Monte Carlo (2510-2512, 2710-2712, 2810-2812), perturbation (2520) and
// sampling (2550-2575), on a circle whose evaluations are known by hand.
#include "tests/harness/harness.h"
#include "tests/harness/support.h"

#include <cmath>
#include <gtest/gtest.h>
#include <sstream>
#include <string>
#include <vector>

namespace formeval {
namespace {

using test::alternatingcircle;
using test::nonblanklines;
using test::numbersin;

void expectcircle(const std::vector<double>& x, double tolerance) {
    ASSERT_EQ(x.size(), 5u);
    EXPECT_NEAR(x[1], 100, tolerance);
    EXPECT_NEAR(x[2], 20, tolerance);
    EXPECT_NEAR(x[3], 10, tolerance);
    EXPECT_NEAR(x[4], 0.02, tolerance);
}

TEST(Mzcircun, WithoutNoiseEveryRepetitionIsTheMinimumZoneCircle) {
    test::Run setup;
    setup.jobs = "2510\n" + alternatingcircle(8);
    setup.instructions = "0 4 0 3 0 0\n";
    const auto out = test::run(setup);
    ASSERT_EQ(out.status, 0);
    const std::string start = "Started minimum zone circularity uncertainty calculation\n0\n\n0\t";
    EXPECT_EQ(out.console.substr(0, start.size()), start);
    const auto result = nonblanklines(out.result);
    ASSERT_EQ(result.size(), 1000u);
    for (int ii = 0; ii < 1000; ++ii) {
        EXPECT_EQ(result[ii].substr(0, result[ii].find('\t')), std::to_string(ii));
        expectcircle(numbersin(result[ii]), 1e-9);
    }
    // The console repeats each line after an empty one, without a label.
    EXPECT_NE(out.console.find("\n" + result[999] + "\n"), std::string::npos);
    EXPECT_EQ(out.intres, "");
}

TEST(Mzcircun, NoisyRepetitionsScatterAboutTheCircle) {
    test::Run setup;
    setup.jobs = "2511\n" + alternatingcircle(36);
    setup.instructions = "0 4 0.0005 3 0 0\n";
    const auto out = test::run(setup);
    // A repetition whose exchange ends wider than a zone about the
    // least-squares centre or the centroid says so on a line of its own.
    std::vector<std::string> result;
    for (const auto& line : nonblanklines(out.result)) {
        if (line.rfind("The minimum-zone circle found is wider than the zone about the ", 0) == 0)
            EXPECT_NE(line.find("; it is not the minimum zone"), std::string::npos) << line;
        else
            result.push_back(line);
    }
    ASSERT_EQ(result.size(), 10000u);
    double sumr = 0;
    for (const auto& line : result) {
        const auto x = numbersin(line);
        ASSERT_EQ(x.size(), 5u);
        sumr += x[3];
        EXPECT_NEAR(x[1], 100, 0.005);
        EXPECT_GT(x[4], 0.015);
    }
    EXPECT_NEAR(sumr / 10000, 10, 0.001);
}

// The peak and valley circles of the alternating circle touch the outer and
// inner points: radius 10.01 and 9.99 about (100, 20), error 0.02 either way.
struct Labelled {
    int job;
    const char* start;
    const char* label;
    double radius;
};

class PeakValleyStudy : public testing::TestWithParam<Labelled> {};

TEST_P(PeakValleyStudy, LabelsItsConsoleLines) {
    const Labelled& c = GetParam();
    test::Run setup;
    setup.jobs = std::to_string(c.job) + "\n" + alternatingcircle(8);
    setup.instructions = "0 4 0 3 0 0\n";
    const auto out = test::run(setup);
    const std::string start = std::string(c.start) + "\n0\n\n" + c.label + "0\t";
    EXPECT_EQ(out.console.substr(0, start.size()), start);
    const auto result = nonblanklines(out.result);
    ASSERT_EQ(result.size(), 1000u);
    for (int ii = 0; ii < 1000; ii += 111) {
        const auto x = numbersin(result[ii]);
        ASSERT_EQ(x.size(), 5u);
        EXPECT_NEAR(x[1], 100, 1e-9);
        EXPECT_NEAR(x[2], 20, 1e-9);
        EXPECT_NEAR(x[3], c.radius, 1e-9);
        EXPECT_NEAR(x[4], 0.02, 1e-9);
        EXPECT_NE(out.console.find("\n" + std::string(c.label) + result[ii] + "\n"),
                  std::string::npos);
    }
}

INSTANTIATE_TEST_SUITE_P(
    Jobs, PeakValleyStudy,
    testing::Values(Labelled{2710, "Started peak circle circularity uncertainty calculation",
                             "pkcircun", 10.01},
                    Labelled{2810, "Started valley circle circularity uncertainty calculation",
                             "vacircun", 9.99}),
    test::namedby([](const Labelled& c) { return "Job" + std::to_string(c.job); }));

TEST(Mzcircunptb, IntervalsAreCentredOnTheMinimumZoneResult) {
    test::Run setup;
    setup.jobs = "2520\n" + alternatingcircle(8);
    const auto out = test::run(setup);
    EXPECT_EQ(out.console.substr(0, 73),
              "Started minumum zone circularity uncertainty calculation by perturbation\n");
    const auto result = nonblanklines(out.result);
    ASSERT_EQ(result.size(), 1u);
    const auto bounds = numbersin(result[0]);
    ASSERT_EQ(bounds.size(), 8u);
    const double nominal[4] = {100, 20, 10, 0.02};
    for (int j = 0; j < 4; ++j) {
        EXPECT_NEAR((bounds[2 * j] + bounds[2 * j + 1]) / 2, nominal[j], 1e-9);
        EXPECT_GT(bounds[2 * j + 1], bounds[2 * j]);
    }
    EXPECT_EQ(nonblanklines(out.intres).size(), 32u); // 4 per point
    EXPECT_NE(out.console.find(result[0] + "\n"), std::string::npos);
}

struct Sampling {
    int job;
    const char* start;
};

class Mzsamp : public testing::TestWithParam<Sampling> {};

// With the whole circle as the sample every repetition evaluates all points,
// in another order each time.
TEST_P(Mzsamp, FullSamplesGiveTheCircleEveryTime) {
    test::Run setup;
    setup.jobs = std::to_string(GetParam().job) + "\n" + alternatingcircle(12);
    setup.instructions = "0 12 0 3 0 0\n";
    const auto out = test::run(setup);
    ASSERT_EQ(out.status, 0);
    const std::string start = std::string(GetParam().start) + "\n";
    EXPECT_EQ(out.console.substr(0, start.size()), start);
    const auto result = nonblanklines(out.result);
    ASSERT_EQ(result.size(), 10000u);
    for (int ii = 0; ii < 10000; ii += 97) expectcircle(numbersin(result[ii]), 1e-9);
    // One intres.txt record per repetition, each on a line of its own.
    EXPECT_EQ(nonblanklines(out.intres).size(), 10000u);
    EXPECT_EQ(out.intres.substr(0, 3), "\n0\t");
}

const char* const plain = "Started sampling strategy in minimum zone circularity calculation";
const char* const noisy = "Started sampling strategy with Point coordinate uncertainty in "
                          "minimum zone circularity calculation";

INSTANTIATE_TEST_SUITE_P(
    Jobs, Mzsamp,
    testing::Values(Sampling{2550, plain}, Sampling{2560, plain}, Sampling{2570, plain},
                    Sampling{2555, noisy}, Sampling{2565, noisy}, Sampling{2575, noisy}),
    test::namedby([](const Sampling& c) { return "Job" + std::to_string(c.job); }));

TEST(Mzsamp, StratifiedWithoutJitterPicksTheUniformSet) {
    // Both begin with the same start index from the first draw of the run,
    // so their first samples, and results, are the same.
    test::Run setup;
    setup.instructions = "0 4 0 3 0 0\n";
    setup.jobs = "2560\n" + alternatingcircle(36);
    const auto stratified = nonblanklines(test::run(setup).result);
    setup.jobs = "2570\n" + alternatingcircle(36);
    const auto uniform = nonblanklines(test::run(setup).result);
    ASSERT_FALSE(stratified.empty());
    ASSERT_FALSE(uniform.empty());
    EXPECT_EQ(stratified[0], uniform[0]);
}

TEST(Mzsamp, TooSmallASampleIsRefused) {
    test::Run setup;
    setup.jobs = "2550\n" + alternatingcircle(12) + "2600 4 0.000001 1 0 0 1 -1 0 0 -1\n";
    setup.instructions = "0 3 0 3 0 0\n";
    const auto out = test::run(setup);
    EXPECT_EQ(out.result.substr(0, 91),
              "\nJob 2550 not evaluated: a sample of 3 points is too small; "
              "the evaluation needs at least 4");
    EXPECT_NE(out.result.find("r0=1xo=0y0=0"), std::string::npos); // the next job ran
    EXPECT_EQ(out.intres, "");
}

} // namespace
} // namespace formeval
