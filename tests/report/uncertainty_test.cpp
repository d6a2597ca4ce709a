// formreport uncertainty: values with units, contributions, model files and
// tolerances as the user writes them; the command end to end on a circle
// whose uncertainty is known in closed form; the same bytes on one thread
// and on two; the decisions; the refusals; the histogram's Gaussian.
#include "report/commands/commands.h"
#include "tests/harness/harness.h"
#include "tests/report/support.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <functional>
#include <gtest/gtest.h>
#include <nlohmann/json.hpp>
#include <sstream>

namespace formeval::report {
namespace {

const double pi = std::acos(-1.0);

struct ValueCase {
    std::string text;
    ValueKind kind;
    std::string unit;
    double expected; // NaN: refused
};

class Values : public ::testing::TestWithParam<ValueCase> {};

TEST_P(Values, ConvertToTheDatasUnit) {
    const ValueCase c = GetParam();
    std::string why;
    const std::optional<double> v = parsevalue(c.text, c.kind, c.unit, why);
    if (std::isnan(c.expected)) {
        EXPECT_FALSE(v) << *v;
        EXPECT_FALSE(why.empty());
        return;
    }
    ASSERT_TRUE(v) << why;
    EXPECT_DOUBLE_EQ(*v, c.expected);
}

const double refused = std::nan("");

INSTANTIATE_TEST_SUITE_P(
    Table, Values,
    ::testing::Values(ValueCase{"0.0005", ValueKind::length, defaultunit, 0.0005},
                      ValueCase{"0.5um", ValueKind::length, "mm", 0.0005},
                      ValueCase{"0.5 \u00b5m", ValueKind::length, "mm", 0.0005},
                      ValueCase{"250nm", ValueKind::length, "um", 0.25},
                      ValueCase{"0.001in", ValueKind::length, "mm", 0.0254},
                      ValueCase{"10uin", ValueKind::length, "in", 1e-5},
                      ValueCase{"2mm", ValueKind::length, "m", 0.002},
                      ValueCase{"1.5ppm", ValueKind::relative, "mm", 1.5e-6},
                      ValueCase{"3um/m", ValueKind::relative, "mm", 3e-6},
                      ValueCase{"0.01%", ValueKind::relative, "", 1e-4},
                      ValueCase{"5urad", ValueKind::angle, "mm", 5e-6},
                      ValueCase{"2arcsec", ValueKind::angle, "mm", 2 * pi / 648000},
                      ValueCase{"1deg", ValueKind::angle, "mm", pi / 180},
                      // Refused: a length unit without the data's, a unit of
                      // another kind, an unknown one, no number.
                      ValueCase{"0.5um", ValueKind::length, defaultunit, refused},
                      ValueCase{"0.5um", ValueKind::length, "furlong", refused},
                      ValueCase{"2ppm", ValueKind::length, "mm", refused},
                      ValueCase{"1mm", ValueKind::angle, "mm", refused},
                      ValueCase{"1parsec", ValueKind::length, "mm", refused},
                      ValueCase{"um", ValueKind::length, "mm", refused},
                      ValueCase{"nan", ValueKind::length, "mm", refused}),
    test::namedby([](const ValueCase& c) { return c.text + " in " + c.unit; }));

struct ContributionCase {
    std::string text;
    bool ok;
    uncertainty::Contribution expected;
};

class Contributions : public ::testing::TestWithParam<ContributionCase> {};

TEST_P(Contributions, ReadWhereWhatAndHowMuch) {
    const ContributionCase c = GetParam();
    uncertainty::Contribution got;
    const std::string why = parsecontribution(c.text, "mm", got);
    EXPECT_EQ(why.empty(), c.ok) << why;
    if (!c.ok) return;
    EXPECT_EQ(got.name, c.expected.name);
    EXPECT_EQ(got.acts, c.expected.acts);
    EXPECT_EQ(got.distribution, c.expected.distribution);
    EXPECT_DOUBLE_EQ(got.width, c.expected.width);
}

using uncertainty::Acts;
using uncertainty::Distribution;

INSTANTIATE_TEST_SUITE_P(
    Table, Contributions,
    ::testing::Values(
        ContributionCase{"normal rectangular 0.8um probe form",
                         true,
                         {"probe form", Acts::normal, Distribution::rectangular, 0.0008}},
        ContributionCase{
            "scale gaussian 2ppm", true, {"scale", Acts::scale, Distribution::gaussian, 2e-6}},
        ContributionCase{"  squareness-xy uniform 1urad  ",
                         true,
                         {"squareness-xy", Acts::squarenessxy, Distribution::rectangular, 1e-6}},
        ContributionCase{"offset-z arcsine 0.002",
                         true,
                         {"offset-z", Acts::offsetz, Distribution::arcsine, 0.002}},
        ContributionCase{"normal gaussian", false, {}},
        ContributionCase{"radial gaussian 1", false, {}},
        ContributionCase{"x lognormal 1", false, {}}, ContributionCase{"x gaussian -1", false, {}},
        ContributionCase{"scale gaussian 1um", false, {}},
        // A second value where the name goes is a slip, a name starting
        // with digits is a name.
        ContributionCase{"x gaussian 1um 2um", false, {}},
        ContributionCase{"x gaussian 1 um", false, {}},
        ContributionCase{"scale gaussian 2ppm 3", false, {}},
        ContributionCase{"x gaussian 1um 2nd probe",
                         true,
                         {"2nd probe", Acts::x, Distribution::gaussian, 0.001}}),
    test::namedby([](const ContributionCase& c) { return c.text; }));

TEST(ModelFile, SkipsCommentsAndNamesTheBadLine) {
    std::istringstream good("# probing system\n\ncoordinates gaussian 0.3um noise\n"
                            "normal triangular 0.5um  # the stylus\nscale gaussian 1ppm\n");
    const std::vector<uncertainty::Contribution> m = readmodel(good, "model.txt", "mm");
    ASSERT_EQ(m.size(), 3u);
    EXPECT_EQ(m[1].name, "normal");
    EXPECT_DOUBLE_EQ(m[1].width, 0.0005);
    std::istringstream bad("x gaussian 1\n\ny gaussian one\n");
    try {
        readmodel(bad, "model.txt", "mm");
        ADD_FAILURE() << "a bad line read";
    } catch (const FileError& e) { EXPECT_EQ(e.line(), 3); }
    std::istringstream empty("# nothing\n");
    EXPECT_THROW(readmodel(empty, "model.txt", "mm"), FileError);
    // Saved by a Windows editor: a byte-order mark and CRLF lines. The mark
    // was read into the first word, which then acted nowhere.
    std::istringstream marked("\xef\xbb\xbfnormal gaussian 1um\r\nscale gaussian 1ppm\r\n");
    const std::vector<uncertainty::Contribution> w = readmodel(marked, "model.txt", "mm");
    ASSERT_EQ(w.size(), 2u);
    EXPECT_EQ(w[0].name, "normal");
    EXPECT_EQ(w[0].acts, Acts::normal);
    EXPECT_DOUBLE_EQ(w[0].width, 0.001);
}

struct ToleranceCase {
    std::string text;
    bool ok;
    std::string quantity;
    double low, high;
};

class ToleranceTexts : public ::testing::TestWithParam<ToleranceCase> {};

TEST_P(ToleranceTexts, GiveTheLimits) {
    const ToleranceCase c = GetParam();
    ToleranceLimits s;
    const std::string why = parsetolerance(c.text, "mm", s);
    EXPECT_EQ(why.empty(), c.ok) << why;
    if (!c.ok) return;
    EXPECT_EQ(s.quantity, c.quantity);
    EXPECT_DOUBLE_EQ(s.limits.low, c.low);
    EXPECT_DOUBLE_EQ(s.limits.high, c.high);
}

const double inf = std::numeric_limits<double>::infinity();

INSTANTIATE_TEST_SUITE_P(
    Table, ToleranceTexts,
    ::testing::Values(
        ToleranceCase{"0.004", true, "t", -inf, 0.004},
        ToleranceCase{"4um", true, "t", -inf, 0.004},
        ToleranceCase{"diameter=49.99:50.01", true, "diameter", 49.99, 50.01},
        ToleranceCase{"radius=:25.01", true, "radius", -inf, 25.01},
        ToleranceCase{"centre_x=-1um:", true, "centre_x", -0.001, inf},
        ToleranceCase{"slope=-0.1:0.1", true, "slope", -0.1, 0.1},
        ToleranceCase{"roundness=1", false, "", 0, 0}, ToleranceCase{"t=5:4", false, "", 0, 0},
        ToleranceCase{"t=:", false, "", 0, 0}, ToleranceCase{"slope=1um", false, "", 0, 0},
        ToleranceCase{"-1", false, "", 0, 0}, ToleranceCase{"q=-1um", false, "", 0, 0},
        ToleranceCase{"centre_x=-1:-0.5", true, "centre_x", -1, -0.5},
        // A cone's apex angle: radians, or with an angle's unit.
        ToleranceCase{"apex_angle=11.3deg:11.5deg", true, "apex_angle", 11.3 * pi / 180,
                      11.5 * pi / 180},
        ToleranceCase{"apex_angle=0.2", true, "apex_angle", -inf, 0.2},
        ToleranceCase{"apex_angle=1mm", false, "", 0, 0}),
    test::namedby([](const ToleranceCase& c) { return c.text; }));

// A job stream of one least-squares circle job: n points equally spaced on
// a circle of radius 10 about (3, -2).
std::string circlejob(int n) {
    std::ostringstream s;
    s.precision(17);
    s << "2600 " << n << " 0.000001\n";
    for (int i = 0; i < n; ++i)
        s << 3 + 10 * std::cos(2 * pi * i / n) << " " << -2 + 10 * std::sin(2 * pi * i / n) << "\n";
    return s.str();
}

const nlohmann::json& row(const nlohmann::json& j, const std::string& quantity,
                          const std::string& method) {
    for (const nlohmann::json& r : j.at("rows"))
        if (r.at("quantity") == quantity && r.at("method") == method) return r;
    throw std::logic_error("no row " + quantity + " " + method);
}

// u(r) = sigma / sqrt n and u(centre) = sigma sqrt(2 / n) of the
// least-squares circle, through the whole command: the Monte Carlo u within
// five of its relative standard errors 1/sqrt(2M), GUM within 1 %, GUM
// validated at one digit, every field a script needs.
TEST(Uncertainty, LeastSquaresCircleInClosedForm) {
    test::Workdir dir;
    dir.write("cir1.txt", circlejob(32));
    const test::ReportOutcome o = test::runreport(
        {"uncertainty", "cir1.txt", "--criterion", "least-squares", "--unit", "mm", "--sigma",
         "1um", "--trials", "20000", "--tolerance-digits", "1", "--json"},
        dir.path());
    ASSERT_EQ(o.status, 0) << o.err;
    const nlohmann::json j = nlohmann::json::parse(o.out);
    const double sigma = 0.001, tolerance = 5 / std::sqrt(2 * 20000.0);
    for (const auto& [quantity, u] : {std::pair{"radius", sigma / std::sqrt(32.0)},
                                      {"centre_x", sigma / 4},
                                      {"centre_y", sigma / 4}}) {
        const nlohmann::json& mc = row(j, quantity, "monte carlo");
        const nlohmann::json& gum = row(j, quantity, "gum");
        EXPECT_NEAR(mc.at("u").get<double>(), u, tolerance * u) << quantity;
        EXPECT_NEAR(gum.at("u").get<double>(), u, 0.01 * u) << quantity;
        EXPECT_EQ(mc.at("gum_u"), gum.at("u"));
        EXPECT_TRUE(gum.at("validated").get<bool>()) << quantity;
        for (const char* field : {"quantity", "method", "value", "u", "k", "U", "low", "high",
                                  "shortest_low", "shortest_high", "trials", "converged", "gum_u"})
            EXPECT_TRUE(mc.contains(field)) << field;
        EXPECT_EQ(mc.at("trials"), 20000);
        EXPECT_LE(mc.at("low").get<double>(), mc.at("value").get<double>());
        EXPECT_NEAR(mc.at("U").get<double>(),
                    std::max(mc.at("value").get<double>() - mc.at("low").get<double>(),
                             mc.at("high").get<double>() - mc.at("value").get<double>()),
                    1e-15);
    }
    const nlohmann::json& e = j.at("evaluations").at(0);
    EXPECT_EQ(e.at("points"), 32);
    EXPECT_EQ(e.at("contributions").at(0).at("value"), 0.001);
}

// The whole output, the same bytes on one thread and on two; another seed
// changes it.
TEST(Uncertainty, SameBytesWhateverTheThreads) {
    test::Workdir dir;
    dir.write("cir1.txt", "2500 " + test::alternating(24, 0.002));
    const auto run = [&](const char* threads, const char* seed, const char* format) {
        const test::ReportOutcome o =
            test::runreport({"uncertainty", "cir1.txt", "--unit", "mm", "--sigma", "2um",
                             "--normal", "1um", "--contribution", "scale rectangular 3ppm",
                             "--trials", "3000", "--threads", threads, "--seed", seed, format},
                            dir.path());
        EXPECT_EQ(o.status, 0) << o.err;
        return o.out;
    };
    for (const char* format : {"--json", "--csv"}) {
        const std::string one = run("1", "17", format);
        EXPECT_EQ(one, run("2", "17", format)) << format;
        EXPECT_NE(one, run("2", "18", format)) << format;
    }
}

// A form error against tolerances either side of its interval, by both
// rules; the header names the rule.
TEST(Uncertainty, DecidesByTheRuleNamed) {
    test::Workdir dir;
    dir.write("cir1.txt", "2500 " + test::alternating(24, 0.002)); // t = 0.004
    const auto run = [&](const std::vector<std::string>& more) {
        std::vector<std::string> args = {"uncertainty", "cir1.txt", "--unit", "mm",       "--sigma",
                                         "0.2um",       "--trials", "2000",   "--no-gum", "--json"};
        args.insert(args.end(), more.begin(), more.end());
        const test::ReportOutcome o = test::runreport(args, dir.path());
        EXPECT_EQ(o.status, 0) << o.err;
        return nlohmann::json::parse(o.out);
    };
    const nlohmann::json guarded = run({"--tolerance", "5um", "--tolerance", "2um"});
    EXPECT_NE(guarded.at("decision_rule").get<std::string>().find("ISO 14253-1"),
              std::string::npos);
    const nlohmann::json& d = guarded.at("evaluations").at(0).at("decisions");
    EXPECT_EQ(d.at(0).at("verdict"), "conformance proven");
    EXPECT_EQ(d.at(1).at("verdict"), "non-conformance proven");
    // At y itself: y - U below the limit, y + U above it.
    const double y = d.at(0).at("value");
    char limit[40];
    std::snprintf(limit, sizeof limit, "t=%.17g", y);
    EXPECT_EQ(
        run({"--tolerance", limit}).at("evaluations").at(0).at("decisions").at(0).at("verdict"),
        "undecided");
    const nlohmann::json simple = run({"--tolerance", limit, "--decision", "simple"});
    EXPECT_NE(simple.at("decision_rule").get<std::string>().find("simple acceptance"),
              std::string::npos);
    EXPECT_EQ(simple.at("evaluations").at(0).at("decisions").at(0).at("verdict"), "accepted");
    std::snprintf(limit, sizeof limit, "t=%.17g", y * (1 - 1e-9));
    EXPECT_EQ(run({"--tolerance", limit, "--decision", "simple"})
                  .at("evaluations")
                  .at(0)
                  .at("decisions")
                  .at(0)
                  .at("verdict"),
              "rejected");
}

// The statement says which estimate y is: the form error of 24 points all
// at its extremes is biased by the noise and corrected (the measured value
// less the correction, the interval about it), the radius is not and keeps
// the Monte Carlo's; each gets the EA-4/02 sentence, and the GUM line its k.
TEST(Uncertainty, StatementSaysWhichEstimate) {
    test::Workdir dir;
    dir.write("cir1.txt", "2500 " + test::alternating(24, 0.002));
    const auto run = [&](const char* format) {
        std::vector<std::string> args = {"uncertainty", "cir1.txt", "--unit",     "mm",
                                         "--sigma",     "0.2um",    "--trials",   "2000",
                                         "--quantity",  "radius",   "--quantity", "t"};
        if (*format) args.push_back(format);
        const test::ReportOutcome o = test::runreport(args, dir.path());
        EXPECT_EQ(o.status, 0) << o.err;
        return o.out;
    };
    const std::string text = run("");
    for (const char* line :
         {"\nStatement (EA-4/02): y the estimate, U its expanded uncertainty, k = U/u(y); U to "
          "two significant digits, y and the interval to the same place\n",
          "   quantity  estimate", "   radius    Monte Carlo average",
          "   t         bias-corrected", "\n  radius: the reported expanded uncertainty U = ",
          "\n  t: the reported expanded uncertainty U = ",
          "; y is the Monte Carlo average (its bias of ",
          " which for the distribution of the Monte Carlo trials (JCGM 101) corresponds to a "
          "coverage probability of approximately 95 %; y is the measured value less the bias of ",
          " (parametric bootstrap), the interval reflected about y and widened by the standard "
          "uncertainty of that correction, ",
          "evaluations); k = 1.96, of a Gaussian for 95 %\n"})
        EXPECT_NE(text.find(line), std::string::npos) << line << "\n" << text;
    const nlohmann::json j = nlohmann::json::parse(run("--json"));
    const nlohmann::json& t = row(j, "t", "monte carlo");
    const nlohmann::json& radius = row(j, "radius", "monte carlo");
    EXPECT_EQ(t.at("estimate"), "bias-corrected");
    EXPECT_EQ(radius.at("estimate"), "monte carlo average");
    const double measured = t.at("measured"), value = t.at("value");
    EXPECT_EQ(value, measured - t.at("correction").get<double>());
    // The Monte Carlo interval lies above the measured value by about the
    // bias; the corrected one holds the measured value's neighbourhood below.
    EXPECT_GT(t.at("bias").get<double>(), t.at("u").get<double>() / 10);
    EXPECT_GT(t.at("mc_low").get<double>(), measured);
    EXPECT_LT(t.at("low").get<double>(), value);
    EXPECT_GT(t.at("high").get<double>(), value);
    EXPECT_LT(value, measured);
    EXPECT_GT(t.at("correction_u").get<double>(), 0);
    EXPECT_EQ(radius.at("low"), radius.at("mc_low"));
    EXPECT_EQ(radius.at("correction"), 0.0);
}

// The bundled example's polar records (jobs 2000 and 4000) hold the same
// circle and sphere as its Cartesian ones (2500, 4500) about another
// origin: turned Cartesian, they give the same radius and form error, and
// the same trials (each trial's noise depends on its number alone) the same
// Monte Carlo interval.
TEST(Uncertainty, PolarRecordsAreTurnedCartesian) {
    const test::ReportOutcome o =
        test::report({"uncertainty", FORMEVAL_SOURCE_DIR "/examples/demo/cir1.txt", "--sigma",
                      "0.0005", "--trials", "500", "--no-gum", "--json", "-q"});
    ASSERT_EQ(o.status, 0) << o.err;
    const nlohmann::json j = nlohmann::json::parse(o.out);
    const auto find = [&](int job, const std::string& quantity) {
        const std::string record = "job " + std::to_string(job) + " (";
        for (const nlohmann::json& r : j.at("rows"))
            if (r.at("record").get<std::string>().rfind(record, 0) == 0 &&
                r.at("quantity") == quantity)
                return r;
        throw std::logic_error("no row of job " + std::to_string(job) + " " + quantity);
    };
    for (const auto& [polar, cartesian] : {std::pair{2000, 2500}, {4000, 4500}})
        for (const char* quantity : {"radius", "t"}) {
            const nlohmann::json a = find(polar, quantity), b = find(cartesian, quantity);
            EXPECT_NEAR(a.at("measured").get<double>(), b.at("measured").get<double>(), 1e-6)
                << polar << " " << quantity;
            const auto width = [](const nlohmann::json& row) {
                return row.at("mc_high").get<double>() - row.at("mc_low").get<double>();
            };
            EXPECT_NEAR(width(a), width(b), 0.02 * width(b)) << polar << " " << quantity;
        }
}

// Point files of each feature, semicolon-separated with a header and a
// column of labels, their coordinates chosen by name: the quantity known in
// closed form within five relative standard errors 1/sqrt(2M) (GUM within
// 1 %), and the rows say the feature and no record.
struct PointFileCase {
    std::string feature;
    int dimension;
    std::vector<double> points;
    std::string quantity;
    double u; // for sigma = 0.001
};

void PrintTo(const PointFileCase& c, std::ostream* out) {
    *out << c.feature;
}

class PointFiles : public ::testing::TestWithParam<PointFileCase> {};

TEST_P(PointFiles, GiveTheClosedForm) {
    const PointFileCase c = GetParam();
    std::ostringstream file;
    file.precision(17);
    file << "label;x;y" << (c.dimension == 3 ? ";z" : "") << "\n";
    for (std::size_t i = 0; i < c.points.size(); i += c.dimension) {
        file << "P" << i / c.dimension;
        for (int k = 0; k < c.dimension; ++k) file << ";" << c.points[i + k];
        file << "\n";
    }
    test::Workdir dir;
    dir.write("part.txt", file.str());
    constexpr int trials = 4000;
    const test::ReportOutcome o = test::runreport(
        {"uncertainty", "part.txt", "--feature", c.feature, "--columns",
         c.dimension == 3 ? "x,y,z" : "x,y", "--criterion", "least-squares", "--sigma", "0.001",
         "--trials", std::to_string(trials), "--quantity", c.quantity, "--json"},
        dir.path());
    ASSERT_EQ(o.status, 0) << o.err;
    const nlohmann::json j = nlohmann::json::parse(o.out);
    ASSERT_EQ(j.at("rows").size(), 2u);
    const nlohmann::json& mc = row(j, c.quantity, "monte carlo");
    EXPECT_EQ(mc.at("feature"), c.feature);
    EXPECT_EQ(mc.at("file"), "part.txt");
    EXPECT_TRUE(mc.at("record").is_null());
    EXPECT_NEAR(mc.at("u").get<double>(), c.u, 5 / std::sqrt(2.0 * trials) * c.u);
    EXPECT_NEAR(row(j, c.quantity, "gum").at("u").get<double>(), c.u, 0.01 * c.u);
    EXPECT_EQ(j.at("evaluations").at(0).at("points"), c.points.size() / c.dimension);
}

std::vector<double> pointsof(int n, const std::function<std::vector<double>(int)>& point) {
    std::vector<double> p;
    for (int i = 0; i < n; ++i) {
        const std::vector<double> q = point(i);
        p.insert(p.end(), q.begin(), q.end());
    }
    return p;
}

INSTANTIATE_TEST_SUITE_P(
    Table, PointFiles,
    ::testing::Values(
        // y = 1 + 0.2 x at x = 0 .. 10: u(slope) = sigma sqrt(1 + b^2) / sqrt(Sxx).
        PointFileCase{"line", 2,
                      pointsof(11,
                               [](int i) {
                                   return std::vector<double>{double(i), 1 + 0.2 * i};
                               }),
                      "slope", 0.001 * std::sqrt(1.04 / 110)},
        // A 5 x 5 grid about the z axis: u(offset) = sigma / sqrt n.
        PointFileCase{"plane", 3,
                      pointsof(25,
                               [](int i) {
                                   return std::vector<double>{i % 5 - 2.0, i / 5 - 2.0, 0.5};
                               }),
                      "offset", 0.001 / 5},
        // 36 points all round: u(r) = sigma / sqrt n.
        PointFileCase{
            "circle", 2,
            pointsof(36,
                     [](int i) {
                         const double a = 2 * pi * i / 36;
                         return std::vector<double>{3 + 10 * std::cos(a), -2 + 10 * std::sin(a)};
                     }),
            "radius", 0.001 / 6},
        // The octahedron's 6 directions: u(centre) = sigma sqrt(3 / n).
        PointFileCase{"sphere", 3,
                      pointsof(6,
                               [](int i) {
                                   std::vector<double> p = {1, 2, 3};
                                   p[i % 3] += i < 3 ? 20 : -20;
                                   return p;
                               }),
                      "centre_y", 0.001 * std::sqrt(0.5)},
        // Rings of 12 at 5 heights: u(r) = sigma / sqrt N.
        PointFileCase{"cylinder", 3,
                      pointsof(60,
                               [](int i) {
                                   const double a = 2 * pi * (i % 12 + 0.5) / 12;
                                   return std::vector<double>{10 * std::cos(a), 10 * std::sin(a),
                                                              1.5 * (i / 12 - 2)};
                               }),
                      "radius", 0.001 / std::sqrt(60.0)},
        // Rings of 12 at 5 heights h of a cone of half angle a = 30 degrees:
        // u(apex) = 2 sigma cos a / sqrt(sum h^2), sum h^2 = 12 x 22.5.
        PointFileCase{"cone", 3,
                      pointsof(60,
                               [](int i) {
                                   const double a = 2 * pi * (i % 12 + 0.5) / 12,
                                                h = 1.5 * (i / 12 - 2),
                                                r = 10 + h * std::tan(pi / 6);
                                   return std::vector<double>{r * std::cos(a), r * std::sin(a), h};
                               }),
                      "apex_angle", 2 * 0.001 * std::cos(pi / 6) / std::sqrt(270.0)}),
    test::namedby([](const PointFileCase& c) { return c.feature; }));

// A cone's apex angle is stated in radians, its tolerance given in degrees
// and decided in radians: 11.3 to 11.5 degrees are 0.197222205475 to
// 0.200712863979 rad. A cone has no circumscribed reference: refused.
TEST(Uncertainty, AConesApexAngleInRadians) {
    std::ostringstream file;
    file.precision(17);
    const double half = 5.7 * pi / 180;
    for (int k = 0; k < 4; ++k)
        for (int i = 0; i < 24; ++i) {
            const double a = 2 * pi * i / 24, r = 20 + 5 * k * std::tan(half);
            file << r * std::cos(a) << "," << r * std::sin(a) << "," << 5 * k << "\n";
        }
    test::Workdir dir;
    dir.write("cone.csv", file.str());
    const auto run = [&](std::vector<std::string> more) {
        std::vector<std::string> args = {"uncertainty", "cone.csv",   "--feature", "cone",
                                         "--sigma",     "0.0005",     "--trials",  "200",
                                         "--no-gum",    "--quantity", "apex_angle"};
        args.insert(args.end(), more.begin(), more.end());
        return test::runreport(args, dir.path());
    };
    const test::ReportOutcome text = run({"--tolerance", "apex_angle=11.3deg:11.5deg"});
    ASSERT_EQ(text.status, 0) << text.err;
    EXPECT_NE(text.out.find("\n   apex_angle  0.197222205475 to 0.200712863979 rad  "),
              std::string::npos)
        << text.out;
    EXPECT_NE(text.out.find(" rad  conformance proven\n"), std::string::npos) << text.out;
    const nlohmann::json j = nlohmann::json::parse(run({"--json"}).out);
    const nlohmann::json& mc = row(j, "apex_angle", "monte carlo");
    EXPECT_EQ(mc.at("unit"), "rad");
    EXPECT_NEAR(mc.at("measured").get<double>(), 2 * half, 1e-12);
    const test::ReportOutcome enclosing = run({"--criterion", "circumscribed"});
    EXPECT_EQ(enclosing.status, exitinput);
    EXPECT_NE(enclosing.err.find(
                  "formreport: cone.csv: not evaluated: a cone has no circumscribed reference\n"),
              std::string::npos)
        << enclosing.err;
}

// A point file and a job stream of the same points, on the same seed, give
// the same numbers to the last digit; a malformed point file is named with
// its line and column, and the others are still evaluated (exit status 1).
TEST(Uncertainty, PointFileAsItsJobRecord) {
    test::Workdir dir;
    const std::string job = circlejob(32);
    dir.write("cir1.txt", job);
    std::string csv = job.substr(job.find('\n') + 1);
    std::replace(csv.begin(), csv.end(), ' ', ',');
    dir.write("ring.csv", "x,y\n" + csv);
    dir.write("bad.csv", "x,y\n1,2\n3,four\n");
    const auto run = [&](std::vector<std::string> args) {
        args.insert(args.end(), {"--unit", "mm", "--sigma", "1um", "--normal", "0.5um", "--trials",
                                 "2000", "--seed", "5", "--json"});
        return test::runreport(args, dir.path());
    };
    const test::ReportOutcome records = run({"uncertainty", "cir1.txt"});
    const test::ReportOutcome points =
        run({"uncertainty", "ring.csv", "bad.csv", "--feature", "circle"});
    ASSERT_EQ(records.status, 0) << records.err;
    EXPECT_EQ(points.status, exitinput);
    EXPECT_NE(points.err.find("bad.csv:3:3"), std::string::npos) << points.err;
    nlohmann::json a = nlohmann::json::parse(records.out), b = nlohmann::json::parse(points.out);
    ASSERT_EQ(a.at("rows").size(), b.at("rows").size());
    for (std::size_t i = 0; i < a.at("rows").size(); ++i) {
        nlohmann::json& r = a.at("rows").at(i);
        nlohmann::json& q = b.at("rows").at(i);
        EXPECT_EQ(q.at("file"), "ring.csv");
        EXPECT_TRUE(q.at("record").is_null());
        for (nlohmann::json* x : {&r, &q}) x->erase("file"), x->erase("record");
        EXPECT_EQ(r, q) << i;
    }
}

// A vertical line has no slope: asked for alone, the file is not evaluated
// and says why; asked for beside another quantity, it is said to be left
// out, and its tolerance has no value rather than no such quantity. Both
// passed over it in silence, the first with an empty statement and status 0.
TEST(Uncertainty, AQuantityWithoutAValueIsSaid) {
    test::Workdir dir;
    dir.write("vertical.csv", "x,y\n2,0\n2,1\n2,2\n2,3\n2,4\n2,5\n");
    const auto run = [&](std::vector<std::string> quantities) {
        std::vector<std::string> args = {"uncertainty", "vertical.csv",  "--feature", "line",
                                         "--criterion", "least-squares", "--sigma",   "0.001",
                                         "--trials",    "2000",          "--no-gum",  "--tolerance",
                                         "slope=:1"};
        for (const std::string& q : quantities) args.insert(args.end(), {"--quantity", q});
        return test::runreport(args, dir.path());
    };
    const test::ReportOutcome alone = run({"slope"});
    EXPECT_EQ(alone.status, exitinput);
    EXPECT_TRUE(alone.out.empty()) << alone.out;
    EXPECT_NE(alone.err.find("vertical.csv: not evaluated: its points give no finite 'slope'"),
              std::string::npos)
        << alone.err;
    const test::ReportOutcome beside = run({"offset", "slope"});
    ASSERT_EQ(beside.status, 0) << beside.err;
    EXPECT_NE(beside.err.find("vertical.csv: its points give no finite 'slope' (a vertical line "
                              "has no slope): not stated"),
              std::string::npos)
        << beside.err;
    EXPECT_NE(beside.out.find("   offset    Monte Carlo average"), std::string::npos) << beside.out;
    EXPECT_NE(beside.out.find("   slope  at most 1  no finite value for these points\n"),
              std::string::npos)
        << beside.out;
}

// A quantity the model does not move (a line's point_x under noise in y
// alone) has U = 0 and no place to round to: its value keeps its digits in
// the statement and the decision, where both printed 2.1234 as 2.
TEST(Uncertainty, AValueWithoutUncertaintyKeepsItsDigits) {
    test::Workdir dir;
    dir.write("line.csv", "x,y\n0.1234,1\n1.1234,1.5\n2.1234,2\n3.1234,2.5\n4.1234,3\n");
    const test::ReportOutcome o =
        test::runreport({"uncertainty", "line.csv", "--feature", "line", "--criterion",
                         "least-squares", "--unit", "mm", "--sigma-y", "0.001", "--trials", "2000",
                         "--no-gum", "--quantity", "point_x", "--tolerance", "point_x=2:2.2"},
                        dir.path());
    ASSERT_EQ(o.status, 0) << o.err;
    EXPECT_NE(
        o.out.find("   point_x   Monte Carlo average  2.1234 mm  2.1234 mm  \u00b1 0 mm  0     "
                   "[2.1234, 2.1234] mm\n"),
        std::string::npos)
        << o.out;
    EXPECT_NE(o.out.find("   point_x  2 to 2.2 mm  2.1234 \u00b1 0 mm  conformance proven\n"),
              std::string::npos)
        << o.out;
}

// A stack read with --sections: each section's statement is that of its
// points given alone as a circle's point file, the whole stack's that of the
// file read as a cylinder, in order of z (the file lists the sections out
// of it), each row with its section and z.
TEST(Uncertainty, SectionsAreStatedAsTheirOwnPointFiles) {
    test::Workdir dir;
    const double heights[] = {10, 0, 5};
    std::ostringstream stack, sections[3];
    stack.precision(17);
    stack << "x,y,z\n";
    for (int k = 0; k < 3; ++k) {
        const int s = static_cast<int>(heights[k] / 5); // its place in order of z
        sections[s].precision(17);
        sections[s] << "x,y\n";
        for (int i = 0; i < 24; ++i) {
            const double a = 2 * pi * i / 24, r = 10 + 0.002 * std::cos(3 * a + k);
            const double x = 0.001 * k + r * std::cos(a), y = r * std::sin(a);
            stack << x << ',' << y << ',' << heights[k] << '\n';
            sections[s] << x << ',' << y << '\n';
        }
        dir.write("section" + std::to_string(s + 1) + ".csv", sections[s].str());
    }
    dir.write("stack.csv", stack.str());
    const auto run = [&](std::vector<std::string> args) {
        args.insert(args.end(), {"--sigma", "0.0002", "--trials", "1000", "--criterion",
                                 "least-squares", "--quantity", "t", "--json"});
        const test::ReportOutcome o = test::runreport(args, dir.path());
        EXPECT_EQ(o.status, 0) << o.err;
        return nlohmann::json::parse(o.out).at("rows");
    };
    const nlohmann::json rows =
        run({"uncertainty", "stack.csv", "--feature", "cylinder", "--sections"});
    ASSERT_EQ(rows.size(), 8u); // Monte Carlo and GUM of each section and the whole
    for (int s = 0; s <= 3; ++s) {
        const bool whole = s == 3;
        nlohmann::json alone = whole
                                   ? run({"uncertainty", "stack.csv", "--feature", "cylinder"})
                                   : run({"uncertainty", "section" + std::to_string(s + 1) + ".csv",
                                          "--feature", "circle"});
        ASSERT_EQ(alone.size(), 2u);
        for (int m = 0; m < 2; ++m) {
            nlohmann::json r = rows.at(static_cast<std::size_t>(2 * s + m));
            EXPECT_EQ(r.at("record"),
                      whole ? "all sections"
                            : "section " + std::to_string(s + 1) + ", z " + std::to_string(5 * s));
            EXPECT_EQ(r.at("section"), whole ? 0 : s + 1);
            if (whole)
                EXPECT_TRUE(r.at("z").is_null());
            else
                EXPECT_NEAR(r.at("z").get<double>(), 5.0 * s, 1e-12);
            for (const char* field : {"file", "record", "section", "z"}) r.erase(field);
            alone.at(static_cast<std::size_t>(m)).erase("file");
            alone.at(static_cast<std::size_t>(m)).erase("record");
            EXPECT_EQ(r, alone.at(static_cast<std::size_t>(m))) << s << " " << m;
        }
    }
    // One section is no stack: said, and nothing evaluated.
    dir.write("one.csv", "x,y,z\n10,0,2\n0,10,2\n-10,0,2\n0,-10,2\n");
    const test::ReportOutcome one = test::runreport(
        {"uncertainty", "one.csv", "--feature", "cylinder", "--sections", "--sigma", "0.0002"},
        dir.path());
    EXPECT_EQ(one.status, exitinput);
    EXPECT_NE(one.err.find("one.csv: the points lie in one section (z = 2)"), std::string::npos)
        << one.err;
}

struct Refusal {
    std::string name;
    std::vector<std::string> args;
    int status;
    std::string says;
};

void PrintTo(const Refusal& c, std::ostream* out) {
    *out << c.name;
}

class Refused : public ::testing::TestWithParam<Refusal> {};

TEST_P(Refused, WithItsStatusAndReason) {
    const Refusal c = GetParam();
    test::Workdir dir;
    dir.write("cir1.txt", "2500 " + test::alternating(24));
    dir.write("model.txt", "normal gaussian 1um\nscale gaussian two\n");
    std::vector<std::string> args = {"uncertainty", "cir1.txt"};
    args.insert(args.end(), c.args.begin(), c.args.end());
    const test::ReportOutcome o = test::runreport(args, dir.path());
    EXPECT_EQ(o.status, c.status);
    EXPECT_NE(o.err.find(c.says), std::string::npos) << o.err;
    EXPECT_TRUE(o.out.empty()) << o.out;
}

INSTANTIATE_TEST_SUITE_P(
    Table, Refused,
    ::testing::Values(
        Refusal{"no model", {}, exitusage, "--sigma, --normal"},
        Refusal{"unit without --unit", {"--sigma", "1um"}, exitusage, "--unit"},
        Refusal{"trials and adaptive",
                {"--sigma", "1", "--trials", "5", "--adaptive", "1"},
                exitusage,
                "excludes"},
        Refusal{"negative seed", {"--sigma", "1", "--seed", "-3"}, exitusage, "seed"},
        Refusal{"seed beyond 64 bits",
                {"--sigma", "1", "--seed", "18446744073709551616"},
                exitusage,
                "--seed"},
        Refusal{"unknown quantity",
                {"--sigma", "1", "--quantity", "roundness"},
                exitusage,
                "roundness"},
        Refusal{"quantity the feature lacks",
                {"--sigma", "1", "--feature", "circle", "--quantity", "p"},
                exitusage,
                "--quantity: 'p' is no quantity of a circle by minimum zone: its quantities are "
                "centre_x, centre_y, radius, diameter, t, q"},
        Refusal{"quantity no record has",
                {"--sigma", "1", "--quantity", "axis_x"},
                exitusage,
                "'axis_x' is no quantity of a circle"},
        Refusal{"quantity one record lacks",
                {"--sigma", "1", "--quantity", "t", "--quantity", "p", "--trials", "2000"},
                exitusage,
                "--quantity: 'p' is a quantity of none of the point sets"},
        Refusal{"value and unit apart",
                {"--unit", "mm", "--sigma", "1", "um"},
                exitusage,
                "'um' is a unit, not an input: write a value and its unit as one word (--sigma "
                "1um)"},
        Refusal{"unit formreport does not convert to",
                {"--unit", "MM", "--sigma", "1um"},
                exitusage,
                "'1um' names a unit, but --unit 'MM' is no length unit formreport converts to"},
        Refusal{"two values",
                {"--unit", "mm", "--contribution", "x gaussian 1um 2um"},
                exitusage,
                "'2um' after the value '1um' reads as a value"},
        Refusal{"hexadecimal trials", {"--sigma", "1", "--trials", "0x100"}, exitusage, "decimal"},
        Refusal{
            "bad model file", {"--unit", "mm", "--model", "model.txt"}, exitinput, "model.txt:2"},
        Refusal{"along z of a circle", {"--sigma-z", "1"}, exitinput, "along z"},
        Refusal{"too few trials", {"--sigma", "1", "--trials", "10"}, exitinput, "too few"},
        Refusal{"columns of another feature",
                {"--sigma", "1", "--feature", "sphere", "--columns", "1,2"},
                exitusage,
                "3 columns"},
        Refusal{"columns without a feature",
                {"--sigma", "1", "--columns", "1,2"},
                exitusage,
                "--feature"},
        Refusal{"sections of a circle",
                {"--sigma", "1", "--feature", "circle", "--sections"},
                exitusage,
                "--sections: a stack of sections is read as the points of a cylinder: --feature "
                "cylinder"},
        Refusal{"a job stream as a point file",
                {"--sigma", "1", "--feature", "circle"},
                exitinput,
                "cir1.txt:1: the lines hold 3 fields"}),
    test::namedby([](const Refusal& c) { return c.name; }));

// The histogram shows the fitted Gaussian, and the summary's histograms,
// which have none, do not.
TEST(Uncertainty, HistogramDrawsTheGaussian) {
    test::Workdir dir;
    dir.write("cir1.txt", "2500 " + test::alternating(24, 0.002));
    const test::ReportOutcome o = test::runreport(
        {"uncertainty", "cir1.txt", "--unit", "mm", "--sigma", "1um", "--trials", "2000",
         "--quantity", "radius", "--histograms", "pictures", "--convergence", "pictures"},
        dir.path());
    ASSERT_EQ(o.status, 0) << o.err;
    const test::Svg svg = test::parsesvg(dir.path() / "pictures" / "cir1-job1-radius.svg");
    ASSERT_TRUE(svg.wellformed) << svg.error;
    EXPECT_FALSE(test::strokes(svg, gaussiancolour, 2).empty());
    const std::vector<std::string> texts = svg.texts();
    EXPECT_NE(std::find(texts.begin(), texts.end(), "Gaussian (mean, u)"), texts.end());
    EXPECT_NE(std::find(texts.begin(), texts.end(), "measured"), texts.end());
    EXPECT_TRUE(
        test::parsesvg(dir.path() / "pictures" / "cir1-job1-radius-convergence.svg").wellformed);
}

} // namespace
} // namespace formeval::report
