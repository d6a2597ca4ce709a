// Roundness plots: the geometry of the magnified polar display, the silent
// evaluation of a record with the four circle computations, and the SVG
// pictures checked point by point against positions worked out by hand.
#include "report/report.h"
#include "tests/harness/harness.h"
#include "tests/report/support.h"

#include <cmath>
#include <gtest/gtest.h>
#include <iostream>
#include <sstream>

namespace formeval::report {
namespace {

namespace fs = std::filesystem;

const double pi = std::acos(-1.0);

TEST(Distancealong, ToACircleAboutAnotherCentre) {
    const Circle centred{0, 0, 10, 0};
    EXPECT_NEAR(*distancealong(centred, 0, 0, 1.234), 10, 1e-12);
    const Circle shifted{1, 0, 10, 0};
    EXPECT_NEAR(*distancealong(shifted, 0, 0, 0), 11, 1e-12);
    EXPECT_NEAR(*distancealong(shifted, 0, 0, pi), 9, 1e-12);
    EXPECT_NEAR(*distancealong(shifted, 0, 0, pi / 2), std::sqrt(99.0), 1e-12);
    EXPECT_FALSE(distancealong(shifted, 20, 0, 0)); // from outside the circle
}

struct MagnificationCase {
    double maxdeviation, radius, magnification;
};

void PrintTo(const MagnificationCase& c, std::ostream* out) {
    *out << "deviation " << c.maxdeviation << " on radius " << c.radius;
}

class AutomagnificationTest : public ::testing::TestWithParam<MagnificationCase> {};

// 0.3 r / (0.6 d), rounded down to 1, 2 or 5 times a power of ten.
TEST_P(AutomagnificationTest, LargestNiceValueThatFits) {
    const MagnificationCase c = GetParam();
    EXPECT_DOUBLE_EQ(automagnification(c.maxdeviation, c.radius, PolarLayout{}), c.magnification);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, AutomagnificationTest,
    ::testing::Values(MagnificationCase{0.01, 10, 500}, MagnificationCase{0.02, 10, 200}, // 250
                      MagnificationCase{0.0034, 12.5, 1000},                              // 1838
                      MagnificationCase{5, 10, 1}, MagnificationCase{30, 10, 0.1},        // 0.167
                      MagnificationCase{0, 10, 1}),
    test::namedby([](const MagnificationCase& c) {
        return "Deviation" + test::testname(c.maxdeviation) + "_Radius" + test::testname(c.radius);
    }));

// Radius 10, deviations +-0.01: at 500 the extremes are drawn at 174 +- 87
// of the 290 of the plot; at 1000 the outer one at 348.
TEST(Magnificationfits, WithinThePlot) {
    EXPECT_TRUE(magnificationfits(500, -0.01, 0.01, 10, PolarLayout{}));
    EXPECT_TRUE(magnificationfits(600, -0.01, 0.01, 10, PolarLayout{}));
    EXPECT_FALSE(magnificationfits(1000, -0.01, 0.01, 10, PolarLayout{}));
    EXPECT_FALSE(magnificationfits(900, -0.02, 0.001, 10, PolarLayout{})); // 174 - 313
}

CircleRecord alternatingrecord(int n) {
    std::istringstream in("2600 " + test::alternating(n));
    return readjobstream(in, "jobs.txt").circles.at(0);
}

TEST(Evaluate, TheFourCirclesOfAlternatingRadii) {
    const Evaluation e = evaluate(alternatingrecord(36));
    ASSERT_TRUE(e.ok) << e.failure;
    const double radius[nreferences] = {10, 10, 10.01, 9.99};
    for (int k = 0; k < nreferences; ++k) {
        EXPECT_NEAR(e.circles[k].x, 100, 1e-6) << referencenames[k];
        EXPECT_NEAR(e.circles[k].y, 20, 1e-6) << referencenames[k];
        EXPECT_NEAR(e.circles[k].r, radius[k], 1e-6) << referencenames[k];
        EXPECT_NEAR(e.circles[k].error, 0.02, 1e-6) << referencenames[k];
        EXPECT_EQ(e.said[k], "") << referencenames[k];
    }
}

// Guards the binding: nothing may reach the real console, and a prompt must
// not wait for an answer.
TEST(Evaluate, LeavesTheConsoleAlone) {
    std::stringbuf console;
    std::streambuf* const saved = std::cout.rdbuf(&console);
    const Evaluation e = evaluate(alternatingrecord(36));
    std::cout.rdbuf(saved);
    EXPECT_TRUE(e.ok);
    EXPECT_EQ(console.str(), "");
}

TEST(Evaluate, PointsOnALineHaveNoCircle) {
    std::istringstream in("2600 4 0.000001 0 0 1 1 2 2 3 3");
    const Evaluation e = evaluate(readjobstream(in, "jobs.txt").circles.at(0));
    EXPECT_FALSE(e.ok);
    EXPECT_EQ(e.failure,
              "the points lie on one line (or all at one place); they determine no circle");
}

TEST(Polardata, DeviationsAboutTheMinimumZoneCentre) {
    const CircleRecord r = alternatingrecord(36);
    const PolarData d = polardata(r, evaluate(r));
    ASSERT_EQ(d.profile.size(), 36u);
    for (std::size_t i = 1; i < d.profile.size(); ++i)
        EXPECT_LT(d.profile[i - 1].angle, d.profile[i].angle);
    for (const PolarPoint& p : d.profile) EXPECT_NEAR(std::fabs(p.deviation), 0.01, 1e-6);
    EXPECT_NEAR(d.zoneinner, -0.01, 1e-6);
    EXPECT_NEAR(d.zoneouter, 0.01, 1e-6);
    const double expected[nreferences] = {0, 0, 0.01, -0.01};
    for (int k = 0; k < nreferences; ++k) {
        ASSERT_EQ(d.curves[k].size(), std::size_t(curvesamples));
        for (const PolarPoint& p : d.curves[k]) EXPECT_NEAR(p.deviation, expected[k], 1e-6);
    }
}

// The plot centre and the drawn radius of deviation 0 (60 % of 290).
constexpr double centrex = 345;
constexpr double centrey = 365;

std::vector<double> distances(const test::Element& path) {
    std::vector<double> out;
    for (const auto& [x, y] : test::vertices(path.attributes.at("d")))
        out.push_back(std::hypot(x - centrex, y - centrey));
    return out;
}

const test::Element* longest(const std::vector<const test::Element*>& paths) {
    const test::Element* best = nullptr;
    for (const test::Element* p : paths)
        if (!best || p->attributes.at("d").size() > best->attributes.at("d").size()) best = p;
    return best;
}

// At magnification 500 a deviation of +-0.01 on radius 10 is drawn at
// 174 +- 87: the profile alternates between 261 and 87 from the centre, the
// circumscribing circle runs at 261, the inscribing at 87, least squares at 174.
TEST(Polar, DrawsEachPointAndCircleWhereTheMagnificationPutsIt) {
    test::Workdir dir;
    dir.write("jobs.txt", "2600 " + test::alternating(36));
    const test::ReportOutcome o = test::report({"polar", "jobs.txt", "-o", "plots"});
    ASSERT_EQ(o.status, 0) << o.err;
    EXPECT_EQ(o.err, "");
    const test::Svg svg = test::parsesvg(dir.path() / "plots" / "jobs-job1-2600.svg");
    ASSERT_TRUE(svg.wellformed) << svg.error;
    ASSERT_FALSE(svg.elements.empty());
    EXPECT_EQ(svg.elements[0].name, "svg");

    const test::Element* profile = longest(test::strokes(svg, profilecolour, 1.1));
    ASSERT_NE(profile, nullptr);
    const std::vector<double> p = distances(*profile);
    ASSERT_GE(p.size(), 36u);
    for (std::size_t i = 0; i < 36; ++i) EXPECT_NEAR(p[i], i % 2 ? 87 : 261, 0.01) << i;

    const double drawn[nreferences] = {174, 0, 261, 87};
    for (const int k : {leastsquares, circumscribing, inscribing}) {
        const auto curves = test::strokes(svg, referencecolours[k], 1.4);
        ASSERT_EQ(curves.size(), 1u) << referencenames[k];
        const std::vector<double> c = distances(*curves[0]);
        EXPECT_GE(c.size(), std::size_t(curvesamples / 2)); // cairo merges some segments
        for (const double d : c) EXPECT_NEAR(d, drawn[k], 0.01) << referencenames[k];
    }
    const auto zone = test::strokes(svg, referencecolours[minimumzone], 1.4);
    ASSERT_EQ(zone.size(), 2u);
    for (const double d : distances(*zone[0])) EXPECT_NEAR(d, 261, 0.01);
    for (const double d : distances(*zone[1])) EXPECT_NEAR(d, 87, 0.01);

    std::istringstream table(o.out);
    std::string line;
    std::getline(table, line);
    EXPECT_EQ(line, "jobs.txt: 1 circle record plotted; circularity error against each circle");
    std::getline(table, line);
    std::getline(table, line);
    std::istringstream row(line);
    std::string file;
    int ordinal = 0, code = 0, first = 0, points = 0;
    double magnification = 0;
    row >> file >> ordinal >> code >> first >> points >> magnification;
    EXPECT_EQ(file, "jobs-job1-2600.svg");
    EXPECT_EQ(code, 2600);
    EXPECT_EQ(points, 36);
    EXPECT_EQ(magnification, 500);
    for (int k = 0; k < nreferences; ++k) {
        double error = 0;
        row >> error;
        EXPECT_NEAR(error, 0.02, 1e-6) << referencenames[k];
    }
}

// Whitespace-separated cells of a table row, each with the column it ends at.
std::vector<std::pair<std::string, std::size_t>> cells(const std::string& row) {
    std::vector<std::pair<std::string, std::size_t>> out;
    for (std::size_t at = row.find_first_not_of(' '); at != std::string::npos;
         at = row.find_first_not_of(' ', at)) {
        const std::size_t end = std::min(row.find(' ', at), row.size());
        out.emplace_back(row.substr(at, end - at), end);
        at = end;
    }
    return out;
}

// Job 100000 of the stream fills the job column; errors of 4.8e-06 written
// with 12 digits fill theirs: every cell must still stand apart, right-aligned
// under its heading.
TEST(Polar, TableColumnsNeverRunTogether) {
    test::Workdir dir;
    std::string jobs;
    for (int i = 1; i < 100000; ++i) jobs += "0\n";
    dir.write("jobs.txt", jobs + "2600 " + test::alternating(36, 2.4e-6));
    const test::ReportOutcome o = test::report({"polar", "jobs.txt", "-q"});
    ASSERT_EQ(o.status, exitok) << o.err;
    std::istringstream table(o.out);
    std::string heading, header, row;
    std::getline(table, heading);
    std::getline(table, header);
    std::getline(table, row);
    const auto heads = cells(header);
    const auto values = cells(row);
    ASSERT_EQ(heads.size(), 10u) << header;
    ASSERT_EQ(values.size(), 10u) << row;
    EXPECT_EQ(values[0].first, "jobs-job100000-2600.svg");
    EXPECT_EQ(values[1].first, "100000");
    std::size_t longest = 0;
    for (std::size_t k = 6; k < 10; ++k) {
        EXPECT_NEAR(std::stod(values[k].first), 4.8e-6, 1e-12) << heads[k].first;
        longest = std::max(longest, values[k].first.size());
    }
    EXPECT_GE(longest, 17u); // as wide as the column was
    for (std::size_t k = 1; k < 10; ++k)
        EXPECT_EQ(values[k].second, heads[k].second) << heads[k].first;
}

TEST(Polar, AMagnificationThatDoesNotFitGivesWayWithAWarning) {
    test::Workdir dir;
    dir.write("jobs.txt", "2600 " + test::alternating(36));
    const test::ReportOutcome o =
        test::report({"polar", "jobs.txt", "--magnification", "1e6", "--png"});
    ASSERT_EQ(o.status, 0);
    EXPECT_EQ(o.err, "formreport: jobs.txt: job 2600 (job 1 of the stream, line 1): at "
                     "magnification 1e+06 the deviations leave the plot; it is drawn at 500\n");
    EXPECT_TRUE(fs::exists(dir.path() / "jobs-job1-2600.svg"));
    EXPECT_GT(fs::file_size(dir.path() / "jobs-job1-2600.png"), 1000u);
}

TEST(Polar, ReportsRecordsLeftOutAndPlotsTheRest) {
    test::Workdir dir;
    dir.write("jobs.txt", "2600 4 0.000001 0 0 1 1 2 2 3 3\n2700 3 0.000001 1 0 0 1 -1 0\n"
                          "1000 3 0.000001 0 0 1 1 2 0\n2500 " +
                              test::alternating(36));
    const test::ReportOutcome o = test::report({"polar", "jobs.txt"});
    ASSERT_EQ(o.status, 0);
    EXPECT_EQ(o.err,
              "formreport: jobs.txt: job 2700 (job 2 of the stream, line 2): not plotted: 3 points "
              "are too few; the four circles need at least 4\n"
              "formreport: jobs.txt: job 2600 (job 1 of the stream, line 1): not plotted: the "
              "points lie on one line (or all at one place); they determine no circle\n");
    EXPECT_FALSE(fs::exists(dir.path() / "jobs-job1-2600.svg"));
    EXPECT_TRUE(fs::exists(dir.path() / "jobs-job4-2500.svg"));
}

// The legend names the exact circle beneath each computation's circle that
// is not the exact one, with a dashed sample in its colour: none for the
// alternating radii, whose circles are all exact; the minimum zone for the
// bundled example's job 2500, which formeval finds 7e-10 too wide.
TEST(Polar, TheLegendAddsTheExactCircleWhereItDiffers) {
    test::Workdir dir;
    const std::string demo = test::readfile(FORMEVAL_SOURCE_DIR "/examples/demo/cir1.txt");
    const std::string job4 = demo.substr(demo.find("2500"), demo.find("3000") - demo.find("2500"));
    dir.write("jobs.txt", "2600 " + test::alternating(36) + job4);
    const test::ReportOutcome o = test::report({"polar", "jobs.txt"});
    ASSERT_EQ(o.status, 0) << o.err;
    const std::string names[] = {"jobs-job1-2600.svg", "jobs-job2-2500.svg"};
    for (int k = 0; k < 2; ++k) {
        const test::Svg svg = test::parsesvg(dir.path() / names[k]);
        for (const int c : {minimumzone, circumscribing, inscribing}) {
            std::size_t dashed = 0;
            for (const test::Element* e : test::strokes(svg, referencecolours[c], 1.5))
                dashed += !test::style(*e, "stroke-dasharray").empty();
            EXPECT_EQ(dashed, k == 1 && c == minimumzone ? 1u : 0u) << names[k] << " " << c;
        }
    }
    std::istringstream in(job4);
    const Evaluation e = evaluate(readjobstream(in, "jobs.txt").circles.at(0));
    ASSERT_TRUE(e.ok);
    EXPECT_TRUE(e.inexact[minimumzone] && e.certified[minimumzone]);
    EXPECT_NEAR(e.circles[minimumzone].error - e.exact[minimumzone].error, 6.7e-10, 1e-11);
    EXPECT_FALSE(e.inexact[circumscribing] || e.inexact[inscribing]);
}

TEST(Polar, AMalformedStreamDrawsNothing) {
    test::Workdir dir;
    dir.write("bad.txt", "2600 " + test::alternating(8) + "2500 4 0.000001\n1 0\n0 1\n-1 x\n");
    const test::ReportOutcome o = test::report({"polar", "bad.txt", "-o", "plots"});
    EXPECT_EQ(o.status, exitinput);
    EXPECT_EQ(o.out, "");
    EXPECT_EQ(o.err, "formreport: bad.txt:13: job 2500 (job 2 of the stream, line 10): 'x' stands "
                     "where coordinate 2 of point 3 of 4 should be, and is not a number\n");
    EXPECT_FALSE(fs::exists(dir.path() / "plots"));
}

TEST(Polar, NoCircleRecordIsNoError) {
    test::Workdir dir;
    dir.write("jobs.txt", "1000 3 0.000001 0 0 1 1 2 0\n");
    const test::ReportOutcome o = test::report({"polar", "jobs.txt"});
    EXPECT_EQ(o.status, exitok);
    EXPECT_EQ(o.out,
              "jobs.txt: no Cartesian circle records (jobs 2500, 2600, 2700, 2800) to plot\n");
}

// The bundled example through the built executable: four circle records.
// Its first, eight points of radius 10.01, 10, 9.99, 10, ... about (100, 20),
// has errors of 0.02 against the least-squares, minimum-zone and
// circumscribing circles.
TEST(Polar, TheBundledExample) {
    test::Workdir dir;
    const std::string jobs = std::string(FORMEVAL_SOURCE_DIR) + "/examples/demo/cir1.txt";
    const test::ReportOutcome o = test::runreport({"polar", jobs, "-o", "plots"}, dir.path());
    ASSERT_EQ(o.status, 0) << o.err;
    for (const char* name :
         {"cir1-job1-2600.svg", "cir1-job4-2500.svg", "cir1-job8-2700.svg", "cir1-job9-2800.svg"}) {
        const test::Svg svg = test::parsesvg(dir.path() / "plots" / name);
        EXPECT_TRUE(svg.wellformed) << name << ": " << svg.error;
        ASSERT_FALSE(svg.elements.empty()) << name;
        EXPECT_EQ(svg.elements[0].attributes.at("width"), "990px");
        for (int k = 0; k < nreferences; ++k)
            EXPECT_EQ(test::strokes(svg, referencecolours[k], 1.4).size(),
                      k == minimumzone ? 2u : 1u)
                << name << " " << referencenames[k];
    }
    std::vector<std::vector<std::string>> rows;
    std::istringstream table(o.out);
    for (std::string line; std::getline(table, line);) {
        std::istringstream row(line);
        rows.emplace_back();
        for (std::string cell; row >> cell;) rows.back().push_back(cell);
    }
    ASSERT_EQ(rows.size(), 6u);
    for (int k = 0; k < 3; ++k) EXPECT_NEAR(std::stod(rows[2].at(6 + k)), 0.02, 1e-9);

    // The silent evaluations agree digit for digit with what formeval's own
    // jobs 2500, 2700 and 2800 report for the same records.
    test::Run run;
    run.jobs = test::readfile(jobs);
    const std::string result = test::run(run).result;
    const auto reported = [&result](const std::string& label) {
        const auto at = result.find(label);
        if (at == std::string::npos) return std::string();
        const auto from = at + label.size();
        return result.substr(from, result.find('\n', from) - from);
    };
    EXPECT_EQ(rows[3].at(7), reported("\nCircularity error= "));
    EXPECT_EQ(rows[4].at(8), reported("Minimum Circumscribing Circle Circularity error= "));
    EXPECT_EQ(rows[5].at(9), reported("Maximum Inscribing Circle Circularity error= "));
}

} // namespace
} // namespace formeval::report
