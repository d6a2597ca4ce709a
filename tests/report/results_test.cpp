// formreport results: the bundled example's CSV against formeval's own output
// for the same jobs, the ISO parameters on hand-worked profiles, the flags of
// an inexact answer and of an arc, tolerances, the JSON, and bad input.
#include "report/commands/commands.h"
#include "tests/harness/harness.h"
#include "tests/report/support.h"

#include <cmath>
#include <gtest/gtest.h>
#include <map>
#include <nlohmann/json.hpp>
#include <regex>
#include <sstream>
#include <tuple>

namespace formeval::report {
namespace {

std::vector<std::string> split(const std::string& text, char by) {
    std::vector<std::string> out;
    std::istringstream in(text);
    for (std::string item; std::getline(in, item, by);) out.push_back(item);
    return out;
}

// CSV rows as maps from column name to field (no field of these holds a comma).
std::vector<std::map<std::string, std::string>> csvrows(const std::string& csv) {
    const std::vector<std::string> lines = split(csv, '\n');
    std::vector<std::map<std::string, std::string>> rows;
    if (lines.empty()) return rows;
    const std::vector<std::string> names = split(lines[0], ',');
    for (std::size_t k = 1; k < lines.size(); ++k) {
        std::vector<std::string> fields = split(lines[k], ',');
        fields.resize(names.size());
        std::map<std::string, std::string> row;
        for (std::size_t j = 0; j < names.size(); ++j) row[names[j]] = fields[j];
        rows.push_back(row);
    }
    return rows;
}

const std::map<std::string, std::string>*
findrow(const std::vector<std::map<std::string, std::string>>& rows, int job,
        const std::string& method, const std::string& by) {
    for (const auto& row : rows)
        if (row.at("job") == std::to_string(job) && row.at("method") == method &&
            row.at("computed_by") == by)
            return &row;
    return nullptr;
}

// What formeval prints for each result of the bundled example: the pattern
// of the lines in result.txt, and the CSV column of each captured number.
struct Printed {
    int job;
    const char* method;
    const char* pattern;
    std::vector<const char*> columns;
};

const std::vector<Printed> printed = {
    {1,
     "least squares",
     R"(Least square circularity error= (\S+)\nr0=(\S+?)xo=(\S+?)y0=(\S+))",
     {"error", "radius", "centre_x", "centre_y"}},
    {2,
     "least squares",
     R"(y0=(\S+)   l0=(\S+)\nLeast squares straightness error=(\S+))",
     {"intercept", "slope_x", "error"}},
    {2,
     "minimum zone",
     R"(y0=(\S+)   l0=(\S+)\nMinimum zone straightness error=(\S+))",
     {"intercept", "slope_x", "error"}},
    {3,
     "least squares",
     R"(r0=(\S+)   x0=(\S+)   y0=(\S+)\nLeast square circularity error=(\S+))",
     {"radius", "centre_x", "centre_y", "error"}},
    {3,
     "minimum zone",
     R"(r0=(\S+)   x0=(\S+)   y0=(\S+)\nMinimum zone circularity error=(\S+))",
     {"radius", "centre_x", "centre_y", "error"}},
    {4,
     "minimum zone",
     R"(Circularity error= (\S+)\nr0=(\S+?)xo=(\S+?)y0=(\S+))",
     {"error", "radius", "centre_x", "centre_y"}},
    {5,
     "least squares",
     R"(Least square flatness error=(\S+)\nz0=(\S+)   l0=(\S+)   m0=(\S+))",
     {"error", "intercept", "slope_x", "slope_y"}},
    {5,
     "minimum zone",
     R"(Minimum zone  flatness error=(\S+)\nz0=(\S+)   l0=(\S+)   m0=(\S+))",
     {"error", "intercept", "slope_x", "slope_y"}},
    {6,
     "least squares",
     R"(r0=(\S+)   x0=(\S+)   y0=(\S+)   z0=(\S+)\nLeast square sphericity error=(\S+))",
     {"radius", "centre_x", "centre_y", "centre_z", "error"}},
    {6,
     "minimum zone",
     R"(r0=(\S+)   x0=(\S+)   y0=(\S+)   z0=(\S+)\nMinimum zone sphericity error=(\S+))",
     {"radius", "centre_x", "centre_y", "centre_z", "error"}},
    {7,
     "minimum zone",
     R"(Sphericity error= (\S+)\nr0=(\S+?)xo=(\S+?)y0=(\S+?)z0=(\S+))",
     {"error", "radius", "centre_x", "centre_y", "centre_z"}},
    {8,
     "minimum circumscribing",
     R"(mccr0=(\S+?)mccx0=(\S+?)mccy0=(\S+)\nMinimum Circumscribing Circle Circularity error= (\S+))",
     {"radius", "centre_x", "centre_y", "error"}},
    {9,
     "maximum inscribing",
     R"(micr0=(\S+?)micx0=(\S+?)micy0=(\S+)\nMaximum Inscribing Circle Circularity error= (\S+))",
     {"radius", "centre_x", "centre_y", "error"}},
};

const std::string& demo() {
    static const std::string text = test::readfile(FORMEVAL_SOURCE_DIR "/examples/demo/cir1.txt");
    return text;
}

// Every number formeval prints for the bundled example's jobs is the CSV's,
// to the 12 digits formeval prints.
TEST(Results, TheBundledExampleAgreesWithFormevalsOwnOutput) {
    test::Run run;
    run.jobs = demo();
    const test::Outcome formeval = test::run(run);
    ASSERT_EQ(formeval.status, 0);
    test::Workdir dir;
    dir.write("cir1.txt", demo());
    const test::ReportOutcome o = test::report({"results", "cir1.txt", "--csv", "--unit", "mm"});
    ASSERT_EQ(o.status, 0) << o.err;
    EXPECT_EQ(o.err, "");
    const auto rows = csvrows(o.out);
    ASSERT_EQ(rows.size(), 4u * 7 + 4 * 3 + 2); // circles, lines, planes, polar jobs, sphere

    std::string::const_iterator from = formeval.result.begin();
    for (const Printed& p : printed) {
        std::smatch m;
        ASSERT_TRUE(std::regex_search(from, formeval.result.end(), m, std::regex(p.pattern)))
            << p.pattern;
        from = m[0].second;
        const auto* row = findrow(rows, p.job, p.method, "formeval");
        ASSERT_NE(row, nullptr) << p.job << " " << p.method;
        for (std::size_t k = 0; k < p.columns.size(); ++k)
            EXPECT_EQ(formatnumber(std::stod(row->at(p.columns[k])), 12), m[k + 1].str())
                << "job " << p.job << " " << p.method << " " << p.columns[k];
    }
    // Every exact reference of the example is certified but the shallow
    // sphere's, whose zone is nearly flat about its centre; formeval's minimum-zone
    // circle of job 4 is off by 7e-10, which the data keep and the flag, within
    // formeval's own stopping rule, lets pass (it once fired at 1e-9).
    for (const auto& row : rows)
        if (row.at("computed_by") == "exact") {
            EXPECT_EQ(row.at("certified"), row.at("job") == "7" ? "false" : "true")
                << row.at("job");
        }
    const auto* job4 = findrow(rows, 4, "minimum zone", "formeval");
    EXPECT_NEAR(std::stod(job4->at("minus_exact")), 7e-10, 2e-10);
    EXPECT_EQ(job4->at("inexact"), "false");
    EXPECT_EQ(findrow(rows, 8, "minimum circumscribing", "formeval")->at("inexact"), "false");
}

struct HandCase {
    const char* name;
    std::string jobs;
    int job;
    const char* method;
    const char* by;
    std::array<double, 4> iso; // t p v q
};

class HandWorkedTest : public ::testing::TestWithParam<HandCase> {};

// The manual's line (0, 1), (1, -1), (2, 1), (3, -1): least-squares
// deviations -0.4, 1.2, -1.2, 0.4; the zone y = 0 +- 1. The saddle z = xy
// on the unit square: both planes z = 0.5 x + 0.5 y - 0.25, deviations
// +-0.25. Radii alternating 10.01 and 9.99: deviations +-0.01 from the
// least-squares circle, 0 and -0.02 from the circumscribing circle, 0.02 and
// 0 from the inscribing circle.
TEST_P(HandWorkedTest, IsoParameters) {
    const HandCase c = GetParam();
    test::Workdir dir;
    dir.write("jobs.txt", c.jobs);
    const test::ReportOutcome o = test::report({"results", "jobs.txt", "--csv"});
    ASSERT_EQ(o.status, 0) << o.err;
    const auto rows = csvrows(o.out);
    const auto* row = findrow(rows, c.job, c.method, c.by);
    ASSERT_NE(row, nullptr);
    const char* names[] = {"t", "p", "v", "q"};
    for (int k = 0; k < 4; ++k)
        EXPECT_NEAR(std::stod(row->at(names[k])), c.iso[k], 1e-9) << names[k];
}

const std::string line = "1000 4 0.000001 0 1 1 -1 2 1 3 -1\n";
const std::string sloped = "1000 4 0.000001 0 2 1 2 2 6 3 6\n"; // the line above plus 1 + 2 x
const std::string saddle = "3000 4 0.000001 0 0 0 1 0 0 0 1 0 1 1 1\n";
const std::string ring = "2600 " + test::alternating(8);

INSTANTIATE_TEST_SUITE_P(
    Profiles, HandWorkedTest,
    ::testing::Values(
        HandCase{"lineleastsquares",
                 line,
                 1,
                 "least squares",
                 "formeval",
                 {2.4, 1.2, 1.2, std::sqrt(0.8)}},
        HandCase{"lineprogramzone", line, 1, "minimum zone", "formeval", {2, 1, 1, 1}},
        HandCase{"lineexactzone", line, 1, "minimum zone", "exact", {2, 1, 1, 1}},
        // Deviations are observation minus reference, positive above the line
        // (formeval's listing shows reference minus observation): the line
        // y = 1/3 through (0, 0), (1, 1), (2, 0) leaves -1/3, 2/3, -1/3.
        HandCase{"peakabovetheline",
                 "1000 3 0.000001 0 0 1 1 2 0\n",
                 1,
                 "least squares",
                 "formeval",
                 {1, 2.0 / 3, 1.0 / 3, std::sqrt(2.0 / 9)}},
        HandCase{
            "saddleleastsquares", saddle, 1, "least squares", "formeval", {0.5, 0.25, 0.25, 0.25}},
        HandCase{"saddleexactzone", saddle, 1, "minimum zone", "exact", {0.5, 0.25, 0.25, 0.25}},
        HandCase{
            "ringleastsquares", ring, 1, "least squares", "formeval", {0.02, 0.01, 0.01, 0.01}},
        HandCase{"ringcircumscribing",
                 ring,
                 1,
                 "minimum circumscribing",
                 "exact",
                 {0.02, 0, 0.02, std::sqrt(2e-4)}},
        HandCase{"ringinscribing",
                 ring,
                 1,
                 "maximum inscribing",
                 "exact",
                 {0.02, 0.02, 0, std::sqrt(2e-4)}}),
    [](const ::testing::TestParamInfo<HandCase>& info) { return std::string(info.param.name); });

// x y of n points spanning `degrees` about the origin on radius 10, the
// radius changing a little from point to point.
std::string arc(int n, double degrees) {
    std::ostringstream s;
    s.precision(17);
    s << n << " 0.000001\n";
    for (int i = 0; i < n; ++i) {
        const double t = degrees * std::acos(-1.0) / 180 * i / (degrees >= 360 ? n : n - 1);
        const double r = 10 + 0.001 * std::sin(7.0 * i) + 0.0005 * (i % 3);
        s << r * std::cos(t) << ' ' << r * std::sin(t) << '\n';
    }
    return s.str();
}

// Peak and valley circles of points that leave a gap of 180 degrees or more
// are flagged: no circle is held by them all round.
TEST(Results, FlagsThePeakAndValleyCirclesOfAnArc) {
    test::Workdir dir;
    dir.write("jobs.txt", "2700 " + arc(24, 360) + "2800 " + arc(12, 90));
    const test::ReportOutcome o = test::report({"results", "jobs.txt", "--csv"});
    ASSERT_EQ(o.status, 0) << o.err;
    for (const auto& row : csvrows(o.out)) {
        const bool extreme = row.at("method") == "minimum circumscribing" ||
                             row.at("method") == "maximum inscribing";
        EXPECT_EQ(row.at("arc"), extreme ? row.at("job") == "2" ? "true" : "false" : "")
            << row.at("job") << " " << row.at("method");
        if (row.at("job") == "2") { EXPECT_NEAR(std::stod(row.at("largest_gap_degrees")), 270, 1); }
    }
}

std::vector<Point> nist14() {
    std::istringstream ds(test::readfile(test::testdata("nist-circle2d/cir2d14.ds")));
    int numpt = 0;
    ds >> numpt;
    std::vector<Point> p(numpt);
    for (Point& q : p) {
        double y = 0;
        ds >> q[0] >> y >> q[1];
    }
    return p;
}

// NIST set 14 as job 2500: formeval's minimum zone is 0.0259254 in mm against
// the exact 0.0259085; written in micrometres, formeval comes within 1e-7 of
// the exact zone, which is the same in both units.
TEST(Results, NistSet14InMillimetresAndMicrometres) {
    std::array<double, 2> exactzone{};
    for (const int k : {0, 1}) {
        const double unit = k ? 1000 : 1;
        std::ostringstream jobs;
        jobs.precision(17);
        jobs << "2500 " << nist14().size() << " 0.000001\n";
        for (const Point& q : nist14()) jobs << unit * q[0] << ' ' << unit * q[1] << '\n';
        test::Workdir dir;
        dir.write("jobs.txt", jobs.str());
        const test::ReportOutcome o = test::report({"results", "jobs.txt", "--csv"});
        ASSERT_EQ(o.status, 0) << o.err;
        const auto rows = csvrows(o.out);
        const auto* ours = findrow(rows, 1, "minimum zone", "formeval");
        const auto* exact = findrow(rows, 1, "minimum zone", "exact");
        ASSERT_TRUE(ours && exact);
        EXPECT_EQ(exact->at("certified"), "true");
        // Off by 6.5e-4 of the zone in millimetres, by less than 1e-7 in
        // micrometres: both within the 0.5 % formeval's exchange allows itself.
        EXPECT_EQ(ours->at("inexact"), "false");
        exactzone[k] = std::stod(exact->at("error")) / unit;
        const double off = std::stod(ours->at("error")) / unit / exactzone[k] - 1;
        if (k == 0) {
            EXPECT_NEAR(std::stod(ours->at("error")), 0.0259254, 5e-8);
        } else {
            EXPECT_LT(std::fabs(off), 1e-7);
        }
    }
    EXPECT_NEAR(exactzone[0], 0.0259085, 5e-8);
    EXPECT_NEAR(exactzone[1], exactzone[0], 1e-9 * exactzone[0]);
}

struct ToleranceCase {
    const char* name;
    std::vector<std::string> options;
    const char* passes;    // per row of job 1 (line) then job 2 (circle), '.' no tolerance
    const char* said = ""; // standard error
};

class ToleranceTest : public ::testing::TestWithParam<ToleranceCase> {};

// The line's errors are 2.4 (least squares) and 2 (both zones); every one
// of the ring's is 0.02.
TEST_P(ToleranceTest, PassOrFailPerRow) {
    const ToleranceCase c = GetParam();
    test::Workdir dir;
    dir.write("jobs.txt", line + ring);
    std::vector<std::string> args = {"results", "jobs.txt", "--csv"};
    args.insert(args.end(), c.options.begin(), c.options.end());
    const test::ReportOutcome o = test::report(args);
    ASSERT_EQ(o.status, 0) << o.err;
    std::string passes;
    for (const auto& row : csvrows(o.out))
        passes += row.at("pass").empty() ? '.' : row.at("pass") == "true" ? 'p' : 'f';
    EXPECT_EQ(passes, c.passes);
    EXPECT_EQ(o.err, c.said);
}

INSTANTIATE_TEST_SUITE_P(
    Options, ToleranceTest,
    ::testing::Values(
        ToleranceCase{"none", {}, ".........."},
        ToleranceCase{"everyjob", {"--tolerance", "2.2"}, "fppppppppp"},
        ToleranceCase{
            "onecodefirst", {"--tolerance", "1000=3", "--tolerance", "0.015"}, "pppfffffff"},
        ToleranceCase{"onecodeonly", {"--tolerance", "2600=0.05"}, "...ppppppp"},
        ToleranceCase{"withaunit", {"--unit", "mm", "--tolerance", "2200um"}, "fppppppppp"},
        ToleranceCase{
            "onecodewithaunit", {"--unit", "in", "--tolerance", "2600=0.05in"}, "...ppppppp"},
        ToleranceCase{
            "convertedfromaunit", {"--unit", "um", "--tolerance", "0.0022mm"}, "fppppppppp"},
        // A tolerance no record takes is said to judge nothing.
        ToleranceCase{"absentcode",
                      {"--tolerance", "2500=0.05"},
                      "..........",
                      "formreport: the tolerance for job 2500 judges nothing: no record of job "
                      "2500 was evaluated\n"},
        ToleranceCase{"absentfeature",
                      {"--tolerance", "sphere=0.05", "--tolerance", "circle=0.05"},
                      "...ppppppp",
                      "formreport: the tolerance for every sphere judges nothing: no sphere was "
                      "evaluated\n"},
        ToleranceCase{"featureundercode",
                      {"--tolerance", "2600=0.05", "--tolerance", "circle=0.01"},
                      "...ppppppp",
                      "formreport: the tolerance for every circle judges nothing: every circle "
                      "evaluated takes its job code's\n"},
        ToleranceCase{"everyjobundercodes",
                      {"--tolerance", "1000=3", "--tolerance", "2600=0.05", "--tolerance", "0.015"},
                      "pppppppppp",
                      "formreport: the tolerance for every job judges nothing: every record "
                      "evaluated takes its job code's or its feature's\n"}),
    [](const ::testing::TestParamInfo<ToleranceCase>& info) {
        return std::string(info.param.name);
    });

TEST(Results, RefusesAToleranceThatIsNone) {
    // A unit needs the data's unit named, and must be a length.
    for (const char* bad : {"-1", "abc", "9999=1", "1000=x", "nan", "6um", "6ppm", "-2um"}) {
        const test::ReportOutcome o = test::report({"results", "jobs.txt", "--tolerance", bad});
        EXPECT_EQ(o.status, exitusage) << bad;
        EXPECT_NE(o.err.find("--tolerance"), std::string::npos) << o.err;
    }
    // One target twice would silently keep the last.
    for (const auto& [first, second, said] :
         {std::tuple{"0.004", "0.001", "a tolerance for every job is given twice"},
          std::tuple{"circle=0.004", "circle=1um", "a tolerance for every circle is given twice"},
          std::tuple{"1000=3", "1000=2", "a tolerance for job 1000 is given twice"}}) {
        const test::ReportOutcome o = test::report(
            {"results", "jobs.txt", "--unit", "mm", "--tolerance", first, "--tolerance", second});
        EXPECT_EQ(o.status, exitusage) << second;
        EXPECT_NE(o.err.find(said), std::string::npos) << o.err;
    }
}

// A whole number with a leading zero is decimal, not octal.
TEST(Results, LeadingZerosKeepNumbersDecimal) {
    test::Workdir dir;
    dir.write("part.csv", "x,y\n1,0\n0,1\n-1,0\n0,-1.001\n");
    const auto run = [](const char* digits) {
        return test::report({"results", "part.csv", "--feature", "circle", "--digits", digits});
    };
    const test::ReportOutcome padded = run("010"), plain = run("10");
    ASSERT_EQ(padded.status, exitok) << padded.err;
    EXPECT_EQ(padded.out, plain.out);
    EXPECT_NE(padded.out, run("8").out);
}

// The JSON holds the CSV's rows, with null where the CSV is empty.
TEST(Results, JsonHasTheRowsOfTheCsv) {
    test::Workdir dir;
    dir.write("cir1.txt", demo());
    const test::ReportOutcome csv = test::report({"results", "cir1.txt", "--csv", "--unit", "mm"});
    const test::ReportOutcome json =
        test::report({"results", "cir1.txt", "--json", "--unit", "mm"});
    ASSERT_EQ(json.status, 0) << json.err;
    const nlohmann::json document = nlohmann::json::parse(json.out);
    EXPECT_EQ(document.at("unit"), "mm");
    const auto rows = csvrows(csv.out);
    ASSERT_EQ(document.at("rows").size(), rows.size());
    for (std::size_t k = 0; k < rows.size(); ++k)
        for (const auto& [name, text] : rows[k]) {
            const nlohmann::json& value = document.at("rows")[k].at(name);
            if (text.empty())
                EXPECT_TRUE(value.is_null()) << name;
            else if (value.is_number_float())
                EXPECT_EQ(value.get<double>(), std::stod(text)) << name;
            else if (value.is_boolean())
                EXPECT_EQ(value.get<bool>() ? "true" : "false", text) << name;
            else if (value.is_number())
                EXPECT_EQ(std::to_string(value.get<long>()), text) << name;
            else
                EXPECT_EQ(value.get<std::string>(), text) << name;
        }
}

// The table of a hand-worked record: the manual's line plus 1 + 2 x has the
// least-squares line 1.6 + 1.6 x with deviations 0.4, -1.2, 1.2, -0.4 and
// the zone 1 + 2 x +- 1.
TEST(Results, TableOfAHandWorkedLine) {
    test::Workdir dir;
    dir.write("jobs.txt", sloped);
    const test::ReportOutcome o =
        test::report({"results", "jobs.txt", "--digits", "6", "--tolerance", "2.2"});
    ASSERT_EQ(o.status, 0) << o.err;
    const std::string table = o.out.substr(o.out.find("\njobs.txt"));
    EXPECT_EQ(table,
              "\njobs.txt: 1 job, 1 record evaluated\n"
              "\njob 1 (line 1): code 1000, line, 4 points\n"
              "   reference      by        intercept  slope  error  STRt  STRp  STRv      STRq  "
              "formeval - exact  tolerance  pass  notes\n"
              "   least squares  formeval        1.6    1.6    2.4   2.4   1.2   1.2  0.894427  "
              "                        2.2  FAIL\n"
              "   minimum zone   formeval          1      2      2     2     1     1         1  "
              "               0        2.2  pass\n"
              "   minimum zone   exact             1      2      2     2     1     1         1  "
              "                        2.2  pass  certified\n"
              "   verdict: pass (minimum zone STRt 2, exact, certified; tolerance 2.2)\n");
}

// A broken stream is refused with its line and the other files go on; a
// record that cannot be evaluated is said and left out.
TEST(Results, BadInputIsReportedAndLeftOut) {
    test::Workdir dir;
    dir.write("broken.txt", "2600 4 0.000001\n1 0\n0 x\n");
    dir.write("good.txt", "2500 4 0.000001 0 0 1 1 2 2 3 3\n" + line);
    const test::ReportOutcome o = test::report({"results", "broken.txt", "good.txt", "--csv"});
    EXPECT_EQ(o.status, exitinput);
    EXPECT_EQ(o.err,
              "formreport: broken.txt:3: job 2600 (job 1 of the stream, line 1): 'x' stands where "
              "coordinate 2 of point 2 of 4 should be, and is not a number\n"
              "formreport: good.txt: job 2500 (job 1 of the stream, line 1): not evaluated: the "
              "points lie on one line; they determine no circle\n");
    const auto rows = csvrows(o.out);
    ASSERT_EQ(rows.size(), 3u);
    for (const auto& row : rows) EXPECT_EQ(row.at("file") + row.at("code"), "good.txt1000");
}

// Three points give formeval's least-squares circle only (job 2600 takes
// three), and no exact reference stands beside nothing.
TEST(Results, ThreePointsHaveTheLeastSquaresCircleAlone) {
    test::Workdir dir;
    dir.write("jobs.txt", "2600 3 0.000001 10 0 0 10 -10 0\n");
    const test::ReportOutcome o = test::report({"results", "jobs.txt", "--csv"});
    ASSERT_EQ(o.status, 0) << o.err;
    const auto rows = csvrows(o.out);
    ASSERT_EQ(rows.size(), 1u);
    EXPECT_EQ(rows[0].at("method"), "least squares");
    // The staged fit stops once its squared shift is below 1e-4 of the radius.
    EXPECT_NEAR(std::stod(rows[0].at("radius")), 10, 0.01 * std::sqrt(10.0));
    EXPECT_EQ(o.err, "formreport: jobs.txt: job 2600 (job 1 of the stream, line 1): no minimum "
                     "zone circle: 3 points are too few; it needs 4\n"
                     "formreport: jobs.txt: job 2600 (job 1 of the stream, line 1): no minimum "
                     "circumscribing circle: 3 points are too few; it needs 4\n"
                     "formreport: jobs.txt: job 2600 (job 1 of the stream, line 1): no maximum "
                     "inscribing circle: 3 points are too few; it needs 4\n");
}

// A record inside a longer stream: formeval and results give the same
// numbers for it as for the record alone. The square's exchange draws a
// repair set from std::rand, whose state the first job once left to the
// second (formeval printed 8.9e-15, then 1.8e-15; results 8.9e-15 twice).
TEST(Results, ARecordInsideAStreamGivesFormevalsNumbers) {
    const std::string square = "2500 4 0.000001 10.0 0.0 0.0 10.1 -10.1 0.0 -0.0 -10.0\n";
    test::Run run;
    run.jobs = square + square;
    const test::Outcome formeval = test::run(run);
    ASSERT_EQ(formeval.status, 0);
    std::vector<std::string> printed;
    const std::regex error("Circularity error= ([^\n]+)");
    for (auto m = std::sregex_iterator(formeval.result.begin(), formeval.result.end(), error);
         m != std::sregex_iterator(); ++m)
        printed.push_back((*m)[1].str());
    ASSERT_EQ(printed.size(), 2u);
    EXPECT_EQ(printed[0], printed[1]);
    test::Workdir dir;
    dir.write("jobs.txt", *run.jobs);
    const test::ReportOutcome o = test::report({"results", "jobs.txt", "--csv"});
    ASSERT_EQ(o.status, 0) << o.err;
    const auto rows = csvrows(o.out);
    for (int job = 1; job <= 2; ++job) {
        const auto* row = findrow(rows, job, "minimum zone", "formeval");
        ASSERT_NE(row, nullptr);
        EXPECT_EQ(formatnumber(std::stod(row->at("error")), 12), printed[job - 1]) << job;
    }
}

// `fitted` follows formeval's notes: false where formeval said its fit was
// stopped (the exchange on a 2 degree arc), met a singular system (four
// points over 0.01 degree, least squares), or lost its digits (a line at
// 1e9); `inexact` where formeval said a feasible circle beats its result
// (the tolerance of 1 mm on the bundled example's circle). These rows once
// said fitted: true and, for the last, left the flag to the exact search.
TEST(Results, FittedAndInexactFollowFormevalsNotes) {
    const auto arc = [](int n, double degrees, double r) {
        std::ostringstream text;
        text.precision(17);
        for (int i = 0; i < n; ++i) {
            const double t = degrees * std::acos(-1.0) / 180 * i / (n - 1);
            text << " " << r * std::cos(t) << " " << r * std::sin(t);
        }
        return text.str();
    };
    test::Workdir dir;
    std::ostringstream far;
    far.precision(17);
    for (int i = 0; i < 12; ++i) far << " " << 1e9 + i << " " << 0.001 * ((i * 7) % 5);
    dir.write("jobs.txt",
              "2500 12 0.000001" + arc(12, 2, 25) + "\n2600 4 0.000001" + arc(4, 0.01, 25) +
                  "\n1000 12 0.000001" + far.str() +
                  "\n2500 12 1 145.0021 80 141.649509 92.49935 132.5006 101.651674 120 104.9979 "
                  "107.4996 101.651328 98.348066 92.50075 95.0009 80 98.349105 67.49985 "
                  "107.5008 58.350751 120 54.9981 132.4998 58.349711 141.651241 67.49965\n");
    const test::ReportOutcome o = test::report({"results", "jobs.txt", "--csv"});
    ASSERT_EQ(o.status, 0) << o.err;
    const auto rows = csvrows(o.out);
    EXPECT_EQ(findrow(rows, 1, "minimum zone", "formeval")->at("fitted"), "false");
    EXPECT_EQ(findrow(rows, 2, "least squares", "formeval")->at("fitted"), "false");
    EXPECT_EQ(findrow(rows, 3, "least squares", "formeval")->at("fitted"), "false");
    EXPECT_EQ(findrow(rows, 3, "minimum zone", "formeval")->at("fitted"), "true");
    const auto* beaten = findrow(rows, 4, "minimum zone", "formeval");
    EXPECT_EQ(beaten->at("fitted"), "true");
    EXPECT_EQ(beaten->at("inexact"), "true");
    // The table says why.
    const test::ReportOutcome table = test::report({"results", "jobs.txt"});
    EXPECT_NE(table.out.find("not a fit (formeval's note)"), std::string::npos);
}

// `inexact` fires where formeval misses the exact optimum by more than its
// own stopping rule allows: a minimum zone by 0.5 % of it, a peak or valley
// circle by twice the job's tolerance. The differences stay in minus_exact.
struct InexactCase {
    const char* name;
    int seed;
    double cri;
    const char* method;
    double gap; // formeval's error less the exact one
    bool inexact;
};

class InexactTest : public testing::TestWithParam<InexactCase> {};

TEST_P(InexactTest, FiresBeyondFormevalsOwnStoppingRule) {
    const InexactCase k = GetParam();
    test::Workdir dir;
    dir.write("jobs.txt", "2600 " + test::wavy(k.seed, k.cri));
    const test::ReportOutcome o = test::report({"results", "jobs.txt", "--csv"});
    ASSERT_EQ(o.status, 0) << o.err;
    const auto rows = csvrows(o.out);
    const auto* row = findrow(rows, 1, k.method, "formeval");
    ASSERT_NE(row, nullptr);
    EXPECT_NEAR(std::stod(row->at("minus_exact")), k.gap, 1e-3 * std::fabs(k.gap));
    EXPECT_EQ(row->at("inexact"), k.inexact ? "true" : "false");
}

INSTANTIATE_TEST_SUITE_P(
    Results, InexactTest,
    testing::Values(
        // 1.5e-6 and 0.13 % of the zone: the linearised model and the
        // exchange's own stop (both were flagged at 1e-6 of it).
        InexactCase{"ZoneOffByMillionths", 8, 1e-6, "minimum zone", 1.10953e-8, false},
        InexactCase{"ZoneOffByAThousandth", 25, 1e-6, "minimum zone", 9.52823e-6, false},
        // The circumscribing circle 94 nm wider than the smallest: beyond
        // twice a tolerance of 1 nm, within twice one of 100 nm.
        InexactCase{"PeakBeyondItsTolerance", 25, 1e-6, "minimum circumscribing", -1.31465e-4,
                    true},
        InexactCase{"PeakWithinItsTolerance", 25, 1e-4, "minimum circumscribing", -1.31465e-4,
                    false}),
    test::namedby([](const InexactCase& c) { return std::string(c.name); }));

} // namespace
} // namespace formeval::report
