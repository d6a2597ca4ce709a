// The perturbation studies: the intervals of the shared body against a hand
// computation, and job 2620 end to end.
#include "form/form.h"
#include "studies/studies.h"
#include "tests/harness/harness.h"
#include "tests/harness/support.h"

#include <algorithm>
#include <cmath>
#include <gtest/gtest.h>
#include <sstream>
#include <string>
#include <vector>

namespace formeval {
namespace {

using test::numbersin;
using test::Session;

// Stand-in computation whose responses are known by hand: the means of u and
// of v (influence 2.5 / numpt of every x, resp. y), u[0] (influence 2.5 of x
// of point 0 alone) and |u[1] - 7| (a kink: both moves of x of point 1 change
// it by +2.5, influence 2.5).
void handcal(const double* u, const double* v, int numpt, Circlefit& ans) {
    double su = 0;
    double sv = 0;
    for (int i = 0; i < numpt; ++i) {
        su += u[i];
        sv += v[i];
    }
    ans[0] = su / numpt;
    ans[1] = sv / numpt;
    ans[2] = u[0];
    ans[3] = std::fabs(u[1] - 7);
}

void constantcal(const double*, const double*, int, Circlefit& ans) {
    ans[0] = 3;
    ans[1] = -2;
    ans[2] = 8.5;
    ans[3] = 0.125;
}

// Points (1, 2), (7, 4), (3, 6), (5, 8): nominal (4, 5, 1, 0). Standard
// uncertainties sqrt(4 * 0.625^2) = 1.25 for both means, 2.5 for the others.
TEST(Circunptb, IntervalsFromAHandComputation) {
    Session session("4 0.000001 1 2 7 4 3 6 5 8\n");
    circunptb(test::Standin(2620, handcal, 3), "Perturbing");
    const std::string line = "1.5\t6.5\t2.5\t7.5\t-4\t6\t-5\t5\n";
    EXPECT_EQ(session.console(), "Perturbing\n" + line);
    EXPECT_EQ(session.result(), line);
    EXPECT_EQ(session.intres(), "0\t4.625\t5\t3.5\t0\n0\t3.375\t5\t-1.5\t0\n"
                                "1\t4.625\t5\t1\t2.5\n1\t3.375\t5\t1\t2.5\n"
                                "2\t4.625\t5\t1\t0\n2\t3.375\t5\t1\t0\n"
                                "3\t4.625\t5\t1\t0\n3\t3.375\t5\t1\t0\n"
                                "0\t4\t5.625\t1\t0\n0\t4\t4.375\t1\t0\n"
                                "1\t4\t5.625\t1\t0\n1\t4\t4.375\t1\t0\n"
                                "2\t4\t5.625\t1\t0\n2\t4\t4.375\t1\t0\n"
                                "3\t4\t5.625\t1\t0\n3\t4\t4.375\t1\t0\n");
    EXPECT_EQ(oqt, 1);
}

TEST(Circunptb, NoInfluenceCollapsesTheIntervals) {
    Session session("3 0.000001 1 0 0 1 -1 0\n");
    circunptb(test::Standin(2620, constantcal, 3), "Perturbing");
    EXPECT_EQ(session.result(), "3\t3\t-2\t-2\t8.5\t8.5\t0.125\t0.125\n");
}

// The intervals are centred on the nominal least-squares circle, which job
// 2600 in the same run reports; the line starts on a line of its own.
TEST(Lscircunptb, Job2620EndToEnd) {
    const std::string record = "6 0.000001 10.2 0.1 0.1 9.9 -9.8 -0.2 -0.3 -10.1 7.1 7 -7 7.2\n";
    test::Run setup;
    setup.jobs = "2600 " + record + "2620 " + record;
    const auto out = test::run(setup);
    EXPECT_EQ(out.status, 0);

    const auto r0 = out.result.find("\nr0=");
    const auto xo = out.result.find("xo=", r0);
    const auto y0 = out.result.find("y0=", xo);
    const auto end = out.result.find('\n', y0);
    ASSERT_NE(end, std::string::npos);
    const double nominal[3] = {std::stod(out.result.substr(xo + 3, y0 - xo - 3)),
                               std::stod(out.result.substr(y0 + 3, end - y0 - 3)),
                               std::stod(out.result.substr(r0 + 4, xo - r0 - 4))};
    const std::string line = out.result.substr(end + 1);
    ASSERT_EQ(line.back(), '\n');
    EXPECT_EQ(std::count(line.begin(), line.end(), '\t'), 7);
    const auto bounds = numbersin(line);
    ASSERT_EQ(bounds.size(), 8u);
    for (int j = 0; j < 3; ++j)
        EXPECT_NEAR((bounds[2 * j] + bounds[2 * j + 1]) / 2, nominal[j], 1e-9);
    for (int j = 0; j < 4; ++j) EXPECT_LT(bounds[2 * j], bounds[2 * j + 1]);

    const std::string start = "Started least square circularity uncertainty calculation by "
                              "perturbation\n";
    EXPECT_EQ(out.console.substr(out.console.size() - start.size() - line.size() - 1),
              start + line + "\a");

    // Four lines per point: x of every point up and down, then y.
    std::istringstream in(out.intres);
    std::string intresline;
    int k = 0;
    while (std::getline(in, intresline)) {
        const auto x = numbersin(intresline);
        ASSERT_EQ(x.size(), 5u);
        EXPECT_EQ(x[0], k % 12 / 2);
        ++k;
    }
    EXPECT_EQ(k, 24);
}

} // namespace
} // namespace formeval
