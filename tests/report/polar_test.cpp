// Roundness plots: the geometry of the magnified polar display, the silent
// evaluation of a record with the four circle computations, and the SVG
// pictures checked point by point against positions worked out by hand.
#include "report/charts/canvas.h"
#include "report/charts/charts.h"
#include "report/commands/commands.h"
#include "tests/harness/harness.h"
#include "tests/harness/support.h"
#include "tests/report/support.h"

#include <algorithm>
#include <cmath>
#include <filesystem>
#include <gtest/gtest.h>
#include <iostream>
#include <limits>
#include <nlohmann/json.hpp>
#include <set>
#include <sstream>
#include <sys/stat.h>

namespace formeval::report {
namespace {

namespace fs = std::filesystem;

const double pi = std::acos(-1.0);

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

// A circle record's chart evaluation.
Evaluated chartof(const JobRecord& r) {
    return evaluatecircle(planepoints(r), r.cri);
}

JobRecord alternatingrecord(int n) {
    std::istringstream in("2600 " + test::alternating(n));
    return sortrecords(readrecords(in, "jobs.txt")).circles.at(0);
}

TEST(Evaluate, TheFourCirclesOfAlternatingRadii) {
    const Evaluated e = chartof(alternatingrecord(36));
    ASSERT_TRUE(e.ok()) << e.failure;
    const double radius[ncriteria] = {10, 10, 10.01, 9.99};
    for (int k = 0; k < ncriteria; ++k) {
        EXPECT_NEAR(e.fit(Criterion(k)).x, 100, 1e-6) << legendname(Criterion(k));
        EXPECT_NEAR(e.fit(Criterion(k)).y, 20, 1e-6) << legendname(Criterion(k));
        EXPECT_NEAR(e.fit(Criterion(k)).r, radius[k], 1e-6) << legendname(Criterion(k));
        EXPECT_NEAR(e.fit(Criterion(k)).error, 0.02, 1e-6) << legendname(Criterion(k));
        EXPECT_EQ(e.fit(Criterion(k)).said, "") << legendname(Criterion(k));
    }
}

// The charts and the results evaluate a circle record along two paths; both
// must see the same four circles of formeval's and the same exact ones, and
// flag the same ones inexact (the wavy circle's minimum zone lies 1.5e-6 of
// it from the exact one, its circumscribing circle 94 nm wider than the
// smallest).
class ChartsAndResults : public testing::TestWithParam<std::string> {};

TEST_P(ChartsAndResults, SeeTheSameCircles) {
    std::istringstream in("2600 " + GetParam());
    const JobRecord c = sortrecords(readrecords(in, "jobs.txt")).circles.at(0);
    const Evaluated chart = chartof(c);
    const Evaluated table = evaluaterecord(c);
    ASSERT_TRUE(chart.ok() && table.ok()) << chart.failure << table.failure;
    for (const Source source : {Source::program, Source::exact})
        for (int k = 0; k < ncriteria; ++k) {
            const Fit* a = chart.find(Criterion(k), source);
            const Fit* b = table.find(Criterion(k), source);
            const bool exists = source == Source::program || k != indexof(Criterion::leastsquares);
            ASSERT_EQ(a != nullptr, exists) << legendname(Criterion(k));
            ASSERT_EQ(b != nullptr, exists) << legendname(Criterion(k));
            if (!exists) continue;
            EXPECT_EQ(a->x, b->x) << legendname(Criterion(k));
            EXPECT_EQ(a->y, b->y) << legendname(Criterion(k));
            EXPECT_EQ(a->r, b->r) << legendname(Criterion(k));
            EXPECT_EQ(a->error, b->error) << legendname(Criterion(k));
            EXPECT_EQ(a->inexact, b->inexact) << legendname(Criterion(k));
        }
}

INSTANTIATE_TEST_SUITE_P(Evaluate, ChartsAndResults,
                         testing::Values(test::alternating(36), test::wavy(8), test::wavy(25)),
                         [](const testing::TestParamInfo<std::string>& info) {
                             return std::string(info.index == 0   ? "Alternating"
                                                : info.index == 1 ? "WavyZoneOffByMillionths"
                                                                  : "WavyPeakAndValleyOff");
                         });

// Guards the binding: nothing may reach the real console, and a prompt must
// not wait for an answer.
TEST(Evaluate, LeavesTheConsoleAlone) {
    std::stringbuf console;
    std::streambuf* const saved = std::cout.rdbuf(&console);
    const Evaluated e = chartof(alternatingrecord(36));
    std::cout.rdbuf(saved);
    EXPECT_TRUE(e.ok());
    EXPECT_EQ(console.str(), "");
}

TEST(Evaluate, PointsOnALineHaveNoCircle) {
    std::istringstream in("2600 4 0.000001 0 0 1 1 2 2 3 3");
    const Evaluated e = chartof(sortrecords(readrecords(in, "jobs.txt")).circles.at(0));
    EXPECT_FALSE(e.ok());
    EXPECT_EQ(e.failure,
              "the points lie on one line (or all at one place); they determine no circle");
}

TEST(Polardata, DeviationsAboutTheMinimumZoneCentre) {
    const JobRecord r = alternatingrecord(36);
    const PolarData d = polardata(planepoints(r), chartof(r));
    ASSERT_EQ(d.profile.size(), 36u);
    for (std::size_t i = 1; i < d.profile.size(); ++i)
        EXPECT_LT(d.profile[i - 1].angle, d.profile[i].angle);
    for (const PolarPoint& p : d.profile) EXPECT_NEAR(std::fabs(p.deviation), 0.01, 1e-6);
    EXPECT_NEAR(d.zoneinner, -0.01, 1e-6);
    EXPECT_NEAR(d.zoneouter, 0.01, 1e-6);
    const double expected[ncriteria] = {0, 0, 0.01, -0.01};
    for (int k = 0; k < ncriteria; ++k) {
        ASSERT_EQ(d.curves[k].size(), std::size_t(curvesamples));
        for (const PolarPoint& p : d.curves[k]) EXPECT_NEAR(p.deviation, expected[k], 1e-6);
    }
}

// The plot centre and the drawn radius of deviation 0 (60 % of 290).
constexpr double centrex = 345;
constexpr double centrey = 385;

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

