// The minimum-zone fit against the Chebyshev error found by brute force: the
// largest |levelled deviation| over every (n+1)-point reference set, computed
// here from the determinant formula with a cofactor expansion of its own.
#include "fit/fit.h"
#include "tests/fit/bruteforce.h"
#include "tests/harness/harness.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <gtest/gtest.h>
#include <random>
#include <vector>

namespace formeval {
namespace {

using test::Session;

enum class kind { line, plane, circle, sphere, quadric, gridline, gridplane, repeated };

struct Family {
    const char* name;
    kind k;
    int n;        // model parameters
    int maxpt;    // point sets of 5 .. maxpt points (at least n + 1)
    int trials;   // random point sets
    int required; // least number of them matched to 1e-9 relative
};

// One random point set: coefficient rows and observations near a model.
// Circles and spheres use the rows of the linearised fits, (1, direction).
// Grid lines repeat x values and grid planes take distinct nodes of a 7 x 7
// grid (many collinear triples), so that reference sets with a zero
// multiplier come up and the trial exchange runs; "repeated" planes measure
// some grid nodes twice.
void pointset(kind k, std::mt19937& gen, int numpt, Row5* u, double* f) {
    std::uniform_real_distribution<double> coord(-50, 50);
    std::uniform_real_distribution<double> noise(-0.01, 0.01);
    std::uniform_int_distribution<int> grid(0, 4);
    std::vector<int> nodes(49);
    for (int i = 0; i < 49; ++i) nodes[i] = i;
    std::shuffle(nodes.begin(), nodes.end(), gen);
    double c[5];
    for (double& ci : c) ci = coord(gen) / 50;
    for (int p = 0; p < numpt; ++p) {
        double x = coord(gen), y = coord(gen), z = 0;
        if (k == kind::gridline) x = grid(gen);
        if (k == kind::gridplane) {
            x = nodes[p] % 7;
            y = nodes[p] / 7;
        }
        if (k == kind::repeated) {
            x = grid(gen);
            y = grid(gen);
        }
        if (k == kind::circle) {
            const double theta = x / 50 * 3.14159265358979;
            x = std::cos(theta);
            y = std::sin(theta);
        }
        if (k == kind::sphere) {
            z = coord(gen);
            const double r = std::sqrt(x * x + y * y + z * z);
            x /= r;
            y /= r;
            z /= r;
        }
        u[p] = {1, x, y, z, 0};
        if (k == kind::quadric) u[p] = {1, x, y, x * y / 50, (x * x - y * y) / 50};
        f[p] = noise(gen);
        for (int j = 0; j < 5; ++j) f[p] += c[j] * u[p][j];
    }
}

struct Outcome {
    double emz;   // returned width
    double e;     // brute-force Chebyshev error
    double worst; // largest |deviation| of the returned fit
    bool asked;   // the operator prompt came up
};

// Evaluates one point set as the evaluators do (least squares, then the
// minimum zone from the lsqmax set), quietly and with the console closed, and
// checks that err belongs to gs.
Outcome evaluate(const Family& fam, std::mt19937& gen, int numpt, std::string& console) {
    const int n = fam.n;
    test::Session session; // closed console input: a prompt counts as "N"
    cri = 1e-10;
    oqt = 1;
    static Row5 u[nsz];
    static double f[nsz];
    pointset(fam.k, gen, numpt, u, f);
    double gs[5] = {};
    double err[nsz];
    Row7 g[6], sm[6];
    double xm[5];
    int ne[6] = {0, 1, 2, 3, 4, 5};
    double em[6];
    lsgen(u, f, gs, g, n, numpt);
    error(u, f, gs, err, n, numpt);
    lsqerr(err, n, numpt);
    lsqmax(err, ne, em, n, numpt);
    Outcome out{};
    out.emz = mzgen(u, f, ne, gs, err, sm, xm, g, n, numpt);
    out.asked = problem;
    console = session.console();
    EXPECT_EQ(session.result(), "");

    const std::vector<std::array<double, 5>> rows(u, u + numpt);
    const std::vector<double> obs(f, f + numpt);
    out.e = test::chebyshev(rows, obs, n);
    for (int p = 0; p < numpt; ++p) {
        double model = 0;
        for (int j = 0; j < n; ++j) model += gs[j] * rows[p][j];
        if (!out.asked) { EXPECT_NEAR(err[p], model - obs[p], 1e-12 * (1 + std::fabs(obs[p]))); }
        out.worst = std::max(out.worst, std::fabs(err[p]));
    }
    return out;
}

// What the stopping rule guarantees: |h| <= E <= worst deviation, and the
// worst deviation within 1 % of h in squares.
void expectbounds(const Outcome& o, const char* name, int trial) {
    const double h = o.emz / 2;
    const double slack = 1e-9 * o.e;
    EXPECT_LE(h, o.e + slack) << name << " trial " << trial;
    EXPECT_LE(o.e, o.worst + slack) << name << " trial " << trial;
    EXPECT_LT(o.worst * o.worst - h * h, 0.01 * h * h) << name << " trial " << trial;
}

bool matches(const Outcome& o) {
    return std::fabs(o.emz / 2 - o.e) <= 1e-9 * o.e;
}

class Chebyshev : public testing::TestWithParam<Family> {};

TEST_P(Chebyshev, WidthIsBoundedByTheBruteForceError) {
    const Family fam = GetParam();
    std::mt19937 gen(20240 + static_cast<int>(fam.k));
    std::uniform_int_distribution<int> count(std::max(5, fam.n + 1), fam.maxpt);
    int matched = 0;
    for (int trial = 0; trial < fam.trials; ++trial) {
        std::string console;
        const Outcome o = evaluate(fam, gen, count(gen), console);
        ASSERT_FALSE(o.asked) << fam.name << " trial " << trial << " asked the operator";
        // Grid sets meet degenerate trial sets, which are reported whatever
        // the trace level; nothing else may be written.
        if (fam.k == kind::gridline || fam.k == kind::gridplane)
            EXPECT_EQ(console.find("Continue?"), std::string::npos);
        else
            EXPECT_EQ(console, "");
        expectbounds(o, fam.name, trial);
        if (matches(o)) ++matched;
    }
    RecordProperty("matched", matched);
    std::cout << fam.name << ": width matched the brute-force Chebyshev error on " << matched
              << " of " << fam.trials << " point sets\n";
    EXPECT_GE(matched, fam.required);
}

// The point sets are the same in every run (a seeded generator), and so is
// the number matched: the bounds sit a few sets below it (lines 963 of 1000,
// planes 389 of 400, circles 387, spheres 297 of 300, quadrics 200 of 200,
// grid lines 389 and grid planes 393 of 400), so that a fit that misses the
// optimum more often fails.
INSTANTIATE_TEST_SUITE_P(Fits, Chebyshev,
                         testing::Values(Family{"lines", kind::line, 2, 40, 1000, 955},
                                         Family{"planes", kind::plane, 3, 40, 400, 385},
                                         Family{"circles", kind::circle, 3, 40, 400, 383},
                                         Family{"spheres", kind::sphere, 4, 14, 300, 295},
                                         Family{"quadrics", kind::quadric, 5, 11, 200, 198},
                                         Family{"gridlines", kind::gridline, 2, 40, 400, 385},
                                         Family{"gridplanes", kind::gridplane, 3, 40, 400, 389}),
                         [](const auto& info) { return std::string(info.param.name); });

// Points measured twice give reference sets with two zero multipliers, on
// which the exchange can cycle until the operator is asked. Without an
// operator such a run must stop with the abort value and problem raised;
// every other run must meet the bounds.
TEST(Chebyshev, RepeatedPlanePointsConvergeOrStopCleanly) {
    const Family fam{"repeated", kind::repeated, 3, 40, 200, 0};
    // 6 of the 200 runs stop in every run of this test.
    constexpr int moststopped = 8;
    std::mt19937 gen(777);
    std::uniform_int_distribution<int> count(5, fam.maxpt);
    int stopped = 0;
    for (int trial = 0; trial < fam.trials; ++trial) {
        std::string console;
        const Outcome o = evaluate(fam, gen, count(gen), console);
        if (o.asked) {
            ++stopped;
            EXPECT_EQ(o.emz, 1.0e9);
            EXPECT_NE(console.find("No answer at the console"), std::string::npos);
        } else {
            expectbounds(o, fam.name, trial);
        }
    }
    RecordProperty("stopped", stopped);
    std::cout << "repeated plane points: " << stopped << " of " << fam.trials
              << " runs stopped at the operator prompt\n";
    EXPECT_LE(stopped, moststopped);
}

} // namespace
} // namespace formeval
