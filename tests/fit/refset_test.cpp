// Reference-set algebra: multipliers against cofactor expansion, the levelled
// deviation and the fit through the reference points by hand, the row
// substitution of shape, the worst point, and the trace items at each level.
#include "fit/fit.h"
#include "tests/fit/bruteforce.h"
#include "tests/harness/harness.h"

#include <cmath>
#include <cstring>
#include <gtest/gtest.h>
#include <limits>
#include <random>
#include <vector>

namespace formeval {
namespace {

using test::Session;

// The straight line through x = 0, 1, 2, rows (1, x).
const Row6 line3[3] = {{1, 0}, {1, 1}, {1, 2}};

class LamdacalOrder : public testing::TestWithParam<int> {};

// lamda[i] = (-1)^i det(rows without i), and sum_i lamda[i] v[i] = 0.
TEST_P(LamdacalOrder, MatchesCofactorsAndAnnihilatesTheRows) {
    Session session;
    cri = 1e-12;
    oqt = 1;
    const int n = GetParam();
    std::mt19937 gen(11 + n);
    std::uniform_real_distribution<double> dist(-3, 3);
    for (int trial = 0; trial < 20; ++trial) {
        Row6 v[7] = {};
        std::vector<std::array<double, 5>> rows(n + 1);
        for (int i = 0; i <= n; ++i)
            for (int j = 0; j < n; ++j) rows[i][j] = v[i][j] = dist(gen);
        double lamda[7];
        lamdacal(v, n, lamda);
        const int idx[6] = {0, 1, 2, 3, 4, 5};
        const std::array<double, 6> expected = test::multipliers(rows, idx, n);
        double dl = 0;
        for (int i = 0; i <= n; ++i) {
            EXPECT_NEAR(lamda[i], expected[i], 1e-10 * (1 + std::fabs(expected[i])));
            dl += std::fabs(expected[i]);
        }
        EXPECT_NEAR(sumlamda(lamda, n), dl, 1e-10 * dl);
        for (int j = 0; j < n; ++j) {
            double sum = 0;
            for (int i = 0; i <= n; ++i) sum += lamda[i] * v[i][j];
            EXPECT_NEAR(sum, 0, 1e-10 * dl);
        }
    }
}

INSTANTIATE_TEST_SUITE_P(Orders, LamdacalOrder, testing::Values(1, 2, 3, 4, 5),
                         test::namedby([](int n) { return "Order" + std::to_string(n); }));

TEST(Lamdacal, LineThroughThreePointsGivesOneMinusTwoOne) {
    Session session;
    cri = 1e-10;
    oqt = 2;
    double lamda[3];
    lamdacal(line3, 2, lamda);
    EXPECT_EQ(lamda[0], 1);
    EXPECT_EQ(lamda[1], -2);
    EXPECT_EQ(lamda[2], 1);
    EXPECT_EQ(sumlamda(lamda, 2), 4);
    EXPECT_EQ(session.console(), "\nlamda[i]=1  -2  1  \nsum of lamdas=4");
    EXPECT_EQ(session.result(), "\nlamda[i]=1  -2  1  \nsum of lamdas4");
}

TEST(Hmzgen, LevelledDeviationOfTheBentLine) {
    Session session;
    cri = 1e-10;
    oqt = 1;
    const double sr[3] = {0, 1, 0};
    EXPECT_EQ(hmzgen(line3, sr, 2, 3), 0.5);
    EXPECT_EQ(session.console(), "");
}

TEST(Hmzgen, DegenerateSetReportsItsSumAndGivesZero) {
    Session session;
    cri = 1e-10;
    oqt = 1;
    const Row6 same[3] = {{1, 2}, {1, 2}, {1, 2}};
    const double sr[3] = {0, 1, 5};
    EXPECT_EQ(hmzgen(same, sr, 2, 3), 0);
    EXPECT_EQ(session.console(), "\ndl= 0");
    EXPECT_EQ(session.result(), "");
}

TEST(Shape, FitsTheLevelledLineThroughTheReferencePoints) {
    Session session;
    cri = 1e-10;
    oqt = 3;
    const double lamda[3] = {1, -2, 1};
    // Observations (0, 1, 0) shifted by sign(lamda) * h with h = 0.5.
    const double fr[3] = {0.5, 0.5, 0.5};
    double gs[2] = {9, 9};
    Row7 g[6];
    shape(line3, fr, lamda, gs, g, 2);
    EXPECT_EQ(gs[0], 0.5);
    EXPECT_EQ(gs[1], 0);
    EXPECT_EQ(session.console(), "\nCoefficients=0.5   0   ");
    EXPECT_EQ(session.result(), "");

    const Row5 u[3] = {{1, 0}, {1, 1}, {1, 2}};
    const double f[3] = {0, 1, 0};
    double err[3];
    error(u, f, gs, err, 2, 3);
    EXPECT_EQ(err[0], 0.5);
    EXPECT_EQ(err[1], -0.5);
    EXPECT_EQ(err[2], 0.5);
}

TEST(Shape, UsesTheLastRowWhenTheFirstRowsAreDependent) {
    Session session;
    cri = 1e-10;
    oqt = 2;
    // Rows 0 and 1 coincide, so lamda[2] = 0; row 2 takes the place of row 1
    // (the last with a non-zero multiplier) and row 1's observation is unused.
    const Row6 s[3] = {{1, 0}, {1, 0}, {1, 2}};
    const double lamda[3] = {2, -2, 0};
    const double fr[3] = {1, 99, 5};
    double gs[2] = {};
    Row7 g[6];
    shape(s, fr, lamda, gs, g, 2);
    EXPECT_EQ(gs[0], 1);
    EXPECT_EQ(gs[1], 2);
    EXPECT_EQ(session.console(), "");
}

struct WorstCase {
    std::vector<double> err;
    double hmax;
    int knt;
};

class Worst : public testing::TestWithParam<WorstCase> {};

TEST_P(Worst, IsTheFirstLargestMagnitudeWithItsSign) {
    Session session;
    oqt = 2;
    const WorstCase& c = GetParam();
    const int numpt = static_cast<int>(c.err.size());
    EXPECT_EQ(maxer(c.err.data(), numpt), c.hmax);
    EXPECT_EQ(maxerp(c.err.data(), numpt), c.knt);
    EXPECT_EQ(session.console(), "");
}

INSTANTIATE_TEST_SUITE_P(
    Cases, Worst,
    testing::Values(WorstCase{{0, 0, 0}, 0, 0}, WorstCase{{-0.4, 0.4}, -0.4, 0},
                    WorstCase{{0.1, -0.3, 0.3, 0.2}, -0.3, 1},
                    WorstCase{{0.1, 0.2, -0.25}, -0.25, 2}, WorstCase{{}, 0, 0}),
    test::namedby([](const WorstCase& c) { return "Deviations_" + test::testname(c.err); }));

// Against the plain scan that takes a point only when its square is strictly
// larger, on arrays with many ties, zeros of both signs, NaN and infinity.
TEST(Worst, MatchesTheStrictScanOnRandomArrays) {
    Session session;
    oqt = 1;
    std::mt19937 gen(17);
    const double values[] = {0.0,
                             -0.0,
                             0.5,
                             -0.5,
                             0.25,
                             -0.75,
                             0.75,
                             1e-300,
                             1e200,
                             -1e200,
                             std::numeric_limits<double>::quiet_NaN(),
                             std::numeric_limits<double>::infinity()};
    std::uniform_int_distribution<int> pick(0, 11);
    std::uniform_int_distribution<int> length(0, 23);
    for (int trial = 0; trial < 2000; ++trial) {
        const int numpt = length(gen);
        const int kinds = 1 + trial % 12; // the first kinds values only
        std::vector<double> err(numpt);
        for (double& e : err) e = values[pick(gen) % kinds];
        double hmax = 0;
        int knt = 0;
        for (int i = 0; i < numpt; ++i)
            if (err[i] * err[i] > hmax * hmax) {
                hmax = err[i];
                knt = i;
            }
        const double got = maxer(err.data(), numpt);
        EXPECT_EQ(maxerp(err.data(), numpt), knt);
        EXPECT_EQ(std::memcmp(&got, &hmax, sizeof got), 0) << got << " " << hmax;
    }
}

TEST(Maxer, TracesOnlyAboveLevelTwo) {
    Session session;
    oqt = 3;
    const double err[2] = {0.1, -0.4};
    maxer(err, 2);
    EXPECT_EQ(session.console(), "\nin maxer, hmax=  -0.4");
    EXPECT_EQ(session.result(), "");
}

} // namespace
} // namespace formeval
