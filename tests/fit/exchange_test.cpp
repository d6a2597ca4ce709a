// Exchange steps: the Stiefel ratio rule and its tie rules, its trace and its
// singular system, and the trial exchange with degenerate trials and exact
// restoration of the reference set.
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

// Reference rows e1, e2 and 0 make the Stiefel system the identity, so that
// m = (-u0, -u1, 1) and q = m / lamda can be set directly through the
// entering row u and the multipliers.
const Row6 unitrows[3] = {{1, 0}, {0, 1}, {0, 0}};

struct RatioCase {
    double u0, u1;   // entering row (m = (-u0, -u1, 1))
    double lamda[3]; // q = m / lamda
    double hmax, h;  // ehmax = hmax when h > 0, else -hmax
    int kq;
};

class StiefelRatio : public testing::TestWithParam<RatioCase> {};

TEST_P(StiefelRatio, LeavesTheFirstExtremeRatio) {
    Session session;
    cri = 1e-10;
    oqt = 1;
    const RatioCase& c = GetParam();
    const Row5 u[1] = {{c.u0, c.u1}};
    const double f[1] = {0};
    Row7 sm[6];
    double xm[2] = {};
    EXPECT_EQ(stiefexchange(u, f, sm, unitrows, xm, c.lamda, c.hmax, 2, 1, 0, c.h), c.kq);
    EXPECT_EQ(session.console(), "");
}

INSTANTIATE_TEST_SUITE_P(
    Ties, StiefelRatio,
    testing::Values(
        // q = (0.5, 0.2, 0.2): smallest leaves when ehmax > 0 (first of the tie),
        // largest when ehmax <= 0.
        RatioCase{-0.5, -0.2, {1, 1, 5}, 1, 1, 1}, RatioCase{-0.5, -0.2, {1, 1, 5}, -1, 1, 0},
        RatioCase{-0.5, -0.2, {1, 1, 5}, -1, -1, 1},
        // h = 0 counts as negative: the largest ratio leaves.
        RatioCase{-0.5, -0.2, {1, 1, 5}, 1, 0, 0},
        // q = (0.75, 0.75, 0.25): largest tie keeps position 0, smallest is 2.
        RatioCase{-0.75, -0.75, {1, 1, 4}, -1, 1, 0}, RatioCase{-0.75, -0.75, {1, 1, 4}, 1, 1, 2},
        // q = (1, 3, -0.5) with negative multipliers.
        RatioCase{-1, 3, {1, -1, -2}, 1, 1, 2}, RatioCase{-1, 3, {1, -1, -2}, 1, 0, 1}),
    test::namedby([](const RatioCase& c) {
        return "U" + test::testname(c.u0) + "_" + test::testname(c.u1) + "_Lamda" +
               test::testname(c.lamda[0]) + "_" + test::testname(c.lamda[1]) + "_" +
               test::testname(c.lamda[2]) + "_Hmax" + test::testname(c.hmax) + "_H" +
               test::testname(c.h);
    }));

TEST(Stiefexchange, TracesRatiosFromLevelTwo) {
    Session session;
    cri = 1e-10;
    oqt = 2;
    const Row5 u[1] = {{-0.5, -0.2}};
    const double f[1] = {0};
    const double lamda[3] = {1, 1, 5};
    Row7 sm[6];
    double xm[2] = {};
    stiefexchange(u, f, sm, unitrows, xm, lamda, 1, 2, 1, 0, 1);
    const std::string trace = "\nm[i]=0.5  0.2  1  \nq[i]=0.5  0.2  0.2  ";
    EXPECT_EQ(session.console(), trace);
    EXPECT_EQ(session.result(), trace);
    EXPECT_EQ(xm[0], 0.5);
    EXPECT_EQ(xm[1], 0.2);
}

// The entering row expressed through the reference rows: sum_j m[j] v[j] =
// -u[knt] with m[n] = 1, checked on random sets through the kq it implies.
TEST(Stiefexchange, RatiosComeFromTheRowExpansion) {
    Session session;
    cri = 1e-12;
    oqt = 1;
    std::mt19937 gen(5);
    std::uniform_real_distribution<double> dist(-2, 2);
    for (int trial = 0; trial < 200; ++trial) {
        const int n = 1 + trial % 5;
        Row6 v[7] = {};
        Row5 u[1] = {};
        double lamda[6];
        for (int i = 0; i <= n; ++i) {
            lamda[i] = dist(gen);
            for (int j = 0; j < n; ++j) v[i][j] = dist(gen);
        }
        for (int j = 0; j < n; ++j) u[0][j] = dist(gen);
        const double f[1] = {0};
        Row7 sm[6];
        double xm[5] = {};
        const double hmax = dist(gen);
        const double h = dist(gen);
        const int kq = stiefexchange(u, f, sm, v, xm, lamda, hmax, n, 1, 0, h);
        // The expansion holds...
        for (int j = 0; j < n; ++j) {
            double sum = v[n][j];
            for (int i = 0; i < n; ++i) sum += xm[i] * v[i][j];
            EXPECT_NEAR(sum, -u[0][j], 1e-8);
        }
        // ...and kq is the first extreme of m / lamda in the direction of ehmax.
        double q[6];
        for (int i = 0; i < n; ++i) q[i] = xm[i] / lamda[i];
        q[n] = 1 / lamda[n];
        const bool smallest = (h > 0 ? hmax : -hmax) > 0;
        int expected = 0;
        for (int i = 1; i <= n; ++i)
            if (smallest ? q[i] < q[expected] : q[i] > q[expected]) expected = i;
        EXPECT_EQ(kq, expected);
    }
}

