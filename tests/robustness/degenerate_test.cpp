// Degenerate and hostile records for every job code, end to end with the
// console input closed: the run must end within seconds, say clearly what it
// could not do or print finite results, never crash, and keep everything
// result.txt held before the job.
#include "driver/dispatch.h"
#include "tests/harness/harness.h"
#include "tests/harness/support.h"

#include <cmath>
#include <gtest/gtest.h>
#include <sstream>
#include <string>
#include <vector>

namespace formeval {
namespace {

enum class Coords { plane2, polar2, cartesian3, polar3 };

struct JobCode {
    int code;
    Coords coords;
    bool study;     // thousands of evaluations: its cases are slow
    bool longstudy; // a Monte Carlo study of more than 1000 repetitions
};

// The coordinates of each point form, in the order of pointform (none: no
// record, never asked for).
const Coords coordsof[] = {Coords::plane2, Coords::plane2, Coords::polar2, Coords::cartesian3,
                           Coords::polar3};

// Every job of the job table that has a record: a new job is tested at once.
std::vector<JobCode> jobcodes() {
    std::vector<JobCode> all;
    for (const jobinfo& job : jobtable())
        if (job.points != pointform::none)
            all.push_back({job.code, coordsof[static_cast<int>(job.points)],
                           job.kind != jobkind::evaluation,
                           job.kind == jobkind::montecarlo && job.repetitions > 1000});
    return all;
}

int dims(Coords c) {
    return c == Coords::plane2 || c == Coords::polar2 ? 2 : 3;
}

// A point of a plausible measurement of the feature the job expects: a circle
// for the planar jobs (a line and a plane are evaluated as such all the
// same), a sphere for the spatial ones, in the job's own coordinates.
std::vector<double> nominal(Coords c, int i, int numpt, double scale) {
    const double t = 2 * std::acos(-1.0) * i / numpt;
    const double wobble = 1 + 0.001 * std::cos(3 * t + 0.4);
    switch (c) {
    case Coords::plane2:
        return {scale * (20 + 10 * wobble * std::cos(t)), scale * (-5 + 10 * wobble * std::sin(t))};
    case Coords::polar2:
        return {scale * 10 * wobble, 360.0 * i / numpt};
    case Coords::cartesian3: {
        const double b = 1.2 * std::sin(2 * t);
        return {scale * (3 + 10 * wobble * std::cos(t) * std::cos(b)),
                scale * (4 + 10 * wobble * std::sin(t) * std::cos(b)),
                scale * (5 + 10 * wobble * std::sin(b))};
    }
    case Coords::polar3:
        return {scale * 10 * wobble, 360.0 * i / numpt, 70 * std::sin(2 * t)};
    }
    return {};
}

struct Case {
    const char* name;
    // The record after the job code, for jobs of the given coordinates.
    std::string (*record)(Coords);
    bool breaks;           // the record breaks the job stream: exit status 1
    bool evaluates = true; // the points reach the computation
};

std::string points(Coords c, int numpt, double cri, double scale = 1) {
    std::ostringstream out;
    out.precision(17);
    out << numpt << ' ' << cri << '\n';
    for (int i = 0; i < numpt; ++i) {
        for (const double x : nominal(c, i, numpt, scale)) out << x << ' ';
        out << '\n';
    }
    return out.str();
}

std::string repeated(Coords c, int numpt, const std::vector<double>& p) {
    std::ostringstream out;
    out.precision(17);
    out << numpt << " 1e-9\n";
    for (int i = 0; i < numpt; ++i) {
        for (int d = 0; d < dims(c); ++d) out << p[d] << ' ';
        out << '\n';
    }
    return out.str();
}

const Case cases[] = {
    {"ZeroPoints", [](Coords c) { return points(c, 0, 1e-9); }, false, false},
    {"OnePoint", [](Coords c) { return points(c, 1, 1e-9); }, false, false},
    {"TwoPoints", [](Coords c) { return points(c, 2, 1e-9); }, false, false},
    {"ThreePoints", [](Coords c) { return points(c, 3, 1e-9); }, false},
    {"AllPointsEqual", [](Coords c) { return repeated(c, 8, nominal(c, 1, 8, 1)); }, false},
    {"Collinear",
     [](Coords c) {
         std::ostringstream out;
         out << "8 1e-9\n";
         for (int i = 0; i < 8; ++i)
             for (int d = 0; d < dims(c); ++d)
                 out << 1.5 * i * (d + 1) << (d + 1 < dims(c) ? ' ' : '\n');
         return out.str();
     },
     false},
    {"DuplicatedPoints",
     [](Coords c) {
         std::ostringstream out;
         out.precision(17);
         out << "16 1e-9\n";
         for (int i = 0; i < 16; ++i) {
             for (const double x : nominal(c, i / 2, 8, 1)) out << x << ' ';
             out << '\n';
         }
         return out.str();
     },
     false},
    {"PointAtTheCentroid",
     [](Coords c) {
         std::string record = points(c, 8, 1e-9);
         record.replace(0, record.find(' '), "9");
         std::vector<double> centre = c == Coords::plane2       ? std::vector<double>{20, -5}
                                      : c == Coords::cartesian3 ? std::vector<double>{3, 4, 5}
                                                                : std::vector<double>(dims(c), 0);
         for (const double x : centre) record += std::to_string(x) + ' ';
         return record + '\n';
     },
     false},
    {"HugeCoordinates", [](Coords c) { return points(c, 12, 1e-9, 1e150); }, false},
    {"LargeCoordinates", [](Coords c) { return points(c, 12, 1e-9, 1e20); }, false},
    {"TinyCoordinates", [](Coords c) { return points(c, 12, 1e-9, 1e-150); }, false},
    {"ZeroTolerance", [](Coords c) { return points(c, 12, 0); }, false},
    {"NegativeTolerance", [](Coords c) { return points(c, 12, -1e-6); }, false},
    {"HugeTolerance", [](Coords c) { return points(c, 12, 1e300); }, false},
    {"AbsurdCount", [](Coords) { return std::string("2000000000 1e-9 1 2 3 4\n"); }, true, false},
    {"NegativeCount", [](Coords) { return std::string("-7 1e-9\n"); }, true, false},
    {"Truncated",
     [](Coords c) {
         const std::string record = points(c, 12, 1e-9);
         return record.substr(0, record.size() / 2);
     },
     true, false},
    {"NonNumericToken",
     [](Coords c) {
         std::string record = points(c, 12, 1e-9);
         return record.replace(record.find('\n') + 1, 0, "x ");
     },
     true, false},
};

const std::string earlier = "earlier results\n";
const std::string before = "2600 4 0.000001 1 0 0 1 -1 0 0 -1\n";
const std::string beforeitems = "\nLeast square circularity error= 0\nr0=1xo=0y0=0";

using Combination = std::tuple<JobCode, Case>;

// The Monte Carlo jobs of 10 000 and 100 000 repetitions differ from those of
// 1000 only in the count: they get the records that never reach the
// computation, the 1000-repetition jobs all of them.
std::vector<Combination> combinations() {
    std::vector<Combination> all;
    for (const JobCode& job : jobcodes())
        for (const Case& c : cases)
            if (!c.evaluates || !job.longstudy) all.emplace_back(job, c);
    return all;
}

void PrintTo(const JobCode& job, std::ostream* out) {
    *out << "job " << job.code;
}
void PrintTo(const Case& c, std::ostream* out) {
    *out << c.name;
}

class Degenerate : public testing::TestWithParam<Combination> {};

TEST_P(Degenerate, EndsSoonWithAMessageOrFiniteResults) {
    const auto& [job, c] = GetParam();
    test::Run setup;
    setup.jobs = before + std::to_string(job.code) + "\n" + c.record(job.coords);
    setup.instructions = "10 6 0.001 3 0 0\n";
    setup.result_before = earlier;
    setup.timeout = 60;
    const test::Outcome out = test::run(setup);
    ASSERT_FALSE(out.hung) << "the run did not end";
    ASSERT_GE(out.status, 0) << "the run did not exit normally";
    EXPECT_EQ(out.status, c.breaks ? 1 : 0) << out.errors;
    // Everything before the job is still there.
    EXPECT_EQ(out.result.substr(0, earlier.size()), earlier);
    EXPECT_NE(out.result.find(beforeitems), std::string::npos);
    // No number that is not finite, on the console or in either file.
    EXPECT_FALSE(test::hasnonfinite(out.result)) << out.result.substr(0, 2000);
    EXPECT_FALSE(test::hasnonfinite(out.intres)) << out.intres.substr(0, 2000);
    EXPECT_FALSE(test::hasnonfinite(out.console)) << out.console.substr(0, 2000);
}

INSTANTIATE_TEST_SUITE_P(EveryJob, Degenerate, testing::ValuesIn(combinations()),
                         [](const testing::TestParamInfo<std::tuple<JobCode, Case>>& info) {
                             const JobCode& job = std::get<0>(info.param);
                             return (job.study ? "Study" : "Job") + std::to_string(job.code) + "_" +
                                    std::get<1>(info.param).name;
                         });

} // namespace
} // namespace formeval
