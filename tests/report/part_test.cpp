// formreport part: a part's tolerance frames from a part file, end to end on
// faces and a bore of known tilt (values worked by hand), the table, CSV and
// JSON, and every kind of bad part file with the message it gets.
#include "report/charts/canvas.h"
#include "report/commands/commands.h"
#include "tests/harness/harness.h"
#include "tests/report/support.h"
#include "tolerance/tolerance.h"

#include <algorithm>
#include <cmath>
#include <filesystem>
#include <gtest/gtest.h>
#include <nlohmann/json.hpp>
#include <sstream>

namespace formeval::report {
namespace {

const double pi = std::acos(-1.0);

// A face z = z0 + slope x on a grid of x from 0 to `length`, y from 0 to 40.
std::string face(double z0, double slope, double length = 50) {
    std::ostringstream out;
    out.precision(17);
    out << "x,y,z\n";
    for (int i = 0; i <= 10; ++i)
        for (int j = 0; j <= 8; ++j) {
            const double x = length * i / 10, y = 5.0 * j;
            out << x << "," << y << "," << z0 + slope * x << "\n";
        }
    return out.str();
}

// A bore of radius 5 measured in circles across its axis, which runs from
// (30, 20, 0) at `tilt` radians from z towards x, the circles at 2, 5, ...
// 17 along it: its axis spans 15 along its length.
std::string bore(double tilt) {
    std::ostringstream out;
    out.precision(17);
    out << "x,y,z\n";
    const double s = std::sin(tilt), c = std::cos(tilt);
    for (int k = 0; k < 6; ++k)
        for (int i = 0; i < 24; ++i) {
            const double t = 2 + 3.0 * k, a = 2 * pi * i / 24;
            const double u = 5 * std::cos(a), v = 5 * std::sin(a);
            out << 30 + t * s + u * c << "," << 20 + v << "," << t * c - u * s << "\n";
        }
    return out.str();
}

// A part file of these features, datums and tolerances (JSON text of each).
std::string partfile(const std::string& features, const std::string& datums,
                     const std::string& tolerances) {
    return "{\"unit\": \"mm\",\n \"features\": " + features + ",\n \"datums\": " + datums +
           ",\n \"tolerances\": " + tolerances + "}\n";
}

const std::string faces = R"({"face": {"file": "face.csv", "type": "plane", "outward": [0, 0, -1]},
  "top": {"file": "top.csv", "type": "plane", "outward": [0, 0, 1]}})";

// Parallelism of a face z = 20 + s x to a datum face z = t x, both over a
// length L along x: the zone's normal is the datum's, (-t, 0, 1) / sqrt(1 +
// t^2), and the face's points spread along it by |s - t| L / sqrt(1 + t^2).
struct Tilts {
    const char* name;
    double s, t;
};

void PrintTo(const Tilts& c, std::ostream* out) {
    *out << c.name;
}

class PartTilts : public ::testing::TestWithParam<Tilts> {};

TEST_P(PartTilts, ParallelismIsTheSlopesDifferenceOverTheLength) {
    const Tilts& c = GetParam();
    const double length = 50;
    const double expected = std::fabs(c.s - c.t) * length / std::sqrt(1 + c.t * c.t);
    test::Workdir dir;
    dir.write("face.csv", face(0, c.t, length));
    dir.write("top.csv", face(20, c.s, length));
    std::ostringstream tolerances;
    tolerances.precision(17);
    tolerances << R"([{"characteristic": "parallelism", "feature": "top", "datums": ["A"], )"
               << "\"tolerance\": " << 2 * expected << "},\n"
               << R"({"characteristic": "parallelism", "feature": "top", "datums": ["A"], )"
               << "\"tolerance\": " << expected / 2 << "}]";
    dir.write("part.json", partfile(faces, R"({"A": "face"})", tolerances.str()));
    const test::ReportOutcome o = test::report({"part", "part.json", "--json"});
    ASSERT_EQ(o.status, exitok) << o.err;
    const nlohmann::json frames = nlohmann::json::parse(o.out).at("tolerances");
    ASSERT_EQ(frames.size(), 2u);
    for (const auto& frame : frames)
        EXPECT_NEAR(frame.at("value").get<double>(), expected, 1e-9 * expected);
    EXPECT_EQ(frames[0].at("verdict"), "within tolerance");
    EXPECT_EQ(frames[1].at("verdict"), "beyond tolerance");
}

