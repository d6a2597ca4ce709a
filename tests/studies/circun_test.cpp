// The Monte Carlo studies: the shared body through the least-squares circle
// and through stand-in computations, and jobs 2610 to 2612 end to end.
#include "form/form.h"
#include "random/random.h"
#include "studies/studies.h"
#include "tests/harness/harness.h"
#include "tests/harness/support.h"

#include <algorithm>
#include <cmath>
#include <filesystem>
#include <functional>
#include <gtest/gtest.h>
#include <optional>
#include <sstream>
#include <string>
#include <vector>

namespace formeval {
namespace {

using test::alternatingcircle;
using test::lines;
using test::numbersin;
using test::Session;
using test::Workdir;

std::string countup(int from, int to) {
    std::string s;
    for (int ii = from; ii < to; ++ii) s += std::to_string(ii) + "\n";
    return s;
}

// Stand-in computation: the first point and the point count as the result,
// with a hook run on every call (the call number is passed).
std::function<void(int)> onfake;
int fakecalls = 0;
void fakecal(const double* u, const double* v, int numpt, Circlefit& ans) {
    ans[0] = u[0];
    ans[1] = v[0];
    ans[2] = numpt;
    ans[3] = fakecalls;
    if (onfake) onfake(fakecalls);
    ++fakecalls;
}

struct Fake {
    explicit Fake(std::function<void(int)> hook = nullptr) {
        onfake = std::move(hook);
        fakecalls = 0;
    }
    ~Fake() { onfake = nullptr; }
};

TEST(Lscircun, Job2610WritesAThousandNumberedLines) {
    Workdir dir;
    dir.write("instructions.txt", "0 4 0.001 3 0 0\n");
    Session session(alternatingcircle(8));
    problem = true; // not watched by the least-squares study
    lscircun(test::job(2610));
    EXPECT_EQ(session.console(),
              "Started least square circularity uncertainty calculation\n" + countup(0, 1000));
    const auto out = lines(session.result());
    ASSERT_EQ(out.size(), 1000u);
    for (int ii = 0; ii < 1000; ++ii) {
        const auto x = numbersin(out[ii]);
        ASSERT_EQ(x.size(), 5u);
        EXPECT_EQ(out[ii].substr(0, out[ii].find('\t')), std::to_string(ii));
        EXPECT_NEAR(x[1], 100, 0.01);
        EXPECT_NEAR(x[2], 20, 0.01);
        EXPECT_NEAR(x[3], 10, 0.01);
        EXPECT_GT(x[4], 0);
    }
    const std::string result = session.result();
    EXPECT_EQ(std::count(result.begin(), result.end(), '\t'), 4000);
    EXPECT_EQ(session.intres(), "");
    EXPECT_TRUE(problem);
    EXPECT_EQ(oqt, 1);
}

// Without noise every repetition evaluates the measured points: the same
// four values as the least-squares circle itself, in every line.
TEST(Lscircun, NoNoiseGivesIdenticalLines) {
    Workdir dir;
    dir.write("instructions.txt", "0 4 0 3 0 0\n");
    const std::string record = alternatingcircle(8);
    double u[8], v[8];
    Circlefit ans;
    {
        std::istringstream in(record);
        int n;
        double tol;
        in >> n >> tol;
        for (int i = 0; i < 8; ++i) in >> u[i] >> v[i];
        Session quiet;
        oqt = 1;
        lscircocal(u, v, 8, ans);
    }
    std::ostringstream tail;
    tail.precision(12);
    tail << "\t" << ans[0] << "\t" << ans[1] << "\t" << ans[2] << "\t" << ans[3];
    Session session(record);
    lscircun(test::job(2610));
    const auto out = lines(session.result());
    ASSERT_EQ(out.size(), 1000u);
    for (int ii = 0; ii < 1000; ++ii) EXPECT_EQ(out[ii], std::to_string(ii) + tail.str());
}

TEST(Circun, RepetitionsFollowTheJobTable) {
    Workdir dir;
    dir.write("instructions.txt", "0 4 0.001 3 0 0\n");
    for (const auto& [job, count] : {std::pair{2610, 1000}, std::pair{2511, 10000}}) {
        Session session(alternatingcircle(8));
        Fake fake;
        circun(test::Standin(job, fakecal, 3), "Go", noconsoleline, watchproblem::no);
        EXPECT_EQ(fakecalls, count);
        const auto out = lines(session.result());
        ASSERT_EQ(out.size(), static_cast<size_t>(count));
        EXPECT_EQ(out.back().substr(0, out.back().find('\t')), std::to_string(count - 1));
    }
}

// The console result line, with and without a label, and the dump of the
// noisy points of every repetition that leaves `problem` set, including a
// flag left set by an earlier job. Without noise the dump shows the measured
// points at six digits.
TEST(Circun, ProblemDumpAndConsoleLines) {
    Workdir dir;
    dir.write("instructions.txt", "0 4 0 3 0 0\n");
    const std::string record = "4 0.000001 1.5 2.25 -3 4 5.123456789 6 7 8\n";
    const std::string dump = "\n1.5\t2.25\n-3\t4\n5.12346\t6\n7\t8\n";
    for (const char* label : {"", "pkcircun"}) {
        Session session(record);
        problem = true; // left by an earlier job
        Fake fake([](int call) {
            if (call == 997) problem = true; // raised in repetition 997
        });
        circun(test::Standin(2710, fakecal, 3), "Started peak", label, watchproblem::yes);
        EXPECT_FALSE(problem);
        EXPECT_EQ(session.intres(), "0" + dump + "997" + dump);
        // Only the first repetition saw the old flag.
        std::string console = "Started peak\n";
        for (int ii = 0; ii < 1000; ++ii)
            console += std::to_string(ii) + "\n\n" + label + std::to_string(ii) +
                       "\t1.5\t2.25\t4\t" + std::to_string(ii) + "\n";
        EXPECT_EQ(session.console(), console);
        EXPECT_EQ(lines(session.result())[997], "997\t1.5\t2.25\t4\t997");
    }
}

// An evaluation may raise the trace level; each repetition lowers it again.
TEST(Circun, TraceLevelIsOneInEveryRepetition) {
    Workdir dir;
    dir.write("instructions.txt", "0 4 0 3 0 0\n");
    Session session("3 0.000001 1 0 0 1 -1 0\n");
    int wrong = 0;
    Fake fake([&](int) {
        if (oqt != 1) ++wrong;
        oqt = 3;
    });
    circun(test::Standin(2610, fakecal, 3), "Go", noconsoleline, watchproblem::no);
    EXPECT_EQ(wrong, 0);
}

TEST(Circun, ChangedNoiseTakesEffectAtTheNextRepetition) {
    Workdir dir;
    dir.write("instructions.txt", "0 4 0.5 3 0 0\n");
    Session session("3 0.000001 1 0 0 1 -1 0\n");
    Fake fake([&](int call) {
        if (call == 5) dir.write("instructions.txt", "0 4 0.0 3 0 0\n");
    });
    circun(test::Standin(2610, fakecal, 3), "Go", noconsoleline, watchproblem::no);
    const auto out = lines(session.result());
    for (int ii = 0; ii <= 5; ++ii) EXPECT_NE(numbersin(out[ii])[1], 1) << ii;
    for (int ii = 6; ii < 1000; ++ii) EXPECT_EQ(numbersin(out[ii])[1], 1) << ii;
}

TEST(Circun, FileGoneDuringTheStudyKeepsItsNoise) {
    Workdir dir;
    dir.write("instructions.txt", "0 4 0.5 3 0 0\n");
    Session session("3 0.000001 1 0 0 1 -1 0\n");
    Fake fake([&](int call) {
        if (call == 2) dir.remove("instructions.txt");
    });
    circun(test::Standin(2610, fakecal, 3), "Go", noconsoleline, watchproblem::no);
    const auto out = lines(session.result());
    ASSERT_EQ(out.size(), 1000u);
    for (int ii = 0; ii < 1000; ++ii) EXPECT_NE(numbersin(out[ii])[1], 1) << ii;
    // Said once, in the first repetition after the file went.
    EXPECT_EQ(session.console(), "Go\n" + countup(0, 4) +
                                     "\ninstructions.txt is missing or cannot be read; the study "
                                     "goes on with the values read last" +
                                     countup(4, 1000));
}

// End to end.

const std::string unit4 = "4 0.000001 1 0 0 1 -1 0 0 -1\n";

TEST(Lscircun, FirstLineStartsOnALineOfItsOwn) {
    // Job 2600's last item ends without a line break ("...y0=0").
    test::Run setup;
    setup.jobs = "2600 " + unit4 + "2610 " + alternatingcircle(8);
    setup.instructions = "0 4 0.001 3 0 0\n";
    auto out = test::run(setup);
    EXPECT_EQ(out.status, 0);
    auto at = out.result.find("r0=1xo=0y0=0\n0\t");
    EXPECT_NE(at, std::string::npos);
    EXPECT_EQ(lines(out.result.substr(at)).size(), 1001u);

    // A result.txt of an earlier run that ends mid-line.
    setup.jobs = "2610 " + alternatingcircle(8);
    setup.result_before = "r0=1xo=0y0=5";
    out = test::run(setup);
    EXPECT_EQ(out.result.substr(0, 15), "r0=1xo=0y0=5\n0\t");
    EXPECT_EQ(lines(out.result).size(), 1001u);
}

// Every job starts from the same random state: the streams run on within a
// study, from repetition to repetition, and start again with the next job,
// so that the same study twice in one run gives the same lines (it once drew
// on where the first left off, and a record's numbers depended on the jobs
// before it), as a run repeated from the start does.
TEST(Lscircun, StreamsRunOnWithinAStudyAndRestartWithEveryJob) {
    test::Run setup;
    setup.jobs = "2610 " + alternatingcircle(8) + "2610 " + alternatingcircle(8);
    setup.instructions = "0 4 0.001 3 0 0\n";
    const auto first = test::run(setup);
    const auto again = test::run(setup);
    EXPECT_EQ(first.result, again.result);
    const auto out = lines(first.result);
    ASSERT_EQ(out.size(), 2000u);
    EXPECT_EQ(out[0].substr(0, 2), "0\t");
    EXPECT_EQ(out[1000].substr(0, 2), "0\t");
    EXPECT_NE(out[0], out[1]);
    for (int i = 0; i < 1000; ++i) EXPECT_EQ(out[i], out[1000 + i]) << i;
}

TEST(Lscircun, LowersTheTraceLevelForLaterJobs) {
    test::Run setup;
    setup.jobs = "2610 " + alternatingcircle(8) + "2600 " + unit4;
    setup.instructions = "0 4 0.001 3 0 0\n";
    const auto out = test::run(setup);
    EXPECT_EQ(lines(out.result).size(), 1000u);
    const std::string tail = "999\nStarted least square circularity error calculation\a";
    EXPECT_EQ(out.console.substr(out.console.size() - tail.size()), tail);
}

struct MissingCase {
    std::optional<std::string> instructions;
    std::string why;
};

void PrintTo(const MissingCase& c, std::ostream* os) {
    *os << (c.instructions ? testing::PrintToString(*c.instructions) : "no file");
}

class MissingInstructions : public testing::TestWithParam<MissingCase> {};

// The study is skipped with a message; its record is read past, so the next
// job runs.
TEST_P(MissingInstructions, SkipsTheJobAndRunsTheNext) {
    test::Run setup;
    setup.jobs = "2611 " + alternatingcircle(8) + "2600 " + unit4;
    setup.instructions = GetParam().instructions;
    const auto out = test::run(setup);
    const std::string message = "\nJob 2611 not evaluated: instructions.txt " + GetParam().why;
    EXPECT_EQ(out.status, 0);
    EXPECT_EQ(out.result.substr(0, message.size()), message);
    EXPECT_NE(out.result.find("\nr0=1xo=0y0=0"), std::string::npos);
    const std::string start = "Started least square circularity uncertainty calculation\n";
    EXPECT_EQ(out.console.substr(0, start.size() + message.size()), start + message);
}

INSTANTIATE_TEST_SUITE_P(
    Lscircun, MissingInstructions,
    testing::Values(MissingCase{std::nullopt, "is missing or cannot be read"},
                    MissingCase{"10 36 0.001\n",
                                "does not hold six numbers: field 4 (lobeno) is missing or not "
                                "a number"}),
    test::namedby([](const MissingCase& c) {
        return c.instructions ? "Holds " + *c.instructions : "NoFile";
    }));

// 100000 repetitions: run with --gtest_also_run_disabled_tests.
TEST(Lscircun, DISABLED_Job2612WritesAHundredThousandLines) {
    test::Run setup;
    setup.jobs = "2612 " + alternatingcircle(8);
    setup.instructions = "0 4 0.001 3 0 0\n";
    setup.timeout = 600;
    const auto out = test::run(setup);
    const auto out_lines = lines(out.result);
    ASSERT_EQ(out_lines.size(), 100000u);
    EXPECT_EQ(out_lines.back().substr(0, 6), "99999\t");
}

} // namespace
} // namespace formeval
