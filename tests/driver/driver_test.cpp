// The dispatcher and the run files, end to end: the job loop, unlisted codes,
// appending across runs, and records that cannot be evaluated.
#include "base/base.h"
#include "base/record.h"
#include "driver/dispatch.h"
#include "tests/harness/harness.h"
#include "tests/harness/support.h"

#include <cstdint>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <gtest/gtest.h>
#include <limits>
#include <optional>
#include <random>
#include <regex>
#include <set>
#include <sstream>
#include <string>
#include <vector>

namespace formeval {
namespace {

using test::run;

const std::string unitcircle = "2600 4 0.000001 1 0 0 1 -1 0 0 -1\n";
const std::string unitcircleconsole = "Started least square circularity error calculation"
                                      "\nStage Number = 1\nerlsq=0\nCurrent distance to centre=0"
                                      "\n1    0    0\n0    1    0\n-1    0    0\n0    -1    0"
                                      "\nLeast square circularity error= 0\nr0=1xo=0y0=0";

TEST(Dispatcher, MissingJobStreamRingsTheBellAndKeepsTheFiles) {
    test::Run setup;
    setup.jobs.reset();
    setup.result_before = "earlier results\n";
    setup.intres_before = "earlier intermediate results\n";
    const auto out = run(setup);
    EXPECT_EQ(out.console, "\a");
    EXPECT_EQ(out.status, 0);
    EXPECT_NE(out.errors.find("cannot open cir1.txt"), std::string::npos);
    EXPECT_EQ(out.result, "earlier results\n");
    EXPECT_EQ(out.intres, "earlier intermediate results\n");
}

TEST(Dispatcher, EmptyJobStreamCreatesEmptyResultFiles) {
    const auto out = run(test::Run{});
    EXPECT_EQ(out.console, "\a");
    EXPECT_EQ(out.status, 0);
    EXPECT_EQ(out.errors, "");
    EXPECT_TRUE(out.result_exists);
    EXPECT_TRUE(out.intres_exists);
    EXPECT_EQ(out.result, "");
}

TEST(Dispatcher, EmptyJobsDoNothing) {
    test::Run setup;
    setup.jobs = "0\n0\n0";
    const auto out = run(setup);
    EXPECT_EQ(out.console, "\a");
    EXPECT_EQ(out.result, "");
    EXPECT_EQ(out.status, 0);
}

TEST(Dispatcher, UnlistedCodesAreReportedAndTheNextItemIsACode) {
    test::Run setup;
    setup.jobs = "1001 5 0";
    const auto out = run(setup);
    EXPECT_EQ(out.console, "\nnchois=1001 does not fit into any programmed case\a"
                           "\nnchois=5 does not fit into any programmed case\a\a");
    EXPECT_EQ(out.result, " does not fit into any programmed case"
                          " does not fit into any programmed case");
    EXPECT_EQ(out.status, 0);
}

TEST(Dispatcher, SecondRunAppendsToBothFiles) {
    test::Run setup;
    setup.jobs = unitcircle;
    const auto first = run(setup);
    ASSERT_FALSE(first.result.empty());
    setup.result_before = first.result;
    setup.intres_before = first.intres;
    const auto second = run(setup);
    EXPECT_EQ(second.result, first.result + first.result);
    EXPECT_EQ(second.console, first.console);
}

TEST(Dispatcher, PrecisionIsTwelveSignificantDigits) {
    test::Run setup;
    // Four points on the circle of radius 1/3 about the origin.
    setup.jobs = "2600 4 1e-9 0.333333333333333333 0 0 0.333333333333333333 "
                 "-0.333333333333333333 0 0 -0.333333333333333333";
    const auto out = run(setup);
    EXPECT_NE(out.result.find("r0=0.333333333333xo=0y0=0"), std::string::npos) << out.result;
}

// Run files that cannot be opened: no job runs, since its results could not
// be kept (or there is no job stream to read), and the run fails with status 2.
// A missing job stream is an empty run.
TEST(Dispatcher, RunFilesThatCannotBeOpenedRunNoJob) {
    for (const char* name : {"cir1.txt", "result.txt", "intres.txt"}) {
        test::Run setup;
        setup.jobs = unitcircle;
        setup.prepare = [name](const std::filesystem::path& dir) {
            std::filesystem::remove(dir / name);
            std::filesystem::create_directory(dir / name);
        };
        const auto out = run(setup);
        EXPECT_EQ(out.console, "\a") << name;
        EXPECT_EQ(out.status, 2) << name;
        EXPECT_NE(out.errors.find(std::string("cannot open ") + name), std::string::npos)
            << out.errors;
        EXPECT_NE(out.errors.find("Is a directory; no job is run"), std::string::npos)
            << out.errors;
    }
}

// A write that fails (here result.txt or intres.txt is a link to /dev/full)
// stops the run after the job that met it, says which file and why, and
// ends with status 3.
TEST(Dispatcher, FailedWritesStopTheRun) {
    for (const char* name : {"result.txt", "intres.txt"}) {
        test::Run setup;
        setup.jobs = "2600 4 1e-6 1 0 0 1 -1 0 0 -1 2520 4 1e-6 1 0 0 1 -1 0 0 -1 " + unitcircle;
        setup.instructions = "0 4 0.001 3 0 0\n";
        setup.prepare = [name](const std::filesystem::path& dir) {
            std::filesystem::create_symlink("/dev/full", dir / name);
        };
        const auto out = run(setup);
        EXPECT_EQ(out.status, 3) << name;
        const std::string stopped = name == std::string("result.txt") ? "2600" : "2520";
        EXPECT_NE(out.errors.find(std::string("formeval: ") + name +
                                  " could not be written during job " + stopped +
                                  "; the run stops there"),
                  std::string::npos)
            << out.errors;
        EXPECT_NE(out.errors.find(std::string("formeval: ") + name + ": No space left on device"),
                  std::string::npos)
            << out.errors;
        // The unit circle after the failing job is not evaluated.
        EXPECT_EQ(out.console.find("Started least square circularity error calculation", 1),
                  std::string::npos)
            << out.console;
    }
}

// A full disk strikes in the middle of a study: the run stops with status 3,
// and result.txt keeps only whole lines, numbered without a gap, then says
// where it stopped when there is room for that.
TEST(Dispatcher, AFullDiskLeavesNoCutLine) {
    test::Run setup;
    setup.jobs = "2610 4 1e-6 10 0 0 10 -10 0 0 -10 " + unitcircle;
    setup.instructions = "0 4 0.001 3 0 0\n";
    setup.result_before = "earlier run\n";
    setup.file_size_limit = 20000;
    const auto out = run(setup);
    EXPECT_EQ(out.status, 3);
    EXPECT_NE(out.errors.find("result.txt: File too large"), std::string::npos) << out.errors;
    ASSERT_FALSE(out.result.empty());
    EXPECT_EQ(out.result.back(), '\n');
    EXPECT_EQ(out.result.rfind("earlier run\n", 0), 0u);
    std::istringstream lines(out.result.substr(12));
    int next = 0;
    for (std::string line; std::getline(lines, line);) {
        if (line.rfind("formeval stopped here: result.txt could not be written", 0) == 0) {
            EXPECT_TRUE(lines.peek() == EOF) << "the note is the last line";
            break;
        }
        const std::regex study(R"(^([0-9]+)\t[-0-9.e]+\t[-0-9.e]+\t[-0-9.e]+\t[-0-9.e]+$)");
        std::smatch m;
        ASSERT_TRUE(std::regex_match(line, m, study)) << line;
        EXPECT_EQ(std::stoi(m[1].str()), next++);
    }
    EXPECT_GT(next, 100);
    EXPECT_LT(next, 1000);
}

// Records that cannot be evaluated: the job reports it on the console and in
// result.txt; a broken stream ends the run with a non-zero status.
struct BadRecord {
    const char* name;
    std::string jobs;
    std::string message; // on the console and in result.txt
    bool broken;         // the stream broke: status 1 and a report on stderr
    std::string where;   // part of the stderr report
};

class Records : public testing::TestWithParam<BadRecord> {};

TEST_P(Records, AreReportedAndNotEvaluated) {
    const auto& c = GetParam();
    test::Run setup;
    setup.jobs = c.jobs;
    const auto out = run(setup);
    const std::string started = "Started least square circularity error calculation";
    EXPECT_EQ(out.console.substr(0, started.size() + c.message.size()), started + c.message);
    EXPECT_EQ(out.result.substr(0, c.message.size()), c.message);
    EXPECT_EQ(out.status, c.broken ? 1 : 0);
    if (c.broken) {
        EXPECT_NE(out.errors.find(c.where), std::string::npos) << out.errors;
        EXPECT_EQ(out.console, started + c.message + "\a"); // nothing after the broken record
    } else {
        // The record was read past: the unit circle that follows is evaluated.
        EXPECT_EQ(out.console, started + c.message + unitcircleconsole + "\a");
        EXPECT_EQ(out.errors, "");
    }
}

std::string manypoints(int count) {
    std::string text = "2600 " + std::to_string(count) + " 1e-6";
    for (int i = 0; i < count; ++i) text += " 1.5 2.5";
    return text + "\n";
}

INSTANTIATE_TEST_SUITE_P(
    Cases, Records,
    testing::Values(
        BadRecord{"TooManyPoints", manypoints(2049) + unitcircle,
                  "\nJob 2600 not evaluated: 2049 points exceed the limit of 2048", false, ""},
        BadRecord{"TooFewPoints", "2600 2 1e-6 1 0 0 1 " + unitcircle,
                  "\nJob 2600 not evaluated: 2 points are too few; the evaluation needs at "
                  "least 3",
                  false, ""},
        // A negative count leaves the record's length unknown: its
        // coordinates would be read as job codes.
        BadRecord{"NegativeCount", "2600 -4 1e-6 " + unitcircle,
                  "\nJob 2600 not evaluated: the point count -4 is negative", true,
                  "job 2600 at the point count -4: the length of the record is unknown"},
        // "4.0" would read as 4 with ".0" as the tolerance.
        BadRecord{"CountNotWhole", "2600 4.0 0.000001 " + unitcircle,
                  "\nJob 2600 not evaluated: the point count 4.0 is not a whole number", true,
                  "job 2600 at the point count 4.0"},
        BadRecord{"CountBeyondInt", "2600 99999999999 0.000001 " + unitcircle,
                  "\nJob 2600 not evaluated: the point count 99999999999 is not a whole number",
                  true, "job 2600 at the point count 99999999999"},
        // Two numbers glued into one item are not read as two.
        BadRecord{"GluedNumbers", "2600 4 1e-6 1 0 0 1-1 0 0 -1 " + unitcircle,
                  "\nJob 2600 not evaluated: the record ends early or holds an item that is "
                  "not a number, at coordinate 2 of point 2 of 4",
                  true, "job 2600 at coordinate 2 of point 2 of 4"},
        BadRecord{"Truncated", "2600 4 1e-6 1 0 0 1 -1",
                  "\nJob 2600 not evaluated: the record ends early or holds an item that is "
                  "not a number, at coordinate 2 of point 3 of 4",
                  true, "job 2600 at coordinate 2 of point 3 of 4"},
        BadRecord{"NonNumeric", "2600 4 1e-6 1 0 0 one -1 0 0 -1 " + unitcircle,
                  "\nJob 2600 not evaluated: the record ends early or holds an item that is "
                  "not a number, at coordinate 2 of point 2 of 4",
                  true, "job 2600 at coordinate 2 of point 2 of 4"},
        BadRecord{"MissingTolerance", "2600 4",
                  "\nJob 2600 not evaluated: the record ends early or holds an item that is "
                  "not a number, at the tolerance",
                  true, "job 2600 at the tolerance"},
        BadRecord{"TruncatedSkippedRecord", "2600 3000 1e-6 1 2 3",
                  "\nJob 2600 not evaluated: 3000 points exceed the limit of 2048"
                  "\nJob 2600 not evaluated: the record ends early or holds an item that is "
                  "not a number, at coordinate 2 of point 2 of 3000",
                  true, "job 2600 at coordinate 2 of point 2 of 3000"}),
    [](const testing::TestParamInfo<BadRecord>& info) { return info.param.name; });

TEST(Dispatcher, NonIntegerWhereACodeIsExpectedFailsTheRun) {
    test::Run setup;
    setup.jobs = "0 abc 0";
    const auto out = run(setup);
    EXPECT_EQ(out.console, "\a");
    EXPECT_EQ(out.status, 1);
    EXPECT_NE(out.errors.find("where a job code was expected (after job 0)"), std::string::npos)
        << out.errors;
}

// An item that is not a whole number where a job code belongs fails the run,
// wherever it stands: at the end of the file without a line break too. The
// item is shown with unprintable bytes escaped.
TEST(Dispatcher, MalformedJobCodesFailTheRun) {
    const struct {
        std::string jobs, shown;
    } cases[] = {{"0 2600.0 4 1e-6 1 0 0 1 -1 0 0 -1", "(after job 0): 2600.0"},
                 {unitcircle + " 99999999999", "(after job 2600): 99999999999"},
                 {"0 -", "(after job 0): -"},
                 {std::string("0 \x01x\0y", 7), "(after job 0): \\x01x\\x00y"},
                 {"+-5", "was expected: +-5"}};
    for (const auto& c : cases) {
        test::Run setup;
        setup.jobs = c.jobs;
        const auto out = run(setup);
        EXPECT_EQ(out.status, 1) << c.jobs;
        EXPECT_NE(out.errors.find(c.shown), std::string::npos) << out.errors;
    }
}

TEST(Dispatcher, CleanEndWithoutFinalLineBreakExitsZero) {
    test::Run setup;
    setup.jobs = "2600 4 0.000001 1 0 0 1 -1 0 0 -1"; // no line break after the last number
    const auto out = run(setup);
    EXPECT_EQ(out.console, unitcircleconsole + "\a");
    EXPECT_EQ(out.status, 0);
}

// An operator who can never answer ("yes Y | formeval"): every "Y" asks for
// serial numbers, which "Y" never is; the third unusable answer stops the
// exchange as "N" does, so the run ends instead of asking for ever.
TEST(Dispatcher, AnOperatorWhoCannotAnswerDoesNotHoldTheRun) {
    test::Run setup;
    setup.jobs = "2500 12 1e-6 24.999948 0.000009 24.999943 0.039687 24.999899 0.079246 "
                 "24.999619 0.119067 24.999448 0.158612 24.999312 0.198325 24.998934 0.237991 "
                 "24.998486 0.277590 24.998013 0.317398 24.997456 0.357035 24.996887 0.396562 "
                 "24.996244 0.436328";
    for (int i = 0; i < 20000; ++i) setup.input += "Y\n";
    setup.timeout = 30;
    const auto out = run(setup);
    EXPECT_FALSE(out.hung);
    EXPECT_EQ(out.status, 0);
    EXPECT_NE(out.console.find("answers in a row could not be used: the run stops as on N"),
              std::string::npos);
    EXPECT_LT(out.console.size(), 100000u);
}

// A word of the job stream is a number exactly when formatted extraction of
// the same type takes the whole word, and it then has the same value.
// The manual's table of job codes (docs/formeval.md) names exactly the codes of the job table,
// so that a new job cannot be left out of the manual.
TEST(JobTable, ManualListsEveryCode) {
    std::set<int> listed;
    for (const test::DocumentedJob& job : test::documentedjobs()) listed.insert(job.code);
    std::set<int> table;
    for (const jobinfo& job : jobtable()) {
        table.insert(job.code);
        EXPECT_EQ(findjob(job.code), &job);
        EXPECT_EQ(job.routine == nullptr, job.code == 0) << job.code;
    }
    EXPECT_EQ(listed, table);
    EXPECT_EQ(findjob(1001), nullptr);
    EXPECT_EQ(findjob(-1), nullptr);
}

} // namespace
} // namespace formeval
