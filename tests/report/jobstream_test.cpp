// Reading job streams for the roundness plots: every job's record is read
// past by its shape, the circle records are kept with their position and
// line, and a broken stream is reported where formeval would find it broken.
#include "report/charts/charts.h"
#include "report/commands/commands.h"
#include "tests/harness/harness.h"
#include "tests/harness/support.h"
#include "tests/report/support.h"

#include <algorithm>
#include <gtest/gtest.h>
#include <sstream>

namespace formeval::report {
namespace {

JobStream read(const std::string& text) {
    std::istringstream in(text);
    return sortrecords(readrecords(in, "jobs.txt"));
}

// numpt = 4 points of `dimension` coordinates, all 1.
std::string record(int dimension) {
    std::string text = "4 0.000001\n";
    for (int i = 0; i < 4; ++i) {
        for (int d = 0; d < dimension; ++d) text += "1 ";
        text += "\n";
    }
    return text;
}

struct ShapeCase {
    int job;
    int dimension;          // coordinates per point; 0: no record
    std::string evaluation; // what the job evaluates
};

void PrintTo(const ShapeCase& c, std::ostream* out) {
    *out << "job " << c.job;
}

// Every code of the manual's table of job codes (docs/formeval.md), with its record as the manual
// describes it (every code of the job table, as JobTable.ManualListsEveryCode
// checks).
std::vector<ShapeCase> shapecases() {
    std::vector<ShapeCase> cases;
    for (const test::DocumentedJob& job : test::documentedjobs())
        cases.push_back({job.code, test::documentedcoordinates(job.record), job.evaluation});
    return cases;
}

bool mentions(const std::string& text, const char* word) {
    return text.find(word) != std::string::npos;
}

class RecordShapeTest : public ::testing::TestWithParam<ShapeCase> {};

// The manual's table of job codes (docs/formeval.md) and records.
TEST_P(RecordShapeTest, ReadsPastTheRecordToTheNextJob) {
    const ShapeCase c = GetParam();
    const std::optional<methods::Holds> holds = methods::recordholds(c.job);
    EXPECT_EQ(holds ? pointset::traits(holds->feature).dimension : 0, c.dimension);
    const std::string first =
        std::to_string(c.job) + "\n" + (c.dimension ? record(c.dimension) : "");
    const JobStream s = read(first + "2600 " + test::alternating(8));
    ASSERT_FALSE(s.circles.empty());
    const JobRecord& last = s.circles.back();
    EXPECT_EQ(s.jobs, 2);
    EXPECT_EQ(last.ordinal, 2);
    EXPECT_EQ(last.job, 2600);
    EXPECT_EQ(last.line, c.dimension ? 7 : 2);
    EXPECT_EQ(last.c[0].size(), 8u);
    EXPECT_DOUBLE_EQ(last.cri, 1e-6);
    // The circle jobs' own records are kept too, with all their points, and
    // so are the lines and planes to draw and the studies to match.
    // (The manual's row of the sampling studies with noise reads "the same
    // with coordinate noise".)
    const bool study = mentions(c.evaluation, "study") || mentions(c.evaluation, "the same with");
    const bool circle = mentions(c.evaluation, "circularity") && !study;
    const bool form = mentions(c.evaluation, "straightness") || mentions(c.evaluation, "flatness");
    EXPECT_EQ(s.circles.size(), circle ? 2u : 1u);
    EXPECT_EQ(s.forms.size(), form ? 1u : 0u);
    EXPECT_EQ(s.studies.size(), study ? 1u : 0u);
    EXPECT_TRUE(s.notes.empty());
}

INSTANTIATE_TEST_SUITE_P(Jobs, RecordShapeTest, ::testing::ValuesIn(shapecases()),
                         test::namedby([](const ShapeCase& c) {
                             return "Job" + std::to_string(c.job);
                         }));

// The Cartesian circle evaluations of the manual's table, whose computations
// the charts run.
TEST(Readjobstream, CircleJobsAreTheCartesianCircleEvaluations) {
    std::vector<int> expected;
    for (const ShapeCase& c : shapecases())
        if (mentions(c.evaluation, "circularity") && !mentions(c.evaluation, "study") &&
            !mentions(c.evaluation, "polar"))
            expected.push_back(c.job);
    std::sort(expected.begin(), expected.end());
    std::vector<int> jobs = methods::evaluationjobs(Feature::circle, Form::cartesian);
    std::sort(jobs.begin(), jobs.end());
    EXPECT_EQ(jobs, expected);
    EXPECT_EQ(expected.size(), 4u);
}

// A polar record's radius and angle in degrees become x and y.
TEST(Readjobstream, PolarCircleRecordsInCartesianCoordinates) {
    const JobStream s = read("2000 4 0.5\n2 0\n2 90\n4 180\n1 -90\n");
    ASSERT_EQ(s.circles.size(), 1u);
    const std::vector<double> x = {2, 0, -4, 0};
    const std::vector<double> y = {0, 2, 0, -1};
    const XY p = planepoints(s.circles[0]);
    for (std::size_t i = 0; i < 4; ++i) {
        EXPECT_NEAR(p.x[i], x[i], 1e-15) << i;
        EXPECT_NEAR(p.y[i], y[i], 1e-15) << i;
    }
}

// An item too small for a double reads as 0, as formeval reads it.
TEST(Readjobstream, KeepsTheCoordinatesInPointOrder) {
    const JobStream s = read("2700 4 0.5\n1 2\n3 4\n5 6\n7 1e-400\n");
    ASSERT_EQ(s.circles.size(), 1u);
    EXPECT_EQ(s.circles[0].c[0], (std::vector<double>{1, 3, 5, 7}));
    EXPECT_EQ(s.circles[0].c[1], (std::vector<double>{2, 4, 6, 0}));
    EXPECT_EQ(s.circles[0].cri, 0.5);
}

struct SkipCase {
    const char* first; // a job formeval skips, before a good circle record
    const char* note;
};

void PrintTo(const SkipCase& c, std::ostream* out) {
    *out << std::string(c.first).substr(0, 30);
}

class SkippedRecordTest : public ::testing::TestWithParam<SkipCase> {};

// Each record formeval refuses is noted, and the stream goes on as formeval
// reads it: the next job is found.
TEST_P(SkippedRecordTest, NotesTheRecordAndReadsOn) {
    const SkipCase c = GetParam();
    const JobStream s = read(std::string(c.first) + "\n2600 " + test::alternating(8));
    ASSERT_EQ(s.circles.size(), 1u);
    EXPECT_EQ(s.circles[0].ordinal, 2);
    ASSERT_EQ(s.notes.size(), 1u);
    EXPECT_EQ(s.notes[0], c.note);
}

std::string manypoints() {
    std::string text = "2500 2049 0.000001";
    for (int i = 0; i < 2049; ++i) text += " 1 2";
    return text;
}
const std::string toomany = manypoints();

INSTANTIATE_TEST_SUITE_P(
    Records, SkippedRecordTest,
    ::testing::Values(
        SkipCase{"1234", "job 1234 (job 1 of the stream, line 1): formeval runs no job of this "
                         "code; like formeval, formreport reads the next item as a job code"},
        SkipCase{"2800 3 0.000001 1 0 0 1 -1 0",
                 "job 2800 (job 1 of the stream, line 1): not plotted: 3 points are too few; the "
                 "four circles need at least 4"},
        SkipCase{"2600 4 0.000001 1 0 0 1 -1 0 0 2e100",
                 "job 2600 (job 1 of the stream, line 1): not plotted: a coordinate beyond "
                 "+-1e100, outside the range the evaluations can handle"},
        SkipCase{toomany.c_str(), "job 2500 (job 1 of the stream, line 1): not plotted: 2049 "
                                  "points exceed formeval's limit of 2048"},
        SkipCase{"1000 2 0.000001 0 0 1 1",
                 "job 1000 (job 1 of the stream, line 1): not plotted: 2 points are too few; the "
                 "evaluation needs at least 3"}),
    test::namedby([](const SkipCase& c) {
        std::istringstream words(c.first);
        std::string name = "Record", word;
        for (int k = 0; k < 3 && words >> word; ++k) name += " " + word;
        return name;
    }));

struct BrokenCase {
    const char* name;
    std::string_view text;
    long line;
    const char* why;
};

void PrintTo(const BrokenCase& c, std::ostream* out) {
    *out << c.name;
}

class BrokenStreamTest : public ::testing::TestWithParam<BrokenCase> {};

TEST_P(BrokenStreamTest, SaysWhereAndWhy) {
    const BrokenCase c = GetParam();
    try {
        read(std::string(c.text));
        ADD_FAILURE() << "no error for " << c.text;
    } catch (const FileError& e) {
        EXPECT_EQ(e.file(), "jobs.txt");
        EXPECT_EQ(e.line(), c.line);
        EXPECT_EQ(std::string(e.what()), c.why);
    }
}

INSTANTIATE_TEST_SUITE_P(
    Streams, BrokenStreamTest,
    ::testing::Values(
        BrokenCase{"CoordinateNotANumber", "2600 4 0.000001\n1 0\n0 1\n-1 x\n", 4,
                   "job 2600 (job 1 of the stream, line 1): 'x' stands where coordinate 2 of "
                   "point 3 of 4 should be, and is not a number"},
        BrokenCase{"RecordEndsEarly", "0\n2600 4 0.000001\n1 0\n", 3,
                   "job 2600 (job 2 of the stream, line 2): coordinate 1 of point 2 of 4 is "
                   "missing: the file ends"},
        BrokenCase{"CountNotWhole", "3000 4.0 0.000001", 1,
                   "job 3000 (job 1 of the stream, line 1): '4.0' stands where the point count "
                   "should be, and is not a whole number"},
        // formeval stops there too: the record's length is unknown.
        BrokenCase{"NegativeCount", "2600 -3\n0.000001", 1,
                   "job 2600 (job 1 of the stream, line 1): the point count -3 is negative: the "
                   "length of the record is unknown"},
        // Decimals only, as formeval reads them.
        BrokenCase{"ToleranceInfinite", "2600 4 inf", 1,
                   "job 2600 (job 1 of the stream, line 1): 'inf' stands where the tolerance "
                   "should be, and is not a number"},
        BrokenCase{"ToleranceHexadecimal", "2600 4 0x1p-20", 1,
                   "job 2600 (job 1 of the stream, line 1): '0x1p-20' stands where the "
                   "tolerance should be, and is not a number"},
        BrokenCase{"ToleranceNotANumber", "1000 3 tol", 1,
                   "job 1000 (job 1 of the stream, line 1): 'tol' stands where the tolerance "
                   "should be, and is not a number"},
        // A NUL byte ended the message where it was quoted.
        BrokenCase{"ToleranceWithUnprintableBytes", std::string_view("1000 3 t\0l\x01\xfe", 12), 1,
                   "job 1000 (job 1 of the stream, line 1): 't\\x00l\\x01\\xfe' stands where the "
                   "tolerance should be, and is not a number"},
        BrokenCase{"JobCodeNotWhole", "2600.5 4", 1,
                   "'2600.5' stands where a job code (a whole number) should "
                   "start the stream"},
        BrokenCase{"JobCodeAWord", "0\n\n0 end", 3,
                   "'end' stands where a job code (a whole number) should "
                   "follow job 0 (job 2 of the stream)"}),
    [](const ::testing::TestParamInfo<BrokenCase>& info) { return info.param.name; });

} // namespace
} // namespace formeval::report