TEST(Stiefexchange, SingularSystemUsesThePreviousSolution) {
    Session session;
    cri = 1e-10;
    oqt = 1;
    // A zero first reference row: the system's first column is 0.
    const Row6 v[3] = {{0, 0}, {1, 2}, {3, 4}};
    const Row5 u[1] = {{1, 1}};
    const double f[1] = {0};
    const double lamda[3] = {1, 2, 4};
    Row7 sm[6];
    double xm[2] = {0.3, 0.8};
    // Previous solution: q = (0.3, 0.4, 0.25).
    EXPECT_EQ(stiefexchange(u, f, sm, v, xm, lamda, 1, 2, 1, 0, 1), 2);
    EXPECT_EQ(session.console(), "Coefficient matrix is singular");
    EXPECT_EQ(xm[0], 0.3);
    EXPECT_EQ(xm[1], 0.8);
}

TEST(Triexchange, EveryTrialDegenerateGivesMinusOne) {
    Session session;
    cri = 1e-10;
    oqt = 1;
    Row6 v[3] = {{1, 1}, {1, 1}, {1, 1}};
    double vr[3] = {1, 2, 3};
    const Row5 u[1] = {{1, 1}};
    const double f[1] = {4};
    EXPECT_EQ(triexchange(u, f, v, vr, 2, 1, 0), -1);
    EXPECT_EQ(session.console(), "\ndl= 0\ndl= 0\ndl= 0no kq could be found by trial exchange");
    EXPECT_EQ(session.result(), "no kq could be found by trial exchange");
}

TEST(Triexchange, TracesEachTrialFromLevelTwo) {
    Session session;
    cri = 1e-10;
    oqt = 2;
    // Line x = 0, 1, 2 with observations (0, 0, 0); the point (3, 1) enters.
    Row6 v[3] = {{1, 0}, {1, 1}, {1, 2}};
    double vr[3] = {0, 0, 0};
    const Row5 u[1] = {{1, 3}};
    const double f[1] = {1};
    // Trial sets x = (3, 1, 2), (0, 3, 2), (0, 1, 3): h = -1/4, 1/3, -1/6.
    EXPECT_EQ(triexchange(u, f, v, vr, 2, 1, 0), 1);
    const std::string trials[3] = {"\nht= -0.25", "\nht= 0.333333333333", "\nht= -0.166666666667"};
    for (const std::string& text : {session.console(), session.result()}) {
        size_t at = 0;
        for (const std::string& trial : trials) {
            at = text.find(trial, at);
            ASSERT_NE(at, std::string::npos) << trial << " missing in order from " << text;
        }
        EXPECT_EQ(text.find("\nht= ", at + 1), std::string::npos);
    }
}

class TriexchangeRestore : public testing::TestWithParam<int> {};

// Whatever the trials do, v and vr come back bit for bit, unused columns
// included, and kq is the first position of largest |h| after the swap.
TEST_P(TriexchangeRestore, LeavesTheReferenceSetBitForBit) {
    Session session;
    cri = 1e-12;
    oqt = 1;
    const int n = GetParam();
    std::mt19937 gen(40 + n);
    std::uniform_real_distribution<double> dist(-2, 2);
    for (int trial = 0; trial < 30; ++trial) {
        Row6 v[7];
        double vr[7];
        for (int i = 0; i < 7; ++i) {
            for (int j = 0; j < 6; ++j)
                v[i][j] = j < n ? dist(gen) : std::numeric_limits<double>::quiet_NaN();
            vr[i] = i <= n ? dist(gen) : -0.0;
        }
        v[n][5] = -0.0;
        Row6 vbefore[7];
        double vrbefore[7];
        std::memcpy(vbefore, v, sizeof v);
        std::memcpy(vrbefore, vr, sizeof vr);
        Row5 u[1] = {};
        for (int j = 0; j < n; ++j) u[0][j] = dist(gen);
        const double f[1] = {dist(gen)};

        const int kq = triexchange(u, f, v, vr, n, 1, 0);
        EXPECT_EQ(std::memcmp(vbefore, v, sizeof v), 0);
        EXPECT_EQ(std::memcmp(vrbefore, vr, sizeof vr), 0);

        std::vector<std::array<double, 5>> rows(n + 2);
        std::vector<double> obs(n + 2);
        for (int i = 0; i <= n; ++i) {
            for (int j = 0; j < n; ++j) rows[i][j] = v[i][j];
            obs[i] = vr[i];
        }
        for (int j = 0; j < n; ++j) rows[n + 1][j] = u[0][j];
        obs[n + 1] = f[0];
        double best = 0;
        int expected = -1;
        for (int pos = 0; pos <= n; ++pos) {
            int idx[6];
            for (int i = 0; i <= n; ++i) idx[i] = i == pos ? n + 1 : i;
            const double ht = test::levelled(rows, obs, idx, n);
            if (ht > best * (1 + 1e-9)) {
                best = ht;
                expected = pos;
            }
        }
        EXPECT_EQ(kq, expected);
    }
}

INSTANTIATE_TEST_SUITE_P(Orders, TriexchangeRestore, testing::Values(1, 2, 3, 4, 5),
                         test::namedby([](int n) { return "Order" + std::to_string(n); }));

} // namespace
} // namespace formeval
