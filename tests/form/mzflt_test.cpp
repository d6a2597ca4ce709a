// Flatness, job 3000: the five-point plane in full, invariance under an added
// plane, random planes against a brute-force Chebyshev fit, and thin but
// valid point sets.
#include "form/form.h"
#include "form/jobs.h"
#include "tests/fit/bruteforce.h"
#include "tests/form/formtext.h"
#include "tests/harness/harness.h"
#include "tests/harness/support.h"

#include <cmath>
#include <gtest/gtest.h>
#include <random>
#include <sstream>
#include <string>
#include <vector>

namespace formeval {
namespace {

using test::g12;

struct Points {
    std::vector<double> x, y, z;

    std::string record(double tolerance = 1e-9) const {
        std::ostringstream text;
        text.precision(17);
        text << x.size() << " " << tolerance;
        for (size_t i = 0; i < x.size(); ++i) text << " " << x[i] << " " << y[i] << " " << z[i];
        return text.str() + " ";
    }
};

// (0, 0, d), (1, 0, -d), (0, 1, -d), (1, 1, d), (0.5, 0.5, 0): both planes
// are z = 0, both errors 2d.
Points fivepoints(double d) {
    return {{0, 1, 0, 1, 0.5}, {0, 0, 1, 1, 0.5}, {d, -d, -d, d, 0}};
}

std::string fiveresult(double d) {
    const Points p = fivepoints(d);
    std::string listing;
    for (int i = 0; i < 5; ++i)
        listing +=
            "\n" + g12(p.x[i]) + "   " + g12(p.y[i]) + "   " + g12(p.z[i]) + "   " + g12(-p.z[i]);
    const std::string plane = "\nz0=0   l0=0   m0=0";
    return listing + "\nLeast square flatness error=" + g12(2 * d) + plane + listing +
           "\nMinimum zone  flatness error=" + g12(2 * d) + plane;
}

class FivePointPlane : public testing::TestWithParam<double> {};

TEST_P(FivePointPlane, WritesEveryItemAtTraceLevelOne) {
    const double d = GetParam();
    test::Session session(fivepoints(d).record());
    oqt = 1;
    mzflt(test::job(3000));
    test::expectnear(session.result(), fiveresult(d), 1e-10 * d);
    test::expectnear(session.console(), "\nStarted flatness error calculation" + fiveresult(d),
                     1e-10 * d);
}

TEST_P(FivePointPlane, EndToEnd) {
    const double d = GetParam();
    test::Run setup;
    setup.jobs = "3000 " + fivepoints(d).record();
    const auto out = test::run(setup);
    EXPECT_EQ(out.status, 0);
    EXPECT_EQ(out.console.rfind("\nStarted flatness error calculation", 0), 0u);
    test::expectnear(test::itemtext(out.result), test::itemtext(fiveresult(d)), 1e-10 * d);
    test::expectnear(test::itemtext(out.console),
                     test::itemtext("\nStarted flatness error calculation" + fiveresult(d) + "\a"),
                     1e-10 * d);
}

INSTANTIATE_TEST_SUITE_P(Deviations, FivePointPlane, testing::Values(1.0, 0.003),
                         test::namedby([](double d) { return "Deviation" + test::testname(d); }));

Points noisyplane(int seed, int numpt) {
    std::mt19937 gen(seed);
    std::uniform_real_distribution<double> where(-50, 50), noise(-0.005, 0.005);
    Points p;
    for (int i = 0; i < numpt; ++i) {
        p.x.push_back(where(gen));
        p.y.push_back(where(gen));
        p.z.push_back(2 + 0.01 * p.x.back() - 0.02 * p.y.back() + noise(gen));
    }
    return p;
}

std::vector<double> evaluate(const Points& p) {
    test::Session session(p.record(1e-12));
    oqt = 1;
    mzflt(test::job(3000));
    return test::numbers(session.result()).values;
}

// Adding a + b x + c y to every z changes only z0, l0 and m0 (by a, b, c)
// and the z column of the listings.
struct Added {
    double a, b, c;
};

class AddedPlane : public testing::TestWithParam<Added> {};

TEST_P(AddedPlane, ChangesOnlyThePlaneParameters) {
    const Added add = GetParam();
    constexpr int numpt = 15;
    const Points p = noisyplane(7, numpt);
    Points q = p;
    for (int i = 0; i < numpt; ++i) q.z[i] += add.a + add.b * q.x[i] + add.c * q.y[i];
    const std::vector<double> before = evaluate(p);
    const std::vector<double> after = evaluate(q);
    const size_t half = 4 * numpt + 4;
    ASSERT_EQ(before.size(), 2 * half);
    ASSERT_EQ(after.size(), 2 * half);
    for (size_t start : {size_t{0}, half}) {
        for (int i = 0; i < numpt; ++i) {
            const size_t at = start + 4 * i;
            EXPECT_EQ(after[at], before[at]);
            EXPECT_EQ(after[at + 1], before[at + 1]);
            EXPECT_NEAR(after[at + 3], before[at + 3], 1e-9) << "residual of point " << i;
        }
        const size_t tail = start + 4 * numpt;
        EXPECT_NEAR(after[tail], before[tail], 1e-9); // the error
        EXPECT_NEAR(after[tail + 1], before[tail + 1] + add.a, 1e-8);
        EXPECT_NEAR(after[tail + 2], before[tail + 2] + add.b, 1e-10);
        EXPECT_NEAR(after[tail + 3], before[tail + 3] + add.c, 1e-10);
    }
}

INSTANTIATE_TEST_SUITE_P(Planes, AddedPlane,
                         testing::Values(Added{5, 0, 0}, Added{0, 0.3, 0}, Added{-2, 0.7, -1.1},
                                         Added{1e3, -25, 40}),
                         test::namedby([](const Added& p) {
                             return "A" + test::testname(p.a) + "_B" + test::testname(p.b) + "_C" +
                                    test::testname(p.c);
                         }));

class RandomPlane : public testing::TestWithParam<int> {};

TEST_P(RandomPlane, MatchesTheBruteForceChebyshevFit) {
    constexpr int numpt = 11;
    const Points p = noisyplane(GetParam(), numpt);
    std::vector<std::array<double, 5>> rows;
    for (int i = 0; i < numpt; ++i) rows.push_back({1, p.x[i], p.y[i]});
    const std::vector<double> v = evaluate(p);
    ASSERT_EQ(v.size(), 2u * (4 * numpt + 4));
    const double emz = v[2 * (4 * numpt) + 4];
    const double cheb = 2 * test::chebyshev(rows, p.z, 3);
    EXPECT_GE(emz, cheb * (1 - 1e-9));
    EXPECT_LE(emz, cheb * 1.005);
}

// The exchange of seed 20 stops with the worst point above |h|, where 2|h|
// understates the zone.
INSTANTIATE_TEST_SUITE_P(Seeds, RandomPlane, testing::Values(1, 2, 3, 4, 5, 6, 20),
                         test::namedby([](int seed) { return "Seed" + std::to_string(seed); }));

// A strip one micrometre wide and a hundred millimetres long, far from the
// origin, still determines its plane.
TEST(Mzflt, ThinStripIsEvaluated) {
    Points p;
    for (int i = 0; i < 8; ++i) {
        p.x.push_back(1000 + 12.5 * i);
        p.y.push_back(-500 + 0.001 * (i % 2));
        p.z.push_back(0.002 * ((i * 7) % 3));
    }
    test::Session session(p.record());
    oqt = 1;
    mzflt(test::job(3000));
    EXPECT_EQ(session.result().find("not evaluated"), std::string::npos);
    EXPECT_NE(session.result().find("Minimum zone  flatness error="), std::string::npos);
}

} // namespace
} // namespace formeval