INSTANTIATE_TEST_SUITE_P(Part, PartTilts,
                         ::testing::Values(Tilts{"FaceTilted", 2e-4, 0},
                                           Tilts{"DatumTilted", 0, 3e-4},
                                           Tilts{"BothTiltedApart", 5e-4, -2e-4},
                                           Tilts{"BothTiltedAlike", 7e-4, 6e-4}),
                         [](const auto& info) { return std::string(info.param.name); });

// The bore's derived axis runs 15 along its tilted axis: seen along the
// datum face's normal it is a segment 15 sin(tilt) long, the diameter of the
// perpendicularity zone.
TEST(Part, PerpendicularityOfATiltedBoreIsItsAxisLeanOverItsLength) {
    const double tilt = 0.001;
    test::Workdir dir;
    dir.write("face.csv", face(0, 0));
    dir.write("bore.csv", bore(tilt));
    dir.write("part.json",
              partfile(R"({"face": {"file": "face.csv", "type": "plane", "outward": [0, 0, -1]},
                           "bore": {"file": "bore.csv", "type": "cylinder", "material": "hole"}})",
                       R"({"A": "face"})",
                       R"([{"characteristic": "perpendicularity", "feature": "bore",
                            "datums": ["A"], "tolerance": 0.02}])"));
    const test::ReportOutcome o = test::report({"part", "part.json", "--json"});
    ASSERT_EQ(o.status, exitok) << o.err;
    const nlohmann::json frame = nlohmann::json::parse(o.out).at("tolerances").at(0);
    EXPECT_NEAR(frame.at("value").get<double>(), 15 * std::sin(tilt), 1e-9);
    EXPECT_EQ(frame.at("verdict"), "within tolerance");
}

// A circle measured in space, named by three columns: its roundness in its
// own plane, a three-lobed circle of radius 6 whose lobes rise 0.002 tilted
// out of the xy plane (2 x 0.002 wide).
TEST(Part, ACircleNamedByThreeColumnsIsOneInSpace) {
    test::Workdir dir;
    std::ostringstream ring;
    ring.precision(17);
    ring << "x,y,z\n";
    for (int i = 0; i < 36; ++i) {
        const double a = 2 * pi * i / 36, r = 6 + 0.002 * std::cos(3 * a);
        const double u = r * std::cos(a), v = r * std::sin(a);
        ring << u << "," << v * std::cos(0.3) << "," << 5 + v * std::sin(0.3) << "\n";
    }
    dir.write("ring.csv", ring.str());
    dir.write("part.json", partfile(R"({"ring": {"file": "ring.csv", "type": "circle",
                                                  "columns": "x,y,z"}})",
                                    "{}",
                                    R"([{"characteristic": "roundness", "feature": "ring",
                                         "tolerance": 0.01}])"));
    const test::ReportOutcome o = test::report({"part", "part.json", "--json"});
    ASSERT_EQ(o.status, exitok) << o.err;
    const nlohmann::json frame = nlohmann::json::parse(o.out).at("tolerances").at(0);
    EXPECT_NEAR(frame.at("value").get<double>(), 0.004, 1e-12);
}

