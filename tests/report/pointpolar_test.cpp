// polar on point files: each feature's chart well-formed and drawn where its
// deviations put it; long profiles decimated without losing an extreme; maps
// dotted when few points, in cells with the extremes marked when many.
#include "report/charts/canvas.h"
#include "report/commands/commands.h"
#include "tests/harness/harness.h"
#include "tests/report/support.h"

#include <algorithm>
#include <cmath>
#include <gtest/gtest.h>
#include <nlohmann/json.hpp>
#include <random>
#include <set>
#include <sstream>

namespace formeval::report {
namespace {

namespace fs = std::filesystem;
const double pi = std::acos(-1.0);

// n points at equal angles about (100, 20), radii alternating 10.01, 9.99.
std::string alternatingcircle(int n) {
    std::ostringstream out;
    out.precision(17);
    out << "x,y\n";
    for (int i = 0; i < n; ++i) {
        const double r = i % 2 ? 9.99 : 10.01, t = 2 * pi * i / n;
        out << 100 + r * std::cos(t) << "," << 20 + r * std::sin(t) << "\n";
    }
    return out.str();
}

std::vector<double> distances(const test::Element& path) {
    std::vector<double> out;
    for (const auto& [x, y] : test::vertices(path.attributes.at("d")))
        out.push_back(std::hypot(x - 345, y - 385));
    return out;
}

bool hastext(const test::Svg& svg, const std::string& part) {
    for (const std::string& t : svg.texts())
        if (t.find(part) != std::string::npos) return true;
    return false;
}

using Place = std::pair<double, double>;

// The rings about the points on the minimum zone's bounds.
std::vector<Place> ringcentres(const test::Svg& svg) {
    std::vector<Place> out;
    for (const test::Element* e : test::strokes(svg, ink, 1.6))
        out.push_back(test::circlecentre(*e));
    return out;
}

// The point each triangle of an extreme marks: midway along its flat side
// across, and midway between that side and its apex.
std::vector<Place> trianglecentres(const test::Svg& svg) {
    std::vector<Place> out;
    for (const test::Element* p : test::strokes(svg, ink, 1.4)) {
        const auto v = test::vertices(p->attributes.at("d"));
        if (v.size() == 3 || v.size() == 4)
            out.push_back({(v[0].first + v[1].first) / 2, (v[0].second + v[2].second) / 2});
    }
    return out;
}

class PointPolarSaddle : public ::testing::TestWithParam<int> {};

struct CircleCase {
    int points;
    std::size_t drawnatmost;
    bool decimated;
};

class PointPolarCircle : public ::testing::TestWithParam<CircleCase> {};

// At magnification 500 the deviations +-0.01 of radius 10 are drawn 87 and
// 261 from the centre: every vertex of the profile drawn is one of them, so
// decimation kept the extremes of every step.
TEST_P(PointPolarCircle, DrawsTheProfileWithItsExtremes) {
    const CircleCase& c = GetParam();
    test::Workdir dir;
    dir.write("ring.csv", alternatingcircle(c.points));
    const test::ReportOutcome o =
        test::report({"polar", "ring.csv", "--feature", "circle", "-o", "plots", "--unit", "mm"});
    ASSERT_EQ(o.status, exitok) << o.err;
    EXPECT_EQ(o.out.substr(0, o.out.find('\n')),
              "ring.csv: circle of " + std::to_string(c.points) +
                  " points plotted in ring-circle.svg; form error against each reference (RONt)");
    const test::Svg svg = test::parsesvg(dir.path() / "plots" / "ring-circle.svg");
    ASSERT_TRUE(svg.wellformed) << svg.error;
    EXPECT_TRUE(hastext(svg, "ring.csv: circle, " + std::to_string(c.points) + " points"));
    EXPECT_TRUE(hastext(svg, "profile: " + std::to_string(c.points) + " points"));
    EXPECT_EQ(hastext(svg, "every point evaluated"), c.decimated);
    EXPECT_TRUE(hastext(svg, "20.00 µm")); // the minimum zone, by hand
    const test::Element* profile = nullptr;
    for (const test::Element* p : test::strokes(svg, profilecolour, 1.1))
        if (!profile || p->attributes.at("d").size() > profile->attributes.at("d").size())
            profile = p;
    ASSERT_NE(profile, nullptr);
    const std::vector<double> d = distances(*profile);
    EXPECT_LE(d.size(), c.drawnatmost + 1);
    EXPECT_GE(d.size(), std::min<std::size_t>(c.points, c.drawnatmost) / 2);
    int high = 0, low = 0;
    for (const double r : d) {
        high += std::fabs(r - 261) < 0.05;
        low += std::fabs(r - 87) < 0.05;
    }
    EXPECT_EQ(high + low, static_cast<int>(d.size()));
    EXPECT_GT(low, 0);
    EXPECT_GT(high, 0);
}

INSTANTIATE_TEST_SUITE_P(
    Sizes, PointPolarCircle,
    ::testing::Values(CircleCase{360, 360, false}, CircleCase{20000, 7200, true}),
    test::namedby([](const CircleCase& c) { return "Points" + std::to_string(c.points); }));

// The decimated profile against brute force: in angle order, no more points
// than asked, every one a point of the profile, the highest and lowest of
// the whole kept.
TEST(PointPolar, DecimationKeepsEveryExtreme) {
    std::mt19937 random(7);
    std::uniform_real_distribution<double> deviation(-1, 1);
    for (const std::size_t n : {10u, 7200u, 7201u, 50000u}) {
        std::vector<PolarPoint> profile;
        for (std::size_t i = 0; i < n; ++i)
            profile.push_back({-pi + 2 * pi * static_cast<double>(i) / n, deviation(random)});
        const std::vector<PolarPoint> d = decimated(profile, 7200);
        EXPECT_LE(d.size(), std::min<std::size_t>(n, 7200)) << n;
        EXPECT_TRUE(std::is_sorted(d.begin(), d.end(), [](const auto& a, const auto& b) {
            return a.angle < b.angle;
        })) << n;
        const auto [lo, hi] =
            std::minmax_element(profile.begin(), profile.end(), [](const auto& a, const auto& b) {
                return a.deviation < b.deviation;
            });
        const auto has = [&](const PolarPoint& p) {
            return std::any_of(d.begin(), d.end(), [&](const PolarPoint& q) {
                return q.angle == p.angle && q.deviation == p.deviation;
            });
        };
        EXPECT_TRUE(has(*lo) && has(*hi)) << n;
        for (const PolarPoint& p : d)
            EXPECT_TRUE(std::any_of(profile.begin(), profile.end(), [&](const PolarPoint& q) {
                return q.angle == p.angle && q.deviation == p.deviation;
            }));
    }
}

// A line at 30 degrees, its points +-0.01 normal to it: the profile drawn
// (decimated from 10 000 points) has only the two deviations.
TEST(PointPolar, StraightnessNormalToTheLine) {
    test::Workdir dir;
    std::ostringstream out;
    out.precision(17);
    const double c = std::cos(pi / 6), s = std::sin(pi / 6);
    for (int i = 0; i < 10000; ++i) {
        const double u = 0.01 * i, d = i % 2 ? -0.01 : 0.01;
        out << 5 + u * c - d * s << " " << 7 + u * s + d * c << "\n";
    }
    dir.write("edge.txt", out.str());
    const test::ReportOutcome o =
        test::report({"polar", "edge.txt", "--feature", "line", "-o", ".", "--unit", "mm"});
    ASSERT_EQ(o.status, exitok) << o.err;
    const test::Svg svg = test::parsesvg(dir.path() / "edge-line.svg");
    ASSERT_TRUE(svg.wellformed) << svg.error;
    EXPECT_TRUE(hastext(svg, "deviation normal to the line (µm)"));
    EXPECT_TRUE(hastext(svg, "position along the line (mm)"));
    EXPECT_TRUE(hastext(svg, "Straightness: minimum zone 20 µm"));
    // Every point touches the zone: counted over all, not over those drawn.
    EXPECT_TRUE(hastext(svg, "Ringed: 100 of the 10000 points on the minimum zone's two lines "
                             "(5000 on the upper, 5000 on the lower; too many to ring all)"));
    EXPECT_EQ(test::strokes(svg, ink, 1.6).size(), mostrings);
    const auto profile = test::strokes(svg, profilecolour, 1.1);
    ASSERT_EQ(profile.size(), 1u);
    const auto v = test::vertices(profile[0]->attributes.at("d"));
    EXPECT_LE(v.size(), 7200u);
    std::set<long> heights;
    for (const auto& [x, y] : v) heights.insert(std::lround(y * 100));
    EXPECT_EQ(heights.size(), 2u);
}

struct MapCase {
    const char* feature;
    int points;
    bool cells;
};

class PointPolarMap : public ::testing::TestWithParam<MapCase> {};

// A tilted plane (or a leaning cylinder or cone), few points dotted one by
// one, many in cells with two triangles marking the highest and lowest
// point; a cylinder and a cone developed, their zones' bounds named.
TEST_P(PointPolarMap, DotsOrCells) {
    const MapCase& m = GetParam();
    const bool cone = std::string(m.feature) == "cone";
    const bool cylinder = std::string(m.feature) == "cylinder" || cone;
    test::Workdir dir;
    std::ostringstream out;
    out.precision(17);
    for (int i = 0; i < m.points; ++i) {
        const double a = std::fmod(i * 0.618034, 1.0), b = std::fmod(i * 0.754878, 1.0);
        const double w = 0.002 * std::sin(9 * a) * std::cos(7 * b);
        if (cylinder) {
            const double h = 30 * b, t = 2 * pi * a, r = 5 + (cone ? 0.1 * h : 0) + w;
            out << r * std::cos(t) + 0.3 * h << "," << r * std::sin(t) << "," << h << "\n";
        } else {
            out << 40 * a * std::cos(pi / 6) + w * std::sin(pi / 6) << "," << 30 * b << ","
                << -40 * a * std::sin(pi / 6) + w * std::cos(pi / 6) << "\n";
        }
    }
    dir.write("s.csv", out.str());
    const test::ReportOutcome o =
        test::report({"polar", "s.csv", "--feature", m.feature, "-o", "maps", "--unit", "mm"});
    if (cylinder && o.err.find("cylinders are not evaluated yet") != std::string::npos)
        GTEST_SKIP() << "this build's pointset library has no cylinders";
    ASSERT_EQ(o.status, exitok) << o.err;
    const test::Svg svg =
        test::parsesvg(dir.path() / "maps" / ("s-" + std::string(m.feature) + ".svg"));
    ASSERT_TRUE(svg.wellformed) << svg.error;
    EXPECT_TRUE(hastext(svg, "deviation (µm)"));
    EXPECT_EQ(hastext(svg, "triangles: the highest and the lowest point"), m.cells);
    int triangles = 0;
    for (const test::Element* p : test::strokes(svg, ink, 1.4))
        triangles += test::vertices(p->attributes.at("d")).size() <= 4;
    EXPECT_EQ(triangles, m.cells ? 2 : 0);
    if (cylinder) {
        EXPECT_TRUE(hastext(svg, "angle about the axis (degrees)"));
        EXPECT_TRUE(hastext(svg, "360"));
    }
    const std::string bounds = cone ? "cones" : cylinder ? "cylinders" : "planes";
    const std::vector<std::string> texts = svg.texts();
    EXPECT_TRUE(std::any_of(texts.begin(), texts.end(), [&](const std::string& t) {
        return t.rfind("Ringed: ", 0) == 0 &&
               t.find(" on the minimum zone's two " + bounds + " (") != std::string::npos;
    })) << bounds;
    if (cone) {
        EXPECT_TRUE(std::any_of(texts.begin(), texts.end(), [](const std::string& t) {
            return t.rfind("Developed: ", 0) == 0 &&
                   t.find("normal to the minimum-zone cone (outward positive)") !=
                       std::string::npos;
        }));
    }
}

INSTANTIATE_TEST_SUITE_P(Features, PointPolarMap,
                         ::testing::Values(MapCase{"plane", 300, false},
                                           MapCase{"plane", 3000, true},
                                           MapCase{"cylinder", 3000, true},
                                           MapCase{"cone", 300, false},
                                           MapCase{"cone", 3000, true}),
                         test::namedby([](const MapCase& m) {
                             return std::string(m.feature) + std::to_string(m.points);
                         }));

// The developed map drawn directly (a cylinder's evaluation aside): the
// angle runs 0 to 360 in eighths whatever the points' angles, and the
// highest and lowest point are marked.
TEST(PointPolar, DevelopedMapOfACylinder) {
    test::Workdir dir;
    DeviationMap m;
    for (int k = 0; k < 40; ++k)
        for (int i = 0; i < 100; ++i) {
            m.u.push_back(30 + 3.0 * i); // 30 to 327 degrees
            m.v.push_back(0.5 * k);
            m.d.push_back(std::cos(2 * (30 + 3.0 * i) * pi / 180) + 0.01 * k);
        }
    m.samescale = false;
    m.ulow = 0;
    m.uhigh = 360;
    m.ulabel = "angle about the axis (degrees)";
    m.vlabel = "position along the axis (mm)";
    m.title = "shaft";
    m.cylinder = true;
    drawdeviationmap((dir.path() / "d.svg").string(), Format::svg, m, {"µm", 1000});
    const test::Svg svg = test::parsesvg(dir.path() / "d.svg");
    ASSERT_TRUE(svg.wellformed) << svg.error;
    for (const char* t :
         {"0", "45", "90", "315", "360", "angle about the axis (degrees)", "deviation (µm)"})
        EXPECT_TRUE(hastext(svg, t)) << t;
    int triangles = 0;
    for (const test::Element* p : test::strokes(svg, ink, 1.4))
        triangles += test::vertices(p->attributes.at("d")).size() <= 4;
    EXPECT_EQ(triangles, 2);
    // cos 2t is 1 at 180 degrees only, -1 at 90 and 270: the highest point
    // where the offset 0.01 k is largest, the two lowest where it is 0; each
    // ring holds a triangle or one of the lowest points.
    EXPECT_TRUE(hastext(svg, "Ringed: the 3 points on the minimum zone's two cylinders (1 on the "
                             "outer, 2 on the inner)"));
    const std::vector<Place> rings = ringcentres(svg);
    EXPECT_EQ(rings.size(), 3u);
    for (const Place& t : trianglecentres(svg))
        EXPECT_TRUE(std::any_of(rings.begin(), rings.end(), [&](const Place& r) {
            return std::hypot(r.first - t.first, r.second - t.second) < 0.01;
        }));
}

// Few points dotted, many in cells: the four corners of a saddle 1 um above
// and below the plane z = 0 (its minimum zone: the diagonals cross) are
// ringed, the points inside the zone not, however many; over the cells the
// rings hold the triangles of the highest and the lowest point.
TEST_P(PointPolarSaddle, RingsTheCorners) {
    const int n = GetParam();
    test::Workdir dir;
    std::ostringstream out;
    out.precision(17);
    out << "0 0 0.001\n40 30 0.001\n40 0 -0.001\n0 30 -0.001\n";
    for (int i = 4; i < n; ++i) {
        const double a = std::fmod(i * 0.618034, 1.0), b = std::fmod(i * 0.754878, 1.0);
        out << 40 * a << " " << 30 * b << " " << 0.0009 * std::sin(9 * a) * std::cos(7 * b) << "\n";
    }
    dir.write("saddle.txt", out.str());
    const test::ReportOutcome o =
        test::report({"polar", "saddle.txt", "--feature", "plane", "-o", "maps"});
    ASSERT_EQ(o.status, exitok) << o.err;
    const test::Svg svg = test::parsesvg(dir.path() / "maps" / "saddle-plane.svg");
    ASSERT_TRUE(svg.wellformed) << svg.error;
    EXPECT_TRUE(hastext(svg, "Ringed: the 4 points on the minimum zone's two planes (2 on the "
                             "upper, 2 on the lower)"));
    EXPECT_TRUE(hastext(svg, "u: x projected onto the plane (coordinate units)"));
    EXPECT_TRUE(hastext(svg, "v, in the plane (coordinate units)"));
    const std::vector<Place> rings = ringcentres(svg);
    ASSERT_EQ(rings.size(), 4u);
    const auto ringed = [&](const Place& p) {
        return std::any_of(rings.begin(), rings.end(), [&](const Place& r) {
            return std::hypot(r.first - p.first, r.second - p.second) < 0.01;
        });
    };
    if (n > static_cast<int>(mostmapdots)) {
        const std::vector<Place> triangles = trianglecentres(svg);
        EXPECT_EQ(triangles.size(), 2u);
        for (const Place& t : triangles) EXPECT_TRUE(ringed(t));
    } else {
        // The dots' outlines in point order: the corners first.
        const auto dots = test::strokes(svg, ink, 0.6);
        ASSERT_EQ(dots.size(), static_cast<std::size_t>(n));
        for (int i = 0; i < n; ++i) EXPECT_EQ(ringed(test::circlecentre(*dots[i])), i < 4) << i;
    }
}

INSTANTIATE_TEST_SUITE_P(Sizes, PointPolarSaddle, ::testing::Values(300, 3000),
                         test::namedby([](int n) { return "Points" + std::to_string(n); }));

} // namespace
} // namespace formeval::report

