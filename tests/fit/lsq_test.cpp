// Least-squares engine: the fit against closed-form regression, the sign of
// the deviations, the extremes that start at 0, and the ranking rules.
#include "fit/fit.h"
#include "linalg/linalg.h"
#include "tests/harness/harness.h"

#include <cmath>
#include <cstring>
#include <gtest/gtest.h>
#include <random>
#include <vector>

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

// The normal equations summed point by point, each sum from 0 in point
// order: the same fit to the last bit as sums taken that way here, for every
// model size (five is not a compiled one) and counts of points either side of
// a whole number of pairs.
TEST(Lsgen, NormalEquationsAreSummedPointByPoint) {
    Session session;
    cri = 1e-14;
    std::mt19937 gen(8);
    std::uniform_real_distribution<double> unit(-3, 3);
    for (int n = 2; n <= 5; ++n)
        for (int numpt : {6, 7, 8, 9, 360, 361}) {
            std::vector<Row5> x(numpt);
            std::vector<double> r(numpt);
            for (int p = 0; p < numpt; ++p) {
                for (int j = 0; j < n; ++j) x[p][j] = unit(gen);
                r[p] = unit(gen);
            }
            Row7 g[6] = {};
            for (int p = 0; p < numpt; ++p)
                for (int i = 0; i < n; ++i) {
                    for (int j = i; j < n; ++j) g[i][j] += x[p][i] * x[p][j];
                    g[i][n] += x[p][i] * r[p];
                }
            for (int i = 0; i < n; ++i)
                for (int j = 0; j < i; ++j) g[i][j] = g[j][i];
            double expected[5] = {};
            gauss(g, n, expected);
            double gs[5] = {};
            Row7 h[6];
            lsgen(x.data(), r.data(), gs, h, n, numpt);
            EXPECT_EQ(std::memcmp(gs, expected, sizeof gs), 0) << n << " parameters, " << numpt;
        }
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

// errmax's deviations are error's, and its point is the first of largest
// square, a NaN never taken and point 0 when every square is 0: against a scan
// one point at a time, over lengths that end on every lane and tail, with
// deviations drawn from a few values so that ties fall across lanes, and
// models of two to five parameters (the last not a compiled size).
TEST(Errmax, IsTheFirstLargestSquareOfErrorsDeviations) {
    std::mt19937 gen(11);
    const double values[] = {-1, -0.5, 0, 0.5, 1, std::nan("")};
    std::uniform_int_distribution<int> pick(0, 5);
    std::uniform_real_distribution<double> unit(-2, 2);
    for (int trial = 0; trial < 3000; ++trial) {
        const int n = 2 + trial % 4;
        const int numpt = trial / 4 % 14;
        std::vector<Row5> x(numpt + 1);
        std::vector<double> r(numpt + 1);
        double gs[5];
        for (int j = 0; j < n; ++j) gs[j] = trial % 3 ? unit(gen) : 0;
        for (int p = 0; p < numpt; ++p) {
            for (int j = 0; j < n; ++j) x[p][j] = unit(gen);
            // With gs all 0 the deviations are -r: the chosen values.
            r[p] = trial % 3 ? unit(gen) : values[pick(gen)];
        }
        std::vector<double> err(numpt + 1), expected(numpt + 1);
        int worst = 0;
        double largest = 0;
        for (int p = 0; p < numpt; ++p) {
            double model = 0;
            for (int j = 0; j < n; ++j) model += gs[j] * x[p][j];
            expected[p] = model - r[p];
            if (expected[p] * expected[p] > largest) {
                largest = expected[p] * expected[p];
                worst = p;
            }
        }
        ASSERT_EQ(errmax(x.data(), r.data(), gs, err.data(), n, numpt), worst)
            << "trial " << trial << ", " << numpt << " points";
        std::vector<double> plain(numpt + 1);
        error(x.data(), r.data(), gs, plain.data(), n, numpt);
        for (int p = 0; p < numpt; ++p) {
            EXPECT_EQ(std::memcmp(&err[p], &expected[p], sizeof(double)), 0) << trial << " " << p;
            EXPECT_EQ(std::memcmp(&plain[p], &expected[p], sizeof(double)), 0) << trial << " " << p;
        }
    }
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