// A shaft on the z axis, its journals at either end the common datum A-B,
// and a collar whose sections are off the axis by 3, 7 and 0 micrometres.
void shaft(const test::Workdir& dir, const std::string& tolerances) {
    dir.write("left.csv", test::circles({{0, 0, 0, 5}, {5, 0, 0, 5}, {10, 0, 0, 5}}));
    dir.write("right.csv", test::circles({{90, 0, 0, 5}, {95, 0, 0, 5}, {100, 0, 0, 5}}));
    dir.write("collar.csv", test::circles({{40, 0.003, 0, 8}, {50, 0, 0.007, 8}, {60, 0, 0, 8}}));
    dir.write("part.json",
              partfile(R"({"left": {"file": "left.csv", "type": "cylinder", "material": "shaft"},
                           "right": {"file": "right.csv", "type": "cylinder", "material": "shaft"},
                           "collar": {"file": "collar.csv", "type": "cylinder", "material": "shaft"}})",
                       R"({"A-B": ["left", "right"]})", tolerances));
}

// The run-out chart names each section's run-out, twice its offset, at its
// place along the datum axis from the axis's point (mid-way along the left
// journal, at z = 5).
TEST(PartCharts, RunOutChartGivesEachSectionsRunOut) {
    test::Workdir dir;
    shaft(dir, R"([{"characteristic": "radial run-out", "feature": "collar",
                    "datums": ["A-B"], "tolerance": 0.02}])");
    const test::ReportOutcome o = test::report({"part", "part.json", "--charts", "zones"});
    ASSERT_EQ(o.status, exitok) << o.err;
    const test::Svg svg = test::parsesvg(dir.path() / "zones" / "tolerance-1.svg");
    ASSERT_TRUE(svg.wellformed) << svg.error;
    const std::vector<std::string> texts = svg.texts();
    for (const char* line : {"at 35   run-out 6 \u00b5m", "at 45   run-out 14 \u00b5m",
                             "at 55   run-out 0 \u00b5m", "radial run-out of collar to A-B"})
        EXPECT_NE(std::find(texts.begin(), texts.end(), line), texts.end()) << line;
}

// The round zone's circle passes through the section centre farthest from
// its axis: the picture draws the zone the value says.
TEST(PartCharts, RoundZoneTouchesTheFarthestCentre) {
    test::Workdir dir;
    shaft(dir, R"([{"characteristic": "coaxiality", "feature": "collar",
                    "datums": ["A-B"], "tolerance": 0.02}])");
    const test::ReportOutcome o = test::report({"part", "part.json", "--charts", "zones"});
    ASSERT_EQ(o.status, exitok) << o.err;
    const test::Svg svg = test::parsesvg(dir.path() / "zones" / "tolerance-1.svg");
    ASSERT_TRUE(svg.wellformed) << svg.error;
    const Rgb zone = {0.173, 0.627, 0.173}, dots = {0.122, 0.467, 0.706};
    double radius = 0;
    std::pair<double, double> centre;
    for (const test::Element* e : test::strokes(svg, zone, 1.4)) {
        const auto v = test::vertices(e->attributes.at("d"));
        if (v.size() < 3) continue; // the cross's lines
        centre = test::circlecentre(*e);
        radius = std::hypot(v[0].first - centre.first, v[0].second - centre.second);
    }
    ASSERT_GT(radius, 0);
    double farthest = 0;
    const std::vector<const test::Element*> centres = test::fills(svg, dots);
    ASSERT_EQ(centres.size(), 3u); // one a section
    for (const test::Element* e : centres) {
        const auto c = test::circlecentre(*e);
        farthest = std::max(farthest, std::hypot(c.first - centre.first, c.second - centre.second));
    }
    EXPECT_NEAR(farthest, radius, 0.01);
}

