// Straightness profiles and flatness maps of job streams: the points that
// define the minimum zone ringed where they are known by construction, equal
// deviations labelled alike, every length axis with its unit; and the
// contacts and the key of the rings against hand-made deviations.
#include "report/charts/canvas.h"
#include "report/charts/charts.h"
#include "tests/harness/harness.h"
#include "tests/report/support.h"

#include <algorithm>
#include <cmath>
#include <gtest/gtest.h>
#include <limits>
#include <set>

namespace formeval::report {
namespace {

namespace fs = std::filesystem;

using Place = std::pair<double, double>;

std::vector<Place> centres(const std::vector<const test::Element*>& circles) {
    std::vector<Place> out;
    for (const test::Element* e : circles) out.push_back(test::circlecentre(*e));
    return out;
}

// Which of `places` (in point order) each ring is drawn about; -1: none.
std::set<int> ringedpoints(const test::Svg& svg, const std::vector<Place>& places) {
    std::set<int> out;
    for (const Place& ring : centres(test::strokes(svg, ink, 1.6))) {
        int found = -1;
        for (std::size_t i = 0; i < places.size(); ++i)
            if (std::hypot(places[i].first - ring.first, places[i].second - ring.second) < 0.01)
                found = static_cast<int>(i);
        out.insert(found);
    }
    return out;
}

// The labels of a flatness map's points, in point order.
std::vector<std::string> pointlabels(const test::Svg& svg) {
    std::vector<std::string> out;
    for (const test::Element* e : svg.all("text"))
        if (test::style(*e, "font-size") == "10px") out.push_back(e->text);
    return out;
}

bool hastext(const test::Svg& svg, const std::string& text) {
    const std::vector<std::string> texts = svg.texts();
    return std::find(texts.begin(), texts.end(), text) != texts.end();
}

test::Svg plotted(const std::string& jobs, const std::string& picture) {
    test::Workdir dir;
    dir.write("jobs.txt", jobs);
    const test::ReportOutcome o = test::report({"polar", "jobs.txt", "--unit", "mm"});
    EXPECT_EQ(o.status, exitok) << o.err;
    return test::parsesvg(dir.path() / picture);
}

// The bundled example's plane: its minimum-zone plane z = 0.725 + 0.001 x -
// 0.009 y (um) leaves 0.375, -1.175, -0.125, -1.175, 1.175, -0.575, 0.775,
// -1.175, 0.375 um, three of them -1.175 computed in different ways. They
// read alike, halves rounded away from zero, and the four at +-1.175 are
// the ones ringed.
TEST(Flatness, TheExampleLabelsEqualDeviationsAlikeAndRingsTheZonesPoints) {
    const std::string demo =
        test::readfile(fs::path(FORMEVAL_SOURCE_DIR) / "examples/demo/cir1.txt");
    std::size_t end = demo.find("3000 9 ");
    ASSERT_NE(end, std::string::npos);
    const std::size_t start = end;
    for (int line = 0; line < 10; ++line) end = demo.find('\n', end) + 1;
    const test::Svg svg = plotted(demo.substr(start, end - start), "jobs-job1-3000.svg");
    ASSERT_TRUE(svg.wellformed) << svg.error;
    EXPECT_EQ(pointlabels(svg),
              (std::vector<std::string>{"0.375", "-1.18", "-0.125", "-1.18", "1.18", "-0.575",
                                        "0.775", "-1.18", "0.375"}));
    EXPECT_EQ(ringedpoints(svg, centres(test::strokes(svg, ink, 0.6))),
              (std::set<int>{1, 3, 4, 7}));
    EXPECT_TRUE(hastext(svg,
                        "Ringed: the 4 points on the minimum zone's two planes (1 on the upper, 3 "
                        "on the lower)"));
    EXPECT_TRUE(hastext(svg, "Flatness: minimum zone 2.35 µm, least squares 2.5 µm"));
}

// A saddle: the corners alternately 1 um above and below z = 0, which is the
// minimum-zone plane (the diagonals of the highest and of the lowest points
// cross); the other points inside it, two of them by a thousandth of a um.
TEST(Flatness, RingsExactlyThePointsOnTheZonesPlanes) {
    const test::Svg svg =
        plotted("3000 9 0.000001\n0 0 0.001\n100 100 0.001\n100 0 -0.001\n0 100 -0.001\n"
                "50 50 0.000999\n50 0 -0.000999\n0 50 0.0003\n100 50 -0.0005\n50 100 0\n",
                "jobs-job1-3000.svg");
    ASSERT_TRUE(svg.wellformed) << svg.error;
    EXPECT_EQ(pointlabels(svg), (std::vector<std::string>{"1", "1", "-1", "-1", "0.999", "-0.999",
                                                          "0.3", "-0.5", "0"}));
    EXPECT_EQ(ringedpoints(svg, centres(test::strokes(svg, ink, 0.6))),
              (std::set<int>{0, 1, 2, 3}));
    EXPECT_TRUE(hastext(svg,
                        "Ringed: the 4 points on the minimum zone's two planes (2 on the upper, 2 "
                        "on the lower)"));
}

// A profile whose ends lie 1 um above the line y = 0 and whose middle lies
// 1 um below it: that line is the minimum zone's; two points lie inside it
// by a thousandth of a um. The rings stand on the profile's vertices in x
// order: the first, the middle and the last.
TEST(Straightness, RingsExactlyThePointsOnTheZonesLines) {
    const test::Svg svg = plotted("1000 7 0.000001\n0 0.001\n2 0.0003\n5 -0.001\n7 0.000999\n"
                                  "8 -0.0005\n10 0.001\n3 -0.000999\n",
                                  "jobs-job1-1000.svg");
    ASSERT_TRUE(svg.wellformed) << svg.error;
    const auto profile = test::strokes(svg, profilecolour, 1.1);
    ASSERT_EQ(profile.size(), 1u);
    EXPECT_EQ(ringedpoints(svg, test::vertices(profile[0]->attributes.at("d"))),
              (std::set<int>{0, 3, 6}));
    EXPECT_TRUE(
        hastext(svg, "Ringed: the 3 points on the minimum zone's two lines (2 on the upper, 1 on "
                     "the lower)"));
}

struct UnitCase {
    const char* name;
    std::vector<std::string> unit; // the option, if any
    const char* picture;
    std::vector<std::string> axes;
};

void PrintTo(const UnitCase& c, std::ostream* out) {
    *out << c.name;
}

class AxisUnits : public ::testing::TestWithParam<UnitCase> {};

// The bundled example's line and plane, with --unit and without.
TEST_P(AxisUnits, EveryLengthAxisNamesItsUnit) {
    const UnitCase& c = GetParam();
    test::Workdir dir;
    std::vector<std::string> args = {
        "polar", std::string(FORMEVAL_SOURCE_DIR) + "/examples/demo/cir1.txt", "-o", "plots"};
    args.insert(args.end(), c.unit.begin(), c.unit.end());
    const test::ReportOutcome o = test::report(args);
    ASSERT_EQ(o.status, exitok) << o.err;
    const test::Svg svg = test::parsesvg(dir.path() / "plots" / c.picture);
    for (const std::string& axis : c.axes) EXPECT_TRUE(hastext(svg, axis)) << axis;
}

INSTANTIATE_TEST_SUITE_P(Charts, AxisUnits,
                         ::testing::Values(UnitCase{"LineInMillimetres",
                                                    {"--unit", "mm"},
                                                    "cir1-job2-1000.svg",
                                                    {"x, along the line (mm)",
                                                     "deviation along y (µm)"}},
                                           UnitCase{"LineInCoordinateUnits",
                                                    {},
                                                    "cir1-job2-1000.svg",
                                                    {"x, along the line (coordinate units)",
                                                     "deviation along y (10^-3 coordinate units)"}},
                                           UnitCase{"PlaneInMillimetres",
                                                    {"--unit", "mm"},
                                                    "cir1-job5-3000.svg",
                                                    {"x (mm)", "y (mm)"}},
                                           UnitCase{"PlaneInCoordinateUnits",
                                                    {},
                                                    "cir1-job5-3000.svg",
                                                    {"x (coordinate units)", "y (coordinate units)",
                                                     "deviation (10^-3 coordinate units)"}}),
                         test::namedby([](const UnitCase& c) { return std::string(c.name); }));

struct ContactCase {
    const char* name;
    std::vector<double> deviations;
    double scale;
    std::vector<std::size_t> upper, lower;
    const char* key;
};

void PrintTo(const ContactCase& c, std::ostream* out) {
    *out << c.name;
}

class Contacts : public ::testing::TestWithParam<ContactCase> {};

TEST_P(Contacts, OnTheBoundsToWithinRounding) {
    const ContactCase& c = GetParam();
    const ZoneContacts z = zonecontacts(c.deviations, c.scale);
    EXPECT_EQ(z.upper, c.upper);
    EXPECT_EQ(z.lower, c.lower);
    EXPECT_EQ(ringkey(z, planebounds), c.key);
    std::vector<std::size_t> both = c.upper;
    both.insert(both.end(), c.lower.begin(), c.lower.end());
    std::sort(both.begin(), both.end());
    both.erase(std::unique(both.begin(), both.end()), both.end());
    EXPECT_EQ(ringed(z), both);
}

INSTANTIATE_TEST_SUITE_P(
    Deviations, Contacts,
    ::testing::Values(
        // 0.998 lies a thousandth of the width inside; 1 - 4e-14 only by
        // rounding.
        ContactCase{"InsideByAThousandthIsNot",
                    {0.5, -1, 1, 0.998, -0.998, 1 - 4e-14, -1},
                    100,
                    {2, 5},
                    {1, 6},
                    "Ringed: the 4 points on the minimum zone's two planes (2 on the upper, 2 on "
                    "the lower)"},
        // A millionth of the width (2e-6 of 2) is the limit.
        ContactCase{"AMillionthOfTheWidth",
                    {1, 1 - 1e-6, 1 - 3e-6, -1},
                    0,
                    {0, 1},
                    {3},
                    "Ringed: the 3 points on the minimum zone's two planes (2 on the upper, 1 on "
                    "the lower)"},
        // Deviations of 1e-8 from coordinates of 1e7 are a few rounding
        // units of them: a zone of no width.
        ContactCase{"RoundingOfLargeCoordinates",
                    {1e-8, -1e-8, 1e-8 - 1e-9},
                    1e7,
                    {0, 1, 2},
                    {0, 1, 2},
                    "Ringed: the 3 points on the minimum zone's two planes (a zone of no width: "
                    "every point is on both)"},
        ContactCase{"NotFiniteTouchesNothing",
                    {std::nan(""), 1, -1, std::numeric_limits<double>::infinity()},
                    1,
                    {1},
                    {2},
                    "Ringed: the 2 points on the minimum zone's two planes (1 on the upper, 1 on "
                    "the lower)"}),
    test::namedby([](const ContactCase& c) { return std::string(c.name); }));

// An exactly flat surface: every point touches both bounds; a hundred of
// them are ringed, spread over all, and the key says so.
TEST(Contacts, CappedWhenManyTouch) {
    const ZoneContacts z = zonecontacts(std::vector<double>(1000, 0.25), 1);
    EXPECT_EQ(z.points, 1000u);
    const std::vector<std::size_t> r = ringed(z);
    ASSERT_EQ(r.size(), mostrings);
    EXPECT_TRUE(std::is_sorted(r.begin(), r.end()));
    EXPECT_EQ(std::set<std::size_t>(r.begin(), r.end()).size(), r.size());
    EXPECT_EQ(r.front(), 0u);
    EXPECT_GE(r.back(), 990u);
    EXPECT_EQ(ringkey(z, cylinderbounds),
              "Ringed: 100 of the 1000 points on the minimum zone's two cylinders (a zone of no "
              "width: every point is on both; too many to ring all)");
    EXPECT_TRUE(ringed(zonecontacts({}, 1)).empty());
    EXPECT_EQ(ringkey(zonecontacts({std::nan("")}, 1), linebounds), "");
}

} // namespace
} // namespace formeval::report
