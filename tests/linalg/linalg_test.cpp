// Dense solver and determinant: pivoting and tie rules, the zero-pivot test,
// the untested last pivot, and determinants against cofactor expansion.
#include "linalg/linalg.h"
#include "tests/harness/harness.h"

#include <cmath>
#include <gtest/gtest.h>
#include <random>
#include <vector>

namespace formeval {
namespace {

using test::Session;

// Determinant by cofactor expansion along the first row: independent of the
// elimination under test.
double cofactor(const std::vector<std::vector<double>>& m) {
    const size_t n = m.size();
    if (n == 1) return m[0][0];
    double det = 0;
    for (size_t c = 0; c < n; ++c) {
        std::vector<std::vector<double>> minor;
        for (size_t r = 1; r < n; ++r) {
            std::vector<double> row;
            for (size_t k = 0; k < n; ++k)
                if (k != c) row.push_back(m[r][k]);
            minor.push_back(row);
        }
        det += (c % 2 ? -1 : 1) * m[0][c] * cofactor(minor);
    }
    return det;
}

TEST(Find, TakesTheUpperRowOnEqualMagnitudes) {
    Row7 a[3] = {{1, 0}, {-3, 0}, {3, 0}};
    EXPECT_EQ(find(a, 3, 0), 1);
    Row7 b[3] = {{4, 0}, {-4, 0}, {2, 0}};
    EXPECT_EQ(find(b, 3, 0), 0); // already the pivot row: no swap needed
    Row7 c[3] = {{9, 9}, {0, 1}, {0, -1}};
    EXPECT_EQ(find(c, 3, 1), 1); // rows above k are never considered
}

TEST(Change, SwapsColumnsZeroToN) {
    Row7 a[2] = {{1, 2, 3, 7}, {4, 5, 6, 8}};
    change(a, 2, 0, 1);
    EXPECT_EQ(a[0], (Row7{4, 5, 6, 7})); // columns 0..n only: column 3 stays
    EXPECT_EQ(a[1], (Row7{1, 2, 3, 8}));
    change(a, 2, 1, 1);
    EXPECT_EQ(a[1], (Row7{1, 2, 3, 8}));
}

TEST(Gauss, SolvesRandomSystemsOfEveryOrder) {
    Session session;
    cri = 1e-12;
    std::mt19937 gen(7);
    std::uniform_real_distribution<double> dist(-10, 10);
    for (int n = 1; n <= 6; ++n)
        for (int trial = 0; trial < 20; ++trial) {
            Row7 a[6] = {};
            Row7 orig[6] = {};
            for (int i = 0; i < n; ++i)
                for (int j = 0; j <= n; ++j) orig[i][j] = a[i][j] = dist(gen);
            double x[6] = {};
            gauss(a, n, x);
            for (int i = 0; i < n; ++i) {
                double lhs = 0;
                for (int j = 0; j < n; ++j) lhs += orig[i][j] * x[j];
                EXPECT_NEAR(lhs, orig[i][n], 1e-8 * (1 + std::fabs(orig[i][n])));
            }
        }
    EXPECT_EQ(session.console(), "");
}

TEST(Gauss, OneEquationDividesWithoutTest) {
    Session session;
    cri = 1.0; // a pivot of 0.5 would fail the test, but n = 1 has none
    Row7 a[1] = {{0.5, 2.0}};
    double x[1] = {0};
    gauss(a, 1, x);
    EXPECT_EQ(x[0], 4.0);
    EXPECT_EQ(session.console(), "");
}

TEST(Gauss, ZeroFirstColumnIsSingularAndLeavesTheSolution) {
    Session session;
    cri = 1e-10;
    Row7 a[2] = {{0, 1, 3}, {0, 2, 4}};
    double x[2] = {11, 12};
    gauss(a, 2, x);
    EXPECT_EQ(session.console(), "Coefficient matrix is singular");
    EXPECT_EQ(x[0], 11);
    EXPECT_EQ(x[1], 12);
}

TEST(Gauss, PivotWhoseSquareEqualsTheToleranceSquaredIsAccepted) {
    Session session;
    cri = -0.5; // the sign of the tolerance is irrelevant
    Row7 a[2] = {{0.5, 0, 1}, {0, 1, 2}};
    double x[2] = {};
    gauss(a, 2, x);
    EXPECT_EQ(session.console(), "");
    EXPECT_EQ(x[0], 2);
    EXPECT_EQ(x[1], 2);
}

TEST(Gauss, ZeroToleranceNeverRejectsAndDividesByZero) {
    Session session;
    cri = 0;
    Row7 a[2] = {{1, 2, 3}, {2, 4, 6}};
    double x[2] = {};
    gauss(a, 2, x);
    EXPECT_EQ(session.console(), "");
    EXPECT_FALSE(std::isfinite(x[1]));
}

TEST(Gauss, LastPivotIsNeverTested) {
    Session session;
    cri = 1e-6;
    Row7 a[2] = {{1, 1, 1}, {1, 1 + 1e-9, 2}}; // singular only in the last column
    double x[2] = {};
    gauss(a, 2, x);
    EXPECT_EQ(session.console(), "");
    EXPECT_GT(std::fabs(x[1]), 1e8);
}

TEST(Detmnt, SwapChangesTheSignAndTheBlockIsRestored) {
    Session session;
    cri = 1e-10;
    Row7 a[2] = {{0, 1, 5}, {1, 0, 6}};
    EXPECT_EQ(detmnt(a, 2), -1);
    EXPECT_EQ(a[0][0], 0);
    EXPECT_EQ(a[0][1], 1);
    EXPECT_EQ(a[1][0], 1);
    EXPECT_EQ(a[1][1], 0);
}

TEST(Detmnt, OneByOneIsTheElementWithoutTest) {
    Session session;
    cri = 1;
    Row7 a[1] = {{1e-20}};
    EXPECT_EQ(detmnt(a, 1), 1e-20);
}

TEST(Detmnt, SingularIsExactlyZeroAndSilent) {
    Session session;
    cri = 1e-10;
    Row7 a[3] = {{0, 1, 2}, {0, 3, 4}, {0, 5, 7}};
    EXPECT_EQ(detmnt(a, 3), 0.0);
    EXPECT_EQ(session.console(), "");
}

TEST(Detmnt, AgreesWithCofactorExpansion) {
    Session session;
    cri = 1e-12;
    std::mt19937 gen(11);
    std::uniform_real_distribution<double> dist(-3, 3);
    for (int n = 1; n <= 6; ++n)
        for (int trial = 0; trial < 20; ++trial) {
            Row7 a[6] = {};
            std::vector<std::vector<double>> m(n, std::vector<double>(n));
            for (int i = 0; i < n; ++i)
                for (int j = 0; j < n; ++j) m[i][j] = a[i][j] = dist(gen);
            const double expected = cofactor(m);
            EXPECT_NEAR(detmnt(a, n), expected, 1e-9 * (1 + std::fabs(expected))) << "n=" << n;
            for (int i = 0; i < n; ++i)
                for (int j = 0; j < n; ++j) EXPECT_EQ(a[i][j], m[i][j]);
        }
}

TEST(Dispmat, PrintsRowsWithTwoBlanksAfterEachValue) {
    Session session;
    Row7 a[2] = {{1, 2, 3}, {4, 5, 6}};
    dispmat(a, 2);
    EXPECT_EQ(session.console(), "\n1  2  3  \n4  5  6  \n\n");
    session.clear();
    Row5 c[2] = {{1, 2, 3, 4, 5}, {6, 7, 8, 9, 10}};
    dispmat99(c, 2, 2);
    EXPECT_EQ(session.console(), "\n1  2  3  \n6  7  8  \n\n");
    session.clear();
    dispmat99(c, 5, 1); // a coefficient row has five values, never more
    EXPECT_EQ(session.console(), "\n1  2  3  4  5  \n\n");
}

} // namespace
} // namespace formeval