// The datums as associated, every frame in the file's order (one not
// evaluated, its reason in the notes and on standard error), the decision
// rule. Parallelism of z = 20 + 1e-4 x over 50 to the flat datum: 0.005;
// perpendicularity of the same face: its narrowest spread across the
// datum's normal, its 40 along y.
TEST(Part, TableShowsTheDatumsTheFramesAndTheDecisionRule) {
    test::Workdir dir;
    dir.write("face.csv", face(0, 0));
    dir.write("top.csv", face(20, 1e-4));
    dir.write(
        "part.json",
        partfile(
            faces, R"({"A": "face"})",
            R"([{"characteristic": "parallelism", "feature": "top", "datums": ["A"], "tolerance": 0.01},
                           {"characteristic": "perpendicularity", "feature": "top", "datums": ["A"], "tolerance": 0.1},
                           {"characteristic": "roundness", "feature": "top", "tolerance": 0.01}])"));
    const test::ReportOutcome o = test::report({"part", "part.json"});
    EXPECT_EQ(o.status, exitinput);
    EXPECT_EQ(o.err, "formreport: part.json: tolerance 3 (roundness of top): not evaluated: "
                     "roundness is of a circle, and top is a plane\n");
    EXPECT_EQ(o.out,
              "Datums as associated:\n"
              "   system  datum  association                               certificate\n"
              "   A       A      minimum-zone plane, outside the material  certified\n"
              "\n"
              "Tolerances, lengths in mm:\n"
              "   characteristic    feature  datums  value  tolerance  verdict           "
              "certified  notes\n"
              "   parallelism       top      A       0.005       0.01  within tolerance  yes     "
              "   two parallel planes parallel to datum A\n"
              "   perpendicularity  top      A          40        0.1  beyond tolerance  yes     "
              "   two parallel planes perpendicular to datum A\n"
              "   roundness         top                  -       0.01  not evaluated     -       "
              "   roundness is of a circle, and top is a plane\n"
              "\n"
              "Decision rule: " +
                  std::string(tolerance::decisionrule()) + "\n");
}

// The JSON's names in order, the frames in the file's order, a tolerance
// with its own unit converted to the part's, a frame not evaluated with
// value null and its failure.
TEST(Part, JsonHasEveryFrameInTheFilesOrder) {
    test::Workdir dir;
    dir.write("face.csv", face(0, 0));
    dir.write("top.csv", face(20, 1e-4));
    dir.write("part.json",
              partfile(faces, R"({"A": "face"})",
                       R"([{"characteristic": "roundness", "feature": "top", "tolerance": 0.01},
                           {"characteristic": "parallelism", "feature": "top", "datums": ["A"], "tolerance": "10um"},
                           {"characteristic": "flatness", "feature": "face", "tolerance": 0.002}])"));
    const test::ReportOutcome o = test::report({"part", "part.json", "--json"});
    EXPECT_EQ(o.status, exitinput) << "a frame is not evaluated";
    const nlohmann::ordered_json doc = nlohmann::ordered_json::parse(o.out);
    std::vector<std::string> top;
    for (const auto& item : doc.items()) top.push_back(item.key());
    EXPECT_EQ(top, (std::vector<std::string>{"unit", "decision_rule", "datums", "tolerances"}));
    EXPECT_EQ(doc.at("unit"), "mm");
    EXPECT_EQ(doc.at("decision_rule"), tolerance::decisionrule());
    const std::vector<std::string> names = {"characteristic",
                                            "feature",
                                            "datums",
                                            "value",
                                            "tolerance",
                                            "verdict",
                                            "certified",
                                            "lower",
                                            "upper",
                                            "zone",
                                            "not_certified_because",
                                            "failure"};
    const auto& frames = doc.at("tolerances");
    ASSERT_EQ(frames.size(), 3u);
    for (const auto& frame : frames) {
        std::vector<std::string> keys;
        for (const auto& item : frame.items()) keys.push_back(item.key());
        EXPECT_EQ(keys, names);
    }
    EXPECT_EQ(frames[0].at("characteristic"), "roundness");
    EXPECT_TRUE(frames[0].at("value").is_null());
    EXPECT_TRUE(frames[0].at("certified").is_null());
    EXPECT_EQ(frames[0].at("verdict"), "not evaluated");
    EXPECT_EQ(frames[0].at("failure"), "roundness is of a circle, and top is a plane");
    EXPECT_EQ(frames[1].at("characteristic"), "parallelism");
    EXPECT_EQ(frames[1].at("datums"), nlohmann::ordered_json::array({"A"}));
    EXPECT_DOUBLE_EQ(frames[1].at("tolerance").get<double>(), 0.01);
    EXPECT_NEAR(frames[1].at("value").get<double>(), 0.005, 1e-12);
    EXPECT_EQ(frames[1].at("certified"), true);
    EXPECT_TRUE(frames[1].at("failure").is_null());
    EXPECT_EQ(frames[2].at("feature"), "face");
    EXPECT_EQ(frames[2].at("datums"), nlohmann::ordered_json::array());
    EXPECT_NEAR(frames[2].at("value").get<double>(), 0, 1e-12) << "a flat face";
    const auto& datums = doc.at("datums");
    ASSERT_EQ(datums.size(), 1u);
    EXPECT_EQ(datums[0].at("system"), nlohmann::ordered_json::array({"A"}));
    EXPECT_EQ(datums[0].at("kind"), "plane");
    EXPECT_NEAR(std::fabs(datums[0].at("direction").at(2).get<double>()), 1, 1e-12);
}

