// Stacks of sections: the grouping by z, the taper, the axis and generatrix
// straightness against stacks whose answers are known by hand, each
// section's rows equal to those of the section alone, and the refusals.
#include "report/commands/commands.h"
#include "report/evaluation/evaluation.h"
#include "tests/harness/harness.h"
#include "tests/report/support.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <gtest/gtest.h>
#include <nlohmann/json.hpp>
#include <random>
#include <sstream>

namespace formeval::report {
namespace {

const double pi = std::acos(-1.0);

// One section: its z, centre, radius, and a form added to the radius.
struct Ring {
    double z, cx, cy, r;
};

// n points a ring, counterclockwise from `start` radians; `form` adds to
// the radius at angle t of section k.
std::vector<double> stack(const std::vector<Ring>& rings, int n,
                          double (*form)(double t, std::size_t k) = nullptr, double start = 0) {
    std::vector<double> xyz;
    for (std::size_t k = 0; k < rings.size(); ++k)
        for (int i = 0; i < n; ++i) {
            const double t = start + 2 * pi * i / n;
            const double r = rings[k].r + (form ? form(t, k) : 0);
            xyz.insert(xyz.end(),
                       {rings[k].cx + r * std::cos(t), rings[k].cy + r * std::sin(t), rings[k].z});
        }
    return xyz;
}

Stack evaluated(const std::vector<double>& xyz) {
    return evaluatestack({xyz.data(), xyz.size() / 3, 3, 3});
}

struct HandCase {
    const char* name;
    std::vector<Ring> rings;
    double taper, axis, generatrix; // known by hand
};

class StackByHandTest : public ::testing::TestWithParam<HandCase> {};

TEST_P(StackByHandTest, MeasuresAsComputedByHand) {
    const HandCase& c = GetParam();
    const Stack s = evaluated(stack(c.rings, 72));
    ASSERT_EQ(s.failure, "");
    ASSERT_EQ(s.sections.size(), c.rings.size());
    for (std::size_t k = 0; k < c.rings.size(); ++k) {
        EXPECT_EQ(s.sections[k].section, static_cast<int>(k) + 1);
        EXPECT_EQ(s.sections[k].sectionz, c.rings[k].z); // every point at the ring's z
        const Fit* ls = s.sections[k].find(Criterion::leastsquares, Source::pointset);
        ASSERT_NE(ls, nullptr);
        EXPECT_NEAR(ls->r, c.rings[k].r, 1e-9);
    }
    const StackMeasures& m = s.measures;
    EXPECT_NEAR(m.taper, c.taper, 1e-11);
    EXPECT_NEAR(m.diameterchange, 2 * c.taper * (c.rings.back().z - c.rings.front().z), 1e-9);
    EXPECT_NEAR(m.axis, c.axis, 1e-9);
    EXPECT_NEAR(m.generatrix, c.generatrix, 1e-9);
    EXPECT_TRUE(s.cylinder.ok()) << s.cylinder.failure;
}

// A taper of 0.001 a unit of z: radii 10, 10.01, 10.02 at z 0, 10, 20. A
// middle centre off by a: the least-squares line of the centres runs along
// z through x = a/3, the middle one 2a/3 from it. A barrel b (z - 10)^2:
// the generatrices (0, 100 b), (10, 0), (20, 100 b) have a zone of 100 b.
INSTANTIATE_TEST_SUITE_P(
    Stacks, StackByHandTest,
    ::testing::Values(
        HandCase{"Cylinder", {{0, 1, 2, 10}, {10, 1, 2, 10}, {20, 1, 2, 10}}, 0, 0, 0},
        HandCase{"Taper", {{0, 0, 0, 10}, {10, 0, 0, 10.01}, {20, 0, 0, 10.02}}, 0.001, 0, 0},
        HandCase{"LeaningAxis", {{0, 0, 0, 10}, {10, 0.5, 0.2, 10}, {20, 1, 0.4, 10}}, 0, 0, 0},
        HandCase{
            "BentAxis", {{0, 0, 0, 10}, {10, 0.03, 0, 10}, {20, 0, 0, 10}}, 0, 4 * 0.03 / 3, 0},
        HandCase{"Barrel", {{0, 0, 0, 10.1}, {10, 0, 0, 10}, {20, 0, 0, 10.1}}, 0, 0, 0.1}),
    test::namedby([](const HandCase& c) { return std::string(c.name); }));

// A generatrix runs over the sections measured at its angle. The middle
// section of three trilobes is an arc of 240 degrees (its centre pulled off
// the axis by the lobes it lacks); in its gap the other two, alike, are
// straight, where its radii drawn across the gap once made a zone of about
// twice the lobes' height at 300 degrees. Within the arc the zone is its
// centre's pull, under the lobes' height.
TEST(Sections, AGeneratrixRunsOnlyOverTheSectionsMeasuredThere) {
    const auto trilobe = [](double t, std::size_t) { return 0.01 * std::cos(3 * t); };
    std::vector<double> xyz = stack({{0, 0, 0, 10}, {20, 0, 0, 10}}, 360, trilobe);
    const std::vector<double> arc = stack({{10, 0, 0, 10}}, 540, trilobe);
    xyz.insert(xyz.end(), arc.begin(), arc.begin() + 3 * 360); // 0 to 240 degrees
    const Stack s = evaluated(xyz);
    ASSERT_EQ(s.failure, "");
    EXPECT_LT(s.measures.generatrixangle, 240);
    EXPECT_LT(s.measures.generatrix, 0.01);
    // Two sections make a line of any two radii: a zone of 0, not rounding.
    const Stack two = evaluated(stack({{0, 0, 0, 10}, {20, 0.3, 0, 10.02}}, 360, trilobe));
    ASSERT_EQ(two.failure, "");
    EXPECT_EQ(two.measures.generatrix, 0);
}

// The points' order in the file does not matter, nor a z within the
// tolerance of its section's.
TEST(Sections, GroupedByZWhateverTheOrder) {
    std::vector<double> xyz =
        stack({{0, 0, 0, 5}, {3, 0, 0, 5.01}, {6, 0, 0, 5.03}}, 60,
              [](double t, std::size_t k) { return 0.002 * std::cos(3 * t + k); });
    const Stack in = evaluated(xyz);
    for (std::size_t i = 2; i < xyz.size(); i += 9) xyz[i] += 1e-4; // 6 * sectiongap / 60
    std::vector<std::array<double, 3>> points(xyz.size() / 3);
    for (std::size_t i = 0; i < points.size(); ++i)
        points[i] = {xyz[3 * i], xyz[3 * i + 1], xyz[3 * i + 2]};
    std::shuffle(points.begin(), points.end(), std::mt19937(7));
    std::vector<double> shuffled;
    for (const auto& p : points) shuffled.insert(shuffled.end(), p.begin(), p.end());
    const Stack out = evaluated(shuffled);
    ASSERT_EQ(out.failure, "");
    ASSERT_EQ(out.sections.size(), 3u);
    for (std::size_t k = 0; k < 3; ++k) {
        EXPECT_EQ(out.sections[k].record.numpt, 60);
        EXPECT_NEAR(out.sections[k].fits[1].error, in.sections[k].fits[1].error, 1e-12);
    }
    EXPECT_NEAR(out.measures.taper, in.measures.taper, 1e-9);
    EXPECT_NEAR(out.measures.generatrix, in.measures.generatrix, 1e-6);
}

struct RefusalCase {
    const char* name;
    std::vector<double> xyz;
    const char* failure;
    std::vector<double> column = {}; // each point's section, when grouped by a column
};

class StackRefusalTest : public ::testing::TestWithParam<RefusalCase> {};

TEST_P(StackRefusalTest, SaysWhichSection) {
    const RefusalCase& c = GetParam();
    const pointset::Points points{c.xyz.data(), c.xyz.size() / 3, 3, 3};
    const std::vector<double>* column = c.column.empty() ? nullptr : &c.column;
    EXPECT_EQ(evaluatestack(points, column).failure, c.failure);
    // Points that make no sections: the outlier rule judges none, and says
    // nothing of points removed.
    if (stacksections(points, column).failure.empty()) return;
    const StackOutliers cut = cutstackoutliers(points, column, 4);
    EXPECT_EQ(cut.summary, "");
    EXPECT_EQ(cut.cut.kept, c.xyz);
}

// One ring of 2000 points whose z falls by 1e-4 from point to point, from
// 2.2 to 2.0001: one section (each step within a thousandth of the extent)
// at its mean z, 2.10005.
std::vector<double> sinkingring() {
    std::vector<double> xyz;
    for (int i = 0; i < 2000; ++i) {
        const double t = 2 * pi * i / 2000;
        xyz.insert(xyz.end(), {std::cos(t), std::sin(t), 2.2 - 1e-4 * i});
    }
    return xyz;
}

// Two rings of 8 points numbered 1 and 2, both at z 0.
std::vector<double> ringsnumbered() {
    std::vector<double> column(8, 1.0);
    column.resize(16, 2.0);
    return column;
}

std::vector<double> withtwopointsat(double z) {
    std::vector<double> xyz = stack({{0, 0, 0, 1}, {10, 0, 0, 1}}, 8);
    xyz.insert(xyz.end(), {1, 0, z, 0, 1, z});
    return xyz;
}

INSTANTIATE_TEST_SUITE_P(
    Refusals, StackRefusalTest,
    ::testing::Values(
        RefusalCase{"TwoPointsInASection", withtwopointsat(5),
                    "the section at z = 5 holds 2 points: a section needs 3 at least"},
        RefusalCase{"OneSection", stack({{2.5, 0, 0, 1}}, 8),
                    "the points lie in one section (z = 2.5): a stack needs 2 "
                    "sections at least"},
        RefusalCase{"OneSectionAtItsMeanZ", sinkingring(),
                    "the points lie in one section (z = 2.10005): a stack needs 2 sections at "
                    "least"},
        RefusalCase{"SectionsAtOneZ", stack({{0, 0, 0, 1}, {0, 0.1, 0, 1.2}}, 8),
                    "the 2 sections lie at one z (z = 0): a stack needs "
                    "sections at 2 z at least",
                    ringsnumbered()}),
    test::namedby([](const RefusalCase& c) { return std::string(c.name); }));

std::string number(double v) {
    std::ostringstream out;
    out.precision(17);
    out << v;
    return out.str();
}

// A stack to compare with its sections alone: its rings, 90 points each, and
// the options given to the stack and to each section alone alike.
struct OwnFileCase {
    const char* name;
    std::vector<Ring> rings;
    std::vector<std::string> options;
    std::size_t spike = 0;         // a point 0.05 further out in x, when not 0
    std::vector<std::string> says; // on standard error
};

class SectionsAloneTest : public ::testing::TestWithParam<OwnFileCase> {};

// Every section's rows equal those of `results --feature circle` of the
// section's points alone, with the same options; the stack's rows follow
// with section 0. polar prints each section's minimum-zone RONt alike.
TEST_P(SectionsAloneTest, EachSectionAsItsOwnFile) {
    const OwnFileCase& c = GetParam();
    const std::vector<Ring>& rings = c.rings;
    std::vector<double> xyz = stack(
        rings, 90, [](double t, std::size_t k) { return 0.002 * std::sin(2.7 * t * (k + 1)); });
    if (c.spike > 0) xyz[3 * c.spike] += 0.05;
    test::Workdir dir;
    std::string all = "x,y,z\n";
    std::vector<std::string> alone(rings.size(), "x,y\n");
    for (std::size_t i = 0; i < xyz.size(); i += 3) {
        all += number(xyz[i]) + "," + number(xyz[i + 1]) + "," + number(xyz[i + 2]) + "\n";
        alone[i / 3 / 90] += number(xyz[i]) + "," + number(xyz[i + 1]) + "\n";
    }
    dir.write("stack.csv", all);
    const auto with = [&](std::vector<std::string> args) {
        args.insert(args.end(), c.options.begin(), c.options.end());
        return test::report(args);
    };
    const test::ReportOutcome s =
        with({"results", "stack.csv", "--feature", "cylinder", "--sections", "--json"});
    ASSERT_EQ(s.status, exitok) << s.err;
    const bool charts = chartsavailable();
    test::ReportOutcome chart;
    if (charts) {
        chart = with({"polar", "stack.csv", "--feature", "cylinder", "--sections", "-o", "out"});
        ASSERT_EQ(chart.status, exitok) << chart.err;
    }
    for (const std::string& text : c.says) {
        EXPECT_NE(s.err.find(text), std::string::npos) << s.err;
        if (charts) { EXPECT_NE(chart.err.find(text), std::string::npos) << chart.err; }
    }
    const nlohmann::json rows = nlohmann::json::parse(s.out)["rows"];
    ASSERT_EQ(rows.size(), 4 * rings.size() + 4 + 3);
    for (std::size_t k = 0; k < rings.size(); ++k) {
        dir.write("alone.csv", alone[k]);
        const test::ReportOutcome a =
            with({"results", "alone.csv", "--feature", "circle", "--json"});
        const nlohmann::json own = nlohmann::json::parse(a.out)["rows"];
        ASSERT_EQ(own.size(), 4u);
        for (std::size_t r = 0; r < 4; ++r) {
            const nlohmann::json& row = rows[4 * k + r];
            EXPECT_EQ(row["section"], k + 1);
            EXPECT_NEAR(row["z"].get<double>(), rings[k].z, 1e-12);
            EXPECT_EQ(row["points"], own[r]["points"]) << "section " << k + 1;
            for (const char* field : {"centre_x", "centre_y", "radius", "t", "p", "v", "q"})
                EXPECT_EQ(row[field], own[r][field]) << "section " << k + 1 << " " << field;
        }
        if (!charts) continue;
        const std::string line =
            "\n  section " + std::to_string(k + 1) + ", z " + number(rings[k].z) + ": ";
        const std::size_t at = chart.out.find(line);
        ASSERT_NE(at, std::string::npos) << line;
        EXPECT_NEAR(std::stod(chart.out.substr(at + line.size())), own[1]["t"].get<double>(), 1e-12)
            << line;
    }
    const std::vector<std::string> stackrows = {"taper", "axis straightness",
                                                "generatrix straightness"};
    for (std::size_t k = 0; k < 3; ++k) {
        const nlohmann::json& row = rows[rows.size() - 3 + k];
        EXPECT_EQ(row["method"], stackrows[k]);
        EXPECT_EQ(row["section"], 0);
        EXPECT_EQ(row["shape"], "stack");
    }
    EXPECT_EQ(rows[4 * rings.size()]["shape"], "cylinder");
}

// With the outlier rule each section is judged about its own circle: the
// spike (point 101, in the second ring) goes, and the last of eight rings,
// 30 micrometres off the others' axis, keeps every point (about the stack's
// cylinder it would lose 72 of its 90, those on its far side).
INSTANTIATE_TEST_SUITE_P(
    Stacks, SectionsAloneTest,
    ::testing::Values(
        OwnFileCase{"Plain", {{0, 0.001, 0, 8}, {4, 0, 0.002, 8.001}, {8, 0, 0, 8.003}}, {}, 0, {}},
        OwnFileCase{"OutliersOfEachSection",
                    {{0, 0, 0, 8},
                     {4, 0, 0, 8},
                     {8, 0, 0, 8},
                     {12, 0, 0, 8},
                     {16, 0, 0, 8},
                     {20, 0, 0, 8},
                     {24, 0, 0, 8},
                     {28, 0.03, 0, 8}},
                    {"--outliers", "4"},
                    100,
                    {": section 2, z 4: 1 of 90 points removed as outliers (deviation from the "
                     "median beyond 4 robust standard deviations, ",
                     "about the least-squares circle): point 101 (+"}}),
    test::namedby([](const OwnFileCase& c) { return std::string(c.name); }));

// Two rings of 30 points whose z steps by 0.006 from point to point, 10
// apart: a gap of 0.010087 divides sections. The spike taken out of the
// first leaves a step of 0.012 in it; its points stay one section, as the
// outlier rule judged them, not two half rings.
TEST(Sections, OutliersLeaveTheSectionsAsJudged) {
    std::string text = "x,y,z\n";
    for (int k = 0; k < 2; ++k)
        for (int i = 0; i < 30; ++i) {
            const double t = 2 * pi * i / 30;
            const double r = 8 + 0.0005 * std::cos(3 * t) + 0.0001 * std::sin(5 * t + k) +
                             (k == 0 && i == 15 ? 0.05 : 0);
            text += number(r * std::cos(t)) + "," + number(r * std::sin(t)) + "," +
                    number(10 * k + 0.006 * i) + "\n";
        }
    test::Workdir dir;
    dir.write("rings.csv", text);
    const test::ReportOutcome o = test::report({"results", "rings.csv", "--feature", "cylinder",
                                                "--sections", "--outliers", "4", "--json"});
    ASSERT_EQ(o.status, exitok) << o.err;
    EXPECT_NE(o.err.find("section 1, z 0.087: 1 of 30 points removed as outliers"),
              std::string::npos)
        << o.err;
    const nlohmann::json parsed = nlohmann::json::parse(o.out);
    EXPECT_EQ(parsed["files"][0]["sections"], 2);
    std::vector<int> points;
    for (const auto& row : parsed["rows"])
        if (row["method"] == "least squares" && row["section"] != 0)
            points.push_back(row["points"]);
    EXPECT_EQ(points, (std::vector<int>{29, 30}));
    if (!chartsavailable()) return;
    const test::ReportOutcome chart = test::report({"polar", "rings.csv", "--feature", "cylinder",
                                                    "--sections", "--outliers", "4", "-o", "out"});
    ASSERT_EQ(chart.status, exitok) << chart.err;
    EXPECT_EQ(chart.out.rfind("rings.csv: stack of 2 sections plotted", 0), 0u) << chart.out;
}

// polar --sections: one closed profile a section, each ring's centre at
// its section's level, the axis through every section, the z and roundness
// of each named, and each section's roundness and the measures printed.
TEST(Sections, ChartOfTheStack) {
    if (!chartsavailable()) GTEST_SKIP() << "built without pictures";
    const std::vector<Ring> rings = {
        {0, 0, 0, 6}, {2, 0.001, 0, 6}, {4, -0.001, 0, 6}, {6, 0, 0, 6}};
    const std::vector<double> xyz =
        stack(rings, 72, [](double t, std::size_t k) { return 0.001 * std::cos(2 * t + k); });
    test::Workdir dir;
    std::string text;
    for (std::size_t i = 0; i < xyz.size(); i += 3)
        text += number(xyz[i]) + " " + number(xyz[i + 1]) + " " + number(xyz[i + 2]) + "\n";
    dir.write("shaft.txt", text);
    const test::ReportOutcome o = test::report(
        {"polar", "shaft.txt", "--feature", "cylinder", "--sections", "--unit", "mm", "-o", "out"});
    ASSERT_EQ(o.status, exitok) << o.err;
    EXPECT_EQ(o.out.substr(0, o.out.find('\n')),
              "shaft.txt: stack of 4 sections plotted in shaft-stack.svg; roundness of each "
              "section (RONt, minimum zone) and the stack's measures");
    for (const char* line :
         {"\n  section 1, z 0: ", "\n  section 4, z 6: ", "\n  taper: change of diameter ",
          "\n  axis straightness ", "\n  generatrix straightness "})
        EXPECT_NE(o.out.find(line), std::string::npos) << line;
    const test::Svg svg = test::parsesvg(dir.path() / "out" / "shaft-stack.svg");
    ASSERT_TRUE(svg.wellformed) << svg.error;
    const auto rings_ = test::strokes(svg, {0.122, 0.467, 0.706}, 0.8);
    EXPECT_EQ(rings_.size(), rings.size());
    const auto axis = test::strokes(svg, {0.839, 0.153, 0.157}, 1.4);
    ASSERT_EQ(axis.size(), 1u);
    const auto centres = test::vertices(axis[0]->attributes.at("d"));
    ASSERT_EQ(centres.size(), rings.size());
    // z up the page, evenly (the centres offset in x alone)
    for (std::size_t k = 1; k < centres.size(); ++k)
        EXPECT_NEAR(centres[k - 1].second - centres[k].second,
                    centres[0].second - centres[1].second, 1.0);
    const std::vector<std::string> texts = svg.texts();
    for (const std::string z : {"z 0 ", "z 2 ", "z 4 ", "z 6 "})
        EXPECT_TRUE(std::any_of(texts.begin(), texts.end(), [&](const std::string& t) {
            return t.rfind(z, 0) == 0;
        })) << z;
}

// A helix-like scan whose z runs on within each ring: grouped by z every
// point would be a section of its own; grouped by the ring's column, each
// ring is one, at its mean z.
TEST(Sections, ByAColumnWhereZRunsOn) {
    std::string text = "ring,x,y,z\n";
    for (int k = 0; k < 4; ++k)
        for (int i = 0; i < 90; ++i) {
            const double t = 2 * pi * i / 90, r = 5 + 0.001 * std::cos(2 * t + k);
            // the rings in the file in the order 3, 1, 4, 2
            const int ring = (3 * k + 2) % 4 + 1;
            text += std::to_string(ring) + "," + number(r * std::cos(t)) + "," +
                    number(r * std::sin(t)) + "," + number(3 * (ring - 1) + 0.01 * i) + "\n";
        }
    test::Workdir dir;
    dir.write("helix.csv", text);
    const test::ReportOutcome byz = test::report(
        {"results", "helix.csv", "--feature", "cylinder", "--sections", "--columns", "x,y,z"});
    EXPECT_EQ(byz.status, exitinput);
    EXPECT_NE(byz.err.find("holds 1 point: a section needs 3 at least"), std::string::npos)
        << byz.err;
    const test::ReportOutcome o =
        test::report({"results", "helix.csv", "--feature", "cylinder", "--sections",
                      "--section-column", "ring", "--json"});
    ASSERT_EQ(o.status, exitok) << o.err;
    const nlohmann::json parsed = nlohmann::json::parse(o.out);
    EXPECT_EQ(parsed["files"][0]["sections"], 4);
    for (const auto& row : parsed["rows"]) {
        const int section = row["section"];
        if (section == 0) continue;
        EXPECT_EQ(row["points"], 90);
        EXPECT_NEAR(row["z"].get<double>(), 3 * (section - 1) + 0.445, 1e-12);
    }
}

// Each section is a part of its own in the verdicts; the stack's cylinder
// is the file's.
TEST(Sections, VerdictsNameTheSection) {
    std::string text = "angle,radius,z\n";
    for (int k = 0; k < 3; ++k)
        for (int a = 0; a < 360; a += 30)
            text += std::to_string(a) + "," + number(4 + 0.001 * std::cos(a + k)) + "," +
                    std::to_string(2 * k) + "\n";
    test::Workdir dir;
    dir.write("shaft.csv", text);
    const test::ReportOutcome o = test::report(
        {"results", "shaft.csv", "--feature", "cylinder", "--sections", "--columns",
         "angle,radius,z", "--tolerance", "circle=1", "--tolerance", "cylinder=1", "--json"});
    ASSERT_EQ(o.status, exitok) << o.err;
    std::vector<std::string> parts;
    const nlohmann::json parsed = nlohmann::json::parse(o.out);
    for (const auto& v : parsed["verdicts"]) parts.push_back(v["part"]);
    EXPECT_EQ(parts, (std::vector<std::string>{"shaft.csv: section 1", "shaft.csv: section 2",
                                               "shaft.csv: section 3", "shaft.csv"}));
}

struct StatusCase {
    const char* name;
    std::vector<std::string> args;
    int status;
    const char* says;
};

class SectionStatusTest : public ::testing::TestWithParam<StatusCase> {};

TEST_P(SectionStatusTest, ExitsWithTheReason) {
    const StatusCase& c = GetParam();
    test::Workdir dir;
    dir.write("few.csv", "x,y,z\n1,0,0\n0,1,0\n-1,0,0\n1,0,5\n0,1,5\n");
    std::string polar = "angle,radius,z\n";
    for (int k = 0; k < 3; ++k)
        for (int a = 0; a < 360; a += 30)
            polar += std::to_string(a) + "," + number(4 + 0.001 * std::cos(a + k)) + "," +
                     std::to_string(2 * k) + "\n";
    dir.write("polar.csv", polar);
    dir.write("rings.csv", "ring,x,y,z\n1,1,0,0\nB,0,1,0\n");
    dir.write("level.csv", "ring,x,y,z\n1,1,0,0\n1,0,1,0\n1,-1,0,0\n2,2,0,0\n2,0,2,0\n2,-2,0,0\n");
    const test::ReportOutcome o = test::report(c.args);
    EXPECT_EQ(o.status, c.status) << o.err;
    EXPECT_NE(o.err.find(c.says), std::string::npos) << o.err;
}

INSTANTIATE_TEST_SUITE_P(
    Inputs, SectionStatusTest,
    ::testing::Values(
        StatusCase{"FewPointsInASection",
                   {"results", "few.csv", "--feature", "cylinder", "--sections"},
                   exitinput,
                   "formreport: few.csv: no stack evaluated: the section at z = 5 holds 2 points: "
                   "a section needs 3 at least\n"},
        StatusCase{"NotACylinder",
                   {"results", "few.csv", "--feature", "circle", "--sections"},
                   exitusage,
                   "--sections: a stack of sections is read as the points of a cylinder: "
                   "--feature cylinder"},
        StatusCase{"WithoutAFeature",
                   {"results", "few.csv", "--sections"},
                   exitusage,
                   "--sections requires --feature"},
        StatusCase{"PolarChartNotACylinder",
                   {"polar", "few.csv", "--feature", "circle", "--sections"},
                   exitusage,
                   "--sections: a stack of sections is read as the points of a cylinder"},
        StatusCase{"PolarChartFewPoints",
                   {"polar", "few.csv", "--feature", "cylinder", "--sections", "-o", "out"},
                   exitinput,
                   "formreport: few.csv: no stack plotted: the section at z = 5 holds 2 points"},
        StatusCase{"SectionColumnAlsoACoordinate",
                   {"results", "rings.csv", "--feature", "cylinder", "--sections",
                    "--section-column", "2", "--columns", "2,3,4"},
                   exitinput,
                   "formreport: rings.csv:1: column 2 is chosen for the sections and for a "
                   "coordinate: each needs a column of its own\n"},
        StatusCase{"SectionNotANumber",
                   {"results", "rings.csv", "--feature", "cylinder", "--sections",
                    "--section-column", "ring"},
                   exitinput,
                   "formreport: rings.csv:3:1: 'B' is not a number (column 1, the sections)\n"},
        StatusCase{"PolarChartSectionsAtOneZ",
                   {"polar", "level.csv", "--feature", "cylinder", "--sections", "--section-column",
                    "ring", "-o", "out"},
                   exitinput,
                   "formreport: level.csv: no stack plotted: the 2 sections lie at one z (z = 0): "
                   "a stack needs sections at 2 z at least\n"},
        StatusCase{"SectionColumnWithoutSections",
                   {"results", "rings.csv", "--feature", "cylinder", "--section-column", "ring"},
                   exitusage,
                   "--section-column requires --sections"},
        StatusCase{"PolarStack",
                   {"results", "polar.csv", "--feature", "cylinder", "--sections", "--columns",
                    "angle,radius,z"},
                   exitok,
                   ""}),
    test::namedby([](const StatusCase& c) { return std::string(c.name); }));

} // namespace
} // namespace formeval::report