namespace formeval::report {
namespace {

// A word of two megabytes is not held whole, and the message quotes its
// first 40 characters: it is no number, however it goes on (formreport once
// quoted it whole, and held the whole file twice).
TEST(Readjobstream, AWordLongerThanAnyNumberBreaksTheStreamWithAShortMessage) {
    for (const std::string& before : {std::string(""), std::string("2600 4 1e-6 1 0 ")}) {
        std::istringstream in(before + std::string(2000000, '7') + " 1 -1 0 0 -1\n");
        try {
            readrecords(in, "jobs.txt");
            ADD_FAILURE() << "no error";
        } catch (const FileError& e) {
            const std::string why = e.what();
            EXPECT_LT(why.size(), 200u) << why.substr(0, 200);
            EXPECT_NE(why.find("'" + std::string(40, '7') + "...'"), std::string::npos) << why;
        }
    }
}

// A UTF-8 byte-order mark at the start is skipped, as formeval skips it.
TEST(Readjobstream, AByteOrderMarkIsSkipped) {
    std::istringstream plain("2600 " + test::alternating(8));
    std::istringstream marked("\xef\xbb\xbf"
                              "2600 " +
                              test::alternating(8));
    const RecordStream a = readrecords(plain, "jobs.txt");
    const RecordStream b = readrecords(marked, "jobs.txt");
    ASSERT_EQ(b.records.size(), 1u);
    EXPECT_EQ(b.records[0].c, a.records[0].c);
    std::istringstream inside("0 \xef\xbb\xbf"
                              "2600");
    EXPECT_THROW(readrecords(inside, "jobs.txt"), FileError);
}

// A tolerance formeval refuses leaves the record out of the charts, with
// formeval's reason.
TEST(Readjobstream, ARecordWithANegativeToleranceIsNotPlotted) {
    std::istringstream in("2500 " + std::string("4 -1e-6 1 0 0 1 -1 0 0 -1\n2600 ") +
                          test::alternating(8));
    const JobStream s = sortrecords(readrecords(in, "jobs.txt"));
    ASSERT_EQ(s.circles.size(), 1u);
    ASSERT_EQ(s.notes.size(), 1u);
    EXPECT_EQ(s.notes[0], "job 2500 (job 1 of the stream, line 1): not plotted: the tolerance "
                          "is negative; a tolerance is 0 or more");
}

} // namespace
} // namespace formeval::report