// One row a frame under the documented header, the datums as the drawing's
// frame writes them.
TEST(Part, CsvHasOneRowAFrame) {
    test::Workdir dir;
    dir.write("face.csv", face(0, 0));
    dir.write("top.csv", face(20, 1e-4));
    dir.write(
        "part.json",
        partfile(
            faces, R"({"A": "face", "B": "top"})",
            R"([{"characteristic": "parallelism", "feature": "top", "datums": ["A"], "tolerance": 0.01},
                           {"characteristic": "position", "feature": "top", "datums": ["B", "A"],
                            "exact": [0, 0, 0], "tolerance": 0.1}])"));
    const test::ReportOutcome o = test::report({"part", "part.json", "--csv"});
    std::istringstream lines(o.out);
    std::string header, first, second, more;
    std::getline(lines, header);
    std::getline(lines, first);
    std::getline(lines, second);
    EXPECT_FALSE(std::getline(lines, more)) << o.out;
    EXPECT_EQ(header, "characteristic,feature,datums,value,tolerance,verdict,certified");
    const std::size_t value = first.find(",0.00");
    ASSERT_EQ(first.substr(0, value), "parallelism,top,A") << first;
    EXPECT_NEAR(std::stod(first.substr(value + 1)), 0.005, 1e-12);
    EXPECT_EQ(first.substr(first.find(',', value + 1)), ",0.01,within tolerance,true");
    EXPECT_EQ(second.rfind("position,top,B|A,", 0), 0u) << second;
    EXPECT_EQ(test::report({"part", "part.json", "--csv", "--json"}).status, exitusage);
}

// A taper about the z axis, radius 6 at z = 0 and a half apex angle of 10
// degrees, in rings of 24 at z = 0, 4, 8, each point moved across the surface
// by amp cos(3 a): its conicity is 2 amp.
std::string taper(double amp) {
    std::ostringstream out;
    out.precision(17);
    out << "x,y,z\n";
    const double pi = std::acos(-1.0), alpha = 10 * pi / 180;
    for (const double z : {0.0, 4.0, 8.0})
        for (int i = 0; i < 24; ++i) {
            const double a = 2 * pi * i / 24, e = amp * std::cos(3 * a);
            const double rho = 6 + z * std::tan(alpha) + e * std::cos(alpha);
            out << rho * std::cos(a) << "," << rho * std::sin(a) << "," << z - e * std::sin(alpha)
                << "\n";
        }
    return out.str();
}