    const double drawn[ncriteria] = {174, 0, 261, 87};
    for (const int k : {indexof(Criterion::leastsquares), indexof(Criterion::circumscribed),
                        indexof(Criterion::inscribed)}) {
        const auto curves = test::strokes(svg, referencecolours[k], 1.4);
        ASSERT_EQ(curves.size(), 1u) << legendname(Criterion(k));
        const std::vector<double> c = distances(*curves[0]);
        EXPECT_GE(c.size(), std::size_t(curvesamples / 2)); // cairo merges some segments
        for (const double d : c) EXPECT_NEAR(d, drawn[k], 0.01) << legendname(Criterion(k));
    }
    const auto zone = test::strokes(svg, referencecolours[indexof(Criterion::minimumzone)], 1.4);
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
    for (int k = 0; k < ncriteria; ++k) {
        double error = 0;
        row >> error;
        EXPECT_NEAR(error, 0.02, 1e-6) << legendname(Criterion(k));
    }
}

// Drawn radii of the rings: grid circles about the plot centre.
std::vector<double> ringradii(const test::Svg& svg) {
    std::vector<double> out;
    for (const test::Element* e : svg.all("path")) {
        const std::string& d = e->attributes.at("d");
        const Rgb c = test::parsergb(test::style(*e, "stroke"));
        if (d.find(" A ") == std::string::npos || c.r != c.g || c.g != c.b || c.r < 0.5) continue;
        out.push_back(distances(*e).at(0));
    }
    std::sort(out.begin(), out.end());
    return out;
}

bool hastext(const test::Svg& svg, const std::string& text) {
    const auto texts = svg.texts();
    return std::find(texts.begin(), texts.end(), text) != texts.end();
}

// Radius 10 at magnification 500 and in mm: 8.7 drawing units per um, so
// rings 5 um (43.5 units) apart, the 0 ring at 174; the division and the
// magnification stated, the rings labelled where no line runs, the errors in
// um, all as text.
TEST(Polar, RingsEvenlyDividedAndTheDivisionStated) {
    test::Workdir dir;
    dir.write("jobs.txt", "2600 " + test::alternating(36));
    ASSERT_EQ(test::report({"polar", "jobs.txt", "--unit", "mm"}).status, exitok);
    const test::Svg svg = test::parsesvg(dir.path() / "jobs-job1-2600.svg");
    const std::vector<double> radii = ringradii(svg);
    const std::vector<double> expected = {43.5, 87, 130.5, 174, 217.5, 261};
    ASSERT_EQ(radii.size(), expected.size());
    for (std::size_t i = 0; i < radii.size(); ++i) EXPECT_NEAR(radii[i], expected[i], 0.01);
    for (const char* text :
         {"1 division = 5 \u00b5m", "Magnification \u00d7500", "-15", "-5", "+5", "20.00 \u00b5m"})
        EXPECT_TRUE(hastext(svg, text)) << text;
    // The rings at -10, 0 and +10 um are the zone's and the least-squares
    // circles: a label there would cover them, so they go without.
    for (const char* text : {"-10", "0", "+10"}) EXPECT_FALSE(hastext(svg, text)) << text;
}

// 46 points over 90 degrees, from 20 to 110, with seven lobes.
std::string arcrecord() {
    std::ostringstream s;
    s.precision(17);
    s << "2600 46 0.000001\n";
    for (int i = 0; i < 46; ++i) {
        const double a = (20 + 2 * i) * pi / 180;
        const double r = 25 + 0.003 * std::cos(7 * a);
        s << r * std::cos(a) << ' ' << r * std::sin(a) << '\n';
    }
    return s.str();
}

// Angle in degrees of a drawn point about the plot centre.
double drawnangle(double x, double y) {
    return std::atan2(centrey - y, x - centrex) * 180 / pi;
}

TEST(Polar, AnArcOverItsOwnAnglesOnly) {
    test::Workdir dir;
    dir.write("jobs.txt", arcrecord());
    const test::ReportOutcome o = test::report({"polar", "jobs.txt", "--unit", "mm"});
    ASSERT_EQ(o.status, exitok) << o.err;
    const test::Svg svg = test::parsesvg(dir.path() / "jobs-job1-2600.svg");
    EXPECT_TRUE(hastext(svg, "arc of 90\u00b0 (from 20\u00b0 to 110\u00b0)"));
    const test::Element* profile = longest(test::strokes(svg, profilecolour, 1.1));
    ASSERT_NE(profile, nullptr);
    EXPECT_EQ(profile->attributes.at("d").find('Z'), std::string::npos); // not closed
    const auto within = [](const test::Element& path, const char* what) {
        const auto v = test::vertices(path.attributes.at("d"));
        ASSERT_GE(v.size(), 2u) << what;
        double lowest = 360, highest = -360;
        for (const auto& [x, y] : v) {
            const double a = drawnangle(x, y);
            lowest = std::min(lowest, a);
            highest = std::max(highest, a);
        }
        EXPECT_NEAR(lowest, 20, 0.5) << what;
        EXPECT_NEAR(highest, 110, 0.5) << what;
    };
    within(*profile, "profile");
    // The enclosing and inscribed circles of an arc's points are no roundness
    // references of it: the legend names no exact one.
    for (const int k : {indexof(Criterion::circumscribed), indexof(Criterion::inscribed)})
        EXPECT_TRUE(test::strokes(svg, referencecolours[k], 1).empty()) << legendname(Criterion(k));
    EXPECT_TRUE(hastext(svg, "formeval's; an arc under 180\u00b0 holds no such circle"));
    // The errors keep their decimals though the exact enclosing circle of the
    // arc's points, which is not shown, is wide.
    const std::string certified = " \u00b5m  certified";
    std::size_t headlines = 0;
    for (const std::string& t : svg.texts())
        if (t.size() > certified.size() &&
            t.compare(t.size() - certified.size(), certified.size(), certified) == 0) {
            ++headlines;
            EXPECT_EQ(t.find('.') + 4, t.size() - certified.size()) << t;
        }
    EXPECT_EQ(headlines, 1u) << "the minimum zone's";
    for (const int k : {indexof(Criterion::leastsquares), indexof(Criterion::minimumzone),
                        indexof(Criterion::circumscribed), indexof(Criterion::inscribed)})
        for (const test::Element* e : test::strokes(svg, referencecolours[k], 1.4))
            within(*e, legendname(Criterion(k)).c_str());
    // An arc is filtered along its length at the cut-off's wavelength, as
    // results filters it: the same exact minimum zone as results' filtered
    // row. The harmonics are for closed profiles only.
    const test::ReportOutcome f =
        test::report({"polar", "jobs.txt", "-o", "filtered", "--filter", "50", "--harmonics"});
    EXPECT_EQ(f.status, exitok);
    EXPECT_EQ(f.err.find("not filtered"), std::string::npos) << f.err;
    EXPECT_NE(f.err.find("no harmonics: an arc of 90\u00b0 is no closed profile"),
              std::string::npos)
        << f.err;
    const test::Svg filtered = test::parsesvg(dir.path() / "filtered" / "jobs-job1-2600.svg");
    EXPECT_TRUE(hastext(filtered, "Filter: Gaussian, cut-off 50 UPR"));
    EXPECT_TRUE(hastext(filtered, "arc of 90\u00b0 (from 20\u00b0 to 110\u00b0); Gaussian filter, "
                                  "cut-off 50 UPR; an arc, filtered along its length at the "
                                  "cut-off wavelength 3.14162"));
    const test::ReportOutcome r =
        test::report({"results", "jobs.txt", "--filter", "50", "--json", "--digits", "17"});
    ASSERT_EQ(r.status, exitok) << r.err;
    double zone = 0;
    const nlohmann::json doc = nlohmann::json::parse(r.out);
    for (const auto& row : doc["rows"])
        if (row["computed_by"] == "pointset" && row["method"] == "minimum zone")
            zone = row["error"].get<double>();
    ASSERT_GT(zone, 0);
    char headline[64];
    std::snprintf(headline, sizeof headline, "%.3f 10^-3 coordinate units  certified", zone * 1000);
    EXPECT_TRUE(hastext(filtered, headline)) << headline;
}

// The filtered profile is what the chart and the table show: a 3-lobe form
// of 2 um with 200-lobe ripple of 1 um keeps its lobes and loses the ripple
// at a 50 UPR cut-off, so every error falls to the lobes' own, about 4 um.
TEST(Polar, TheFilterBeforeTheParametersAndTheChart) {
    std::ostringstream s;
    s.precision(17);
    s << "2500 1000 0.000001\n";
    for (int i = 0; i < 1000; ++i) {
        const double a = 2 * pi * i / 1000;
        const double r = 25 + 0.002 * std::cos(3 * a) + 0.001 * std::cos(200 * a);
        s << r * std::cos(a) << ' ' << r * std::sin(a) << '\n';
    }
    test::Workdir dir;
    dir.write("jobs.txt", s.str());
    const test::ReportOutcome o =
        test::report({"polar", "jobs.txt", "--filter", "50", "--harmonics", "--unit", "mm"});
    ASSERT_EQ(o.status, exitok) << o.err;
    EXPECT_EQ(o.out.substr(0, o.out.find('\n')),
              "jobs.txt: 1 circle record plotted; circularity error against each circle, of the "
              "profiles filtered (Gaussian, cut-off 50 UPR)");
    std::istringstream table(o.out);
    std::string line;
    std::getline(table, line);
    std::getline(table, line);
    std::getline(table, line);
    std::istringstream row(line);
    std::string cell;
    for (int k = 0; k < 6; ++k) row >> cell;
    // The lobes' 4 um peak to valley at their weight 2^-(3/50)^2; the ripple's
    // 2^-16 of 1 um and the samples' missing the lobes' extremes stay below 0.5 nm.
    for (int k = 0; k < ncriteria; ++k) {
        row >> cell;
        EXPECT_NEAR(std::stod(cell), 0.004 * std::pow(2.0, -0.06 * 0.06), 5e-7)
            << legendname(Criterion(k));
    }
    const test::Svg svg = test::parsesvg(dir.path() / "jobs-job1-2500.svg");
    EXPECT_TRUE(hastext(svg, "Filter: Gaussian, cut-off 50 UPR"));
    EXPECT_TRUE(fs::exists(dir.path() / "jobs-job1-2500-harmonics.svg"));
    // UPR 3 stands in the harmonic table with 2 um less its 0.3 % weight.
    EXPECT_NE(o.out.find("\n  3  1.99"), std::string::npos) << o.out;
    // The harmonics' note names the filter that made their profile.
    EXPECT_NE(o.out.find("points at equal angles, filtered at 50 UPR\n"), std::string::npos)
        << o.out;
    const test::ReportOutcome robust = test::report(
        {"polar", "jobs.txt", "--filter", "50", "--filter-type", "robust", "--harmonics"});
    ASSERT_EQ(robust.status, exitok) << robust.err;
    EXPECT_NE(
        robust.out.find(", filtered by the robust Gaussian (ISO 16610-31) filter at 50 UPR\n"),
        std::string::npos)
        << robust.out;
}

// A polar record is drawn from its points as the Cartesian ones are.
TEST(Polar, PolarRecordsOfJob2000) {
    std::ostringstream s;
    s.precision(17);
    s << "2000 36 0.000001\n";
    for (int i = 0; i < 36; ++i) s << (i % 2 ? 9.99 : 10.01) << ' ' << 10 * i << '\n';
    test::Workdir dir;
    dir.write("jobs.txt", s.str());
    const test::ReportOutcome o = test::report({"polar", "jobs.txt"});
    ASSERT_EQ(o.status, exitok) << o.err;
    EXPECT_NE(o.out.find("\njobs-job1-2000.svg     1  2000      1     36            500"),
              std::string::npos)
        << o.out;
    const test::Svg svg = test::parsesvg(dir.path() / "jobs-job1-2000.svg");
    EXPECT_TRUE(hastext(svg, "jobs.txt: job 2000 (job 1 of the stream, line 1), 36 points in "
                             "polar coordinates"));
}

// Straightness of the bundled example's job 1000: the zone's two lines run
// through the highest and the lowest point of the profile, and the profile's
// points stand in x order at heights in proportion to their deviations from
// the minimum-zone line, which the least-squares line crosses.
TEST(Polar, TheStraightnessProfileBetweenItsZoneLines) {
    test::Workdir dir;
    dir.write("jobs.txt", "1000 6 0.000001 0 0.0012 10 -0.0008 20 0.0021 30 0.0004 40 -0.0015 "
                          "50 0.0009\n");
    const test::ReportOutcome o = test::report({"polar", "jobs.txt", "--unit", "mm"});
    ASSERT_EQ(o.status, exitok) << o.err;
    const test::Svg svg = test::parsesvg(dir.path() / "jobs-job1-1000.svg");
    const test::Element* profile = longest(test::strokes(svg, profilecolour, 1.1));
    ASSERT_NE(profile, nullptr);
    const auto p = test::vertices(profile->attributes.at("d"));
    ASSERT_EQ(p.size(), 6u);
    const auto zone = test::strokes(svg, referencecolours[indexof(Criterion::minimumzone)], 1.4);
    ASSERT_EQ(zone.size(), 2u);
    double top = 1e9, bottom = -1e9;
    for (const auto& [x, y] : p) {
        top = std::min(top, y);
        bottom = std::max(bottom, y);
    }
    const double upper = test::vertices(zone[0]->attributes.at("d")).at(0).second;
    const double lower = test::vertices(zone[1]->attributes.at("d")).at(0).second;
    EXPECT_NEAR(std::min(upper, lower), top, 0.01);
    EXPECT_NEAR(std::max(upper, lower), bottom, 0.01);
    // Deviations from the line y = a + b x through the extremes: each point's
    // height against the zone's, as drawn.
    std::istringstream in("1000 6 0.000001 0 0.0012 10 -0.0008 20 0.0021 30 0.0004 40 -0.0015 "
                          "50 0.0009");
    const JobRecord r = sortrecords(readrecords(in, "jobs.txt")).forms.at(0);
    const Evaluated e = evaluateform(r);
    ASSERT_TRUE(e.ok());
    const Fit& mz = e.fit(Criterion::minimumzone);
    std::vector<double> deviation;
    for (std::size_t i = 0; i < 6; ++i)
        deviation.push_back(r.c[1][i] - mz.intercept - mz.slopex * r.c[0][i]);
    const double low = *std::min_element(deviation.begin(), deviation.end());
    for (std::size_t i = 0; i < 6; ++i) {
        EXPECT_NEAR((bottom - p[i].second) / (bottom - top), (deviation[i] - low) / mz.error, 1e-4)
            << i;
        if (i > 0) { EXPECT_GT(p[i].first, p[i - 1].first); }
    }
    EXPECT_EQ(test::strokes(svg, referencecolours[indexof(Criterion::leastsquares)], 1.4).size(),
              1u);
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
    const test::ReportOutcome o = test::report({"polar", "jobs.txt"});
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
// is not the exact one beyond formeval's own stopping rule, with a dashed
// sample in its colour: none for the alternating radii, whose circles are
// all exact, nor for the bundled example's job 2500, whose minimum zone
// formeval finds 7e-10 too wide (as `results` says); the circumscribing and
// inscribing circles of the wavy circle, 94 and 86 nm from the exact ones.
TEST(Polar, TheLegendAddsTheExactCircleWhereItDiffers) {
    test::Workdir dir;
    const std::string demo = test::readfile(FORMEVAL_SOURCE_DIR "/examples/demo/cir1.txt");
    const std::string job4 = demo.substr(demo.find("2500"), demo.find("3000") - demo.find("2500"));
    dir.write("jobs.txt", "2600 " + test::alternating(36) + job4 + "2600 " + test::wavy(25));
    const test::ReportOutcome o = test::report({"polar", "jobs.txt"});
    ASSERT_EQ(o.status, 0) << o.err;
    const std::string names[] = {"jobs-job1-2600.svg", "jobs-job2-2500.svg", "jobs-job3-2600.svg"};
    for (int k = 0; k < 3; ++k) {
        const test::Svg svg = test::parsesvg(dir.path() / names[k]);
        // formeval's circle, thin and finely dashed, and its legend sample
        // where it is not the exact one.
        for (const int c : {indexof(Criterion::minimumzone), indexof(Criterion::circumscribed),
                            indexof(Criterion::inscribed)}) {
            std::size_t dashed = 0;
            for (const test::Element* e : test::strokes(svg, referencecolours[c], 1))
                dashed += !test::style(*e, "stroke-dasharray").empty();
            EXPECT_EQ(dashed, k == 2 && c != indexof(Criterion::minimumzone) ? 2u : 0u)
                << names[k] << " " << c;
        }
        EXPECT_EQ(hastext(svg, "formeval: the same"), true) << names[k];
    }
    const std::string u = " 10^-3 coordinate units";
    EXPECT_TRUE(hastext(test::parsesvg(dir.path() / names[1]), "3.637" + u + "  certified"))
        << "the exact zone headlines";
    const test::Svg wavysvg = test::parsesvg(dir.path() / names[2]);
    EXPECT_TRUE(hastext(wavysvg, "formeval: 7.60473" + u + "  (-0.13" + u + ")"));
    EXPECT_TRUE(hastext(wavysvg, "formeval: 7.60942" + u + "  (-0.086" + u + ")"));
    std::istringstream in(job4);
    const Evaluated e = chartof(sortrecords(readrecords(in, "jobs.txt")).circles.at(0));
    ASSERT_TRUE(e.ok());
    const Fit* exact = e.find(Criterion::minimumzone, Source::exact);
    ASSERT_NE(exact, nullptr);
    EXPECT_TRUE(exact->certificate.certified);
    EXPECT_NEAR(e.fit(Criterion::minimumzone).error - exact->error, 6.7e-10, 1e-11);
    for (const Criterion c :
         {Criterion::minimumzone, Criterion::circumscribed, Criterion::inscribed})
        EXPECT_FALSE(e.fit(c).inexact) << legendname(c);
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

TEST(Polar, NoJobRecordIsNoError) {
    test::Workdir dir;
    dir.write("jobs.txt", "4500 5 0.000001 1 0 0 0 1 0 -1 0 0 0 -1 0 0 0 1\n");
    const test::ReportOutcome o = test::report({"polar", "jobs.txt"});
    EXPECT_EQ(o.status, exitok);
    EXPECT_EQ(o.out, "jobs.txt: no records to plot (circles: jobs 2000, 2500, 2600, 2700, 2800; "
                     "straightness 1000, flatness 3000)\n");
}

// Every text starting at its x ends within the picture: a legend or title
// that does not fit would be cut at the right edge.
void expectnothingclipped(const test::Svg& svg, const std::string& name) {
    ASSERT_FALSE(svg.elements.empty()) << name;
    const double width = std::stod(svg.elements[0].attributes.at("width"));
    for (const test::Element* e : svg.all("text")) {
        if (test::style(*e, "text-anchor") != "start") continue;
        const double size = std::stod(test::style(*e, "font-size"));
        const bool bold = test::style(*e, "font-weight") == "bold";
        EXPECT_LE(std::stod(e->attributes.at("x")) + textwidth(e->text, size, bold), width + 0.5)
            << name << ": " << e->text;
    }
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
        expectnothingclipped(svg, name);
        for (int k = 0; k < ncriteria; ++k)
            EXPECT_EQ(test::strokes(svg, referencecolours[k], 1.4).size(),
                      k == indexof(Criterion::minimumzone) ? 2u : 1u)
                << name << " " << legendname(Criterion(k));
    }
    std::vector<std::vector<std::string>> rows;
    std::istringstream table(o.out);
    for (std::string line; std::getline(table, line);) {
        std::istringstream row(line);
        rows.emplace_back();
        for (std::string cell; row >> cell;) rows.back().push_back(cell);
    }
    ASSERT_EQ(rows.size(), 19u) << "two tables and the summary of the batch of 7 charts";
    EXPECT_EQ(rows[13].at(0) + " " + rows[13].at(1), "batch: 7");
    for (int k = 0; k < 3; ++k) EXPECT_NEAR(std::stod(rows[2].at(6 + k)), 0.02, 1e-9);
    EXPECT_EQ(rows[3].at(2), "2000");

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
    EXPECT_EQ(rows[4].at(7), reported("\nCircularity error= "));
    EXPECT_EQ(rows[5].at(8), reported("Minimum Circumscribing Circle Circularity error= "));
    EXPECT_EQ(rows[6].at(9), reported("Maximum Inscribing Circle Circularity error= "));
    // The straightness and flatness records, fitted as jobs 1000 and 3000 fit them.
    EXPECT_EQ(rows[10].at(0), "cir1-job2-1000.svg");
    EXPECT_EQ(rows[10].at(5), reported("Least squares straightness error="));
    EXPECT_EQ(rows[10].at(6), reported("Minimum zone straightness error="));
    EXPECT_EQ(rows[11].at(0), "cir1-job5-3000.svg");
    EXPECT_EQ(rows[11].at(5), reported("Least square flatness error="));
    EXPECT_EQ(rows[11].at(6), reported("Minimum zone  flatness error="));
    for (const char* name : {"cir1-job2-1000.svg", "cir1-job5-3000.svg", "cir1-job3-2000.svg"})
        expectnothingclipped(test::parsesvg(dir.path() / "plots" / name), name);
}

} // namespace
} // namespace formeval::report

