// formeval's own evaluations as functions against the batch program itself:
// the same record run by the built formeval, whose result.txt must hold the
// numbers the function gives, as the job prints them, and whose refusals must
// read as the function's failure.
#include "base/base.h"
#include "methods/methods.h"
#include "tests/harness/harness.h"
#include "tests/harness/support.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <sstream>
#include <thread>

namespace formeval::methods {
namespace {

using test::pi;

// A number as the batch program prints it (precision 12, default notation).
std::string printed(double value) {
    std::ostringstream out;
    out.precision(12);
    out << value;
    return out.str();
}

// Points x y (z) per point, and a deterministic noise in [-1, 1).
struct Cloud {
    int dimension = 2;
    std::vector<double> c;
    std::size_t count() const { return c.size() / static_cast<std::size_t>(dimension); }
    Points view() const {
        return {c.data(), count(), dimension, static_cast<std::size_t>(dimension)};
    }
};

double noise(std::uint64_t& state) {
    state = state * 6364136223846793005ULL + 1442695040888963407ULL;
    return static_cast<double>(state >> 11) / 4503599627370496.0 - 1.0;
}

// n points about (cx, cy) radius r over `span` radians, radial noise `amp`.
Cloud circlepoints(int n, double cx, double cy, double r, double span, double amp) {
    Cloud out;
    std::uint64_t s = static_cast<std::uint64_t>(n) * 7919;
    for (int i = 0; i < n; ++i) {
        const double t = span * i / n, d = r + amp * noise(s);
        out.c.insert(out.c.end(), {cx + d * std::cos(t), cy + d * std::sin(t)});
    }
    return out;
}

Cloud linepoints(int n, double slope, double amp) {
    Cloud out;
    std::uint64_t s = 17;
    for (int i = 0; i < n; ++i)
        out.c.insert(out.c.end(), {i * 2.5, 3 + slope * i * 2.5 + amp * noise(s)});
    return out;
}

Cloud planepoints(int side, double amp) {
    Cloud out{3, {}};
    std::uint64_t s = 29;
    for (int i = 0; i < side; ++i)
        for (int j = 0; j < side; ++j)
            out.c.insert(out.c.end(),
                         {i * 10.0, j * 7.0, 1 + 1e-4 * i - 2e-4 * j + amp * noise(s)});
    return out;
}

// A circle's points polar about an origin off its centre: radius, angle in
// degrees.
Cloud polarcirclepoints(int n, double amp) {
    Cloud out;
    std::uint64_t s = 53;
    for (int i = 0; i < n; ++i) {
        const double t = 360.0 * i / n, a = t * pi / 180;
        const double x = 0.2 + 25 * std::cos(a), y = -0.1 + 25 * std::sin(a);
        out.c.insert(out.c.end(), {std::hypot(x, y) + amp * noise(s), t});
    }
    return out;
}

// A sphere's points polar about an origin off its centre: radius, azimuth,
// elevation in degrees.
Cloud polarspherepoints(int n, double amp) {
    Cloud out{3, {}};
    std::uint64_t s = 61;
    for (int i = 0; i < n; ++i) {
        const double t = 360.0 * i / n * 7, b = -60 + 120.0 * i / n;
        out.c.insert(out.c.end(), {12.5 + 0.01 * std::cos(t * pi / 180) + amp * noise(s), t, b});
    }
    return out;
}

Cloud spherepoints(int n, double amp) {
    Cloud out{3, {}};
    std::uint64_t s = 41;
    for (int i = 0; i < n; ++i) {
        const double z = 1 - 1.8 * (i + 0.5) / n, w = std::sqrt(1 - z * z), t = 2.4 * i;
        const double r = 12.5 + amp * noise(s);
        out.c.insert(out.c.end(),
                     {40 + r * w * std::cos(t), -25 + r * w * std::sin(t), 60 + r * z});
    }
    return out;
}

// The job record of the points: code, count, tolerance, coordinates.
std::string record(int job, const Cloud& p, double tolerance) {
    std::ostringstream out;
    out.precision(17);
    out << job << ' ' << p.count() << ' ' << tolerance;
    for (double v : p.c) out << ' ' << v;
    out << '\n';
    return out.str();
}

// The lines of result.txt that carry the numbers of each job.
std::vector<std::string> expectedlines(const Result& r) {
    const auto n = printed;
    const bool ls = r.criterion == Criterion::leastsquares;
    switch (r.job) {
    case 1000:
        return {"y0=" + n(r.intercept) + "   l0=" + n(r.slopex),
                (ls ? "Least squares" : "Minimum zone") + std::string(" straightness error=") +
                    n(r.error)};
    case 2000:
        return {"r0=" + n(r.r) + "   x0=" + n(r.x) + "   y0=" + n(r.y),
                (ls ? "Least square" : "Minimum zone") + std::string(" circularity error=") +
                    n(r.error)};
    case 3000:
        return {"z0=" + n(r.intercept) + "   l0=" + n(r.slopex) + "   m0=" + n(r.slopey),
                ls ? "Least square flatness error=" + n(r.error)
                   : "Minimum zone  flatness error=" + n(r.error)};
    case 4000:
        return {"r0=" + n(r.r) + "   x0=" + n(r.x) + "   y0=" + n(r.y) + "   z0=" + n(r.z),
                (ls ? "Least square" : "Minimum zone") + std::string(" sphericity error=") +
                    n(r.error)};
    case 2600:
        return {"Least square circularity error= " + n(r.error),
                "r0=" + n(r.r) + "xo=" + n(r.x) + "y0=" + n(r.y)};
    case 2500:
        return {"Circularity error= " + n(r.error),
                "r0=" + n(r.r) + "xo=" + n(r.x) + "y0=" + n(r.y)};
    case 2700:
        return {"mccr0=" + n(r.r) + "mccx0=" + n(r.x) + "mccy0=" + n(r.y),
                "Minimum Circumscribing Circle Circularity error= " + n(r.error)};
    case 2800:
        return {"micr0=" + n(r.r) + "micx0=" + n(r.x) + "micy0=" + n(r.y),
                "Maximum Inscribing Circle Circularity error= " + n(r.error)};
    default:
        return {"Sphericity error= " + n(r.error),
                "r0=" + n(r.r) + "xo=" + n(r.x) + "y0=" + n(r.y) + "z0=" + n(r.z)};
    }
}

struct Case {
    std::string name;
    Cloud points;
    Criterion criterion;
    Feature feature;
    Form form = Form::cartesian;
};

Result evaluate(const Case& c, double tolerance) {
    return methods::evaluate(c.points.view(), c.feature, c.criterion, tolerance, c.form);
}

const Criterion ls = Criterion::leastsquares, mz = Criterion::minimumzone;

std::vector<Case> cases() {
    std::vector<Case> out;
    for (const pointset::CriterionTraits& m : pointset::criteria) {
        const std::string name = m.formeval;
        const Criterion c = m.criterion;
        const Feature circle = Feature::circle;
        out.push_back(
            {name + " circle of 12", circlepoints(12, 120, 80, 25, 2 * pi, 2e-3), c, circle});
        out.push_back(
            {name + " circle of 2048", circlepoints(2048, -3, 7, 40, 2 * pi, 1e-3), c, circle});
        out.push_back({name + " arc of 90", circlepoints(90, 5, 5, 60, pi / 2, 5e-3), c, circle});
    }
    for (const Criterion c : {ls, mz}) {
        const std::string name = pointset::criterionname(c);
        out.push_back({name + " line of 6", linepoints(6, 0, 1e-3), c, Feature::line});
        out.push_back({name + " line of 500", linepoints(500, 0.01, 2e-3), c, Feature::line});
        out.push_back({name + " plane of 9", planepoints(3, 1e-3), c, Feature::plane});
        out.push_back({name + " plane of 400", planepoints(20, 1e-3), c, Feature::plane});
        out.push_back({name + " polar circle of 36", polarcirclepoints(36, 1e-3), c,
                       Feature::circle, Form::polar});
        out.push_back({name + " polar sphere of 60", polarspherepoints(60, 1e-3), c,
                       Feature::sphere, Form::polar});
    }
    out.push_back({"sphere of 40", spherepoints(40, 1e-3), mz, Feature::sphere});
    out.push_back({"sphere of 300", spherepoints(300, 2e-3), mz, Feature::sphere});
    return out;
}

class AsTheBatchProgram : public testing::TestWithParam<Case> {};

TEST_P(AsTheBatchProgram, PrintsTheseNumbers) {
    const Case& c = GetParam();
    const Result r = evaluate(c, 1e-6);
    ASSERT_TRUE(r.evaluated) << r.failure;
    ASSERT_EQ(r.deviations.size(), c.points.count());
    test::Run run;
    run.jobs = record(r.job, c.points, 1e-6);
    const test::Outcome out = test::run(run);
    ASSERT_EQ(out.status, 0) << out.errors;
    const std::vector<std::string> lines = test::lines(out.result);
    for (const std::string& want : expectedlines(r))
        EXPECT_NE(std::find(lines.begin(), lines.end(), want), lines.end())
            << "result.txt lacks: " << want;
    // The largest deviation above the fit less the deepest below it is the
    // error the batch program prints (its extremes start at 0).
    const auto [low, high] = std::minmax_element(r.deviations.begin(), r.deviations.end());
    EXPECT_NEAR(std::max(*high, 0.0) - std::min(*low, 0.0), r.error, 1e-9 * (1 + r.error));
    EXPECT_DOUBLE_EQ(r.t, r.p + r.v);
}

INSTANTIATE_TEST_SUITE_P(Methods, AsTheBatchProgram, testing::ValuesIn(cases()),
                         test::namedby([](const Case& c) { return c.name; }));

// Records the batch program refuses: its words after "Job N not evaluated: "
// are the function's failure.
struct Refusal {
    std::string name;
    Case input;
};

std::vector<Refusal> refusals() {
    Cloud many = circlepoints(2049, 0, 0, 5, 2 * pi, 1e-3);
    Cloud far = circlepoints(8, 0, 0, 5, 2 * pi, 1e-3);
    far.c[7] = -3e120;
    Cloud collinear{2, {0, 0, 1, 1, 2, 2, 3, 3, 4, 4}};
    Cloud samex{2, {1, 0, 1, 1, 1, 2, 1, 3}};
    Cloud flat{3, {0, 0, 1, 1, 1, 1, 2, 2, 1, 3, 3, 1, 4, 4, 1}};
    Cloud planar = planepoints(3, 0);
    // A plane spread over less than its products of coordinates keep.
    Cloud tiny = planepoints(3, 0);
    for (double& v : tiny.c) v *= 1e-100;
    Cloud onecircle{2, {}};
    for (double t : {0.0, 0.0, 180.0, 180.0, 0.0}) onecircle.c.insert(onecircle.c.end(), {5, t});
    return {{"too many", {"", many, ls, Feature::circle}},
            {"out of range", {"", far, mz, Feature::circle}},
            {"too few for the minimum zone",
             {"", circlepoints(3, 0, 0, 1, 2 * pi, 0), mz, Feature::circle}},
            {"too few for a line", {"", linepoints(2, 0, 0), ls, Feature::line}},
            {"too few for a sphere", {"", spherepoints(4, 0), mz, Feature::sphere}},
            {"collinear circle", {"", collinear, Criterion::inscribed, Feature::circle}},
            {"line at one x", {"", samex, mz, Feature::line}},
            {"plane on a line", {"", flat, ls, Feature::plane}},
            {"plane spread over too little", {"", tiny, ls, Feature::plane}},
            {"sphere in a plane", {"", planar, mz, Feature::sphere}},
            {"polar circle of two directions", {"", onecircle, mz, Feature::circle, Form::polar}}};
}

class Refused : public testing::TestWithParam<Refusal> {};

TEST_P(Refused, InTheBatchProgramsWords) {
    const Case& c = GetParam().input;
    const Result r = evaluate(c, 1e-6);
    ASSERT_FALSE(r.evaluated);
    test::Run run;
    run.jobs = record(r.job, c.points, 1e-6);
    const test::Outcome out = test::run(run);
    const std::vector<std::string> lines = test::lines(out.result);
    const std::string want = "Job " + std::to_string(r.job) + " not evaluated: " + r.failure;
    EXPECT_NE(std::find(lines.begin(), lines.end(), want), lines.end()) << want << "\nresult.txt:\n"
                                                                        << out.result;
}

INSTANTIATE_TEST_SUITE_P(Methods, Refused, testing::ValuesIn(refusals()),
                         test::namedby([](const Refusal& c) { return c.name; }));

// A tolerance no record can hold is refused, in the batch program's words
// where it can be written in a record at all.
TEST(Methods, RefusesTheTolerancesTheBatchProgramRefuses) {
    Cloud ring{2, {}};
    for (int k = 0; k < 8; ++k)
        ring.c.insert(ring.c.end(), {std::cos(k * pi / 4), std::sin(k * pi / 4)});
    const Points points = ring.view();
    for (const double tolerance : {-1.0, -0.5}) {
        const Result r = methods::evaluate(points, Feature::circle, ls, tolerance);
        ASSERT_FALSE(r.evaluated);
        EXPECT_EQ(r.refusal, methods::Refusal::tolerance);
        test::Run run;
        run.jobs = record(r.job, ring, tolerance);
        const std::vector<std::string> lines = test::lines(test::run(run).result);
        const std::string want = "Job " + std::to_string(r.job) + " not evaluated: " + r.failure;
        EXPECT_NE(std::find(lines.begin(), lines.end(), want), lines.end()) << want;
    }
    for (const double tolerance : {std::nan(""), HUGE_VAL, 1e300}) {
        const Result r = methods::evaluate(points, Feature::circle, ls, tolerance);
        EXPECT_EQ(r.refusal, methods::Refusal::tolerance) << tolerance;
    }
    EXPECT_TRUE(methods::evaluate(points, Feature::circle, ls, 0).evaluated);
    EXPECT_TRUE(methods::evaluate(points, Feature::circle, ls, 1e100).evaluated);
}

// Inputs the batch program cannot be given, refused before any computation.
TEST(Methods, RefusesWhatNoRecordCanHold) {
    const double nan = std::nan("");
    const std::vector<double> xy = {0, 0, 1, 0, 0, 1, nan, 1};
    EXPECT_EQ(methods::evaluate({xy.data(), 4, 2, 2}, Feature::circle, ls, 1e-6).failure,
              "coordinate 1 of point 4 is not a finite number");
    EXPECT_EQ(methods::evaluate({xy.data(), 2, 2, 2}, Feature::plane, ls, 1e-6).failure,
              "the evaluation needs points of 3 coordinates in rows of at least as many "
              "numbers, not 2 coordinates in rows of 2");
    EXPECT_EQ(methods::evaluate({xy.data(), 3, 2, 2}, Feature::line, Criterion::circumscribed, 1e-6)
                  .failure,
              "a line is fitted by least squares or minimum zone only");
    EXPECT_EQ(methods::evaluate({xy.data(), 3, 2, 2}, Feature::cylinder, ls, 1e-6).failure,
              "the batch program evaluates no cylinder");
    EXPECT_EQ(methods::evaluate({nullptr, 4, 2, 2}, Feature::circle, ls, 1e-6).failure,
              "no coordinates given for the points");
    EXPECT_EQ(evaluatejob(2510, {xy.data(), 4, 2, 2}, 1e-6).front().failure,
              "job 2510 is no evaluation job");
}

// The globals and the console are the caller's again after a call, and calls
// from several threads at once give what one alone gives.
TEST(Methods, LeavesTheProgramsStateAndIsSafeFromThreads) {
    const Cloud c = circlepoints(200, 1, 2, 30, 2 * pi, 1e-3);
    const auto peak = [&c] {
        return methods::evaluate(c.view(), Feature::circle, Criterion::circumscribed, 1e-6);
    };
    const Result alone = peak();
    std::vector<Result> got(4);
    std::vector<std::thread> threads;
    for (int i = 0; i < 4; ++i) threads.emplace_back([&, i] { got[i] = peak(); });
    for (std::thread& t : threads) t.join();
    for (const Result& r : got) {
        EXPECT_EQ(r.r, alone.r);
        EXPECT_EQ(r.error, alone.error);
        EXPECT_EQ(r.deviations, alone.deviations);
    }
    test::Session session; // the console bound to a buffer, the globals at their start values
    const double cri0 = cri;
    const int oqt0 = oqt;
    methods::evaluate(c.view(), Feature::circle, mz, 0.25);
    EXPECT_EQ(cri, cri0);
    EXPECT_EQ(oqt, oqt0);
    std::cout << "after";
    EXPECT_EQ(session.console(), "after");
}

} // namespace
} // namespace formeval::methods