// A cone's conicity is evaluated and certified, so that a value over the
// tolerance is beyond it; a frame taking the cone as a datum says why it is
// not evaluated, and the others are evaluated.
TEST(Part, AConesConicityIsCertifiedAndItMakesNoDatum) {
    test::Workdir dir;
    dir.write("face.csv", face(0, 0));
    dir.write("tip.csv", taper(0.004));
    dir.write("part.json",
              partfile(R"({"face": {"file": "face.csv", "type": "plane"},
                           "tip": {"file": "tip.csv", "type": "cone", "material": "shaft"}})",
                       R"({"A": "face", "K": "tip"})",
                       R"([{"characteristic": "flatness", "feature": "face", "tolerance": 0.01},
                           {"characteristic": "conicity", "feature": "tip", "tolerance": 0.01},
                           {"characteristic": "conicity", "feature": "tip", "tolerance": 0.005},
                           {"characteristic": "parallelism", "feature": "face", "datums": ["K"], "tolerance": 0.01}])"));
    const test::ReportOutcome o = test::report({"part", "part.json", "--csv"});
    EXPECT_EQ(o.status, exitinput);
    EXPECT_EQ(o.err, "formreport: part.json: tolerance 4 (parallelism of face): not evaluated: "
                     "datum K: a cone is no datum here\n");
    EXPECT_NE(o.out.find("\nflatness,face,,0,0.01,within tolerance,true\n"), std::string::npos)
        << o.out;
    std::vector<std::string> rows;
    std::istringstream lines(o.out);
    for (std::string line; std::getline(lines, line);)
        if (line.rfind("conicity,tip,,", 0) == 0) rows.push_back(line);
    ASSERT_EQ(rows.size(), 2u) << o.out;
    for (const std::string& row : rows) EXPECT_NEAR(std::stod(row.substr(14)), 0.008, 1e-11) << row;
    EXPECT_EQ(rows[0].substr(rows[0].find(",0.01,")), ",0.01,within tolerance,true");
    EXPECT_EQ(rows[1].substr(rows[1].find(",0.005,")), ",0.005,beyond tolerance,true");
}

// Point files are named from the part file's directory.
TEST(Part, PointFilesAreReadBesideThePartFile) {
    test::Workdir dir;
    std::filesystem::create_directory("sub");
    dir.write("sub/face.csv", face(0, 0));
    dir.write(
        "sub/part.json",
        partfile(R"({"face": {"file": "face.csv", "type": "plane"},
                           "gone": {"file": "gone.csv", "type": "plane"}})",
                 "{}",
                 R"([{"characteristic": "flatness", "feature": "face", "tolerance": 0.01}])"));
    const test::ReportOutcome o = test::report({"part", "sub/part.json"});
    EXPECT_EQ(o.status, exitinput);
    EXPECT_EQ(o.out, "") << "nothing is evaluated while a point file is missing";
    EXPECT_EQ(o.err, "formreport: cannot read sub/gone.csv: No such file or directory\n");
    dir.write("sub/gone.csv", face(1, 0));
    EXPECT_EQ(test::report({"part", "sub/part.json", "--csv"}).status, exitok);
}

// A part file that cannot be evaluated as it stands: status 1, nothing on
// standard output, and the message exactly.
struct BadPart {
    const char* name;
    std::string text; // the part file
    std::string said; // after "formreport: "
};

void PrintTo(const BadPart& c, std::ostream* out) {
    *out << c.name;
}

class PartRefusals : public ::testing::TestWithParam<BadPart> {};

TEST_P(PartRefusals, SayWhatIsWrongAndWhere) {
    const BadPart& c = GetParam();
    test::Workdir dir;
    dir.write("face.csv", face(0, 0));
    dir.write("top.csv", face(20, 1e-4));
    dir.write("bad.csv", "x,y,z\n1,2,3\n1,2,x\n");
    dir.write("part.json", c.text);
    const test::ReportOutcome o = test::report({"part", "part.json"});
    EXPECT_EQ(o.status, exitinput);
    EXPECT_EQ(o.out, "");
    EXPECT_EQ(o.err, "formreport: " + c.said + "\n");
}

