// Least-squares engine: the fit against closed-form regression, the sign of
// the deviations, the extremes that start at 0, and the ranking rules.
#include "fit/fit.h"
#include "tests/harness/harness.h"

#include <gtest/gtest.h>
#include <random>

namespace formeval {
namespace {

using test::Session;

TEST(Lsgen, LineMatchesClosedFormRegression) {
    Session session;
    cri = 1e-12;
    std::mt19937 gen(3);
    std::uniform_real_distribution<double> dist(-5, 5);
    const int numpt = 50;
    Row5 a[numpt];
    double y[numpt];
    double sx = 0, sy = 0, sxx = 0, sxy = 0;
    for (int i = 0; i < numpt; ++i) {
        const double x = dist(gen);
        y[i] = 0.7 - 1.3 * x + 0.1 * dist(gen);
        a[i] = {1, x};
        sx += x;
        sy += y[i];
        sxx += x * x;
        sxy += x * y[i];
    }
    const double slope = (numpt * sxy - sx * sy) / (numpt * sxx - sx * sx);
    const double intercept = (sy - slope * sx) / numpt;
    double gs[5] = {};
    Row7 g[6];
    lsgen(a, y, gs, g, 2, numpt);
    EXPECT_NEAR(gs[0], intercept, 1e-12);
    EXPECT_NEAR(gs[1], slope, 1e-12);
    EXPECT_EQ(session.console(), "");
}

TEST(Lsgen, OnePointForThreeParametersIsSingularAndKeepsTheParameters) {
    Session session;
    cri = 1e-10;
    Row5 a[1] = {{1, 0.6, 0.8}};
    double r[1] = {2};
    double gs[5] = {9, 8, 7};
    Row7 g[6];
    lsgen(a, r, gs, g, 3, 1);
    EXPECT_EQ(session.console(), "Coefficient matrix is singular");
    EXPECT_EQ(gs[0], 9);
    EXPECT_EQ(gs[1], 8);
    EXPECT_EQ(gs[2], 7);
}

TEST(Error, IsModelValueMinusObservation) {
    Row5 a[2] = {{1, 0}, {1, 2}};
    double r[2] = {1, 1};
    double gs[2] = {0.5, 1};
    double err[2];
    error(a, r, gs, err, 2, 2);
    EXPECT_EQ(err[0], -0.5);
    EXPECT_EQ(err[1], 1.5);
}

TEST(LeastSquaresEngine, CollinearPointsFitExactlyAndRankNothing) {
    Session session;
    cri = 1e-10;
    Row5 a[3] = {{1, 0}, {1, 1}, {1, 2}};
    double y[3] = {1, 3, 5};
    double gs[5] = {};
    Row7 g[6];
    lsgen(a, y, gs, g, 2, 3);
    double err[3];
    error(a, y, gs, err, 2, 3);
    EXPECT_EQ(lsqerr(err, 2, 3), 0);
    int ne[3] = {-7, -7, -7};
    double em[3] = {1, 1, 1};
    lsqmax(err, ne, em, 2, 3);
    for (int k = 0; k < 3; ++k) {
        EXPECT_EQ(em[k], 0);
        EXPECT_EQ(ne[k], -7); // not written
    }
}

struct LsqerrCase {
    std::vector<double> err;
    double expected;
};

class Lsqerr : public testing::TestWithParam<LsqerrCase> {};

TEST_P(Lsqerr, IsTheSpreadWithZeroIncluded) {
    Session session;
    const auto& c = GetParam();
    EXPECT_EQ(lsqerr(c.err.data(), 1, static_cast<int>(c.err.size())), c.expected);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, Lsqerr,
    testing::Values(LsqerrCase{{0.3, 0.1, 0.2}, 0.3}, LsqerrCase{{-0.3, -0.1}, 0.3},
                    LsqerrCase{{-0.25, 0.5}, 0.75}, LsqerrCase{{}, 0}),
    test::namedby([](const LsqerrCase& c) { return "Deviations_" + test::testname(c.err); }));

TEST(Lsqerr, TracesOnlyAboveLevelTwo) {
    Session session;
    const double err[3] = {0.3, 0.1, 0.2};
    oqt = 3;
    lsqerr(err, 1, 3);
    EXPECT_EQ(session.console(), "\nerlsq=0.3");
    session.clear();
    oqt = 2;
    lsqerr(err, 1, 3);
    EXPECT_EQ(session.console(), "");
}

TEST(Lsqmax, EqualMagnitudesTakeTheLowestIndexFirst) {
    const double err[3] = {-0.5, 0.5, 0.1};
    int ne[2] = {};
    double em[2] = {};
    lsqmax(err, ne, em, 1, 3);
    EXPECT_EQ(ne[0], 0);
    EXPECT_EQ(ne[1], 1);
    EXPECT_EQ(em[0], 0.5);
    EXPECT_EQ(em[1], 0.5);
}

TEST(Lsqmax, RanksAgainstASortByMagnitude) {
    std::mt19937 gen(5);
    std::uniform_real_distribution<double> dist(-1, 1);
    for (int trial = 0; trial < 50; ++trial) {
        std::vector<double> err(30);
        for (auto& e : err) e = dist(gen);
        std::vector<int> order(err.size());
        for (size_t i = 0; i < order.size(); ++i) order[i] = static_cast<int>(i);
        std::stable_sort(order.begin(), order.end(),
                         [&](int a, int b) { return std::fabs(err[a]) > std::fabs(err[b]); });
        int ne[6] = {};
        double em[6] = {};
        lsqmax(err.data(), ne, em, 5, 30);
        for (int k = 0; k < 6; ++k) {
            EXPECT_EQ(ne[k], order[k]);
            EXPECT_EQ(em[k], std::fabs(err[order[k]]));
        }
    }
}

} // namespace
} // namespace formeval
