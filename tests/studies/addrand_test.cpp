// Monte Carlo noise: the values of the first draws, one normal stream per
// point, and stdun read afresh on every call.
#include "random/random.h"
#include "studies/studies.h"
#include "tests/harness/harness.h"

#include <gtest/gtest.h>
#include <string>
#include <vector>

namespace formeval {
namespace {

using test::Session;
using test::Workdir;

std::string withstdun(const std::string& stdun) {
    return "10 36 " + stdun + " 3 0 0\n";
}

// The first two normal pairs of stream 0 are about (-1.00339, -0.777078) and
// (0.675456, -0.677504).
TEST(Addrand, NoiseOfPointZeroInTheFirstTwoGenerations) {
    for (const double stdun : {1.0, 0.25}) {
        Workdir dir;
        dir.write("instructions.txt", withstdun(std::to_string(stdun)));
        Session session;
        resetstreams();
        const double u[3] = {10, -4, 7};
        const double v[3] = {20, 5, 0.5};
        double uu[3], vv[3];
        addrand(u, v, 3, uu, vv);
        EXPECT_NEAR(uu[0] - 10, -1.00339 * stdun, 1e-5 * stdun);
        EXPECT_NEAR(vv[0] - 20, -0.777078 * stdun, 1e-6 * stdun);
        addrand(u, v, 3, uu, vv);
        EXPECT_NEAR(uu[0] - 10, 0.675456 * stdun, 1e-6 * stdun);
        EXPECT_NEAR(vv[0] - 20, -0.677504 * stdun, 1e-6 * stdun);
        EXPECT_EQ(session.console(), "");
    }
}

// Point i takes the next pair of stream i, and the pairs of every stream run
// on from call to call; the measured points stay as they were.
TEST(Addrand, PointIDrawsFromStreamI) {
    Workdir dir;
    dir.write("instructions.txt", withstdun("0.5"));
    Session session;
    constexpr int numpt = 40;
    double u[numpt], v[numpt];
    for (int i = 0; i < numpt; ++i) {
        u[i] = 100 + i;
        v[i] = -3.5 * i;
    }
    const std::vector<double> u0(u, u + numpt), v0(v, v + numpt);
    resetstreams();
    double first[numpt][2], second[numpt][2];
    double uu[numpt], vv[numpt];
    addrand(u, v, numpt, uu, vv);
    for (int i = 0; i < numpt; ++i) {
        first[i][0] = uu[i];
        first[i][1] = vv[i];
    }
    addrand(u, v, numpt, uu, vv);
    for (int i = 0; i < numpt; ++i) {
        second[i][0] = uu[i];
        second[i][1] = vv[i];
    }
    EXPECT_EQ(std::vector<double>(u, u + numpt), u0);
    EXPECT_EQ(std::vector<double>(v, v + numpt), v0);

    resetstreams();
    for (int i = numpt - 1; i >= 0; --i) { // stream order does not matter
        float n[2];
        randnorm(i, n);
        EXPECT_EQ(first[i][0], u[i] + static_cast<double>(n[0]) * 0.5);
        EXPECT_EQ(first[i][1], v[i] + static_cast<double>(n[1]) * 0.5);
        randnorm(i, n);
        EXPECT_EQ(second[i][0], u[i] + static_cast<double>(n[0]) * 0.5);
        EXPECT_EQ(second[i][1], v[i] + static_cast<double>(n[1]) * 0.5);
    }
}

TEST(Addrand, ReadsStdunAfreshOnEveryCall) {
    Workdir dir;
    Session session;
    const double u[2] = {1, 2};
    const double v[2] = {3, 4};
    double uu[2], vv[2];
    dir.write("instructions.txt", withstdun("0"));
    ASSERT_TRUE(studystart(2610, asreal));
    addrand(u, v, 2, uu, vv);
    EXPECT_EQ(std::vector<double>(uu, uu + 2), std::vector<double>(u, u + 2));
    EXPECT_EQ(std::vector<double>(vv, vv + 2), std::vector<double>(v, v + 2));
    dir.write("instructions.txt", withstdun("1e-3"));
    addrand(u, v, 2, uu, vv);
    EXPECT_NE(uu[0], u[0]);
    EXPECT_NEAR(uu[0], u[0], 0.01);
    dir.write("instructions.txt", withstdun("0.0"));
    addrand(u, v, 2, uu, vv);
    EXPECT_EQ(uu[1], u[1]);
    EXPECT_EQ(vv[1], v[1]);
}

} // namespace
} // namespace formeval