const std::string datumA = R"({"A": "face"})";
const std::string parallel =
    R"([{"characteristic": "parallelism", "feature": "top", "datums": ["A"], "tolerance": 0.01}])";

// The frame list with one frame's keys after "characteristic".
std::string oneframe(const std::string& characteristic, const std::string& rest) {
    return R"([{"characteristic": ")" + characteristic + "\", " + rest + "}]";
}

INSTANTIATE_TEST_SUITE_P(
    Part, PartRefusals,
    ::testing::Values(
        BadPart{"NotJson", "{\n  \"features\": x\n}",
                "part.json:2:15: not valid JSON: invalid literal; last read: '\"features\": x'"},
        BadPart{"JsonCutShort", "{\"features\": {}\n",
                "part.json:2:1: not valid JSON: unexpected end of input; expected '}'"},
        BadPart{"Empty", "",
                "part.json:1:1: not valid JSON: unexpected end of input; expected '[', '{', or a "
                "literal"},
        BadPart{"NumberBeyondADouble", R"({"features": {}, "tolerances": [1e999]})",
                "part.json:1:37: not valid JSON: number overflow parsing '1e999'"},
        BadPart{"KeyTwice", partfile(faces, R"({"A": "face", "A": "top"})", parallel),
                "part.json: \"datums\" has the key \"A\" twice"},
        BadPart{"NoObject", "[1, 2]",
                "part.json: a part file is a JSON object {\"features\": ..., \"tolerances\": "
                "...}, not [1,2]"},
        BadPart{"UnknownKey",
                partfile(R"({"face": {"file": "face.csv", "type": "plane", "materail": "hole"}})",
                         "{}", "[]"),
                "part.json: feature \"face\": unknown key \"materail\": a feature has \"file\", "
                "\"type\", \"material\", \"columns\", \"outward\" and \"sections\""},
        BadPart{"NoTolerances", R"({"features": {}})",
                "part.json: no \"tolerances\": give the drawing's tolerance frames"},
        BadPart{"FileOfWrongType",
                partfile(R"({"face": {"file": 3, "type": "plane"}})", "{}", "[]"),
                "part.json: feature \"face\": \"file\" is a string, not 3"},
        BadPart{"ToleranceOfWrongType",
                partfile(faces, datumA,
                         oneframe("flatness", R"("feature": "top", "tolerance": [0.01])")),
                "part.json: tolerance 1: \"tolerance\" is a number, or a number and its unit "
                "(\"20um\"), not [0.01]"},
        BadPart{"DatumsOfWrongType",
                partfile(faces, datumA,
                         oneframe("parallelism",
                                  R"("feature": "top", "datums": "A", "tolerance": 0.01)")),
                "part.json: tolerance 1: \"datums\" is a list of datum labels in the order of "
                "precedence ([\"A\", \"B\"]), not \"A\""},
        BadPart{"UnknownType",
                partfile(R"({"bore": {"file": "face.csv", "type": "cylindre"}})", "{}", "[]"),
                "part.json: feature \"bore\": the type is line, plane, circle, sphere, "
                "cylinder or cone, not 'cylindre'"},
        BadPart{"UnknownCharacteristic",
                partfile(faces, datumA,
                         oneframe("perpendicularty",
                                  R"("feature": "top", "datums": ["A"], "tolerance": 0.01)")),
                "part.json: tolerance 1: the characteristic is straightness, flatness, "
                "roundness, cylindricity, sphericity, conicity, parallelism, perpendicularity, "
                "angularity, position, coaxiality, concentricity, radial run-out, axial "
                "run-out, total radial run-out or total axial run-out, not 'perpendicularty'"},
        BadPart{"DatumOfAMissingFeature", partfile(faces, R"({"A": "floor"})", "[]"),
                "part.json: datum \"A\": the feature \"floor\" is not in \"features\""},
        BadPart{"CommonDatumOfAMissingFeature",
                partfile(faces, R"({"A-B": ["face", "side"]})", "[]"),
                "part.json: datum \"A-B\": the feature \"side\" is not in \"features\""},
        BadPart{"FrameOfAMissingFeature",
                partfile(faces, datumA,
                         oneframe("parallelism",
                                  R"("feature": "side", "datums": ["A"], "tolerance": 0.01)")),
                "part.json: tolerance 1: the feature \"side\" is not in \"features\""},
        BadPart{"FrameOfAMissingDatum",
                partfile(faces, datumA,
                         oneframe("parallelism",
                                  R"("feature": "top", "datums": ["B"], "tolerance": 0.01)")),
                "part.json: tolerance 1: the datum \"B\" is not in \"datums\""},
        BadPart{"TooManyDatums",
                partfile(faces, R"({"A": "face", "B": "top", "C": "face", "D": "top"})",
                         oneframe("position", R"("feature": "top", "datums": ["A", "B", "C", "D"],
                                                 "exact": [0, 0, 0], "tolerance": 0.01)")),
                "part.json: tolerance 1: position takes 1 to 3 datums, not 4"},
        BadPart{"DatumsOnAForm",
                partfile(faces, datumA,
                         oneframe("flatness",
                                  R"("feature": "top", "datums": ["A"], "tolerance": 0.01)")),
                "part.json: tolerance 1: flatness takes no datum, not 1"},
        BadPart{"NegativeTolerance",
                partfile(faces, datumA,
                         oneframe("flatness", R"("feature": "top", "tolerance": -0.01)")),
                "part.json: tolerance 1: \"tolerance\" is -0.01: give a width of at least 0"},
        BadPart{"AngularityWithoutAngle",
                partfile(faces, datumA,
                         oneframe("angularity",
                                  R"("feature": "top", "datums": ["A"], "tolerance": 0.01)")),
                "part.json: tolerance 1: no \"angle\": give the exact angle to the datum in "
                "degrees"},
        BadPart{"PositionWithoutExactPlace",
                partfile(faces, datumA,
                         oneframe("position",
                                  R"("feature": "top", "datums": ["A"], "tolerance": 0.01)")),
                "part.json: tolerance 1: no \"exact\": give the feature's exact place [x, y, z] "
                "in the datums' coordinates"},
        BadPart{"UnknownUnit", R"({"unit": "furlong", "features": {}, "tolerances": []})",
                "part.json: the unit is nm, um, \u00b5m, mm, cm, m, in or uin, not 'furlong'"},
        BadPart{"MaterialOfAPlane",
                partfile(R"({"face": {"file": "face.csv", "type": "plane", "material": "hole"}})",
                         "{}", "[]"),
                "part.json: feature \"face\": \"material\" is for circles, spheres, cylinders "
                "and cones, not a plane"},
        BadPart{"TooFewColumns",
                partfile(R"({"face": {"file": "face.csv", "type": "plane", "columns": "x,y"}})",
                         "{}", "[]"),
                "part.json: feature \"face\": \"columns\": a plane's points have 3 coordinates: "
                "name 3 columns"},
        BadPart{"OneSection",
                partfile(R"({"bore": {"file": "face.csv", "type": "cylinder", "sections": 1}})",
                         "{}", "[]"),
                "part.json: feature \"bore\": \"sections\" is 0 (the points' own runs along "
                "the axis) or a number of slabs from 2, not 1"},
        BadPart{"NoDirection",
                partfile(R"({"face": {"file": "face.csv", "type": "plane", "outward": [0, 0, 0]}})",
                         "{}", "[]"),
                "part.json: feature \"face\": \"outward\" is [0, 0, 0], which has no direction"},
        BadPart{"PointFileMalformed",
                partfile(R"({"face": {"file": "bad.csv", "type": "plane"}})", "{}", "[]"),
                "bad.csv:3:5: 'x' is not a number (column 3, z)"}),
    [](const auto& info) { return std::string(info.param.name); });

} // namespace
} // namespace formeval::report
