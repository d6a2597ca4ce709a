// Line tracking of result.txt: a study's first line must not be glued to the
// last item of the evaluation before it.
#include "base/base.h"
#include "tests/harness/harness.h"

#include <gtest/gtest.h>

namespace formeval {
namespace {

TEST(Startline, BreaksOnlyALineThatIsOpen) {
    test::Session session;
    startline(); // nothing written yet
    EXPECT_EQ(session.result(), "");
    ofile << "\n"
          << "y0=" << 5;
    startline();
    ofile << 0 << '\t' << 1.5 << '\n';
    startline(); // the study line ended with its line break
    ofile << 1 << '\t' << 2.5 << '\n';
    EXPECT_EQ(session.result(), "\ny0=5\n0\t1.5\n1\t2.5\n");
}

TEST(Startline, KnowsWhatAnEarlierRunLeft) {
    std::stringbuf earlier("...r0=1xo=0y0=5", std::ios::out | std::ios::ate);
    test::Session session;
    bindresult(&earlier, true);
    startline();
    ofile << 0 << '\n';
    EXPECT_EQ(earlier.str(), "...r0=1xo=0y0=5\n0\n");
}

TEST(Startline, AcrossRunsEndToEnd) {
    // The file of an earlier run ends mid-line; nothing a run writes may be
    // glued to it by a study, and nothing is added when no study runs.
    test::Run setup;
    setup.jobs = "0";
    setup.result_before = "r0=1xo=0y0=5";
    EXPECT_EQ(test::run(setup).result, "r0=1xo=0y0=5");
}

} // namespace
} // namespace formeval
