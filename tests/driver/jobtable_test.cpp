// The job table is the whole truth about a job: every entry's columns agree
// with each other and with the line it gives people, so that a new job is held
// to the same rules as the old ones, whatever its code.
#include "circles/circles.h"
#include "driver/dispatch.h"
#include "tests/harness/harness.h"

#include <gtest/gtest.h>
#include <string>
#include <vector>

namespace formeval {
namespace {

bool says(const jobinfo& job, const std::string& words) {
    return std::string(job.evaluates).find(words) != std::string::npos;
}

// The words a job's line uses for the circle computation it studies, in the
// order of circlemethod, and for its sampling strategy, in the order of
// sampling.
const char* const methodwords[] = {"least-squares circle", "minimum-zone circle", "peak circle",
                                   "valley circle"};
const char* const strategywords[] = {"no selection", "random selection", "stratified selection",
                                     "uniform selection"};

const char* const featurewords[] = {"nothing", "line", "circle", "plane", "sphere"};

const char* wordsfor(circlemethod method) {
    return methodwords[static_cast<int>(method)];
}

const char* wordsfor(sampling strategy) {
    return strategywords[static_cast<int>(strategy)];
}

std::vector<jobinfo> entries() {
    return {jobtable().begin(), jobtable().end()};
}

class EveryEntry : public testing::TestWithParam<jobinfo> {};

TEST_P(EveryEntry, ColumnsAgree) {
    const jobinfo& job = GetParam();
    ASSERT_NE(findjob(job.code), nullptr);
    EXPECT_EQ(findjob(job.code)->routine, job.routine);
    EXPECT_EQ(job.routine == nullptr, job.kind == jobkind::empty);
    EXPECT_EQ(job.points == pointform::none, job.kind == jobkind::empty);
    const bool study = job.kind == jobkind::montecarlo || job.kind == jobkind::perturbation ||
                       job.kind == jobkind::sampling;
    if (job.circle != nullptr) {
        // A circle computation of the list, on Cartesian points, whose fewest
        // points are the record's.
        EXPECT_EQ(&computationof(job.circle->method), job.circle);
        EXPECT_EQ(job.shape, feature::circle);
        EXPECT_EQ(job.points, pointform::xy);
        EXPECT_EQ(job.minpt, job.circle->minpt);
    }
    if (study) {
        ASSERT_NE(job.circle, nullptr);
    } else {
        EXPECT_EQ(job.repetitions, 0);
        EXPECT_EQ(job.noise, coordinatenoise::none);
    }
    EXPECT_EQ(job.strategy != sampling::none, job.kind == jobkind::sampling);
    // Points that leave the job's model undetermined are refused with a
    // reason of the job's own feature and point form.
    if (job.shape != feature::none) {
        const std::string why = whyundetermined(job.shape, job.points);
        EXPECT_NE(why.find(std::string("; they determine no ") +
                           featurewords[static_cast<int>(job.shape)]),
                  std::string::npos)
            << why;
    }
    // Monte Carlo and perturbation studies name the computation they study,
    // the sampling studies their selection (of the minimum-zone circle).
    if (job.kind == jobkind::montecarlo || job.kind == jobkind::perturbation) {
        EXPECT_TRUE(says(job, wordsfor(job.circle->method)));
    }
    switch (job.kind) {
    case jobkind::montecarlo:
        EXPECT_TRUE(job.repetitions == 1000 || job.repetitions == 10000 ||
                    job.repetitions == 100000)
            << job.repetitions;
        EXPECT_TRUE(says(job, "Monte Carlo study, ") &&
                    says(job, ", " + std::to_string(job.repetitions) + " repetitions"));
        EXPECT_EQ(job.noise, coordinatenoise::added);
        break;
    case jobkind::perturbation:
        EXPECT_TRUE(says(job, "perturbation study, ") && job.repetitions == 0 &&
                    job.noise == coordinatenoise::none);
        break;
    case jobkind::sampling:
        EXPECT_TRUE(says(job, "sampling study, ") && says(job, wordsfor(job.strategy)));
        EXPECT_EQ(job.repetitions, 10000);
        EXPECT_EQ(job.circle->method, circlemethod::minimumzone);
        EXPECT_EQ(job.noise == coordinatenoise::added, says(job, "with coordinate noise"));
        break;
    default:
        EXPECT_FALSE(says(job, "study"));
    }
}

INSTANTIATE_TEST_SUITE_P(JobTable, EveryEntry, testing::ValuesIn(entries()),
                         test::namedby([](const jobinfo& job) {
                             return "Job" + std::to_string(job.code);
                         }));

TEST(JobTable, CodesIncrease) {
    int previous = -1;
    for (const jobinfo& job : jobtable()) {
        EXPECT_GT(job.code, previous);
        previous = job.code;
    }
    EXPECT_EQ(jobtable().begin()->code, 0);
}

// The four circle computations, each once, in the order of circlemethod; the
// least-squares circle takes three points, the others a reference set of four.
TEST(JobTable, CircleComputations) {
    const char* names[] = {"lscircocal", "mzcircocal", "pkcircocal", "vacircocal"};
    const circlefunction functions[] = {lscircocal, mzcircocal, pkcircocal, vacircocal};
    const int fewest[] = {3, 4, 4, 4};
    ASSERT_EQ(circlecomputations.size(), 4u);
    for (std::size_t k = 0; k < 4; ++k) {
        const circlecomputation& c = circlecomputations[k];
        EXPECT_EQ(static_cast<std::size_t>(c.method), k);
        EXPECT_STREQ(c.name, names[k]);
        EXPECT_EQ(c.function, functions[k]);
        EXPECT_EQ(c.minpt, fewest[k]);
    }
}

} // namespace
} // namespace formeval
