// A run killed in the middle of a long study keeps, in both result files,
// everything that the jobs before it wrote.
#include "tests/harness/harness.h"

#include <chrono>
#include <cmath>
#include <gtest/gtest.h>
#include <sstream>
#include <string>

namespace formeval {
namespace {

std::string circle(int code, int numpt) {
    std::ostringstream s;
    s.precision(17);
    s << code << ' ' << numpt << " 0.000001";
    for (int i = 0; i < numpt; ++i) {
        const double t = 2 * std::acos(-1.0) * i / numpt;
        const double r = 25 + 0.002 * std::cos(5 * t);
        s << ' ' << 40 + r * std::cos(t) << ' ' << -15 + r * std::sin(t);
    }
    return s.str() + "\n";
}

TEST(Interrupted, EarlierJobsKeepTheirOutput) {
    // A complete run of the jobs before the long study gives what must survive.
    const std::string before = circle(2600, 36) + circle(2610, 36) + circle(2520, 8);
    test::Run complete;
    complete.jobs = before;
    complete.instructions = "0 4 0.001 3 0 0\n";
    complete.result_before = "earlier run\n";
    complete.intres_before = "earlier intermediate\n";
    const auto start = std::chrono::steady_clock::now();
    const auto whole = test::run(complete);
    const double seconds =
        std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    ASSERT_EQ(whole.status, 0);

    test::Run killed = complete;
    killed.jobs = before + circle(2512, 360);
    // Well after the earlier jobs, well before the study's 100 000 repetitions.
    killed.kill_after = 2 * seconds + 0.5;
    const auto cut = test::run(killed);
    ASSERT_TRUE(cut.killed) << "the study ended before it could be interrupted";
    EXPECT_EQ(cut.result.substr(0, whole.result.size()), whole.result);
    EXPECT_EQ(cut.intres.substr(0, whole.intres.size()), whole.intres);
}

} // namespace
} // namespace formeval
