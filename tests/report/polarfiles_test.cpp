// Polar point files: the roles of --columns, the angle's unit, radii alone,
// radii about a nominal one, their refusals with file:line:column; results
// of a polar file equal to those of the same points written as x and y; and
// the note on a polar file read as x and y.
#include "report/commands/commands.h"
#include "report/pointfiles/pointfiles.h"
#include "tests/harness/harness.h"
#include "tests/report/support.h"

#include <cmath>
#include <gtest/gtest.h>
#include <nlohmann/json.hpp>
#include <sstream>

namespace formeval::report {
namespace {

const double pi = std::acos(-1.0);

struct PolarCase {
    const char* name;
    std::string text;
    PointColumns columns;
    std::vector<double> coordinates; // read, when `message` is empty
    const char* message;             // what formreport says, or "" when read
};

std::string said(const FileError& e) {
    std::ostringstream err;
    complain(err, e);
    return err.str();
}

class PolarReaderTest : public ::testing::TestWithParam<PolarCase> {};

TEST_P(PolarReaderTest, TurnsRolesIntoCoordinatesOrRefuses) {
    const PolarCase& c = GetParam();
    std::istringstream in(c.text);
    try {
        const PointFile f = readpointfile(in, "p.csv", c.columns);
        EXPECT_STREQ(c.message, "") << "read although it should be refused";
        EXPECT_TRUE(f.polar);
        ASSERT_EQ(f.coordinates.size(), c.coordinates.size());
        for (std::size_t k = 0; k < c.coordinates.size(); ++k)
            EXPECT_NEAR(f.coordinates[k], c.coordinates[k], 1e-14) << "coordinate " << k;
    } catch (const FileError& e) { EXPECT_EQ(said(e), c.message); }
}

PointColumns polar(std::vector<std::string> columns, int dimension = 2,
                   AngleUnit unit = AngleUnit::degrees,
                   std::optional<double> nominal = std::nullopt) {
    return {std::move(columns), dimension, unit, nominal};
}

INSTANTIATE_TEST_SUITE_P(
    Read, PolarReaderTest,
    ::testing::Values(
        PolarCase{"DegreesInTheFilesOrder",
                  "angle_deg,radius_mm\n0,2\n90,3\n180,1\n270,4\n-90,5\n450,6\n",
                  polar({"angle", "radius"}),
                  {2, 0, 0, 3, -1, 0, 0, -4, 0, -5, 0, 6},
                  ""},
        PolarCase{"Radians",
                  "0 2\n1.5 3\n-2 1\n",
                  polar({"angle", "radius"}, 2, AngleUnit::radians),
                  {2, 0, 3 * std::cos(1.5), 3 * std::sin(1.5), std::cos(-2.0), std::sin(-2.0)},
                  ""},
        PolarCase{"RolesWithTheirColumns",
                  "id;r;a;h\n7;2;30;5\n8;4;-60;6\n",
                  polar({"radius=2", "angle=a", "z=h"}, 3),
                  {std::sqrt(3.0), 1, 5, 2, -2 * std::sqrt(3.0), 6},
                  ""},
        PolarCase{"AngleRadiusZ",
                  "a r z\n45 2 -1\n",
                  polar({"angle", "radius", "z"}, 3),
                  {std::sqrt(2.0), std::sqrt(2.0), -1},
                  ""},
        PolarCase{"RadiiAloneAboutTheFullCircle",
                  "radius_mm\n5\n6\n7\n8\n",
                  polar({"radius"}),
                  {5, 0, 0, 6, -7, 0, 0, -8},
                  ""},
        PolarCase{"RadiiAloneWithZEachTraceAboutItsCircle",
                  "2,10\n2,10\n2,10\n3,11\n3,11\n",
                  polar({"radius", "z"}, 3),
                  {2, 0, 10, -1, std::sqrt(3.0), 10, -1, -std::sqrt(3.0), 10, 3, 0, 11, -3, 0, 11},
                  ""},
        PolarCase{"RadiiAloneWithZMeasuredEachTraceWhole",
                  "2,10\n2,10.000001\n2,9.999999\n3,11\n3,11.000001\n",
                  polar({"radius", "z"}, 3),
                  {2, 0, 10, -1, std::sqrt(3.0), 10.000001, -1, -std::sqrt(3.0), 9.999999, 3, 0, 11,
                   -3, 0, 11.000001},
                  ""},
        PolarCase{"BareRolesOutOfTheHeadersOrder",
                  "Angle,radius\n0,2\n90,3\n",
                  polar({"radius", "angle"}),
                  {},
                  "formreport: p.csv:1: the header names column 1 'Angle', which --columns "
                  "reads as the radius: list the roles in the file's order, or give each its "
                  "column (angle=Angle)\n"},
        PolarCase{"DeviationsAboutANominalRadius",
                  "angle,dev\n0,0.1\n90,-0.2\n",
                  polar({"angle", "radius"}, 2, AngleUnit::degrees, 10.0),
                  {10.1, 0, 0, 9.8},
                  ""},
        PolarCase{"RadiusBelowZero",
                  "angle_deg,radius_mm\n0,1\n90,-1\n",
                  polar({"angle", "radius"}),
                  {},
                  "formreport: p.csv:3:4: '-1' is a radius below 0 (column 2, radius_mm)\n"},
        PolarCase{"RadiusOfZero",
                  "angle_deg,radius_mm\n0,1\n90,0.000\n",
                  polar({"angle", "radius"}),
                  {},
                  "formreport: p.csv:3:4: '0.000' is a radius of 0, a dropout (column 2, "
                  "radius_mm)\n"},
        PolarCase{"DeviationToZero",
                  "0 2.5\n10  -2\n",
                  polar({"angle", "radius"}, 2, AngleUnit::degrees, 2.0),
                  {},
                  "formreport: p.csv:2:5: '-2' is a radius of 0, a dropout about the nominal "
                  "radius (column 2)\n"},
        PolarCase{"DeviationBelowTheNominal",
                  "0 0.5\n10  -3\n",
                  polar({"angle", "radius"}, 2, AngleUnit::degrees, 2.0),
                  {},
                  "formreport: p.csv:2:5: '-3' is a radius below 0 about the nominal radius "
                  "(column 2)\n"},
        PolarCase{"AngleNotANumber",
                  "angle,radius\n0,1\nten,1\n",
                  polar({"angle", "radius"}),
                  {},
                  "formreport: p.csv:3:1: 'ten' is not a number (column 1, angle)\n"},
        PolarCase{"NoColumnForZ",
                  "0,1\n",
                  polar({"angle", "radius", "z"}, 3),
                  {},
                  "formreport: p.csv:1: there is no column 3 (z): the lines hold 2 fields\n"},
        PolarCase{"HeaderWithoutTheNamedColumn",
                  "a,r\n0,1\n",
                  polar({"angle=theta", "radius=r"}),
                  {},
                  "formreport: p.csv:1: the header names no column 'theta': 'a,r'\n"},
        PolarCase{"AngleAndRadiusFromOneColumn",
                  "0,1\n",
                  polar({"angle=1", "radius=1"}),
                  {},
                  "formreport: p.csv:1: column 1 is chosen for two coordinates: each needs a "
                  "column of its own\n"}),
    test::namedby([](const PolarCase& c) { return std::string(c.name); }));

// Whole turns are exact: cos 90 degrees is 0, not 6e-17; elsewhere the
// values are those of the radians.
TEST(PolarFiles, SineAndCosineOfDegrees) {
    for (const double d :
         {-720.0, -270.0, -180.0, -90.0, 0.0, 90.0, 180.0, 270.0, 360.0, 900000.0}) {
        double s = 0, c = 0;
        sincosdegrees(d, s, c);
        const int quarter = static_cast<int>(std::lround(std::fmod(d / 90, 4) + 4)) % 4;
        EXPECT_EQ(s, (quarter == 1) - (quarter == 3)) << d;
        EXPECT_EQ(c, (quarter == 0) - (quarter == 2)) << d;
    }
    // Against long double radians: the degrees' remainder is exact, the
    // product of a large angle and pi / 180 is not.
    const long double radian = std::acos(-1.0L) / 180;
    for (const double d : {1e-9, 30.0, 44.99, 45.01, 123.456, -300.7, 719.5, 12345.678}) {
        double s = 0, c = 0;
        sincosdegrees(d, s, c);
        EXPECT_NEAR(s, static_cast<double>(std::sin(d * radian)), 3e-16) << d;
        EXPECT_NEAR(c, static_cast<double>(std::cos(d * radian)), 3e-16) << d;
    }
}

struct ListCase {
    const char* name;
    std::vector<std::string> columns;
    int dimension;
    const char* why; // "" when the list is good
};

class PolarListTest : public ::testing::TestWithParam<ListCase> {};

TEST_P(PolarListTest, SaysWhyAListCannotGiveThePoints) {
    const ListCase& c = GetParam();
    EXPECT_EQ(polarrefusal(c.columns, c.dimension), c.why);
}

INSTANTIATE_TEST_SUITE_P(
    Lists, PolarListTest,
    ::testing::Values(
        ListCase{"Cartesian", {"2", "3"}, 2, ""},
        ListCase{"CartesianNamedZ", {"x", "y", "z"}, 3, ""},
        ListCase{"AngleRadius", {"angle", "radius"}, 2, ""},
        ListCase{"RadiusAlone", {"radius"}, 2, ""},
        ListCase{"AngleRadiusZ", {"angle=4", "radius=r", "z"}, 3, ""},
        ListCase{"NoRole",
                 {"angle", "r_mm"},
                 2,
                 "polar columns name the roles angle, radius and z, each bare (its place in the "
                 "list) or with its column (radius=3, radius=r_mm), not 'r_mm'"},
        ListCase{
            "NoColumnAfterTheSign", {"angle=", "radius"}, 2, "'angle=' names no column after '='"},
        ListCase{"RoleTwice", {"radius", "radius=2"}, 2, "polar columns name the role radius once"},
        ListCase{
            "NoRadius", {"angle"}, 2, "polar columns need a radius: angle,radius or radius alone"},
        ListCase{"NoZ",
                 {"angle", "radius"},
                 3,
                 "the points have 3 coordinates: name z beside the polar columns (angle,radius,z)"},
        ListCase{"ZTooMany",
                 {"angle", "radius", "z"},
                 2,
                 "the points have 2 coordinates: polar columns without z"}),
    test::namedby([](const ListCase& c) { return std::string(c.name); }));

// A roundness trace: radius 25 with a lobing and a wobble no circle fits
// exactly, at n angles from `start` degrees.
std::vector<std::array<double, 3>> trace(int n, double start = 0, double z = 0) {
    std::vector<std::array<double, 3>> p;
    for (int i = 0; i < n; ++i) {
        const double a = start + 360.0 * i / n;
        const double r = 25 + 0.003 * std::cos(3 * a * pi / 180) + 0.001 * std::sin(2.7 * i);
        p.push_back({a, r, z});
    }
    return p;
}

std::string written(const std::vector<std::string>& lines) {
    std::string text;
    for (const std::string& l : lines) text += l + "\n";
    return text;
}

std::string number(double v) {
    std::ostringstream out;
    out.precision(17);
    out << v;
    return out.str();
}

// The numbers of every row of `results --json`, in order.
std::vector<std::vector<double>> rownumbers(const std::string& json) {
    std::vector<std::vector<double>> rows;
    const nlohmann::json parsed = nlohmann::json::parse(json);
    for (const auto& row : parsed["rows"]) {
        std::vector<double> numbers;
        for (const auto& [key, value] : row.items())
            if (value.is_number() && key != "line") numbers.push_back(value.get<double>());
        rows.push_back(numbers);
    }
    return rows;
}

void expectsamerows(const std::vector<std::vector<double>>& a,
                    const std::vector<std::vector<double>>& b) {
    ASSERT_EQ(a.size(), b.size());
    ASSERT_FALSE(a.empty());
    for (std::size_t r = 0; r < a.size(); ++r) {
        ASSERT_EQ(a[r].size(), b[r].size()) << "row " << r;
        for (std::size_t k = 0; k < a[r].size(); ++k)
            EXPECT_NEAR(a[r][k], b[r][k], 1e-12 * std::max(1.0, std::fabs(b[r][k])))
                << "row " << r << " number " << k;
    }
}

struct SameCase {
    const char* name;
    std::string feature;
    std::vector<std::string> options; // how the polar file is read
    bool radians = false;
    bool radiialone = false;
    double nominal = 0; // radii written as deviations about it
    bool stack = false; // three traces at z 0, 5 and 10
};

class PolarResultsTest : public ::testing::TestWithParam<SameCase> {};

// The same points written as angles and radii and as x and y give the same
// rows, every number of them to 1e-12.
TEST_P(PolarResultsTest, EqualThoseOfTheCartesianFile) {
    const SameCase& c = GetParam();
    std::vector<std::array<double, 3>> points;
    for (const double z : c.stack ? std::vector<double>{0, 5, 10} : std::vector<double>{0}) {
        const auto t = trace(c.radiialone ? 360 : 200, c.radiialone ? 0 : 17.5, z);
        points.insert(points.end(), t.begin(), t.end());
    }
    std::vector<std::string> polarlines = {c.stack ? "a,r,z" : "a,r"};
    std::vector<std::string> cartesian = {c.stack ? "x,y,z" : "x,y"};
    for (const auto& [a, r, z] : points) {
        const double t = a * pi / 180;
        const std::string tail = c.stack ? "," + number(z) : "";
        const std::string angle = c.radians ? number(t) : number(a);
        polarlines.push_back((c.radiialone ? "" : angle + ",") + number(r - c.nominal) + tail);
        cartesian.push_back(number(r * std::cos(t)) + "," + number(r * std::sin(t)) + tail);
    }
    if (c.radiialone) polarlines[0] = c.stack ? "r,z" : "r";
    test::Workdir dir;
    dir.write("polar.csv", written(polarlines));
    dir.write("xy.csv", written(cartesian));
    std::vector<std::string> args = {"results", "polar.csv", "--json", "--feature", c.feature};
    args.insert(args.end(), c.options.begin(), c.options.end());
    const test::ReportOutcome p = test::report(args);
    const test::ReportOutcome x =
        test::report({"results", "xy.csv", "--json", "--feature", c.feature});
    ASSERT_EQ(p.status, exitok) << p.err;
    ASSERT_EQ(x.status, exitok) << x.err;
    EXPECT_EQ(p.err, "");
    expectsamerows(rownumbers(p.out), rownumbers(x.out));
}

INSTANTIATE_TEST_SUITE_P(
    Files, PolarResultsTest,
    ::testing::Values(
        SameCase{"Degrees", "circle", {"--columns", "angle,radius"}},
        SameCase{"Radians", "circle", {"--columns", "angle,radius", "--angle-unit", "rad"}, true},
        SameCase{"RadiiAlone", "circle", {"--columns", "radius"}, false, true},
        SameCase{"AboutANominal",
                 "circle",
                 {"--columns", "angle,radius", "--nominal-radius", "25"},
                 false,
                 false,
                 25},
        SameCase{
            "CylinderWithZ", "cylinder", {"--columns", "angle,radius,z"}, false, false, 0, true}),
    test::namedby([](const SameCase& c) { return std::string(c.name); }));

struct NoteCase {
    const char* name;
    std::string text;
    std::vector<std::string> options;
    const char* note; // "" for none
};

class PolarNoteTest : public ::testing::TestWithParam<NoteCase> {};

// The note goes to standard error and into the JSON notes; the exit status
// is what the evaluation makes it.
TEST_P(PolarNoteTest, NamesThePolarColumns) {
    const NoteCase& c = GetParam();
    test::Workdir dir;
    dir.write("p.csv", c.text);
    std::vector<std::string> args = {"results", "p.csv", "--json"};
    args.insert(args.end(), c.options.begin(), c.options.end());
    const test::ReportOutcome o = test::report(args);
    EXPECT_EQ(o.status, exitok) << o.err;
    const std::string note = c.note;
    EXPECT_EQ(o.err, note.empty() ? "" : "formreport: p.csv: " + note + "\n");
    const auto notes = nlohmann::json::parse(o.out)["notes"];
    if (note.empty())
        EXPECT_TRUE(notes.empty()) << notes;
    else {
        ASSERT_EQ(notes.size(), 1u);
        EXPECT_EQ(notes[0]["note"], note);
    }
}

std::string polartext(int n, double from, double step, double scale = 1) {
    std::vector<std::string> lines = {"angle,radius"};
    for (const auto& [a, r, z] : trace(n))
        lines.push_back(number((from + step * (a / 360 * n)) * scale) + "," + number(r));
    return written(lines);
}

std::string circletext() {
    std::vector<std::string> lines;
    for (const auto& [a, r, z] : trace(90))
        lines.push_back(number(r * std::cos(a * pi / 180)) + " " +
                        number(r * std::sin(a * pi / 180)));
    return written(lines);
}

INSTANTIATE_TEST_SUITE_P(
    Notes, PolarNoteTest,
    ::testing::Values(
        NoteCase{"DegreesReadAsXY",
                 polartext(360, 0, 1),
                 {"--feature", "circle"},
                 "the first column runs monotonically from 0 to 359 as angles in degrees do: if "
                 "the file holds angles and radii, read it with --columns angle,radius"},
        NoteCase{"DescendingDegreesReadAsXY",
                 polartext(360, 359, -1),
                 {"--feature", "circle"},
                 "the first column runs monotonically from 359 to 0 as angles in degrees do: if "
                 "the file holds angles and radii, read it with --columns angle,radius"},
        NoteCase{"RadiansReadAsDegrees",
                 polartext(100, 0, 2 * pi / 100),
                 {"--feature", "circle", "--columns", "angle,radius"},
                 "the angles run from 0 to 6.22 as angles in radians do: if they are radians, "
                 "read the file with --angle-unit rad"},
        NoteCase{"DegreesReadAsRadians",
                 polartext(360, 0, 1),
                 {"--feature", "circle", "--columns", "angle,radius", "--angle-unit", "rad"},
                 "the angles run from 0 to 359 as angles in degrees do: if they are degrees, "
                 "leave out --angle-unit rad"},
        NoteCase{"RadiansReadAsXYFromMinusPi",
                 polartext(100, -50, 1, 2 * pi / 100),
                 {"--feature", "circle"},
                 "the first column runs monotonically from -3.14 to 3.08 as angles in radians "
                 "do: if the file holds angles and radii, read it with --columns angle,radius "
                 "--angle-unit rad"},
        NoteCase{
            "ShortArcReadAsXY",
            polartext(200, 0, 0.25),
            {"--feature", "circle"},
            "the least-squares circle's radius, 3.45e+05, is 6.92e+03 times the points' extent, "
            "49.8, as of polar points read as x and y: if the file holds angles and radii, "
            "read it with --columns angle,radius"},
        NoteCase{"ReadAsPolar",
                 polartext(360, 0, 1),
                 {"--feature", "circle", "--columns", "angle,radius"},
                 ""},
        NoteCase{"ACircle", circletext(), {"--feature", "circle"}, ""},
        NoteCase{"AStraightnessProfile", polartext(360, 0, 1), {"--feature", "line"}, ""}),
    test::namedby([](const NoteCase& c) { return std::string(c.name); }));

// A cylinder's file of angle, radius, z read as x, y, z: the note names the
// three polar columns; a plane's (no radius) gets none.
TEST(PolarFiles, NoteOnACylinderReadAsXYZ) {
    PointFile f;
    f.file = "c.csv";
    f.dimension = 3;
    for (int i = 0; i < 36; ++i)
        f.coordinates.insert(f.coordinates.end(), {10.0 * i, 5, i % 3 * 1.0});
    EXPECT_EQ(polarhint(f, Feature::cylinder),
              "the first column runs monotonically from 0 to 350 as angles in degrees do: if the "
              "file holds angles and radii, read it with --columns angle,radius,z");
    EXPECT_EQ(polarhint(f, Feature::plane), "");
    f.polar = true;
    EXPECT_EQ(polarhint(f, Feature::cylinder), "");
    // A stack of three rings, the angles starting again at each z; the same
    // rings as x, y, z get no note.
    PointFile stack, rings;
    stack.dimension = rings.dimension = 3;
    for (int k = 0; k < 3; ++k)
        for (int i = 0; i < 36; ++i) {
            stack.coordinates.insert(stack.coordinates.end(), {10.0 * i, 5, 10.0 * k});
            const double a = 10.0 * i * pi / 180;
            rings.coordinates.insert(rings.coordinates.end(),
                                     {5 * std::cos(a), 5 * std::sin(a), 10.0 * k});
        }
    EXPECT_EQ(polarhint(stack, Feature::cylinder),
              "the first column runs monotonically from 0 to 350 within each of the 3 runs of one "
              "z, as angles in degrees do: if the file holds angles and radii, read it with "
              "--columns angle,radius,z");
    EXPECT_EQ(polarhint(rings, Feature::cylinder), "");
}

struct UsageCase {
    const char* name;
    std::vector<std::string> args;
    const char* says;
};

class PolarUsageTest : public ::testing::TestWithParam<UsageCase> {};

TEST_P(PolarUsageTest, RefusesTheCommandLine) {
    const UsageCase& c = GetParam();
    test::Workdir dir;
    dir.write("p.csv", "0,1\n90,1\n180,1\n");
    const test::ReportOutcome o = test::report(c.args);
    EXPECT_EQ(o.status, exitusage);
    EXPECT_NE(o.err.find(c.says), std::string::npos) << o.err;
}

INSTANTIATE_TEST_SUITE_P(
    CommandLines, PolarUsageTest,
    ::testing::Values(
        UsageCase{"AngleUnitWithoutAnAngle",
                  {"results", "p.csv", "--feature", "circle", "--columns", "radius", "--angle-unit",
                   "rad"},
                  "--angle-unit: the polar columns have no angle"},
        UsageCase{
            "AngleUnitOfCartesianColumns",
            {"results", "p.csv", "--feature", "circle", "--columns", "1,2", "--angle-unit", "rad"},
            "--angle-unit: it is for polar columns: --columns angle,radius"},
        UsageCase{
            "NominalOfCartesianColumns",
            {"polar", "p.csv", "--feature", "circle", "--columns", "1,2", "--nominal-radius", "3"},
            "--nominal-radius: it is for polar columns: --columns angle,radius"},
        UsageCase{"NominalNotPositive",
                  {"results", "p.csv", "--feature", "circle", "--columns", "angle,radius",
                   "--nominal-radius", "-3"},
                  "is not a positive number"},
        UsageCase{"NoSuchAngleUnit",
                  {"results", "p.csv", "--feature", "circle", "--columns", "angle,radius",
                   "--angle-unit", "grad"},
                  "--angle-unit"},
        UsageCase{"CylinderWithoutZ",
                  {"uncertainty", "p.csv", "--sigma", "1", "--feature", "cylinder", "--columns",
                   "angle,radius"},
                  "--columns: a cylinder: the points have 3 coordinates: name z beside the polar "
                  "columns (angle,radius,z)"},
        UsageCase{"CircleWithZ",
                  {"results", "p.csv", "--feature", "circle", "--columns", "angle,radius,z"},
                  "--columns: a circle: the points have 2 coordinates: polar columns without z"}),
    test::namedby([](const UsageCase& c) { return std::string(c.name); }));

} // namespace
} // namespace formeval::report
