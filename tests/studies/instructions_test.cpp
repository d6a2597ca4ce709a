// The study parameters: both readings of instructions.txt, unusable files at
// a study's start and during it, and changes taking effect at the next read.
#include "studies/studies.h"
#include "tests/harness/harness.h"

#include <chrono>
#include <gtest/gtest.h>
#include <string>
#include <thread>

namespace formeval {
namespace {

using test::Session;
using test::Workdir;

struct ReadCase {
    std::string file;
    studyparams asint, asreal;
};

void PrintTo(const ReadCase& c, std::ostream* os) {
    *os << testing::PrintToString(c.file);
}

class Reading : public testing::TestWithParam<ReadCase> {};

void expectparams(const studyparams& got, const studyparams& want) {
    EXPECT_EQ(got.stratangle, want.stratangle);
    EXPECT_EQ(got.sampno, want.sampno);
    EXPECT_EQ(got.stdun, want.stdun);
    EXPECT_EQ(got.lobeno, want.lobeno);
    EXPECT_EQ(got.form, want.form);
    EXPECT_EQ(got.alpha, want.alpha);
}

TEST_P(Reading, BothReadingsExtractAsFormattedInput) {
    const ReadCase c = GetParam();
    Workdir dir;
    dir.write("instructions.txt", c.file);
    Session session;
    ASSERT_TRUE(studystart(2610, asint | asreal));
    expectparams(instructions(asint), c.asint);
    expectparams(instructions(asreal), c.asreal);
    EXPECT_EQ(session.console(), "");
}

INSTANTIATE_TEST_SUITE_P(
    Instructions, Reading,
    testing::Values(
        ReadCase{"10 36 0.001 3 0 0", {10, 36, 0.001, 3, 0, 0}, {10, 36, 0.001, 3, 0, 0}},
        // Line breaks carry no meaning; anything after the sixth number is ignored.
        ReadCase{"90\n4\n\n0.5 2\n1.5\t-7 trailing words 8",
                 {90, 4, 0.5, 2, 1.5, -7},
                 {90, 4, 0.5, 2, 1.5, -7}},
        // An integer extraction stops at the decimal point and leaves ".5" for
        // stdun; every later field then takes the number before it.
        ReadCase{"90 4.5 0.25 3 0 0", {90, 4, 0.5, 0, 0.25, 3}, {90, 4.5, 0.25, 3, 0, 0}},
        ReadCase{"15 8 0.002 3.75 1 2", {15, 8, 0.002, 3, 0.75, 1}, {15, 8, 0.002, 3.75, 1, 2}},
        // Larger than a page, with the numbers across the page boundary.
        ReadCase{std::string(4090, ' ') + "12.5 36 0.001 3 0 0" + std::string(5000, '\n'),
                 {12.5, 36, 0.001, 3, 0, 0},
                 {12.5, 36, 0.001, 3, 0, 0}}),
    test::namedby([](const ReadCase& c) { return c.file; }));

struct BadCase {
    std::string file; // "" : no file at all
    unsigned readings;
    std::string why;
};

void PrintTo(const BadCase& c, std::ostream* os) {
    *os << testing::PrintToString(c.file) << ", readings " << c.readings;
}

class Unusable : public testing::TestWithParam<BadCase> {};

TEST_P(Unusable, SkipsTheStudyWithAMessage) {
    const BadCase c = GetParam();
    Workdir dir;
    if (!c.file.empty()) dir.write("instructions.txt", c.file);
    Session session;
    EXPECT_FALSE(studystart(2610, c.readings));
    const std::string message = "\nJob 2610 not evaluated: instructions.txt " + c.why;
    EXPECT_EQ(session.console(), message);
    EXPECT_EQ(session.result(), message);
}

INSTANTIATE_TEST_SUITE_P(
    Instructions, Unusable,
    testing::Values(
        BadCase{"", asreal, "is missing or cannot be read"},
        BadCase{"", asint, "is missing or cannot be read"},
        BadCase{"10 36 0.001 3 0", asreal,
                "does not hold six numbers: field 6 (alpha) is missing or not a number"},
        BadCase{"10 36 0.001 3 0", asint,
                "does not hold six numbers: field 6 (alpha) is missing or not a number"},
        BadCase{"  \n", asreal,
                "does not hold six numbers: field 1 (stratangle) is missing or not a number"},
        BadCase{"10 many 0.001 3 0 0", asint | asreal,
                "does not hold six numbers: field 2 (sampno) is missing or not an integer"},
        // Read as integers, ".25" stands where lobeno should be.
        BadCase{"90 4.5 .25 3 0 0", asint,
                "does not hold six numbers: field 4 (lobeno) is missing or not an integer"}),
    test::namedby([](const BadCase& c) {
        const char* reading = c.readings == asint    ? "_AsInt"
                              : c.readings == asreal ? "_AsReal"
                                                     : "_AsBoth";
        return (c.file.empty() ? "NoFile" : test::testname(c.file)) + reading;
    }));

TEST(Instructions, EachStudyChecksOnlyTheReadingItUses) {
    Workdir dir;
    dir.write("instructions.txt", "90 4.5 .25 3 0 0");
    Session session;
    EXPECT_TRUE(studystart(2610, asreal));
    EXPECT_EQ(instructions(asreal).stdun, 0.25);
    EXPECT_FALSE(studystart(2555, asint | asreal));
}

TEST(Instructions, ChangeTakesEffectAtTheNextRead) {
    Workdir dir;
    dir.write("instructions.txt", "0 4 0.5 3 0 0");
    Session session;
    ASSERT_TRUE(studystart(2610, asreal));
    EXPECT_EQ(instructions(asreal).stdun, 0.5);
    // Same size, within the same clock tick of the file system.
    dir.write("instructions.txt", "0 4 0.7 3 0 0");
    EXPECT_EQ(instructions(asreal).stdun, 0.7);
    dir.write("instructions.txt", "0 5 0.7 3 0 0");
    EXPECT_EQ(instructions(asint).sampno, 5);
}

// A file left alone for a while is no longer parsed on every read; a change
// must still be seen at once.
TEST(Instructions, ChangeToASettledFileIsSeen) {
    Workdir dir;
    dir.write("instructions.txt", "0 4 0.5 3 0 0");
    Session session;
    std::this_thread::sleep_for(std::chrono::milliseconds(2100));
    ASSERT_TRUE(studystart(2610, asreal));
    EXPECT_EQ(instructions(asreal).stdun, 0.5);
    EXPECT_EQ(instructions(asreal).stdun, 0.5);
    dir.write("instructions.txt", "0 4 0.9 3 0 0");
    EXPECT_EQ(instructions(asreal).stdun, 0.9);
}

TEST(Instructions, FileGoneDuringAStudyKeepsTheLastValuesAndSaysSoOnce) {
    Workdir dir;
    dir.write("instructions.txt", "20 6 0.5 3 0 0");
    Session session;
    ASSERT_TRUE(studystart(2565, asint | asreal));
    dir.write("instructions.txt", "30 7 0.25 3 0 0");
    EXPECT_EQ(instructions(asreal).stdun, 0.25);
    dir.remove("instructions.txt");
    for (int read = 0; read < 3; ++read) {
        EXPECT_EQ(instructions(asreal).stdun, 0.25);
        EXPECT_EQ(instructions(asint).sampno, 7);
        EXPECT_EQ(instructions(asint).stratangle, 30);
    }
    const std::string said = "\ninstructions.txt is missing or cannot be read; the study goes "
                             "on with the values read last";
    EXPECT_EQ(session.console(), said);
    EXPECT_EQ(session.result(), "");

    // A file cut short is kept out the same way; the next study says so again.
    dir.write("instructions.txt", "20 6 0.5 3 0 0");
    ASSERT_TRUE(studystart(2565, asint | asreal));
    dir.write("instructions.txt", "20 6");
    EXPECT_EQ(instructions(asreal).stdun, 0.5);
    EXPECT_EQ(instructions(asreal).stdun, 0.5);
    EXPECT_EQ(session.console(),
              said + "\ninstructions.txt does not hold six numbers: field 3 (stdun) is missing "
                     "or not a number; the study goes on with the values read last");

    // Gone at the start of the next study: that study is skipped.
    dir.remove("instructions.txt");
    EXPECT_FALSE(studystart(2565, asint | asreal));
}

} // namespace
} // namespace formeval
