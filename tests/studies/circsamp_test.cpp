// The sampling studies' shared body, through the least-squares circle and a
// stand-in computation: intres.txt records per strategy, result lines, the
// noise by pick position, and samples too small to evaluate.
#include "form/form.h"
#include "random/random.h"
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

using test::lines;
using test::params;
using test::pi;
using test::Session;
using test::Workdir;

// numpt points in angular order on a circle of radius 10 about (3, -4), with
// radial deviations of a few micrometres.
std::string dense(int numpt) {
    std::ostringstream s;
    s.precision(17);
    s << numpt << " 0.000001";
    for (int i = 0; i < numpt; ++i) {
        const double t = 2 * pi * i / numpt;
        const double r = 10 + 0.003 * std::sin(3 * t) + 0.001 * std::cos(7 * t);
        s << ' ' << 3 + r * std::cos(t) << ' ' << -4 + r * std::sin(t);
    }
    return s.str() + "\n";
}

struct RecordCase {
    int job;
    std::string first; // the first record in intres.txt, a draw of a fresh stream 0
    int indices;       // indices in every record
};

void PrintTo(const RecordCase& c, std::ostream* os) {
    *os << "job " << c.job;
}

class Records : public testing::TestWithParam<RecordCase> {};

TEST_P(Records, OneRecordAndOneResultLinePerRepetition) {
    const RecordCase c = GetParam();
    Workdir dir;
    dir.write("instructions.txt", params(90, 3, 0.001));
    Session session(dense(10));
    problem = true; // neither read nor cleared
    resetstreams();
    circsamp(test::Standin(c.job, lscircocal, 3), "Sampling");
    EXPECT_EQ(oqt, 0);
    EXPECT_TRUE(problem);

    const std::string intres = session.intres();
    EXPECT_EQ(intres.substr(0, c.first.size()), c.first);
    const auto records = lines(intres.substr(1)); // every record starts with a line break
    ASSERT_EQ(records.size(), 10000u);
    for (int ii = 0; ii < 10000; ++ii) {
        const std::string& r = records[ii];
        EXPECT_EQ(r.substr(0, r.find('\t')), std::to_string(ii));
        EXPECT_EQ(std::count(r.begin(), r.end(), '\t'), 1 + c.indices);
        EXPECT_EQ(r.back(), '\t');
    }

    const auto out = lines(session.result());
    ASSERT_EQ(out.size(), 10000u);
    for (int ii = 0; ii < 10000; ++ii) {
        std::istringstream in(out[ii]);
        int n;
        double x, y, r, e;
        ASSERT_TRUE(in >> n >> x >> y >> r >> e);
        EXPECT_EQ(n, ii);
        EXPECT_EQ(std::count(out[ii].begin(), out[ii].end(), '\t'), 4);
        EXPECT_NEAR(r, 10, 0.1);
    }
}

INSTANTIATE_TEST_SUITE_P(
    Circsamp, Records,
    testing::Values(RecordCase{2550, "\n0\t2\t7\t0\t\n1\t", 3},
                    RecordCase{2570, "\n0\t2\t\n1\t", 1}, RecordCase{2560, "\n0\t\n1\t", 0},
                    RecordCase{2555, "\n0\t2\t7\t0\t\n1\t", 3},
                    RecordCase{2575, "\n0\t2\t\n1\t", 1}),
    test::namedby([](const RecordCase& c) { return "Job" + std::to_string(c.job); }));

// Captures the points of the first evaluation.
std::vector<double> firstu, firstv;
void capture(const double* u, const double* v, int numpt, Circlefit& ans) {
    if (firstu.empty()) {
        firstu.assign(u, u + numpt);
        firstv.assign(v, v + numpt);
    }
    for (int k = 0; k < 4; ++k) ans[k] = k;
}

// With noise, the point at pick position k takes the next pair of stream k,
// whichever measured point it is; the console shows the repetition number
// after the selection.
TEST(Circsamp, NoiseFollowsThePickPosition) {
    Workdir dir;
    dir.write("instructions.txt", params(0, 3, 0.5));
    const double u[10] = {0, 1, 2, 3, 4, 5, 6, 7, 8, 9};
    std::string record = "10 0.000001";
    for (int i = 0; i < 10; ++i) record += " " + std::to_string(i) + " " + std::to_string(-i);
    Session session(record);
    resetstreams();
    firstu.clear();
    circsamp(test::Standin(2555, capture, 3), "Sampling");
    EXPECT_EQ(session.console().substr(0, 18), "Sampling\n2\t7\t0\t\n0\n");
    resetstreams();
    const int pick[3] = {2, 7, 0};
    ASSERT_EQ(firstu.size(), 3u);
    for (int k = 0; k < 3; ++k) {
        float n[2];
        randnorm(k, n);
        EXPECT_EQ(firstu[k], u[pick[k]] + static_cast<double>(n[0]) * 0.5);
        EXPECT_EQ(firstv[k], -u[pick[k]] + static_cast<double>(n[1]) * 0.5);
    }
}

// The minimum-zone circle needs four points: a smaller sample is not
// evaluated, and says so.
TEST(Circsamp, SampleTooSmallForTheComputation) {
    Workdir dir;
    dir.write("instructions.txt", params(0, 3, 0));
    {
        Session session(dense(10));
        circsamp(test::Standin(2550, capture, 4), "Sampling");
        const std::string message = "\nJob 2550 not evaluated: a sample of 3 points is too small; "
                                    "the evaluation needs at least 4";
        EXPECT_EQ(session.console(), "Sampling\n" + message);
        EXPECT_EQ(session.result(), message);
        EXPECT_EQ(session.intres(), "");
    }
    {
        // The file asks at the console, whose answer is too small; then the
        // console closes, and every later repetition takes all points.
        dir.write("instructions.txt", params(0, 0, 0));
        Session session(dense(10), "3\n");
        ofile << "\nr0=1xo=0y0=0"; // an evaluation's last item before the study
        circsamp(test::Standin(2570, capture, 4), "Sampling");
        const auto out = lines(session.result());
        ASSERT_EQ(out.size(), 10002u);
        EXPECT_EQ(out[1], "r0=1xo=0y0=0");
        EXPECT_EQ(out[2], "Repetition 0 not evaluated: a sample of 3 points is too small; the "
                          "evaluation needs at least 4");
        EXPECT_EQ(out[3], "1\t0\t1\t2\t3");
        EXPECT_EQ(out[10001], "9999\t0\t1\t2\t3");
    }
}

// An evaluation that leaves a note: the console ends the note's line before
// the next repetition's selection, as result.txt does, whether the
// selection ends its own line (2550) or not (2570: one index a repetition).
void noting(const double*, const double*, int, Circlefit& ans) {
    note("the fit is not to be trusted");
    for (int k = 0; k < 4; ++k) ans[k] = 1;
}

TEST(Circsamp, NotesEndTheirOwnConsoleLine) {
    Workdir dir;
    dir.write("instructions.txt", params(0, 3, 0));
    for (const int job : {2550, 2570}) {
        Session session(dense(10));
        resetstreams();
        circsamp(test::Standin(job, noting, 3), "Sampling");
        const auto out = lines(session.console());
        ASSERT_GT(out.size(), 3u);
        std::size_t notes = 0;
        for (const std::string& line : out) {
            if (line.find("the fit is not to be trusted") == std::string::npos) continue;
            ++notes;
            EXPECT_EQ(line, "the fit is not to be trusted") << job;
        }
        EXPECT_EQ(notes, 10000u) << job;
    }
}

} // namespace
} // namespace formeval
