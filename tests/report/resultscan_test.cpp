// Block detection in result.txt and the summary's tables and CSV, on small
// files written by hand.
#include "report/charts/charts.h"
#include "report/commands/commands.h"
#include "tests/harness/harness.h"

#include <cmath>
#include <gtest/gtest.h>
#include <sstream>

namespace formeval::report {
namespace {

struct ClassifyCase {
    const char* name;
    std::string_view line;
    LineKind kind;
    long repetition;
    const char* reason;
};

void PrintTo(const ClassifyCase& c, std::ostream* out) {
    *out << c.name;
}

class ClassifyTest : public ::testing::TestWithParam<ClassifyCase> {};

TEST_P(ClassifyTest, TellsStudyLinesFromOtherOutput) {
    const ClassifyCase c = GetParam();
    const ResultLine r = classify(c.line);
    EXPECT_EQ(r.kind, c.kind);
    EXPECT_EQ(r.repetition, c.repetition);
    EXPECT_EQ(r.reason, c.reason);
}

INSTANTIATE_TEST_SUITE_P(
    Lines, ClassifyTest,
    ::testing::Values(
        ClassifyCase{"Repetition", "0\t1\t10\t100\t0.1", LineKind::repetition, 0, ""},
        ClassifyCase{"NoCircle", "17\tno circle fits these points", LineKind::nocircle, 17, ""},
        // A sampling study's sample too small after a prompt answer.
        ClassifyCase{"NotEvaluated",
                     "Repetition 7 not evaluated: a sample of 3 points is too small; the "
                     "evaluation needs at least 4",
                     LineKind::notevaluated, 7, ""},
        ClassifyCase{"NotEvaluatedCarriageReturn", "Repetition 12 not evaluated\r",
                     LineKind::notevaluated, 12, ""},
        ClassifyCase{"RepetitionCarriageReturn", "5\t1\t2\t3\t4\r", LineKind::repetition, 5, ""},
        ClassifyCase{"Perturbation", "1\t2\t3\t4\t5\t6\t7\t8", LineKind::perturbation, -1, ""},
        ClassifyCase{"PerturbationSigned", "-1.5\t2\t3\t4\t5\t6\t7\t8e-3", LineKind::perturbation,
                     -1, ""},
        // formeval's notes before a result that is not a fit.
        ClassifyCase{"NoteUnsettled",
                     "The centre did not settle within 1000 stages; the evaluation goes on from "
                     "the last stage",
                     LineKind::note, -1, ""},
        ClassifyCase{"NoteStopped",
                     "The minimum-zone fit was stopped in stage 4; the centre is not refined "
                     "further",
                     LineKind::note, -1, ""},
        ClassifyCase{"NoteSingular",
                     "The fit of stage 2 met a singular system; its centre and radius are not "
                     "fitted to these points\r",
                     LineKind::note, -1, ""},
        // Evaluation output: the exchange's reference set, items, labels.
        ClassifyCase{"ReferenceSet", "ne[i]s= 3\t8\t0\t5\t", LineKind::other, -1, ""},
        ClassifyCase{"Item", "r0=1xo=0y0=0", LineKind::other, -1, ""},
        ClassifyCase{"PointListing", "1    0    0", LineKind::other, -1, ""},
        ClassifyCase{"Empty", "", LineKind::other, -1, ""},
        ClassifyCase{"NegativeNumber", "-5\t1\t2\t3\t4", LineKind::other, -1, ""},
        ClassifyCase{"RepetitionWithoutNumber", "Repetition x not evaluated", LineKind::other, -1,
                     ""},
        ClassifyCase{"RepetitionOtherwise", "Repetition 3 evaluated", LineKind::other, -1, ""},
        // A killed run's last line, cut short; stray fields.
        ClassifyCase{"ThreeFields", "537\t0.0001\t-0.00", LineKind::malformed, 537,
                     "a repetition line holds its number and four numbers separated by tabs; "
                     "this one has 3 fields"},
        ClassifyCase{"TrailingTab", "5\t1\t2\t3\t4\t", LineKind::malformed, 5,
                     "a repetition line holds its number and four numbers separated by tabs; "
                     "this one has 6 fields"},
        ClassifyCase{"NotANumber", "5\t1\t2\tx\t4", LineKind::malformed, 5,
                     "radius 'x' is not a number"},
        ClassifyCase{"NaN", "5\tnan\t2\t3\t4", LineKind::malformed, 5,
                     "centre x 'nan' is not a number"},
        // Bytes that would end or garble the message are quoted escaped.
        ClassifyCase{"Unprintable", std::string_view("5\t1\t\0\x7f\xff\t3\t4", 11),
                     LineKind::malformed, 5, "centre y '\\x00\\x7f\\xff' is not a number"},
        ClassifyCase{"ShortNoCircle", "5\tno circle", LineKind::malformed, 5,
                     "a repetition line holds its number and four numbers separated by tabs; "
                     "this one has 2 fields"}),
    [](const ::testing::TestParamInfo<ClassifyCase>& info) { return info.param.name; });

// Evaluation output, a block of four repetitions with one that no circle
// fits and an item in the middle, a second block, a perturbation line.
const char* const mixed = "Stage Number = 1\n"
                          "r0=10xo=100y0=20\n"
                          "0\t1\t10\t100\t0.1\n"
                          "1\t2\t20\t200\t0.2\n"
                          "Stage Number = 1\n"
                          "2\tno circle fits these points\n"
                          "3\t3\t30\t300\t0.3\n"
                          "0\t5\t5\t5\t5\n"
                          "1\t7\t7\t7\t7\n"
                          "1\t2\t3\t4\t5\t6\t7\t8\n";

std::vector<Block> scan(const std::string& text, ScanOptions options,
                        std::string* warnings = nullptr) {
    std::istringstream in(text);
    std::ostringstream said;
    auto blocks = scanresults(in, "t.txt", options, said);
    if (warnings) *warnings = said.str();
    return blocks;
}

TEST(Scanresults, FindsEachBlockWhereTheNumberingStartsAgain) {
    const auto blocks = scan(mixed, {});
    ASSERT_EQ(blocks.size(), 3u);
    const Block& first = blocks[0];
    EXPECT_EQ(first.kind, Block::Kind::repetitions);
    EXPECT_EQ(first.firstline, 3);
    EXPECT_EQ(first.lastline, 7);
    EXPECT_EQ(first.lines, 4);
    EXPECT_EQ(first.nocircle, 1);
    EXPECT_EQ(first.lastrepetition, 3);
    EXPECT_EQ(first.statistics[0].count, 3);
    EXPECT_DOUBLE_EQ(first.statistics[0].mean, 2);
    EXPECT_DOUBLE_EQ(first.statistics[1].sd, 10);
    EXPECT_DOUBLE_EQ(first.statistics[2].max, 300);
    EXPECT_DOUBLE_EQ(first.statistics[3].min, 0.1);
    EXPECT_EQ(blocks[1].firstline, 8);
    EXPECT_EQ(blocks[1].lines, 2);
    EXPECT_DOUBLE_EQ(blocks[1].statistics[0].sd, std::sqrt(2.0));
    EXPECT_EQ(blocks[2].kind, Block::Kind::perturbation);
    EXPECT_EQ(blocks[2].firstline, 10);
    EXPECT_EQ(blocks[2].bounds[7], 8);
    EXPECT_EQ(blocks[2].number, 3);
}

// A note stands just before the repetition it concerns: two notes before one
// repetition count it once, a note that other output follows counts none.
TEST(Scanresults, CountsTheRepetitionsFormevalNoted) {
    const std::string unsettled = "The centre did not settle within 1000 stages; the evaluation "
                                  "goes on from the last stage\n";
    const auto blocks = scan(
        unsettled + "0\t1\t1\t1\t1\n1\t1\t1\t1\t1\n" +
            "The minimum-zone fit was stopped in stage 3; the centre is not refined further\n" +
            "The fit of stage 3 met a singular system; its centre and radius are not fitted "
            "to these points\n2\t1\t1\t1\t1\n" +
            unsettled + "Stage Number = 1\n3\t1\t1\t1\t1\n",
        {});
    ASSERT_EQ(blocks.size(), 1u);
    EXPECT_EQ(blocks[0].lines, 4);
    EXPECT_EQ(blocks[0].noted, 2);
    std::ostringstream out;
    printtables(out, "t.txt", blocks, defaultcoverage, 6);
    EXPECT_NE(out.str().find("\nformeval noted 2 of the 4 repetitions: a centre that did not "
                             "settle, a fit stopped or singular, a search that fell back, or a "
                             "result a feasible one beats"),
              std::string::npos)
        << out.str();
}

// Every note formeval writes before a result counts, the fallbacks of the
// peak and valley searches and the results a feasible answer beats among
// them (formeval once wrote the first to the console only, and the second
// not at all).
TEST(Scanresults, CountsEveryKindOfNote) {
    const char* notes[] = {
        "No answer at the console: the search ends with the minimum zone peak circle, which "
        "holds every point",
        "The valley circle search did not end within 12 cycles; the minimum zone valley circle "
        "is used",
        "The circle through peak points 1,1,2 does not exist: they lie on one line or repeat; "
        "the minimum zone peak circle is used",
        "The minimum-zone circle found is wider than the zone about the least-squares centre, "
        "0.1; it is not the minimum zone",
        "The peak circle found is larger than the circle about the centroid that holds every "
        "point, of radius 10.5; it is not the minimum circumscribing circle",
        "The valley circle found is smaller than the circle about the least-squares centre with "
        "no point inside, of radius 9.5; it is not the maximum inscribing circle"};
    std::string text;
    int k = 0;
    for (const char* note : notes)
        text += std::string(note) + "\n" + std::to_string(k++) + "\t1\t1\t1\t1\n";
    const auto blocks = scan(text, {});
    ASSERT_EQ(blocks.size(), 1u);
    EXPECT_EQ(blocks[0].noted, 6);
    for (const char* note : notes) EXPECT_EQ(classify(note).kind, LineKind::note) << note;
    EXPECT_TRUE(notedin(notes[0]).notfitted);
    EXPECT_TRUE(notedin(std::string("x\n") + notes[3]).notoptimal);
    EXPECT_FALSE(notedin(std::string("x") + notes[3]).notoptimal); // a note starts a line
}

// A result line of a megabyte (a stray binary file) is neither held whole
// nor quoted whole: the message quotes the start of the field.
TEST(Scanresults, AFieldOfAMegabyteIsQuotedShort) {
    const std::string text = "0\t1\t" + std::string(1 << 20, '9') + "x\t1\t1\n";
    std::istringstream in(text);
    std::ostringstream warnings;
    try {
        scanresults(in, "r.txt", ScanOptions{}, warnings);
        ADD_FAILURE() << "no error";
    } catch (const FileError& e) {
        EXPECT_LT(std::string(e.what()).size(), 200u) << std::string(e.what()).substr(0, 200);
    }
}

// An evaluation's last item ends without a line break; that is no cut line.
TEST(Scanresults, AFileWithoutStudiesHasNoBlocks) {
    EXPECT_TRUE(scan("Stage Number = 1\nr0=10xo=100y0=20", {}).empty());
    EXPECT_TRUE(scan("Stage Number = 1\n1    0    0", {}).empty());
    EXPECT_TRUE(scan("", {}).empty());
    EXPECT_EQ(scan("0\t1\t1\t1\t1\nr0=10xo=100y0=20", {}).size(), 1u);
}

struct FaultCase {
    const char* name;
    const char* text;
    long line;
    const char* why;
    const char* consequence;
    long blocklines; // lines of the one block kept when faults are skipped
};

void PrintTo(const FaultCase& c, std::ostream* out) {
    *out << c.name;
}

class ScanFaultTest : public ::testing::TestWithParam<FaultCase> {};

TEST_P(ScanFaultTest, StopsAtTheLineOrSkipsItWithAWarning) {
    const FaultCase c = GetParam();
    try {
        scan(c.text, {});
        ADD_FAILURE() << "no error for " << c.text;
    } catch (const FileError& e) {
        EXPECT_EQ(e.file(), "t.txt");
        EXPECT_EQ(e.line(), c.line);
        EXPECT_EQ(std::string(e.what()), c.why);
    }
    ScanOptions lenient;
    lenient.skipmalformed = true;
    std::string warnings;
    const auto blocks = scan(c.text, lenient, &warnings);
    EXPECT_EQ(warnings, "formreport: t.txt:" + std::to_string(c.line) + ": " + c.why + "; " +
                            c.consequence + "\n");
    ASSERT_EQ(blocks.size(), 1u);
    EXPECT_EQ(blocks[0].lines, c.blocklines);
}

const char* const cut = "the file ends inside this study line, which has no line break: it was "
                        "cut short (a full disk, a killed run)";

INSTANTIATE_TEST_SUITE_P(
    Faults, ScanFaultTest,
    ::testing::Values(
        FaultCase{"NotANumber", "0\t1\t1\t1\t1\n1\t1\t1\tx\t1\n2\t1\t1\t1\t1\n", 2,
                  "radius 'x' is not a number", "line left out", 2},
        FaultCase{"NumberingBroken", "0\t1\t1\t1\t1\n1\t1\t1\t1\t1\n3\t1\t1\t1\t1\n", 3,
                  "repetition 3 follows repetition 1: lines are missing or out of order",
                  "line counted in the block", 3},
        FaultCase{"BlockNotFromZero", "x\n5\t1\t1\t1\t1\n6\t1\t1\t1\t1\n", 2,
                  "repetition 5 stands where a study block should start at repetition 0",
                  "a block starts here", 2},
        // Cut inside the last number, the line looks whole: 0.0 of 0.0123.
        FaultCase{"CutLooksWhole", "0\t1\t1\t1\t1\n1\t1\t1\t1\t0.0", 2, cut, "line left out", 1},
        FaultCase{"CutBeforeItsLastField", "0\t1\t1\t1\t1\n1\t1\t1", 2, cut, "line left out", 1},
        FaultCase{"CutInTheRepetitionNumber", "0\t1\t1\t1\t1\n12", 2, cut, "line left out", 1},
        FaultCase{"CutPerturbationLine", "0\t1\t1\t1\t1\n-0.00", 2, cut, "line left out", 1},
        FaultCase{"CutNotEvaluatedLine", "0\t1\t1\t1\t1\nRepetition 1 not ev", 2, cut,
                  "line left out", 1},
        FaultCase{"CutInItsFirstWord", "0\t1\t1\t1\t1\nRepet", 2, cut, "line left out", 1}),
    [](const ::testing::TestParamInfo<FaultCase>& info) { return info.param.name; });

TEST(Printtables, AlignedColumnsWithTheRowsOfEachKindOfBlock) {
    std::ostringstream out;
    printtables(out, "t.txt", scan(mixed, {}), defaultcoverage, 6);
    EXPECT_EQ(out.str(),
              "t.txt: 3 blocks\n"
              "\n"
              "Block 1: repetitions 0-3 on lines 3-7 (4 lines)\n"
              "                       centre x     centre y       radius  circularity\n"
              "count                         3            3            3            3\n"
              "mean                          2           20          200          0.2\n"
              "standard deviation            1           10          100          0.1\n"
              "minimum                       1           10          100          0.1\n"
              "maximum                       3           30          300          0.3\n"
              "95 % interval low           n/a          n/a          n/a          n/a\n"
              "95 % interval high          n/a          n/a          n/a          n/a\n"
              "95 % shortest low           n/a          n/a          n/a          n/a\n"
              "95 % shortest high          n/a          n/a          n/a          n/a\n"
              "No circle fits the points of 1 of the 4 repetitions; they are not counted.\n"
              "The 95 % interval needs more values than the block has.\n"
              "The block holds 4 repetition lines, not the 1000, 10 000 or 100 000 of a whole "
              "study: it was cut short, lines are missing, or the lines of two runs are "
              "interleaved.\n"
              "Converged? Too few repetitions to judge: the check (JCGM 101 7.9) needs 10 "
              "batches of at least 100.\n"
              "\n"
              "Block 2: repetitions 0-1 on lines 8-9 (2 lines)\n"
              "                       centre x     centre y       radius  circularity\n"
              "count                         2            2            2            2\n"
              "mean                          6            6            6            6\n"
              "standard deviation      1.41421      1.41421      1.41421      1.41421\n"
              "minimum                       5            5            5            5\n"
              "maximum                       7            7            7            7\n"
              "95 % interval low           n/a          n/a          n/a          n/a\n"
              "95 % interval high          n/a          n/a          n/a          n/a\n"
              "95 % shortest low           n/a          n/a          n/a          n/a\n"
              "95 % shortest high          n/a          n/a          n/a          n/a\n"
              "The 95 % interval needs more values than the block has.\n"
              "The block holds 2 repetition lines, not the 1000, 10 000 or 100 000 of a whole "
              "study: it was cut short, lines are missing, or the lines of two runs are "
              "interleaved.\n"
              "Converged? Too few repetitions to judge: the check (JCGM 101 7.9) needs 10 "
              "batches of at least 100.\n"
              "\n"
              "Block 3: perturbation study on line 10\n"
              "                       centre x     centre y       radius  circularity\n"
              "interval low                  1            3            5            7\n"
              "interval high                 2            4            6            8\n"
              "nominal (midpoint)          1.5          3.5          5.5          7.5\n"
              "half-width (2u)             0.5          0.5          0.5          0.5\n");
}

TEST(Printtables, SaysWhenThereIsNoBlock) {
    std::ostringstream out;
    printtables(out, "t.txt", {}, defaultcoverage, 12);
    EXPECT_EQ(out.str(), "t.txt: no study blocks\n");
}

TEST(Printcsv, OneRowPerBlockAndQuantity) {
    std::ostringstream out;
    const auto blocks = scan("0\t1\t10\t100\t0.1\n1\t2\t20\t200\t0.2\n"
                             "1\t2\t3\t4\t5\t6\t7\t8\n",
                             {});
    printcsv(out, blocks);
    EXPECT_EQ(out.str(),
              "block,kind,first_line,last_line,lines,no_circle,quantity,count,mean,sd,min,max,"
              "interval_low,interval_high,shortest_low,shortest_high,noted,job,measured,"
              "stable_after,needed\n"
              "1,repetitions,1,2,2,0,centre x,2,1.5,0.7071067811865476,1,2,,,,,0,,,,\n"
              "1,repetitions,1,2,2,0,centre y,2,15,7.0710678118654755,10,20,,,,,0,,,,\n"
              "1,repetitions,1,2,2,0,radius,2,150,70.71067811865476,100,200,,,,,0,,,,\n"
              "1,repetitions,1,2,2,0,circularity error,2,0.15000000000000002,"
              "0.07071067811865477,0.1,0.2,,,,,0,,,,\n"
              "2,perturbation,3,3,1,0,centre x,,,,,,1,2,,,,,,,\n"
              "2,perturbation,3,3,1,0,centre y,,,,,,3,4,,,,,,,\n"
              "2,perturbation,3,3,1,0,radius,,,,,,5,6,,,,,,,\n"
              "2,perturbation,3,3,1,0,circularity error,,,,,,7,8,,,,,,,\n");
}

} // namespace
} // namespace formeval::report
