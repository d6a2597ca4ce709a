// The minimum-zone driver: hand-computed runs with their full trace, the
// trivial and exactly fitting cases, repaired starting sets, many zero
// multipliers, the operator dialogue with scripted console input, and the
// companions dupcheck and rotate.
#include "fit/fit.h"
#include "tests/fit/bruteforce.h"
#include "tests/harness/harness.h"

#include <cmath>
#include <gtest/gtest.h>
#include <random>
#include <string>
#include <vector>

namespace formeval {
namespace {

using test::Session;

// The caller's arrays of one minimum-zone evaluation.
struct Job {
    int n = 2;
    int numpt = 0;
    Row5 u[64] = {};
    double f[64] = {};
    double gs[5] = {};
    double err[64] = {};
    Row7 sm[6] = {};
    double xm[5] = {};
    Row7 g[6] = {};
    int ne[6] = {0, 1, 2, 3, 4, 5};
    double em[6] = {};

    void line(const std::vector<std::pair<double, double>>& points) {
        n = 2;
        numpt = static_cast<int>(points.size());
        for (int p = 0; p < numpt; ++p) {
            u[p] = {1, points[p].first};
            f[p] = points[p].second;
        }
    }
    // The evaluators' sequence up to the starting set.
    void leastsquares() {
        lsgen(u, f, gs, g, n, numpt);
        error(u, f, gs, err, n, numpt);
        lsqerr(err, n, numpt);
        lsqmax(err, ne, em, n, numpt);
    }
    double mz() { return mzgen(u, f, ne, gs, err, sm, xm, g, n, numpt); }
    double chebyshev() const {
        return test::chebyshev(std::vector<std::array<double, 5>>(u, u + numpt),
                               std::vector<double>(f, f + numpt), n);
    }
};

struct TraceCase {
    int oqt;
    std::string console;
    std::string result;
};

class ThreePointLine : public testing::TestWithParam<TraceCase> {};

// (0, 0), (1, 1), (2, 0): the starting set is every point, lamda = (2, -1, -1)
// for the order (1, 0, 2) that lsqmax gives, h = -0.5, the fit is y = 0.5 and
// the first pass converges with width 1.
TEST_P(ThreePointLine, ConvergesAtOnceWithWidthOne) {
    const TraceCase& c = GetParam();
    Session session;
    cri = 1e-10;
    oqt = 1;
    Job job;
    job.line({{0, 0}, {1, 1}, {2, 0}});
    job.leastsquares();
    oqt = c.oqt;
    EXPECT_EQ(job.mz(), 1);
    EXPECT_EQ(session.console(), c.console);
    EXPECT_EQ(session.result(), c.result);
    EXPECT_EQ(job.ne[0], 1);
    EXPECT_EQ(job.ne[1], 0);
    EXPECT_EQ(job.ne[2], 2);
    EXPECT_EQ(job.gs[0], 0.5);
    EXPECT_EQ(job.gs[1], 0);
    EXPECT_EQ(job.err[0], 0.5);
    EXPECT_EQ(job.err[1], -0.5);
    EXPECT_EQ(job.err[2], 0.5);
}

INSTANTIATE_TEST_SUITE_P(
    Levels, ThreePointLine,
    testing::Values(
        TraceCase{3,
                  "\nlamda[i]=2  -1  -1  \nsum of lamdas=4\nh= -0.5\nCoefficients=0.5   -0   "
                  "\nin maxer, hmax=  0.5\nhm[i]0.5\nhm[i]*hm[i]-h*h=0\ncri*cri=1e-20",
                  "\nlamda[i]=2  -1  -1  \nsum of lamdas4\nh= -0.5\nhm[i]0.5"
                  "\nhm[i]*hm[i]-h*h=0\ncri*cri=1e-20"},
        TraceCase{2, "\nlamda[i]=2  -1  -1  \nsum of lamdas=4\nh= -0.5\nhm[i]0.5",
                  "\nlamda[i]=2  -1  -1  \nsum of lamdas4\nh= -0.5\nhm[i]0.5"},
        TraceCase{1, "", ""}, TraceCase{0, "", ""}),
    test::namedby([](const TraceCase& c) { return "TraceLevel" + std::to_string(c.oqt); }));

// x = 0..4, y = (0, 0, 0, 1, 0) from the set (0, 1, 2): two Stiefel exchanges,
// worked by hand, reach (4, 1, 3) with h = 0.5.
TEST(Mzgen, ExchangesTwiceOnTheBump) {
    Session session;
    cri = 1e-10;
    oqt = 2;
    Job job;
    job.line({{0, 0}, {1, 0}, {2, 0}, {3, 1}, {4, 0}});
    for (int p = 0; p < 5; ++p) job.err[p] = -job.f[p]; // the fit gs = 0
    EXPECT_EQ(job.mz(), 1);
    const std::string expected = "\nlamda[i]=1  -2  1  \nsum of lamdas4\nh= -0\nhm[i]-1"
                                 "\nhmax=-1\nknt= 3\nm[i]=3  -5  1  \nq[i]=3  2.5  1  "
                                 "\nRemoving from reference set kq= 2\nne[i]s= 0\t1\t3\t\n"
                                 "\nlamda[i]=2  -3  1  \nsum of lamdas6\nh= -0.166666666667"
                                 "\nhm[i]1.16666666667\nhmax=1.16666666667\nknt= 4"
                                 "\nm[i]=5  -7  1  \nq[i]=2.5  2.33333333333  1  "
                                 "\nRemoving from reference set kq= 0\nne[i]s= 4\t1\t3\t\n"
                                 "\nlamda[i]=2  1  -3  \nsum of lamdas6\nh= 0.5\nhm[i]0.5";
    EXPECT_EQ(session.result(), expected);
    std::string console = expected;
    for (size_t at = 0; (at = console.find("sum of lamdas", at)) != std::string::npos; at += 14)
        console.insert(at + 13, "=");
    EXPECT_EQ(session.console(), console);
    EXPECT_EQ(job.ne[0], 4);
    EXPECT_EQ(job.ne[1], 1);
    EXPECT_EQ(job.ne[2], 3);
    EXPECT_EQ(job.gs[0], 0.5);
    EXPECT_EQ(job.gs[1], 0);
    const double err[5] = {0.5, 0.5, 0.5, -0.5, 0.5};
    for (int p = 0; p < 5; ++p) EXPECT_EQ(job.err[p], err[p]);
}

struct FewCase {
    int numpt;
    int n;
};

class TooFewPoints : public testing::TestWithParam<FewCase> {};

// No reference set of n + 1 distinct points: the fit passes through every
// point, width 0, and nothing is touched or written.
TEST_P(TooFewPoints, GiveZeroAndTouchNothing) {
    Session session;
    cri = 1e-10;
    Job job;
    job.n = GetParam().n;
    job.numpt = GetParam().numpt;
    for (int p = 0; p < job.numpt; ++p) {
        job.u[p] = {1, 2.0 * p, 3.0 * p, 1, 1};
        job.err[p] = 0.25;
    }
    const double gs[5] = {7, 7, 7, 7, 7};
    for (int j = 0; j < 5; ++j) job.gs[j] = gs[j];
    for (int& i : job.ne) i = -5;
    EXPECT_EQ(job.mz(), 0);
    for (int j = 0; j < 5; ++j) EXPECT_EQ(job.gs[j], 7);
    for (int p = 0; p < job.numpt; ++p) EXPECT_EQ(job.err[p], 0.25);
    for (int i : job.ne) EXPECT_EQ(i, -5);
    EXPECT_EQ(session.console(), "");
    EXPECT_EQ(session.result(), "");
}

INSTANTIATE_TEST_SUITE_P(Counts, TooFewPoints,
                         testing::Values(FewCase{2, 2}, FewCase{1, 2}, FewCase{0, 2}, FewCase{3, 3},
                                         FewCase{2, 4}, FewCase{5, 5}),
                         test::namedby([](const FewCase& c) {
                             return "Points" + std::to_string(c.numpt) + "_N" + std::to_string(c.n);
                         }));

TEST(Mzgen, ExactLeastSquaresFitGivesZeroWithItsParameters) {
    Session session;
    cri = 1e-10;
    oqt = 1;
    Job job;
    job.line({{0, 1}, {1, 3}, {2, 5}, {3, 7}, {4, 9}});
    for (int& i : job.ne) i = -7; // lsqmax picks nothing and leaves these
    job.leastsquares();
    ASSERT_EQ(job.ne[0], -7);
    oqt = 3;
    EXPECT_EQ(job.mz(), 0);
    EXPECT_EQ(job.gs[0], 1);
    EXPECT_EQ(job.gs[1], 2);
    for (int p = 0; p < 5; ++p) EXPECT_EQ(job.err[p], 0);
    EXPECT_EQ(session.console(), "");
    EXPECT_EQ(session.result(), "");
    EXPECT_FALSE(problem);
}

// The same line reached by the exchange (the entering fit was not exact): the
// set gives h = 0 and a fit through every point, which ends the run.
TEST(Mzgen, ExactFitReachedInTheExchangeGivesZero) {
    Session session;
    cri = 1e-10;
    oqt = 1;
    Job job;
    job.line({{0, 1}, {1, 3}, {2, 5}, {3, 7}, {4, 9}});
    for (int p = 0; p < 5; ++p) job.err[p] = -job.f[p];
    EXPECT_EQ(job.mz(), 0);
    EXPECT_EQ(job.gs[0], 1);
    EXPECT_EQ(job.gs[1], 2);
    for (int p = 0; p < 5; ++p) EXPECT_EQ(job.err[p], 0);
    EXPECT_FALSE(problem);
    EXPECT_EQ(session.console(), "");
}

class NearlyExact : public testing::TestWithParam<int> {};

// Data on the model up to rounding (coefficients and coordinates that are not
// binary fractions, far from the origin): the deviations are rounding noise,
// the run must end at once, quietly, with a width at that noise level.
TEST_P(NearlyExact, EndsWithARoundingLevelWidth) {
    Session session;
    cri = 1e-10;
    oqt = 1;
    const int shape = GetParam();
    Job job;
    job.numpt = 60;
    double scale = 0;
    for (int p = 0; p < job.numpt; ++p) {
        const double t = 0.1 * p + 0.05;
        if (shape == 0) { // line far out along x
            job.n = 2;
            job.u[p] = {1, 1000.3 + 0.7 * t};
            job.f[p] = 0.1 + 0.3 * job.u[p][1];
        } else if (shape == 1) { // plane far from the origin
            job.n = 3;
            job.u[p] = {1, 500.1 + std::cos(3 * t), 700.7 + std::sin(5 * t)};
            job.f[p] = 3.3 - 0.7 * job.u[p][1] + 0.1 * job.u[p][2];
        } else { // linearised circle: rows (1, direction), observation the radius
            job.n = 3;
            job.u[p] = {1, std::cos(t), std::sin(t)};
            job.f[p] = 12.7 + 0.013 * job.u[p][1] - 0.021 * job.u[p][2];
        }
        scale = std::fmax(scale, std::fabs(job.f[p]));
    }
    job.leastsquares();
    const double emz = job.mz();
    EXPECT_FALSE(problem);
    EXPECT_LE(emz, 1e-11 * scale);
    EXPECT_EQ(session.console(), "");
}

INSTANTIATE_TEST_SUITE_P(Shapes, NearlyExact, testing::Values(0, 1, 2),
                         test::namedby([](int shape) {
                             return shape == 0   ? "FarLine"
                                    : shape == 1 ? "FarPlane"
                                                 : "LinearisedCircle";
                         }));

// lsqmax leaves the set short when fewer than n + 1 deviations are non-zero:
// here only the two points at x = 1 deviate, so ne reads (1, 2, 2) with the
// callers' 0, 1, 2 underneath. The driver draws a valid set and still finds
// the zone of width 2.
TEST(Mzgen, ShortStartingSetIsReplaced) {
    Session session;
    cri = 1e-10;
    oqt = 1;
    Job job;
    job.line({{0, 0}, {1, 1}, {1, -1}, {2, 0}});
    job.leastsquares();
    ASSERT_EQ(job.em[2], 0);
    EXPECT_EQ(job.mz(), 2);
    EXPECT_FALSE(problem);
    EXPECT_EQ(session.console().find("Continue?"), std::string::npos);
}

class BadStart : public testing::TestWithParam<std::vector<int>> {};

TEST_P(BadStart, IsReplacedByAValidSet) {
    Session session;
    cri = 1e-10;
    oqt = 1;
    Job job;
    std::mt19937 gen(9);
    std::uniform_real_distribution<double> dist(-1, 1);
    std::vector<std::pair<double, double>> points;
    for (int p = 0; p < 12; ++p) points.push_back({10 * dist(gen), 0.3 * p + 0.01 * dist(gen)});
    job.line(points);
    job.leastsquares();
    for (int i = 0; i < 3; ++i) job.ne[i] = GetParam()[i];
    const double h = job.mz() / 2;
    const double e = job.chebyshev();
    EXPECT_FALSE(problem);
    EXPECT_LE(h, e * (1 + 1e-9));
    EXPECT_GE(h * h * 1.01, e * e);
    for (int i = 0; i < 3; ++i) {
        EXPECT_GE(job.ne[i], 0);
        EXPECT_LT(job.ne[i], 12);
    }
    EXPECT_NE(job.ne[0], job.ne[1]);
    EXPECT_NE(job.ne[0], job.ne[2]);
    EXPECT_NE(job.ne[1], job.ne[2]);
}

INSTANTIATE_TEST_SUITE_P(Sets, BadStart,
                         testing::Values(std::vector<int>{5, 5, 1}, std::vector<int>{-1, 2, 3},
                                         std::vector<int>{0, 1, 12},
                                         std::vector<int>{100000, 0, 1}),
                         test::namedby([](const std::vector<int>& set) {
                             std::string name = "Set";
                             for (const int i : set) name += "_" + test::testname(i);
                             return name;
                         }));

// Two points with the same coefficient row make every other multiplier 0:
// with n = 5 that is four zero multipliers and sixteen sign passes.
TEST(Mzgen, FourZeroMultipliersRunEverySignPass) {
    Session session;
    cri = 1e-10;
    oqt = 2;
    Job job;
    job.n = 5;
    job.numpt = 10;
    std::mt19937 gen(3);
    std::uniform_real_distribution<double> dist(-1, 1);
    for (int p = 0; p < job.numpt; ++p) {
        const double x = dist(gen), y = dist(gen);
        job.u[p] = {1, x, y, x * y, x * x - y * y};
        job.f[p] = 0.5 + 0.2 * x - 0.1 * y + 0.01 * dist(gen);
    }
    job.u[1] = job.u[0];
    job.f[1] = job.f[0] + 0.02;
    job.leastsquares();
    for (int i = 0; i < 6; ++i) job.ne[i] = i;
    const double h = job.mz() / 2;
    EXPECT_NE(session.result().find("\nnzl= 4"), std::string::npos);
    EXPECT_FALSE(problem);
    const double e = job.chebyshev();
    EXPECT_LE(h, e * (1 + 1e-9));
    EXPECT_GE(h * h * 1.01, e * e);
}

// A zero row and a set whose only non-zero multiplier equals cri: all six
// multipliers count as zero without the set counting as degenerate, which
// gives the warning and 64 sign passes.
TEST(Mzgen, SixZeroMultipliersWarnWhateverTheLevel) {
    Session session;
    cri = 0.5;
    oqt = 1;
    Job job;
    job.n = 5;
    job.numpt = 6;
    job.u[0] = {0, 0, 0, 0, 0};
    job.u[1] = {0.5, 0, 0, 0, 0};
    for (int p = 2; p < 6; ++p) job.u[p][p - 1] = 1;
    for (int p = 0; p < 6; ++p) job.f[p] = p;
    for (int p = 0; p < 6; ++p) job.err[p] = -job.f[p];
    job.mz();
    const std::string warning = "Be careful with the result, number of zero lamdas= 6\n";
    EXPECT_EQ(session.result().rfind(warning, 0), 0u) << session.result();
    EXPECT_EQ(session.console().rfind(warning, 0), 0u) << session.console();
}

// Every point the same: every reference set is degenerate, so the run counts
// restarts until the operator is asked.
struct Stuck {
    Job job;
    Stuck() {
        cri = 1e-10;
        oqt = 1;
        job.numpt = 4;
        for (int p = 0; p < 4; ++p) {
            job.u[p] = {1, 2};
            job.f[p] = 3.14159265358979;
            job.err[p] = -job.f[p];
        }
        for (Row7& row : job.g) row.fill(7);
    }
};

const std::string question21 = "\nntri=21\nContinue?Y/N\a\a\a\a\a";
const std::string question22 = "\nntri=22\nContinue?Y/N\a\a\a\a\a";
const std::string noanswer = "\nNo answer at the console: the run stops as on N\n";
const std::string dumpconsole = "1\t2\t3.14159265359\n1\t2\t3.14159265359\n1\t2\t3.14159265359\n";
const std::string dumpintres = "1\t2\t3.14159\n1\t2\t3.14159\n1\t2\t3.14159\n";
std::string noserial(const std::string& word) {
    return "No point has the serial number " + word + "; the points are numbered 0 to 3\n";
}
std::string asks(int i) {
    return "Give the serial number of point " + std::to_string(i) + "\n";
}

struct DialogueCase {
    const char* name;
    std::string input;
    std::string console; // before the dump of the reference rows
};

class Dialogue : public testing::TestWithParam<DialogueCase> {};

TEST_P(Dialogue, EndsWithTheDumpAndTheAbortValue) {
    const DialogueCase& c = GetParam();
    Session session("", c.input);
    Stuck stuck;
    EXPECT_EQ(stuck.job.mz(), 1.0e9);
    EXPECT_TRUE(problem);
    EXPECT_EQ(session.console(), c.console + dumpconsole);
    EXPECT_EQ(session.intres(), dumpintres);
    EXPECT_EQ(session.result(), "");
    for (int i = 0; i < 2; ++i)
        for (int j = 0; j < 7; ++j) EXPECT_EQ(stuck.job.g[i][j], j <= 2 ? 0 : 7);
}

INSTANTIATE_TEST_SUITE_P(
    Answers, Dialogue,
    testing::Values(
        DialogueCase{"N", "N\n", question21}, DialogueCase{"n", " n", question21},
        DialogueCase{"closed", "", question21 + noanswer},
        DialogueCase{"blank", "  \n\n", question21 + noanswer},
        // Any other answer carries on and the question comes at the next count.
        DialogueCase{"x", "x\nN\n", question21 + question22},
        DialogueCase{"xx", "x\nq\n",
                     question21 + question22 + "\nntri=23\nContinue?Y/N\a\a\a\a\a" + noanswer},
        // Y: a new set, then nine more counts before the next question.
        DialogueCase{"Y", "Y\n2\n0\n3\nN\n", question21 + asks(0) + asks(1) + asks(2) + question21},
        DialogueCase{"y", "y 0 1 2 Y 3 2 1 n",
                     question21 + asks(0) + asks(1) + asks(2) + question21 + asks(0) + asks(1) +
                         asks(2) + question21},
        // Serial numbers that name no point are asked for again, up to three
        // times in a row; the third stops the run as "N" does.
        DialogueCase{"badserials", "Y\n7\n-1\n0\n1.5\n1\n4\n2\nN\n",
                     question21 + asks(0) + noserial("7") + asks(0) + noserial("-1") + asks(0) +
                         asks(1) + noserial("1.5") + asks(1) + asks(2) + noserial("4") + asks(2) +
                         question21},
        DialogueCase{"threebadserials", "Y\n0\nabc\n9\n-0.5\n1\n",
                     question21 + asks(0) + asks(1) + noserial("abc") + asks(1) + noserial("9") +
                         asks(1) + noserial("-0.5") +
                         "\n3 answers in a row could not be used: the run stops as on N\n"},
        // The console closes while the set is being given.
        DialogueCase{"closedinY", "Y\n0\n", question21 + asks(0) + asks(1) + noanswer}),
    [](const auto& info) { return std::string(info.param.name); });

// Arbitrary calls: rows from a few values (many repeated and dependent rows),
// any starting indices, tolerances 0 to 0.5, and a closed console. Every call
// must end, with a finite width that is 0, 2|h| of a fit with finite
// parameters whose deviations err holds, or the abort value.
TEST(Mzgen, ArbitraryInputsEndWithoutHanging) {
    std::mt19937 gen(99);
    const double coords[] = {0, 1, -1, 2, 0.5};
    const double tolerances[] = {0, 1e-10, 1e-3, 0.5};
    std::uniform_int_distribution<int> coord(0, 4), tol(0, 3), size(0, 14), order(1, 5),
        index(-3, 16);
    std::uniform_real_distribution<double> obs(-1, 1);
    int stopped = 0;
    for (int trial = 0; trial < 400; ++trial) {
        Session session;
        cri = tolerances[tol(gen)];
        oqt = trial % 4;
        Job job;
        job.n = order(gen);
        job.numpt = size(gen);
        for (int p = 0; p < job.numpt; ++p) {
            for (int j = 0; j < job.n; ++j) job.u[p][j] = coords[coord(gen)];
            job.f[p] = coord(gen) == 0 ? 0 : obs(gen);
            job.err[p] = coord(gen) == 0 ? 0 : obs(gen);
        }
        for (int& i : job.ne) i = index(gen);
        const double emz = job.mz();
        if (problem) {
            ++stopped;
            EXPECT_EQ(emz, 1.0e9);
            continue;
        }
        ASSERT_TRUE(std::isfinite(emz)) << "trial " << trial;
        EXPECT_GE(emz, 0);
        if (emz == 0) continue;
        for (int j = 0; j < job.n; ++j) EXPECT_TRUE(std::isfinite(job.gs[j])) << "trial " << trial;
        for (int p = 0; p < job.numpt; ++p) {
            double model = 0;
            for (int j = 0; j < job.n; ++j) model += job.gs[j] * job.u[p][j];
            EXPECT_NEAR(job.err[p], model - job.f[p], 1e-9 * (1 + std::fabs(model)));
        }
    }
    std::cout << "arbitrary calls: " << stopped << " of 400 stopped at the operator prompt\n";
}

TEST(Dupcheck, ReportsEachEarlierEqualSet) {
    Session session;
    oqt = 2;
    Refset hist[nhist];
    for (Refset& entry : hist) entry.fill(-1);
    const int a[3] = {0, 1, 2};
    const int b[3] = {0, 1, 3};
    const int c[3] = {2, 1, 0};
    EXPECT_FALSE(dupcheck(1, a, 2, hist));
    EXPECT_FALSE(dupcheck(2, b, 2, hist));
    EXPECT_FALSE(dupcheck(3, c, 2, hist)); // same points, other order: not equal
    EXPECT_EQ(session.result(), "");
    EXPECT_TRUE(dupcheck(4, a, 2, hist));
    EXPECT_EQ(session.result(), "duplicate reference set found\n");
    session.clear();
    EXPECT_TRUE(dupcheck(5, a, 2, hist));
    const std::string twice = "duplicate reference set found\nduplicate reference set found\n";
    EXPECT_EQ(session.result(), twice);
    EXPECT_EQ(session.console(), twice);
    // Only entries before ntri count: c is entry 3, which is not before 1.
    session.clear();
    EXPECT_FALSE(dupcheck(1, c, 2, hist));
    oqt = 1;
    EXPECT_TRUE(dupcheck(9, b, 2, hist));
    EXPECT_EQ(session.result(), "");
}

TEST(Dupcheck, StopsRecordingAfterTheLastEntry) {
    Session session;
    oqt = 1;
    Refset hist[nhist];
    for (Refset& entry : hist) entry.fill(-1);
    const int a[2] = {4, 5};
    const int b[2] = {6, 7};
    EXPECT_FALSE(dupcheck(99, a, 1, hist));
    EXPECT_FALSE(dupcheck(100, b, 1, hist)); // not recorded, nothing overrun
    EXPECT_FALSE(dupcheck(150, b, 1, hist));
    EXPECT_TRUE(dupcheck(180, a, 1, hist)); // still compared with entry 99
    EXPECT_EQ(hist[99][0], 4);
}

struct RotateCase {
    int n;
    int numpt;
};

class Rotate : public testing::TestWithParam<RotateCase> {};

TEST_P(Rotate, DrawsDistinctPointIndices) {
    const RotateCase c = GetParam();
    for (int trial = 0; trial < 200; ++trial) {
        int ne[6] = {-1, -1, -1, -1, -1, -1};
        rotate(ne, c.n, c.numpt);
        for (int i = 0; i <= c.n; ++i) {
            EXPECT_GE(ne[i], 0);
            EXPECT_LT(ne[i], c.numpt);
            for (int j = 0; j < i; ++j) EXPECT_NE(ne[i], ne[j]);
        }
    }
}

INSTANTIATE_TEST_SUITE_P(Sizes, Rotate,
                         testing::Values(RotateCase{1, 2}, RotateCase{2, 3}, RotateCase{3, 4},
                                         RotateCase{5, 6}, RotateCase{3, 360}, RotateCase{2, 2048}),
                         test::namedby([](const RotateCase& c) {
                             return "N" + std::to_string(c.n) + "_Points" + std::to_string(c.numpt);
                         }));

TEST(Rotate, TooFewPointsLeaveTheSetAlone) {
    int ne[4] = {9, 8, 7, 6};
    rotate(ne, 3, 3);
    EXPECT_EQ(ne[0], 9);
    EXPECT_EQ(ne[3], 6);
}

} // namespace
} // namespace formeval