namespace formeval::report {
namespace {

// A ring of 3 lobes of 2 um and 1 um of chatter at 120 UPR.
std::string chatteredring(int n) {
    std::ostringstream out;
    out.precision(17);
    out << "x,y\n";
    for (int i = 0; i < n; ++i) {
        const double t = 2 * pi * i / n;
        const double r = 25 + 0.001 * std::cos(3 * t) + 0.0005 * std::cos(120 * t);
        out << r * std::cos(t) << "," << r * std::sin(t) << "\n";
    }
    return out.str();
}

// The number after `label` on the line of polar's table that starts with it.
double tablevalue(const std::string& out, const std::string& label) {
    const std::size_t at = out.find("\n  " + label + " ");
    return at == std::string::npos ? std::nan("") : std::stod(out.substr(at + 4 + label.size()));
}

// With a filter the chart shows the profile `results` judges: the filtered
// one over the measured one, the same form errors, the filter named; without
// one it says "Filter: none".
TEST(PointPolar, AFilteredProfileIsTheOneResultsJudges) {
    test::Workdir dir;
    dir.write("ring.csv", chatteredring(720));
    const test::ReportOutcome o = test::report({"polar", "ring.csv", "--feature", "circle", "-o",
                                                "plots", "--filter", "50", "--part", "P-7"});
    ASSERT_EQ(o.status, exitok) << o.err;
    const test::ReportOutcome r =
        test::report({"results", "ring.csv", "--feature", "circle", "--filter", "50", "--json"});
    ASSERT_EQ(r.status, exitok) << r.err;
    const nlohmann::json rows = nlohmann::json::parse(r.out)["rows"];
    ASSERT_EQ(rows.size(), 4u);
    for (const nlohmann::json& row : rows) {
        const std::string method = row["method"].get<std::string>();
        EXPECT_NEAR(tablevalue(o.out, method), row["error"].get<double>(), 1e-14) << method;
    }
    // The lobes pass (2 um less 0.25 %), the chatter hardly (1.8 % of its 1 um).
    EXPECT_NEAR(rows[1]["error"].get<double>(), 0.002005, 2e-5);
    const test::Svg svg = test::parsesvg(dir.path() / "plots" / "ring-circle.svg");
    ASSERT_TRUE(svg.wellformed) << svg.error;
    EXPECT_TRUE(hastext(svg, "Part: P-7  \u00b7  Filter: Gaussian, cut-off 50 UPR"));
    EXPECT_TRUE(hastext(svg, "before filtering"));
    EXPECT_FALSE(test::strokes(svg, Rgb{0.62, 0.62, 0.62}, 0.6).empty()) << "the measured profile";

    const test::ReportOutcome plain =
        test::report({"polar", "ring.csv", "--feature", "circle", "-o", "plain"});
    ASSERT_EQ(plain.status, exitok) << plain.err;
    const test::Svg unfiltered = test::parsesvg(dir.path() / "plain" / "ring-circle.svg");
    EXPECT_TRUE(hastext(unfiltered, "Filter: none"));
    EXPECT_FALSE(hastext(unfiltered, "before filtering"));
    EXPECT_GT(tablevalue(plain.out, "minimum zone"), 0.0029) << "the chatter counts unfiltered";
}

// A line filtered at a wavelength is charted filtered and says so; a plane
// cannot be and is drawn as measured, with the reason.
TEST(PointPolar, OpenProfilesAndPlanesAtAWavelength) {
    test::Workdir dir;
    std::ostringstream line, plane;
    line.precision(17);
    for (int i = 0; i < 400; ++i)
        line << 0.1 * i << " " << 0.002 * std::sin(0.1 * i / 8 * 2 * pi) + 0.0005 * (i % 2) << "\n";
    for (int i = 0; i < 25; ++i) plane << i % 5 << " " << i / 5 << " " << 0.001 * (i % 3) << "\n";
    dir.write("line.txt", line.str());
    dir.write("plane.txt", plane.str());
    const test::ReportOutcome l = test::report(
        {"polar", "line.txt", "--feature", "line", "-o", "plots", "--filter-wavelength", "2.5"});
    ASSERT_EQ(l.status, exitok) << l.err;
    const test::Svg svg = test::parsesvg(dir.path() / "plots" / "line-line.svg");
    EXPECT_TRUE(hastext(svg, "filtered: Gaussian, cut-off wavelength 2.5"));
    EXPECT_LT(tablevalue(l.out, "minimum zone"), 0.0045) << "the alternation is filtered out";
    // A plane by the areal filter, named in the map's title; at a wavelength
    // longer than its extent, as measured.
    const test::ReportOutcome p = test::report(
        {"polar", "plane.txt", "--feature", "plane", "-o", "plots", "--filter-wavelength", "2.5"});
    EXPECT_EQ(p.status, exitok) << p.err;
    EXPECT_EQ(p.err, "");
    EXPECT_TRUE(
        hastext(test::parsesvg(dir.path() / "plots" / "plane-plane.svg"),
                "plane.txt: plane, 25 points, filtered: areal Gaussian (ISO 16610-61), cut-off "
                "wavelength 2.5"));
    const test::ReportOutcome q = test::report(
        {"polar", "plane.txt", "--feature", "plane", "-o", "plots", "--filter-wavelength", "10"});
    EXPECT_EQ(q.status, exitok) << q.err;
    EXPECT_EQ(q.err,
              "formreport: plane.txt: drawn unfiltered: the cut-off wavelength 10 is longer "
              "than the surface (5.65685), so the filter would take the form away: give one at "
              "most its extent\n");
}

// A point file's circle has its harmonics as a job record of the same
// points has them: the same table, and a bar chart under the roundness
// chart's header line. An arc has none, and says why.
TEST(PointPolar, HarmonicsOfAPointFileAsOfAJobRecord) {
    std::ostringstream file, job;
    file.precision(17);
    job.precision(17);
    file << "x,y\n";
    job << "2500 720 0.000001\n";
    for (int i = 0; i < 720; ++i) {
        const double t = 2 * pi * i / 720;
        const double r = 25 + 0.002 * std::cos(3 * t) + 0.0005 * std::cos(20 * t + 1);
        file << r * std::cos(t) << "," << r * std::sin(t) << "\n";
        job << r * std::cos(t) << " " << r * std::sin(t) << "\n";
    }
    test::Workdir dir;
    dir.write("ring.csv", file.str());
    dir.write("ring.txt", job.str());
    dir.write("arc.csv", "x,y\n10,0\n7.07,7.07\n0,10.001\n-7.07,7.07\n-10,0.001\n");
    const auto harmonics = [](const std::string& out, const std::string& name) {
        // The amplitudes; the phases of the dominant line differ in the
        // rounding of the two least-squares centres (1e-12 degrees).
        const std::size_t at = out.find("\n" + name + ": Harmonic amplitudes");
        if (at == std::string::npos) return std::string();
        const std::size_t from = out.find('\n', at + 1);
        return out.substr(from, out.find("dominant: ", from) - from);
    };
    for (const bool quiet : {false, true}) {
        std::vector<std::string> args = {"polar", "ring.csv",    "--feature", "circle", "--unit",
                                         "mm",    "--harmonics", "--part",    "shaft 7"};
        if (quiet) args.push_back("-q");
        const test::ReportOutcome o = test::report(args);
        ASSERT_EQ(o.status, exitok) << o.err;
        const test::ReportOutcome j =
            test::report({"polar", "ring.txt", "--unit", "mm", "--harmonics"});
        const std::string ours = harmonics(o.out, "ring-circle");
        ASSERT_FALSE(ours.empty()) << o.out;
        EXPECT_EQ(ours, harmonics(j.out, "ring-job1-2500")) << j.out;
        EXPECT_NE(ours.find("\n  3  2.000"), std::string::npos) << ours;
    }
    for (const fs::path& bars :
         {dir.path() / "ring-circle-harmonics.svg", dir.path() / "ring-job1-2500-harmonics.svg"})
        EXPECT_TRUE(hastext(test::parsesvg(bars), "Filter: none")) << bars;
    EXPECT_TRUE(hastext(test::parsesvg(dir.path() / "ring-circle-harmonics.svg"), "shaft 7"));
    const test::ReportOutcome arc =
        test::report({"polar", "arc.csv", "--feature", "circle", "--harmonics"});
    EXPECT_EQ(arc.status, exitok) << arc.err;
    EXPECT_NE(arc.err.find("arc.csv: no harmonics: the points form an arc"), std::string::npos)
        << arc.err;
    EXPECT_FALSE(fs::exists(dir.path() / "arc-circle-harmonics.svg"));
}

} // namespace
} // namespace formeval::report