namespace formeval::report {
namespace {

// A record whose fits met singular systems (a tolerance of 1000): the
// minimum-zone circle the chart is drawn about has radius 0, so nothing is
// drawn and the reason is given. The chart once held "M inf 385 A inf inf"
// and --png never ended, cairo drawing an arc of infinite radius.
TEST(Polar, NothingIsDrawnAboutACircleThatIsNone) {
    test::Workdir dir;
    dir.write("jobs.txt", "2500 8 1000 10 0 7 7 0 10 -7 7 -10 0 -7 -7 0 -10 7.1 -7\n");
    const test::ReportOutcome o =
        test::runreport({"polar", "jobs.txt", "-o", "out", "--png"}, dir.path());
    EXPECT_EQ(o.signal, 0);
    // The only record is not plotted, so the run has plotted nothing: it fails.
    EXPECT_EQ(o.status, exitinput) << o.err;
    EXPECT_NE(o.err.find("not plotted: the chart is drawn about the minimum zone (MZCI) circle, "
                         "and its radius is 0"),
              std::string::npos)
        << o.err;
    EXPECT_NE(o.err.find("jobs.txt: nothing plotted: none of its records could be evaluated\n"),
              std::string::npos)
        << o.err;
    EXPECT_FALSE(std::filesystem::exists(dir.path() / "out" / "jobs-job1-2500.svg"));
    EXPECT_FALSE(std::filesystem::exists(dir.path() / "out" / "jobs-job1-2500.png"));
}

// The last guard: geometry that is not finite is never drawn.
TEST(Canvas, DrawsNothingThatIsNotFinite) {
    test::Workdir dir;
    const std::string path = (dir.path() / "p.svg").string();
    {
        Canvas c(path, Format::svg, 100, 100);
        const double inf = std::numeric_limits<double>::infinity();
        const double nan = std::numeric_limits<double>::quiet_NaN();
        c.circle(50, 50, inf, false);
        c.annulus(50, 50, 1, nan);
        c.line(0, 0, inf, 1);
        c.stroke({{0, 0}, {nan, 1}}, false);
        c.fill({{{0, 0}, {1, inf}, {2, 2}}});
        c.text(inf, 10, "x", 10);
        c.circle(50, 50, 10, false); // the one finite element
        c.finish();
    }
    const std::string svg = test::readfile(path);
    EXPECT_EQ(svg.find("inf"), std::string::npos);
    EXPECT_EQ(svg.find("nan"), std::string::npos);
    EXPECT_EQ(test::parsesvg(path).all("path").size(), 1u);
}

// -q leaves standard output empty: the charts' table is the note of the
// files written, for job streams, point files and a batch alike; the
// charts are drawn all the same.
TEST(Polar, QuietWritesNothingButTheCharts) {
    test::Workdir dir;
    dir.write("jobs.txt", "2500 " + test::alternating(360, 0.003));
    dir.write("ring.csv", "x,y\n1,0\n0,1\n-1,0\n0,-1.001\n0.7,0.7\n");
    dir.write("ring2.csv", "x,y\n1,0\n0,1.002\n-1,0\n0,-1.001\n0.7,0.7\n");
    for (const std::vector<std::string>& args :
         {std::vector<std::string>{"polar", "jobs.txt", "-o", "out"},
          {"polar", "ring.csv", "ring2.csv", "--feature", "circle", "-o", "out"}}) {
        std::vector<std::string> quiet = args;
        quiet.push_back("-q");
        const test::ReportOutcome loud = test::runreport(args, dir.path());
        const test::ReportOutcome o = test::runreport(quiet, dir.path());
        ASSERT_EQ(o.status, exitok) << o.err;
        EXPECT_FALSE(loud.out.empty()) << args[1];
        EXPECT_EQ(o.out, "") << args[1];
    }
    EXPECT_TRUE(std::filesystem::exists(dir.path() / "out" / "jobs-job1-2500.svg"));
    EXPECT_TRUE(std::filesystem::exists(dir.path() / "out" / "ring2-circle.svg"));
}

// A picture is written under a name of its own and renamed when whole: a
// full disk (here a file size limit) leaves no truncated picture behind, and
// a picture drawn before stays as it was. formreport says the picture could
// not be written and fails; it is not killed by SIGXFSZ. (A 4096-byte stub
// of a PNG was once left behind.)
TEST(Polar, APictureThatCannotBeWrittenLeavesNoPart) {
    test::Workdir dir;
    dir.write("jobs.txt", "2500 " + test::alternating(360, 0.003));
    const test::ReportOutcome first =
        test::runreport({"polar", "jobs.txt", "-o", "out", "-q"}, dir.path());
    ASSERT_EQ(first.status, exitok) << first.err;
    const std::string before = test::readfile(dir.path() / "out" / "jobs-job1-2500.svg");
    ASSERT_GT(before.size(), 20000u);
    for (const bool png : {false, true}) {
        std::vector<std::string> args = {"polar", "jobs.txt", "-o", "out", "-q"};
        if (png) args.push_back("--png");
        const test::ReportOutcome o = test::runreport(args, dir.path(), "", 8192);
        EXPECT_EQ(o.signal, 0) << "png " << png;
        EXPECT_NE(o.status, exitok) << "png " << png;
        EXPECT_NE(o.err.find("cannot be written"), std::string::npos) << o.err;
        for (const auto& entry : std::filesystem::directory_iterator(dir.path() / "out")) {
            const std::string name = entry.path().filename().string();
            EXPECT_EQ(name.find(".part-"), std::string::npos) << name;
            EXPECT_NE(name, "jobs-job1-2500.png");
        }
        EXPECT_EQ(test::readfile(dir.path() / "out" / "jobs-job1-2500.svg"), before);
    }
}

// Pictures and reports are made with the mode any new file of the process
// gets (here 0644 under umask 022), not only for their owner: they are
// written under a name of their own first.
TEST(Polar, PicturesAndReportsAreReadableAsTheUmaskAllows) {
    test::Workdir dir;
    dir.write("jobs.txt", "2500 " + test::alternating(12, 0.003));
    const mode_t previous = ::umask(022);
    const test::ReportOutcome polar = test::report({"polar", "jobs.txt", "-o", "out", "--png"});
    const test::ReportOutcome report = test::report({"report", "jobs.txt", "-o", "r.html"});
    ::umask(previous);
    ASSERT_EQ(polar.status, exitok) << polar.err;
    ASSERT_EQ(report.status, exitok) << report.err;
    for (const char* name : {"out/jobs-job1-2500.svg", "out/jobs-job1-2500.png", "r.html"})
        EXPECT_EQ(fs::status(dir.path() / name).permissions(),
                  fs::perms::owner_read | fs::perms::owner_write | fs::perms::group_read |
                      fs::perms::others_read)
            << name;
}

// A 200-degree arc of 40 points whose lobes leave formeval's circumscribing
// and inscribing circles short of the exact ones.
std::string widearc() {
    std::ostringstream s;
    s.precision(17);
    s << "2500 40 0.000001\n";
    const double pi = std::acos(-1.0);
    for (int i = 0; i < 40; ++i) {
        const double t = (-10 + 200.0 * i / 39) * pi / 180;
        const double r = 25 + 0.002 * std::cos(3 * t) + 0.0005 * std::sin(7.3 * i);
        s << r * std::cos(t) << " " << r * std::sin(t) << "\n";
    }
    return s.str();
}

// An arc's chart headlines the exact references and draws them, formeval's
// thin beside them where they differ.
TEST(Polar, AnArcDrawsItsExactReferences) {
    test::Workdir dir;
    dir.write("arc.txt", widearc());
    const test::ReportOutcome o = test::report({"polar", "arc.txt", "--unit", "mm"});
    ASSERT_EQ(o.status, exitok) << o.err;
    std::istringstream in(widearc());
    const Evaluated e = chartof(sortrecords(readrecords(in, "arc.txt")).circles.at(0));
    ASSERT_TRUE(e.ok());
    const test::Svg svg = test::parsesvg(dir.path() / "arc-job1-2500.svg");
    EXPECT_TRUE(hastext(svg, "arc of 200\u00b0 (from 350\u00b0 to 190\u00b0)"));
    for (const Criterion k : {Criterion::circumscribed, Criterion::inscribed}) {
        const Fit* exact = e.find(k, Source::exact);
        ASSERT_NE(exact, nullptr);
        ASSERT_TRUE(e.fit(k).inexact) << "the case needs formeval short of the optimum";
        char headline[64];
        std::snprintf(headline, sizeof headline, "%.3f \u00b5m  certified", exact->error * 1000);
        EXPECT_TRUE(hastext(svg, headline)) << legendname(k) << " " << headline;
        // formeval's curve and its legend sample, thin and finely dashed.
        EXPECT_EQ(test::strokes(svg, referencecolours[indexof(k)], 1).size(), 2u) << legendname(k);
    }
}

// Every chart ends with the header's fields and the filter; a batch of
// charts ends with its summary, which one chart has not.
TEST(Polar, EveryChartNamesThePartAndABatchEndsWithItsSummary) {
    test::Workdir dir;
    dir.write("a.txt",
              "2500 " + test::alternating(12, 0.001) + "2500 " + test::alternating(12, 0.004));
    dir.write("b.txt", "2600 " + test::alternating(36, 0.002));
    dir.write("h.txt", "# more\nRoom: 4.12 \n");
    const test::ReportOutcome o =
        test::report({"polar", "a.txt", "b.txt", "--unit", "mm", "--part", "Ring 6204",
                      "--operator", "A. Lab", "--date", "2026-12-08", "--instrument", "RT-1",
                      "--probe", "ruby 2 mm", "--header", "h.txt"});
    ASSERT_EQ(o.status, exitok) << o.err;
    for (const char* chart : {"a-job1-2500.svg", "a-job2-2500.svg", "b-job1-2600.svg"})
        EXPECT_TRUE(hastext(test::parsesvg(dir.path() / chart),
                            "Part: Ring 6204  \u00b7  Operator: A. Lab  \u00b7  Date: 2026-12-08  "
                            "\u00b7  Instrument: RT-1  \u00b7  Probe: ruby 2 mm  \u00b7  Room: "
                            "4.12  \u00b7  Filter: none"))
            << chart;
    // The alternating rings' zones are twice their deviations, by hand.
    const std::size_t batch = o.out.find("\nbatch: 3 charts of 2 inputs; t, p, v and q of their "
                                         "minimum-zone references");
    ASSERT_NE(batch, std::string::npos) << o.out;
    std::istringstream table(o.out.substr(o.out.find("\n   t ", batch)));
    std::string name;
    long parts = 0;
    double minimum = 0, mean = 0, maximum = 0;
    table >> name >> parts >> minimum >> mean >> maximum;
    EXPECT_EQ(parts, 3);
    EXPECT_NEAR(minimum, 0.002, 1e-12);
    EXPECT_NEAR(mean, (0.002 + 0.008 + 0.004) / 3, 1e-12);
    EXPECT_NEAR(maximum, 0.008, 1e-12);
    const test::ReportOutcome one = test::report({"polar", "b.txt"});
    ASSERT_EQ(one.status, exitok) << one.err;
    EXPECT_EQ(one.out.find("batch:"), std::string::npos);
    // The straightness and flatness charts and a point file's map likewise.
    const std::string demo = std::string(FORMEVAL_SOURCE_DIR) + "/examples/demo/cir1.txt";
    std::ostringstream plane;
    for (int i = 0; i < 16; ++i) plane << i % 4 << " " << i / 4 << " " << 0.001 * (i % 3) << "\n";
    dir.write("plane.txt", plane.str());
    const test::ReportOutcome forms =
        test::report({"polar", demo, "-o", "demo", "--part", "Ring 6204"});
    const test::ReportOutcome map = test::report(
        {"polar", "plane.txt", "--feature", "plane", "-o", "demo", "--part", "Ring 6204"});
    ASSERT_EQ(forms.status, exitok) << forms.err;
    ASSERT_EQ(map.status, exitok) << map.err;
    for (const char* chart : {"cir1-job2-1000.svg", "cir1-job5-3000.svg", "plane-plane.svg"})
        EXPECT_TRUE(hastext(test::parsesvg(dir.path() / "demo" / chart),
                            "Part: Ring 6204  \u00b7  Filter: none"))
            << chart;
}

// The legend prints errors that differ by rounding noise alike: 2.1405 um
// and the double just below it, which printf would round apart.
TEST(Polar, TheLegendPrintsEqualErrorsAlike) {
    std::istringstream in("2500 " + test::alternating(12, 0.001));
    const JobRecord r = sortrecords(readrecords(in, "jobs.txt")).circles.at(0);
    Evaluated e = chartof(r);
    ASSERT_TRUE(e.ok());
    const double half = 0.0021405000000000005; // 2.1405 um, just above the binary half
    for (Fit& f : e.fits)
        f.error = f.criterion == Criterion::circumscribed ? std::nextafter(half, 0.0) : half;
    char apart[2][16];
    std::snprintf(apart[0], sizeof apart[0], "%.3f", half * 1000);
    std::snprintf(apart[1], sizeof apart[1], "%.3f", std::nextafter(half, 0.0) * 1000);
    ASSERT_STRNE(apart[0], apart[1]) << "the case needs values printf rounds apart";
    test::Workdir dir;
    PolarLabels labels;
    labels.unit = "mm";
    labels.deviations = subunit("mm", 0.002);
    labels.magnification = 1000;
    const std::string path = (dir.path() / "p.svg").string();
    drawpolar(path, Format::svg, polardata(planepoints(r), e), e, labels);
    std::set<std::string> headlines;
    for (const std::string& t : test::parsesvg(path).texts())
        if (t.find(" \u00b5m") != std::string::npos && t.find("2.14") == 0)
            headlines.insert(t.substr(0, 5));
    EXPECT_EQ(headlines.size(), 1u) << *headlines.begin();
}

} // namespace
} // namespace formeval::report
