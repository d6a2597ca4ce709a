// Sample-point selection: the first draws of a run, what each strategy writes,
// the sample-size prompt, and the guards that keep every selection in range,
// distinct and finite.
#include "random/random.h"
#include "studies/studies.h"
#include "tests/harness/harness.h"
#include "tests/harness/support.h"

#include <algorithm>
#include <gtest/gtest.h>
#include <numeric>
#include <string>
#include <vector>

namespace formeval {
namespace {

using test::params;
using test::Session;
using test::Workdir;

const std::string prompt = "\nNumber of sample points less than no of data points"
                           "\a\a\a\a\a\aEnter new number of sample points:";

std::vector<int> picks(const int* pn, int n) {
    return std::vector<int>(pn, pn + n);
}

bool distinctinrange(const std::vector<int>& p, int numpt) {
    std::vector<int> sorted = p;
    std::sort(sorted.begin(), sorted.end());
    return std::adjacent_find(sorted.begin(), sorted.end()) == sorted.end() &&
           (sorted.empty() || (sorted.front() >= 0 && sorted.back() < numpt));
}

// The first uniforms of stream 0 are about 0.293534, 0.721326, 0.123224,
// 0.246574; the expected picks follow from them by hand.
TEST(Selection, FirstDrawsOfARun) {
    Workdir dir;
    int pn[nsz];
    {
        dir.write("instructions.txt", params(0, 3));
        Session session;
        resetstreams();
        ASSERT_EQ(select(pn, 10), 3);
        EXPECT_EQ(picks(pn, 3), (std::vector<int>{2, 7, 0}));
        EXPECT_EQ(session.console(), "2\t7\t0\t\n");
        EXPECT_EQ(session.intres(), "2\t7\t0\t");
    }
    {
        dir.write("instructions.txt", params(0, 4));
        Session session;
        resetstreams();
        ASSERT_EQ(selectunif(pn, 10), 4);
        EXPECT_EQ(picks(pn, 4), (std::vector<int>{2, 4, 6, 8}));
        EXPECT_EQ(session.console(), "2\t");
        EXPECT_EQ(session.intres(), "2\t");
    }
    {
        // Offsets of 3, -6 and -4 index steps added to the step of 9.
        dir.write("instructions.txt", params(90, 4));
        Session session;
        resetstreams();
        ASSERT_EQ(selectstrat(pn, 36), 4);
        EXPECT_EQ(picks(pn, 4), (std::vector<int>{10, 22, 25, 30}));
        EXPECT_EQ(session.console(), "");
        EXPECT_EQ(session.intres(), "");
    }
}

TEST(Selection, FullSampleIsAPermutation) {
    Workdir dir;
    dir.write("instructions.txt", params(0, 10));
    Session session;
    int pn[nsz];
    for (int trial = 0; trial < 50; ++trial) {
        ASSERT_EQ(select(pn, 10), 10);
        EXPECT_TRUE(distinctinrange(picks(pn, 10), 10));
        ASSERT_EQ(selectunif(pn, 10), 10);
        for (int i = 1; i < 10; ++i) EXPECT_EQ(pn[i], (pn[0] + i) % 10);
    }
}

// Offsets that truncate to 0 (stratangle below 360 / numpt) make stratified
// sampling uniform spacing from the same start.
TEST(Selection, StratifiedWithoutJitterIsUniform) {
    for (const double stratangle : {0.0, 9.9}) {
        Workdir dir;
        dir.write("instructions.txt", params(stratangle, 5));
        Session session;
        resetstreams();
        for (int trial = 0; trial < 20; ++trial) {
            int strat[nsz];
            int unif[nsz];
            const long state = lcgrandgt(0);
            selectstrat(strat, 36);
            lcgrandst(state, 0);
            selectunif(unif, 36);
            EXPECT_EQ(picks(strat, 5), picks(unif, 5)) << "stratangle " << stratangle;
        }
    }
}

// Guards: an angle far above 180 once left indices outside the points; a
// sample close to the point count once redrew without end.
struct StratCase {
    double stratangle;
    int numpt, sampno;
};

void PrintTo(const StratCase& c, std::ostream* os) {
    *os << "stratangle " << c.stratangle << ", numpt " << c.numpt << ", sampno " << c.sampno;
}

class Stratified : public testing::TestWithParam<StratCase> {};

TEST_P(Stratified, EndsWithDistinctIndicesInRange) {
    const StratCase c = GetParam();
    Workdir dir;
    dir.write("instructions.txt", params(c.stratangle, c.sampno));
    Session session;
    int pn[nsz];
    for (int trial = 0; trial < 200; ++trial) {
        ASSERT_EQ(selectstrat(pn, c.numpt), c.sampno);
        ASSERT_TRUE(distinctinrange(picks(pn, c.sampno), c.numpt)) << "trial " << trial;
    }
    const std::string warning = "Beware stratangle>180!";
    std::string expected;
    if (c.stratangle > 180)
        for (int trial = 0; trial < 200; ++trial) expected += warning;
    EXPECT_EQ(session.console(), expected);
}

INSTANTIATE_TEST_SUITE_P(Selection, Stratified,
                         testing::Values(StratCase{90, 36, 4}, StratCase{180, 36, 2},
                                         StratCase{181, 36, 2}, StratCase{1000, 36, 4},
                                         StratCase{-700, 37, 5}, StratCase{1e7, 100, 3},
                                         StratCase{50, 10, 10}, StratCase{30, 36, 36},
                                         StratCase{170, 360, 300}),
                         test::namedby([](const StratCase& c) {
                             return "Stratangle" + test::testname(c.stratangle) + "_Points" +
                                    std::to_string(c.numpt) + "_Sampno" + std::to_string(c.sampno);
                         }));

// Draws of stream 0 between the states `from` and `to`.
long drawsbetween(long from, long to) {
    const long saved = lcgrandgt(0);
    lcgrandst(from, 0);
    long draws = 0;
    while (lcgrandgt(0) != to) {
        lcgrand(0);
        ++draws;
    }
    lcgrandst(saved, 0);
    return draws;
}

// Every index a draw can reach is taken: offsets of -1, 0, 1 after a step of
// 1 reach only the previous index and the two after it, so an index skipped
// early is out of reach once the walk has passed it. The pick then gives up
// after its bounded redraws and takes the nearest free index.
TEST(Selection, StratifiedTakesTheNearestFreeIndexWhenTrapped) {
    Workdir dir;
    dir.write("instructions.txt", params(50, 10));
    Session session;
    int pn[nsz];
    int trapped = 0;
    for (int trial = 0; trial < 20; ++trial) {
        const long before = lcgrandgt(0);
        selectstrat(pn, 10);
        ASSERT_TRUE(distinctinrange(picks(pn, 10), 10));
        if (drawsbetween(before, lcgrandgt(0)) > 20 * nsz) ++trapped;
    }
    EXPECT_GT(trapped, 0);
}

const std::string noanswer = "\nNo sample size could be read from the console; all 10 data "
                             "points are used";
const std::string refused = "\n3 answers in a row could not be used; all 10 data points are used";

std::string refuse(const std::string& word) {
    return "\nThe answer " + word + " is not a sample size from 1 to 10";
}

struct PromptCase {
    int sampno;
    std::string input;
    int size;
    std::string console;
};

void PrintTo(const PromptCase& c, std::ostream* os) {
    *os << "sampno " << c.sampno << ", input " << testing::PrintToString(c.input);
}

class Prompt : public testing::TestWithParam<PromptCase> {};

TEST_P(Prompt, AsksUntilTheSizeFitsTheTenPoints) {
    const PromptCase c = GetParam();
    Session session("", c.input);
    EXPECT_EQ(samplesize(c.sampno, 10), c.size);
    EXPECT_EQ(session.console(), c.console);
}

INSTANTIATE_TEST_SUITE_P(
    Selection, Prompt,
    testing::Values(
        PromptCase{10, "", 10, ""}, PromptCase{1, "", 1, ""},
        PromptCase{12, "20\n4\n", 4, prompt + refuse("20") + prompt},
        PromptCase{11, "10", 10, prompt},
        // Below 1 is asked for like above the point count.
        PromptCase{0, "5\n", 5, prompt},
        PromptCase{-3, "0\n-1\n3\n", 3, prompt + refuse("0") + prompt + refuse("-1") + prompt},
        // No usable answer: all points, rather than asking forever.
        PromptCase{12, "", 10, prompt + noanswer},
        PromptCase{12, "abc\n", 10, prompt + refuse("abc") + prompt + noanswer},
        PromptCase{12, "30\n", 10, prompt + refuse("30") + prompt + noanswer},
        PromptCase{12, "0\n3x\n11\n5\n", 10,
                   prompt + refuse("0") + prompt + refuse("3x") + prompt + refuse("11") + refused}),
    test::namedby([](const PromptCase& c) {
        return "Sampno" + test::testname(c.sampno) + "_" +
               (c.input.empty() ? "ConsoleClosed" : "Answers " + c.input);
    }));

// The answer holds for one selection only: the file still says 12, so the
// next selection asks again. A bad answer is asked for again.
TEST(Selection, PromptReturnsAtTheNextSelection) {
    Workdir dir;
    dir.write("instructions.txt", params(0, 12));
    Session session("", "3\nnonsense\n4\n");
    resetstreams();
    int pn[nsz];
    EXPECT_EQ(select(pn, 10), 3);
    EXPECT_EQ(picks(pn, 3), (std::vector<int>{2, 7, 0}));
    EXPECT_EQ(select(pn, 10), 4);
    EXPECT_TRUE(distinctinrange(picks(pn, 4), 10));
    EXPECT_EQ(selectunif(pn, 10), 10); // the console has closed
    EXPECT_EQ(selectstrat(pn, 10), 10);
    const std::string console = session.console();
    EXPECT_EQ(console.substr(0, prompt.size()), prompt);
    int prompts = 0;
    for (size_t at = console.find(prompt); at != std::string::npos;
         at = console.find(prompt, at + 1))
        ++prompts;
    EXPECT_EQ(prompts, 5);
    EXPECT_EQ(console.substr(prompt.size(), 7), "2\t7\t0\t\n");
}

} // namespace
} // namespace formeval
