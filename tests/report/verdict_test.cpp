// One verdict a part: each criterion's exact value against tolerances either
// side of it, the bracket of a reference that is not certified straddling a
// tolerance, the batch's counts and distributions worked out by hand, and a
// filtered profile judged on its filtered values.
#include "report/commands/commands.h"
#include "tests/harness/harness.h"
#include "tests/report/support.h"

#include <cmath>
#include <gtest/gtest.h>
#include <nlohmann/json.hpp>
#include <sstream>

namespace formeval::report {
namespace {

struct CriterionCase {
    std::string criterion;
    std::string tolerance;
    std::string verdict;
    std::string by;
};

class VerdictTest : public ::testing::TestWithParam<CriterionCase> {};

// Every reference of the alternating record has the error 0.02: the verdict
// follows the tolerance whichever criterion judges it, formeval's rows only
// informing.
TEST_P(VerdictTest, EachCriterionAgainstItsTolerance) {
    const CriterionCase c = GetParam();
    test::Workdir dir;
    dir.write("cir1.txt", "2500 " + test::alternating(8));
    const std::vector<std::string> common = {"results",     "cir1.txt",  "--tolerance", c.tolerance,
                                             "--criterion", c.criterion, "--digits",    "6"};
    std::vector<std::string> json = common;
    json.push_back("--json");
    const test::ReportOutcome o = test::report(json);
    ASSERT_EQ(o.status, exitok) << o.err;
    const nlohmann::json doc = nlohmann::json::parse(o.out);
    ASSERT_EQ(doc["verdicts"].size(), 1u);
    const auto& v = doc["verdicts"][0];
    const std::string method = c.criterion == "least-squares"   ? "least squares"
                               : c.criterion == "minimum-zone"  ? "minimum zone"
                               : c.criterion == "circumscribed" ? "minimum circumscribing"
                                                                : "maximum inscribing";
    EXPECT_EQ(v["part"], "cir1.txt: job 2500 (job 1 of the stream, line 1)");
    EXPECT_EQ(v["criterion"], method);
    EXPECT_EQ(v["parameter"], "RONt");
    EXPECT_NEAR(v["value"].get<double>(), 0.02, 1e-12);
    EXPECT_EQ(v["verdict"], c.verdict);
    EXPECT_EQ(v["computed_by"], c.by);
    EXPECT_EQ(v["filter"], "none");
    EXPECT_EQ(doc["filter"], "none");
    EXPECT_EQ(doc["summary"][c.verdict], 1);
    const test::ReportOutcome table = test::report(common);
    const std::string line = "   verdict: " + c.verdict + " (" + method + " RONt 0.02, " + c.by +
                             (c.by == "exact" ? ", certified" : "") + "; tolerance " + c.tolerance +
                             ")\n";
    EXPECT_NE(table.out.find(line), std::string::npos) << table.out;
}

INSTANTIATE_TEST_SUITE_P(
    Criteria, VerdictTest,
    ::testing::Values(CriterionCase{"minimum-zone", "0.03", "pass", "exact"},
                      CriterionCase{"minimum-zone", "0.019", "fail", "exact"},
                      CriterionCase{"circumscribed", "0.021", "pass", "exact"},
                      CriterionCase{"circumscribed", "0.01", "fail", "exact"},
                      CriterionCase{"inscribed", "0.019", "fail", "exact"},
                      CriterionCase{"least-squares", "0.0201", "pass", "formeval"},
                      CriterionCase{"least-squares", "0.0199", "fail", "formeval"}),
    test::namedby([](const CriterionCase& c) { return c.criterion + "_" + c.tolerance; }));

struct BracketCase {
    Criterion method;
    double tolerance;
    Judgement judgement;
};

class BracketTest : public ::testing::TestWithParam<BracketCase> {};

// An exact reference whose bounds [0.0029, 0.0031] were not brought
// together: a tolerance between them leaves the part undecided.
TEST_P(BracketTest, AnUncertifiedBracketDecidesOnlyOutsideIt) {
    const BracketCase c = GetParam();
    Evaluated e;
    e.feature = pointset::Feature::circle;
    e.pointfile = true;
    Fit f;
    f.criterion = c.method;
    f.source = Source::pointset;
    f.error = f.iso.t = c.method == Criterion::minimumzone ? 0.0031 : 0.003;
    // A zone's bounds are on its width; a circle's on its radius, 0.0002 apart.
    f.certificate = c.method == Criterion::minimumzone
                        ? Certificate{false, 0.0029, 0.0031, "budget"}
                        : Certificate{false, 24.9999, 25.0001, "b"};
    e.fits.push_back(f);
    ResultsOptions o;
    o.criterion = c.method;
    o.tolerance = c.tolerance;
    const std::optional<Verdict> v = verdictof("p.csv", e, o);
    ASSERT_TRUE(v);
    EXPECT_EQ(v->judgement, c.judgement) << verdictline(*v, 6);
    EXPECT_EQ(v->part, "p.csv");
    EXPECT_EQ(v->parameter, "RONt");
}

INSTANTIATE_TEST_SUITE_P(
    Brackets, BracketTest,
    ::testing::Values(BracketCase{Criterion::minimumzone, 0.003, Judgement::undecided},
                      BracketCase{Criterion::minimumzone, 0.0032, Judgement::pass},
                      BracketCase{Criterion::minimumzone, 0.0031, Judgement::pass},
                      BracketCase{Criterion::minimumzone, 0.0028, Judgement::fail},
                      BracketCase{Criterion::circumscribed, 0.0031, Judgement::undecided},
                      BracketCase{Criterion::circumscribed, 0.0033, Judgement::pass},
                      BracketCase{Criterion::circumscribed, 0.0027, Judgement::fail}),
    test::namedby([](const BracketCase& c) {
        return std::string(referencename(c.method)) + " " + test::testname(c.tolerance);
    }));

struct ArcCase {
    std::string criterion;
    double degrees;        // of arc the points span
    std::string tolerance; // either side of the circle's zone
};

class ArcVerdictTest : public ::testing::TestWithParam<ArcCase> {};

// A ring of radius 25 measured over an arc holds no circumscribed or
// inscribed circle: whatever the tolerance, the verdict is undecided, with
// the reason, in the table, the JSON and the batch's counts.
TEST_P(ArcVerdictTest, AnArcHasNoVerdictOfCircumscribedOrInscribed) {
    const ArcCase& c = GetParam();
    std::ostringstream points;
    points.precision(17);
    for (int k = 0; k <= 40; ++k) {
        const double a = c.degrees * k / 40 * std::acos(-1.0) / 180;
        const double r = 25 + 0.001 * std::cos(7 * a);
        points << r * std::cos(a) << "," << r * std::sin(a) << "\n";
    }
    test::Workdir dir;
    dir.write("arc.csv", points.str());
    const std::vector<std::string> args = {"results",     "arc.csv",   "--feature",   "circle",
                                           "--criterion", c.criterion, "--tolerance", c.tolerance};
    std::vector<std::string> json = args;
    json.push_back("--json");
    const test::ReportOutcome o = test::report(json);
    ASSERT_EQ(o.status, exitok) << o.err;
    const nlohmann::json doc = nlohmann::json::parse(o.out);
    ASSERT_EQ(doc["verdicts"].size(), 1u);
    const std::string name =
        c.criterion == "circumscribed" ? "minimum circumscribing" : "maximum inscribing";
    EXPECT_EQ(doc["verdicts"][0]["verdict"], "undecided");
    EXPECT_EQ(doc["verdicts"][0]["reason"],
              "the points form an arc, which holds no " + name + " circle");
    EXPECT_EQ(doc["summary"]["undecided"], 1);
    EXPECT_EQ(doc["summary"]["pass"], 0);
    EXPECT_EQ(doc["summary"]["fail"], 0);
    const test::ReportOutcome table = test::report(args);
    EXPECT_NE(table.out.find("verdict: undecided (" + name + " RONt "), std::string::npos)
        << table.out;
    EXPECT_NE(table.out.find("; the points form an arc, which holds no " + name + " circle)"),
              std::string::npos)
        << table.out;
}

INSTANTIATE_TEST_SUITE_P(Arcs, ArcVerdictTest,
                         ::testing::Values(ArcCase{"circumscribed", 1, "1"},
                                           ArcCase{"circumscribed", 90, "1e-6"},
                                           ArcCase{"inscribed", 90, "100"},
                                           ArcCase{"inscribed", 120, "1e-6"}),
                         test::namedby([](const ArcCase& c) {
                             return c.criterion + std::to_string(int(c.degrees)) + "Degrees";
                         }));

struct ExtentCase {
    double degrees; // of arc the points span, 41 of them; 360: 40 all round
    bool job;       // a job record of the Cartesian circle job, else a point file
    const char* phrase;
};

class ExtentTest : public ::testing::TestWithParam<ExtentCase> {};

// The heading says where the points lie as the chart draws them: an arc of
// 200 degrees is an arc, not "all round" for a gap below 180 degrees.
TEST_P(ExtentTest, TheHeadingSaysArcAsTheChartDrawsIt) {
    const ExtentCase& c = GetParam();
    const bool whole = c.degrees == 360;
    std::ostringstream points;
    points.precision(17);
    if (c.job) points << "2500 " << (whole ? 40 : 41) << " 0.000001\n";
    for (int k = 0; k < (whole ? 40 : 41); ++k) {
        const double a = c.degrees * k / 40 * std::acos(-1.0) / 180;
        const double r = 25 + 0.001 * std::cos(7 * a);
        points << r * std::cos(a) << (c.job ? " " : ",") << r * std::sin(a) << "\n";
    }
    test::Workdir dir;
    dir.write(c.job ? "arc.txt" : "arc.csv", points.str());
    const test::ReportOutcome o = c.job
                                      ? test::report({"results", "arc.txt"})
                                      : test::report({"results", "arc.csv", "--feature", "circle"});
    ASSERT_EQ(o.status, exitok) << o.err;
    EXPECT_NE(o.out.find(c.phrase), std::string::npos) << o.out;
}

INSTANTIATE_TEST_SUITE_P(
    Extents, ExtentTest,
    ::testing::Values(ExtentCase{90, false, ", an arc of 90 degrees (largest gap 270 degrees)"},
                      ExtentCase{200, false, ", an arc of 200 degrees (largest gap 160 degrees)"},
                      ExtentCase{200, true, ", an arc of 200 degrees (largest gap 160 degrees)"},
                      ExtentCase{300, false, ", an arc of 300 degrees (largest gap 60 degrees)"},
                      ExtentCase{360, false, ", all round (largest gap 9 degrees)"},
                      ExtentCase{360, true, ", all round (largest gap 9 degrees)"}),
    test::namedby([](const ExtentCase& c) {
        return std::to_string(int(c.degrees)) + (c.job ? "DegreesJob" : "DegreesFile");
    }));

// How a sphere's points come: a point file, or a job record of the polar
// sphere job (r, theta, beta) or of the Cartesian one, with the library's rows.
enum class Holder { file, polarjob, cartesianjob };

struct CapCase {
    std::string criterion;
    Holder holder;
    double degrees; // from the pole the points reach; 180: the whole sphere
    bool cap;       // all on one side of a plane through the centre
};

// Points of a ball of radius 25 about (40, -25, 60) (a polar job's about its
// origin) within `degrees` of its pole, in six rings of eight, with 0.001 of
// lobing.
std::string sphererecord(const CapCase& c) {
    const double degree = std::acos(-1.0) / 180;
    const bool polar = c.holder == Holder::polarjob;
    std::ostringstream s;
    s.precision(17);
    if (c.holder != Holder::file) s << (polar ? "4000" : "4500") << " 48 0.000001\n";
    for (int i = 0; i < 6; ++i)
        for (int j = 0; j < 8; ++j) {
            const double down = c.degrees * (i + 0.5) / 6, around = 45.0 * j + 20 * i;
            const double r = 25 + 0.001 * std::cos(3 * around * degree + i);
            if (polar) {
                s << r << " " << around << " " << 90 - down << "\n";
                continue;
            }
            const char* apart = c.holder == Holder::file ? "," : " ";
            s << 40 + r * std::sin(down * degree) * std::cos(around * degree) << apart
              << -25 + r * std::sin(down * degree) * std::sin(around * degree) << apart
              << 60 + r * std::cos(down * degree) << "\n";
        }
    return s.str();
}

class CapVerdictTest : public ::testing::TestWithParam<CapCase> {};

// Points of a cap, up to a hemisphere or short of the whole ball by less,
// hold no circumscribed or inscribed sphere of the ball: the verdict is
// undecided, with the reason, whatever the tolerance, in the JSON, the table
// and the batch's counts. Points round the centre are judged: a tolerance of
// 1 passes, one of 1e-6 fails.
TEST_P(CapVerdictTest, ACapHasNoVerdictOfCircumscribedOrInscribed) {
    const CapCase& c = GetParam();
    test::Workdir dir;
    const bool file = c.holder == Holder::file;
    dir.write(file ? "ball.csv" : "ball.txt", sphererecord(c));
    std::vector<std::string> args = {"results", file ? "ball.csv" : "ball.txt", "--criterion",
                                     c.criterion};
    if (file)
        args.insert(args.end(), {"--feature", "sphere"});
    else
        args.push_back("--orthogonal");
    const std::string name =
        c.criterion == "circumscribed" ? "minimum circumscribing" : "maximum inscribing";
    const std::string reason = "the points form a cap, which holds no " + name + " sphere";
    for (const std::string tolerance : {"1", "1e-6"}) {
        std::vector<std::string> json = args;
        json.insert(json.end(), {"--tolerance", tolerance, "--json"});
        const test::ReportOutcome o = test::report(json);
        ASSERT_EQ(o.status, exitok) << o.err;
        const nlohmann::json doc = nlohmann::json::parse(o.out);
        ASSERT_EQ(doc["verdicts"].size(), 1u) << o.out;
        const nlohmann::json& v = doc["verdicts"][0];
        EXPECT_EQ(v["computed_by"], "pointset");
        const std::string verdict = c.cap ? "undecided" : tolerance == "1" ? "pass" : "fail";
        EXPECT_EQ(v["verdict"], verdict) << v;
        EXPECT_EQ(v["reason"], c.cap ? nlohmann::json(reason) : nlohmann::json()) << v;
        EXPECT_EQ(doc["summary"][verdict], 1);
        std::vector<std::string> table = args;
        table.insert(table.end(), {"--tolerance", tolerance});
        const test::ReportOutcome t = test::report(table);
        EXPECT_NE(t.out.find("verdict: " + verdict + " (" + name + " SPHt "), std::string::npos)
            << t.out;
        EXPECT_EQ(t.out.find("; " + reason + ")") != std::string::npos, c.cap) << t.out;
        // The rows stay as they were: no arc flag on a sphere; the heading
        // and the rows' notes say the cap.
        EXPECT_EQ(o.out.find("\"arc\": true"), std::string::npos);
        EXPECT_EQ(t.out.find(", a cap (all its points on one side of a plane through its "
                             "centre)") != std::string::npos,
                  c.cap)
            << t.out;
        EXPECT_EQ(t.out.find("  cap; certified") != std::string::npos, c.cap) << t.out;
    }
}

std::vector<CapCase> capcases() {
    std::vector<CapCase> out;
    for (const std::string criterion : {"circumscribed", "inscribed"})
        for (const Holder h : {Holder::file, Holder::polarjob, Holder::cartesianjob})
            for (const auto& [degrees, cap] : std::vector<std::pair<double, bool>>{
                     {30, true}, {90, true}, {170, true}, {200, false}, {360, false}})
                out.push_back({criterion, h, degrees / 2, cap});
    return out;
}

INSTANTIATE_TEST_SUITE_P(Caps, CapVerdictTest, ::testing::ValuesIn(capcases()),
                         test::namedby([](const CapCase& c) {
                             const char* holders[] = {"File", "PolarJob", "CartesianJob"};
                             return c.criterion + holders[static_cast<int>(c.holder)] +
                                    std::to_string(int(2 * c.degrees)) + "Degrees";
                         }));

TEST(Verdict, NoToleranceNoVerdictAndNoReferenceUndecided) {
    Evaluated e;
    e.feature = Feature::line;
    ResultsOptions o;
    EXPECT_FALSE(verdictof("f", e, o));
    o.tolerance = 1;
    o.criterion = Criterion::circumscribed;
    const std::optional<Verdict> v = verdictof("f", e, o);
    ASSERT_TRUE(v);
    EXPECT_EQ(v->judgement, Judgement::undecided);
    EXPECT_EQ(verdictline(*v, 6),
              "verdict: undecided (minimum circumscribing STRt: no minimum circumscribing "
              "reference)");
}

// Three parts of errors 0.02, 0.04 and 0.06 against 0.05: two pass, one
// fails; t has mean 0.04 and standard deviation 0.02.
TEST(Verdict, TheBatchCountsAndDistributions) {
    test::Workdir dir;
    dir.write("cir1.txt", "2500 " + test::alternating(8, 0.01) + "2500 " +
                              test::alternating(8, 0.02) + "2500 " + test::alternating(8, 0.03));
    const test::ReportOutcome o =
        test::report({"results", "cir1.txt", "--tolerance", "0.05", "--json"});
    ASSERT_EQ(o.status, exitok) << o.err;
    const nlohmann::json s = nlohmann::json::parse(o.out)["summary"];
    EXPECT_EQ(s["parts"], 3);
    EXPECT_EQ(s["judged"], 3);
    EXPECT_EQ(s["pass"], 2);
    EXPECT_EQ(s["fail"], 1);
    EXPECT_EQ(s["undecided"], 0);
    const auto& t = s["parameters"]["t"];
    EXPECT_EQ(t["count"], 3);
    EXPECT_NEAR(t["minimum"].get<double>(), 0.02, 1e-12);
    EXPECT_NEAR(t["mean"].get<double>(), 0.04, 1e-12);
    EXPECT_NEAR(t["maximum"].get<double>(), 0.06, 1e-12);
    EXPECT_NEAR(t["standard_deviation"].get<double>(), 0.02, 1e-12);
    EXPECT_NEAR(s["parameters"]["p"]["mean"].get<double>(), 0.02, 1e-12);
    const test::ReportOutcome table =
        test::report({"results", "cir1.txt", "--tolerance", "0.05", "--digits", "4"});
    EXPECT_NE(table.out.find("\nbatch: 3 parts, 3 judged by minimum zone: 2 pass, 1 fail, 0 "
                             "undecided\n"
                             "   parameter  parts  minimum  mean  maximum  standard deviation\n"
                             "   t              3     0.02  0.04     0.06                0.02\n"),
              std::string::npos)
        << table.out;
}

// A ripple of 300 UPR fails the tolerance unfiltered and passes once the
// 50 UPR filter takes it off.
TEST(Verdict, AFilteredPartIsJudgedOnItsFilteredProfile) {
    const double pi = std::acos(-1.0);
    std::ostringstream points;
    points.precision(17);
    for (int i = 0; i < 1800; ++i) {
        const double t = 2 * pi * i / 1800;
        const double r = 25 + 0.001 * std::cos(3 * t) + 0.003 * std::cos(300 * t);
        points << r * std::cos(t) << " " << r * std::sin(t) << "\n";
    }
    test::Workdir dir;
    dir.write("part.txt", points.str());
    for (const bool filter : {false, true}) {
        std::vector<std::string> args = {"results",     "part.txt", "--feature", "circle",
                                         "--tolerance", "0.004",    "--json"};
        if (filter) args.insert(args.end(), {"--filter", "50"});
        const test::ReportOutcome o = test::report(args);
        ASSERT_EQ(o.status, exitok) << o.err;
        const auto v = nlohmann::json::parse(o.out)["verdicts"][0];
        EXPECT_EQ(v["verdict"], filter ? "pass" : "fail") << v;
        EXPECT_EQ(v["filter"], filter ? "Gaussian, cut-off 50 UPR" : "none");
        EXPECT_EQ(v["computed_by"], "pointset");
        // The 3 UPR lobing of 0.002 stays, all but its transmission.
        if (filter) { EXPECT_NEAR(v["value"].get<double>(), 0.002, 0.0001); }
    }
}

} // namespace
} // namespace formeval::report
