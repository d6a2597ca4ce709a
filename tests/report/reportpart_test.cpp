// The filed report's part files (--part-file): a page each with the datums
// and the frames as part evaluates them, the overview's counts and worst
// verdicts, a report of part files alone, and part files that cannot be
// read. The report's sections are read back with expat.
#include "report/charts/canvas.h"
#include "report/commands/commands.h"
#include "tests/harness/harness.h"
#include "tests/report/support.h"
#include "tolerance/tolerance.h"

#include <algorithm>
#include <cmath>
#include <filesystem>
#include <gtest/gtest.h>
#include <sstream>

namespace formeval::report {
namespace {

// A face z = z0 + slope x on a grid of x from 0 to 50, y from 0 to 40.
std::string face(double z0, double slope) {
    std::ostringstream out;
    out.precision(17);
    out << "x,y,z\n";
    for (int i = 0; i <= 10; ++i)
        for (int j = 0; j <= 8; ++j)
            out << 5.0 * i << "," << 5.0 * j << "," << z0 + slope * 5.0 * i << "\n";
    return out.str();
}

// A part file of the faces face.csv (datum A) and top.csv with these frames.
std::string partfile(const std::string& frames, const std::string& unit = "mm") {
    return R"({"unit": ")" + unit + R"(",
  "features": {"face": {"file": "face.csv", "type": "plane", "outward": [0, 0, -1]},
               "top": {"file": "top.csv", "type": "plane", "outward": [0, 0, 1]}},
  "datums": {"A": "face"},
  "tolerances": [)" +
           frames + "]}\n";
}

// Frames on top = 20 + 1e-4 x over a flat datum face, worked by hand:
// parallelism 1e-4 x 50 = 0.005, perpendicularity the face's 40 along y,
// flatness of the datum face 0; roundness of a plane is not evaluated.
const std::string parallel =
    R"({"characteristic": "parallelism", "feature": "top", "datums": ["A"], "tolerance": 0.01})";
const std::string perpendicular =
    R"({"characteristic": "perpendicularity", "feature": "top", "datums": ["A"], "tolerance": 0.1})";
const std::string flat = R"({"characteristic": "flatness", "feature": "face", "tolerance": 0.002})";
const std::string round = R"({"characteristic": "roundness", "feature": "top", "tolerance": 0.01})";
const std::string roundwhy = "roundness is of a circle, and top is a plane";

void writefaces(const test::Workdir& dir) {
    dir.write("face.csv", face(0, 0));
    dir.write("top.csv", face(20, 1e-4));
}

// A ring of radius 25 with three lobes of 1 micrometre, as a point file.
std::string ring() {
    const double pi = std::acos(-1.0);
    std::ostringstream s;
    s.precision(17);
    s << "x,y\n";
    for (int i = 0; i < 360; ++i) {
        const double t = 2 * pi * i / 360, r = 25 + 0.001 * std::cos(3 * t);
        s << r * std::cos(t) << "," << r * std::sin(t) << "\n";
    }
    return s.str();
}

// The sections of a class (with any id) parsed, each well-formed.
std::vector<test::Svg> sections(const std::string& html, const std::string& kind) {
    std::vector<test::Svg> out;
    const std::string open = "<section class=\"" + kind + "\"";
    for (std::size_t at = html.find(open); at != std::string::npos; at = html.find(open, at + 1)) {
        const std::size_t end = html.find("</section>", at) + 10;
        out.push_back(test::parsexml(html.substr(at, end - at)));
        EXPECT_TRUE(out.back().wellformed) << out.back().error;
    }
    return out;
}

// A table's cells: its text (a link's within it), and its class.
struct Cell {
    std::string text, kind;
};
using Rows = std::vector<std::vector<Cell>>;

// The rows of the table of a class in a section, headings first.
Rows tableof(const test::Svg& section, const std::string& kind) {
    Rows rows;
    bool inside = false;
    for (const test::Element& e : section.elements) {
        if (e.name == "table") {
            const auto c = e.attributes.find("class");
            inside = c != e.attributes.end() && c->second == kind;
        } else if (inside && e.name == "tr") {
            rows.emplace_back();
        } else if (inside && (e.name == "td" || e.name == "th")) {
            const auto c = e.attributes.find("class");
            rows.back().push_back({e.text, c == e.attributes.end() ? "" : c->second});
        } else if (inside && e.name == "a") {
            rows.back().back().text += e.text;
        }
    }
    return rows;
}

std::vector<std::string> texts(const std::vector<Cell>& row) {
    std::vector<std::string> out;
    for (const Cell& c : row) out.push_back(c.text);
    return out;
}

// The text of the first element of `name` (of `kind` where given).
std::string textof(const test::Svg& section, const std::string& name,
                   const std::string& kind = "") {
    for (const test::Element& e : section.elements)
        if (e.name == name &&
            (kind.empty() || (e.attributes.count("class") && e.attributes.at("class") == kind)))
            return e.text;
    return "";
}

// The page of a part file: its title, its datums and frames in the file's
// order with their values in micrometres, verdicts and notes, the rule; the
// same messages and exit status as part.
TEST(ReportPart, PageHasTheDatumsAndFramesInOrderWithTheirVerdicts) {
    test::Workdir dir;
    writefaces(dir);
    dir.write("part.json", partfile(parallel + "," + perpendicular + "," + round + "," + flat));
    const test::ReportOutcome o =
        test::report({"report", "--part-file", "part.json", "-o", "r.html"});
    const test::ReportOutcome part = test::report({"part", "part.json"});
    EXPECT_EQ(o.status, exitinput) << "a frame is not evaluated";
    EXPECT_EQ(o.status, part.status);
    EXPECT_EQ(o.err, part.err);
    EXPECT_EQ(o.out, "r.html: 1 part file reported\n");
    const std::vector<test::Svg> pages =
        sections(test::readfile(dir.path() / "r.html"), "partfile");
    ASSERT_EQ(pages.size(), 1u);
    const test::Svg& page = pages.front();
    EXPECT_EQ(page.elements.front().attributes.at("id"), "partfile-1");
    EXPECT_EQ(textof(page, "h2"), "Part file 1: part.json");
    const Rows datums = tableof(page, "datums");
    ASSERT_EQ(datums.size(), 2u);
    EXPECT_EQ(texts(datums[1]),
              (std::vector<std::string>{"A", "A", "minimum-zone plane, outside the material",
                                        "certified"}));
    const Rows frames = tableof(page, "frames");
    const std::vector<std::vector<std::string>> expected = {
        {"characteristic", "feature", "datums", "value (\u00b5m)", "tolerance (\u00b5m)", "verdict",
         "certified", "zone or notes"},
        {"parallelism", "top", "A", "5.000", "10.000", "within tolerance", "yes",
         "two parallel planes parallel to datum A"},
        {"perpendicularity", "top", "A", "40000.000", "100.000", "beyond tolerance", "yes",
         "two parallel planes perpendicular to datum A"},
        {"roundness", "top", "", "-", "10.000", "not evaluated", "-", roundwhy},
        {"flatness", "face", "", "0.000", "2.000", "within tolerance", "yes",
         "two parallel planes, the minimum zone"}};
    ASSERT_EQ(frames.size(), expected.size());
    for (std::size_t k = 0; k < frames.size(); ++k) EXPECT_EQ(texts(frames[k]), expected[k]);
    EXPECT_EQ(frames[2][5].kind, "text verdict beyond");
    EXPECT_EQ(frames[3][5].kind, "text verdict notevaluated");
    EXPECT_EQ(textof(page, "p", "framecount"),
              "4 tolerance frames: 2 within tolerance, 1 beyond tolerance, 0 undecided, 1 not "
              "evaluated");
    EXPECT_EQ(textof(page, "p", "rule"),
              std::string("Decision rule: ") + tolerance::decisionrule());
}

// The faces, and a shaft on the z axis whose journals are the common datum
// B-C and whose collar's sections are off the axis by 3, 7 and 0 µm.
void writeshaft(const test::Workdir& dir) {
    writefaces(dir);
    dir.write("left.csv", test::circles({{0, 0, 0, 5}, {5, 0, 0, 5}, {10, 0, 0, 5}}));
    dir.write("right.csv", test::circles({{90, 0, 0, 5}, {95, 0, 0, 5}, {100, 0, 0, 5}}));
    dir.write("collar.csv", test::circles({{40, 0.003, 0, 8}, {50, 0, 0.007, 8}, {60, 0, 0, 8}}));
}

std::string shaftpart(const std::string& frames) {
    return R"({"unit": "mm",
  "features": {"face": {"file": "face.csv", "type": "plane", "outward": [0, 0, -1]},
               "top": {"file": "top.csv", "type": "plane", "outward": [0, 0, 1]},
               "left": {"file": "left.csv", "type": "cylinder", "material": "shaft"},
               "right": {"file": "right.csv", "type": "cylinder", "material": "shaft"},
               "collar": {"file": "collar.csv", "type": "cylinder", "material": "shaft"}},
  "datums": {"A": "face", "B-C": ["left", "right"]},
  "tolerances": [)" +
           frames + "]}\n";
}

// The pictures inlined in the part file page of this number, in order.
std::vector<std::string> pictures(const std::string& html, std::size_t number) {
    const std::size_t page =
        html.find("<section class=\"partfile\" id=\"partfile-" + std::to_string(number) + "\"");
    const std::size_t end = html.find("</section>", page);
    std::vector<std::string> out;
    for (std::size_t at = html.find("<svg", page); at < end; at = html.find("<svg", at + 1))
        out.push_back(html.substr(at, html.find("</svg>", at) + 6 - at));
    return out;
}

// A picture part --charts wrote, as the report inlines its pictures: without
// the XML declaration, its paths compacted.
test::Svg charted(const std::filesystem::path& path) {
    std::string svg = test::readfile(path);
    svg.erase(0, svg.find("<svg"));
    return test::parsexml(compactpaths(svg));
}

// One frame with a zone on a page, its picture's title as part --charts
// writes it.
struct Zoned {
    std::size_t frame; // from 1
    std::string title;
};

// After the frames table, the zone picture of each frame with one in the
// frames' order, titled by its number and the frame, none for a form frame
// or one not evaluated; each is what part --charts draws of the frame, with
// the charts' caption (the header and the filter) beneath.
TEST(ReportPart, PageShowsEachFramesZoneAsPartDrawsIt) {
    test::Workdir dir;
    writeshaft(dir);
    const std::string coaxial =
        R"({"characteristic": "coaxiality", "feature": "collar", "datums": ["B-C"], "tolerance": 0.02})";
    const std::string runout =
        R"({"characteristic": "radial run-out", "feature": "collar", "datums": ["B-C"], "tolerance": 0.02})";
    dir.write("part.json", shaftpart(parallel + "," + flat + "," + round + "," + coaxial + "," +
                                     runout + "," + perpendicular));
    dir.write("form.json", shaftpart(flat));
    const test::ReportOutcome o = test::report({"report", "--part-file", "part.json", "--part-file",
                                                "form.json", "--part", "Shaft 7", "-o", "r.html"});
    EXPECT_EQ(o.out, "r.html: 2 part files reported\n");
    ASSERT_EQ(test::report({"part", "part.json", "--charts", "zones"}).err, o.err);
    const std::string html = test::readfile(dir.path() / "r.html");
    const std::string caption = "Part: Shaft 7  \u00b7  Filter: none";
    const std::vector<Zoned> zoned = {{1, "parallelism of top to A"},
                                      {4, "coaxiality of collar to B-C"},
                                      {5, "radial run-out of collar to B-C"},
                                      {6, "perpendicularity of top to A"}};
    const std::vector<std::string> shown = pictures(html, 1);
    ASSERT_EQ(shown.size(), zoned.size());
    for (std::size_t k = 0; k < zoned.size(); ++k) {
        const std::string name = "tolerance " + std::to_string(zoned[k].frame);
        SCOPED_TRACE(name);
        const test::Svg page = test::parsexml(shown[k]);
        ASSERT_TRUE(page.wellformed) << page.error;
        const test::Svg part = charted(dir.path() / "zones" /
                                       ("tolerance-" + std::to_string(zoned[k].frame) + ".svg"));
        ASSERT_TRUE(part.wellformed) << part.error;
        // The page's picture is part's with the title numbered and the
        // caption under it, the picture taller by its line.
        std::vector<test::Element> expected = part.elements, got = page.elements;
        // The picture and its white ground.
        ASSERT_GE(got.size(), 2u);
        ASSERT_GE(expected.size(), 2u);
        for (std::size_t i = 0; i < 2; ++i) {
            EXPECT_EQ(got[i].name, expected[i].name);
            EXPECT_EQ(got[i].attributes.at("width"), expected[i].attributes.at("width"));
            EXPECT_EQ(std::stod(got[i].attributes.at("height")),
                      std::stod(expected[i].attributes.at("height")) + captionheight);
        }
        EXPECT_EQ(got[1].name, "rect");
        got.erase(got.begin(), got.begin() + 2);
        expected.erase(expected.begin(), expected.begin() + 2);
        const auto captions = std::count_if(got.begin(), got.end(), [&](const test::Element& e) {
            return e.name == "text" && e.text == caption;
        });
        EXPECT_EQ(captions, 1);
        got.erase(std::remove_if(got.begin(), got.end(),
                                 [&](const test::Element& e) { return e.text == caption; }),
                  got.end());
        std::size_t titles = 0;
        for (test::Element& e : expected)
            if (e.name == "text" && e.text == zoned[k].title) {
                e.text = name + ": " + zoned[k].title;
                ++titles;
            }
        EXPECT_EQ(titles, 1u);
        ASSERT_EQ(got.size(), expected.size());
        for (std::size_t i = 0; i < got.size(); ++i) {
            EXPECT_EQ(got[i].name, expected[i].name) << i;
            EXPECT_EQ(got[i].attributes, expected[i].attributes) << i;
            EXPECT_EQ(got[i].text, expected[i].text) << i;
        }
    }
    // The pictures follow the frames table and the rule, under their heading.
    const test::Svg page = sections(html, "partfile").at(0);
    std::vector<std::string> order;
    for (const test::Element& e : page.elements)
        if (e.name == "table" || e.name == "h3" || e.name == "svg")
            order.push_back(e.name == "table" ? e.attributes.at("class")
                            : e.name == "h3"  ? e.text
                                              : e.name);
    EXPECT_EQ(order,
              (std::vector<std::string>{"Datums as associated", "datums", "Tolerance frames",
                                        "frames", "Tolerance zones", "svg", "svg", "svg", "svg"}));
    // A part file of form frames alone has no zone picture.
    EXPECT_TRUE(pictures(html, 2).empty());
    EXPECT_EQ(html.find("Tolerance zones", html.find("id=\"partfile-2\"")), std::string::npos);
}

// A face's points drawn as the lowest and highest of each of 600 steps
// along the zone, as the profiles are, the note saying so: the peak and the
// valley stay where part draws them.
TEST(ReportPart, ManyPointsOfAFaceAreDrawnAsTheExtremesOfSteps) {
    test::Workdir dir;
    dir.write("face.csv", face(0, 0));
    std::ostringstream top;
    top.precision(17);
    top << "x,y,z\n";
    for (int i = 0; i <= 40; ++i)
        for (int j = 0; j <= 40; ++j) {
            const double bump = i == 17 && j == 9 ? 0.004 : i == 23 && j == 30 ? -0.003 : 0;
            top << 1.25 * i << "," << 1.0 * j << "," << 20 + bump << "\n";
        }
    dir.write("top.csv", top.str());
    dir.write("part.json", partfile(parallel));
    const test::ReportOutcome o =
        test::report({"report", "--part-file", "part.json", "-o", "r.html"});
    ASSERT_EQ(o.status, exitok) << o.err;
    ASSERT_EQ(test::report({"part", "part.json", "--charts", "zones"}).status, exitok);
    const std::vector<std::string> shown = pictures(test::readfile(dir.path() / "r.html"), 1);
    ASSERT_EQ(shown.size(), 1u);
    const test::Svg page = test::parsexml(shown[0]);
    const test::Svg part = test::parsesvg(dir.path() / "zones" / "tolerance-1.svg");
    ASSERT_TRUE(page.wellformed) << page.error;
    ASSERT_TRUE(part.wellformed) << part.error;
    const std::string note = "two parallel planes parallel to datum A: 7 \u00b5m, within tolerance";
    const std::vector<std::string> texts = page.texts();
    EXPECT_NE(std::find(texts.begin(), texts.end(),
                        note + "; drawn as the lowest and highest of each of 600 steps along the "
                               "zone, of its 1681 points; every point evaluated"),
              texts.end());
    const std::vector<std::string> charts = part.texts();
    EXPECT_NE(std::find(charts.begin(), charts.end(), note), charts.end());
    // The dots' heights on the page: the lowest and highest of each step.
    const Rgb dot = {0.122, 0.467, 0.706};
    const auto heights = [&](const test::Svg& svg) {
        std::vector<double> y;
        for (const test::Element* e : test::fills(svg, dot))
            y.push_back(test::circlecentre(*e).second);
        std::sort(y.begin(), y.end());
        return y;
    };
    const std::vector<double> drawn = heights(page), all = heights(part);
    ASSERT_EQ(all.size(), 41u * 41u);
    EXPECT_GE(drawn.size(), 600u);
    EXPECT_LE(drawn.size(), 1200u);
    EXPECT_NEAR(drawn.front(), all.front(), 0.05);
    EXPECT_NEAR(drawn.back(), all.back(), 0.05);
    EXPECT_GT(all.back() - all.front(), 100) << "the peak and the valley stand out";
}

// A part file's lengths in the sub-unit of its unit, named in the headings.
struct Unit {
    const char* unit;
    const char* shown;     // the headings' unit
    const char* value;     // parallelism 0.005 of the part's unit
    const char* tolerance; // 0.01 of it
};

class ReportPartUnits : public ::testing::TestWithParam<Unit> {};

TEST_P(ReportPartUnits, LengthsInTheSubunitOfThePartsUnit) {
    const Unit& c = GetParam();
    test::Workdir dir;
    writefaces(dir);
    dir.write("part.json", partfile(parallel, c.unit));
    const test::ReportOutcome o =
        test::report({"report", "--part-file", "part.json", "-o", "r.html"});
    ASSERT_EQ(o.status, exitok) << o.err;
    const Rows frames =
        tableof(sections(test::readfile(dir.path() / "r.html"), "partfile").at(0), "frames");
    ASSERT_EQ(frames.size(), 2u);
    EXPECT_EQ(frames[0][3].text, std::string("value (") + c.shown + ")");
    EXPECT_EQ(frames[0][4].text, std::string("tolerance (") + c.shown + ")");
    EXPECT_EQ(frames[1][3].text, c.value);
    EXPECT_EQ(frames[1][4].text, c.tolerance);
}

INSTANTIATE_TEST_SUITE_P(Units, ReportPartUnits,
                         ::testing::Values(Unit{"mm", "\u00b5m", "5.000", "10.000"},
                                           Unit{"um", "nm", "5.000", "10.000"},
                                           Unit{"m", "\u00b5m", "5000.000", "10000.000"},
                                           Unit{"in", "\u00b5in", "5000.000", "10000.000"},
                                           Unit{"uin", "\u00b5in", "0.005", "0.010"}),
                         test::namedby([](const Unit& c) { return std::string(c.unit); }));

// Part files in the overview: each with its worst verdict and its counts,
// linked to its page, and the counts of all their frames.
struct Listed {
    const char* file;
    std::string frames;
    std::vector<std::string> row; // worst verdict, frames, within, beyond, undecided, not evaluated
};

TEST(ReportPart, OverviewCountsTheFramesAndFlagsTheWorstVerdict) {
    const std::vector<Listed> listed = {
        {"good.json", parallel + "," + flat, {"within tolerance", "2", "2", "0", "0", "0"}},
        {"failing.json",
         parallel + "," + perpendicular,
         {"beyond tolerance", "2", "1", "1", "0", "0"}},
        {"unevaluated.json", round + "," + flat, {"not evaluated", "2", "1", "0", "0", "1"}},
        {"both.json", round + "," + perpendicular, {"beyond tolerance", "2", "0", "1", "0", "1"}},
        {"none.json", "", {"no tolerance frame", "0", "0", "0", "0", "0"}}};
    test::Workdir dir;
    writefaces(dir);
    std::vector<std::string> args = {"report", "-o", "r.html"};
    for (const Listed& l : listed) {
        dir.write(l.file, partfile(l.frames));
        args.insert(args.end(), {"--part-file", l.file});
    }
    const test::ReportOutcome o = test::report(args);
    EXPECT_EQ(o.status, exitinput) << "frames not evaluated";
    EXPECT_EQ(o.out, "r.html: 5 part files reported\n");
    const std::string html = test::readfile(dir.path() / "r.html");
    const std::vector<test::Svg> overview = sections(html, "overview");
    ASSERT_EQ(overview.size(), 1u);
    EXPECT_EQ(textof(overview[0], "h3"), "Part files: 5");
    const Rows counts = tableof(overview[0], "framecounts");
    ASSERT_EQ(counts.size(), 2u);
    EXPECT_EQ(texts(counts[0]),
              (std::vector<std::string>{"part files", "tolerance frames", "within tolerance",
                                        "beyond tolerance", "undecided", "not evaluated"}));
    EXPECT_EQ(texts(counts[1]), (std::vector<std::string>{"5", "8", "4", "2", "0", "2"}));
    const Rows files = tableof(overview[0], "partfiles");
    ASSERT_EQ(files.size(), listed.size() + 1);
    const std::vector<test::Svg> pages = sections(html, "partfile");
    ASSERT_EQ(pages.size(), listed.size());
    for (std::size_t k = 0; k < listed.size(); ++k) {
        const std::string title = "Part file " + std::to_string(k + 1) + ": " + listed[k].file;
        std::vector<std::string> row = {title};
        row.insert(row.end(), listed[k].row.begin(), listed[k].row.end());
        EXPECT_EQ(texts(files[k + 1]), row);
        // The link leads to the page of that part file.
        std::string href;
        for (const test::Element& e : overview[0].elements)
            if (e.name == "a" && e.text == title) href = e.attributes.at("href");
        EXPECT_EQ(href, "#partfile-" + std::to_string(k + 1));
        EXPECT_EQ(pages[k].elements.front().attributes.at("id"), href.substr(1));
        EXPECT_EQ(textof(pages[k], "h2"), title);
    }
    EXPECT_EQ(files[2][1].kind, "text verdict beyond");
    EXPECT_EQ(files[3][1].kind, "text verdict notevaluated");
}

// Part files alone make a report: the header block counts them, no batch
// of point files is summarised, and the print styles give each its page.
TEST(ReportPart, PartFilesAloneMakeAReport) {
    test::Workdir dir;
    writefaces(dir);
    dir.write("part.json", partfile(parallel));
    const test::ReportOutcome o = test::report(
        {"report", "--part-file", "part.json", "-o", "r.html", "--report-number", "R-9"});
    ASSERT_EQ(o.status, exitok) << o.err;
    EXPECT_EQ(o.err, "");
    const std::string html = test::readfile(dir.path() / "r.html");
    EXPECT_NE(html.find("<tr><th>Part files</th><td class=\"text\">1</td></tr>"),
              std::string::npos);
    EXPECT_EQ(html.find("<tr><th>Parts</th>"), std::string::npos);
    EXPECT_EQ(html.find("<section class=\"summary\">"), std::string::npos);
    EXPECT_EQ(html.find("<section class=\"part\""), std::string::npos);
    // The parallelism zone's picture alone: no chart of a point file's part.
    const std::size_t svg = html.find("<svg");
    EXPECT_GT(svg, html.find("<section class=\"partfile\""));
    EXPECT_EQ(html.find("<svg", svg + 1), std::string::npos);
    EXPECT_EQ(sections(html, "partfile").size(), 1u);
    EXPECT_NE(html.find("section.partfile { break-before: page;"), std::string::npos);
    EXPECT_NE(html.find("@bottom-left { content: \"Form inspection report R-9\";"),
              std::string::npos);
    const test::ReportOutcome none = test::report({"report", "-o", "r.html"});
    EXPECT_EQ(none.status, exitusage);
    EXPECT_EQ(none.err.rfind("jobs (or --part-file) is required\n", 0), 0u) << none.err;
}

// Beside point files: their parts' pages, then the part files', then the
// summary; the output line counts both.
TEST(ReportPart, PartFilesFollowThePartsOfPointFiles) {
    test::Workdir dir;
    writefaces(dir);
    dir.write("part.json", partfile(parallel));
    dir.write("ring.csv", ring());
    const test::ReportOutcome o =
        test::report({"report", "--part-file", "part.json", "ring.csv", "--feature", "circle",
                      "--unit", "mm", "--tolerance", "0.005", "-o", "r.html"});
    ASSERT_EQ(o.status, exitok) << o.err;
    EXPECT_EQ(o.out, "r.html: 1 part and 1 part file reported\n");
    const std::string html = test::readfile(dir.path() / "r.html");
    const std::size_t part = html.find("<section class=\"part\" id=\"part-1\">");
    const std::size_t partfile = html.find("<section class=\"partfile\" id=\"partfile-1\">");
    const std::size_t summary = html.find("<section class=\"summary\">");
    ASSERT_NE(part, std::string::npos);
    EXPECT_LT(part, partfile);
    EXPECT_LT(partfile, summary);
    EXPECT_NE(summary, std::string::npos);
    const std::vector<test::Svg> overview = sections(html, "overview");
    ASSERT_EQ(overview.size(), 1u);
    EXPECT_EQ(tableof(overview[0], "counts").size(), 2u) << "the point files' counts stay";
    EXPECT_EQ(tableof(overview[0], "partfiles").size(), 2u);
}

// A part file that cannot be read: part's message, status 1, named with the
// reason on the first page beside the parts that were evaluated, and no
// report where nothing else was.
struct Unreadable {
    const char* name;
    std::string text;   // the part file
    std::string reason; // what part says, without "formreport: "
};

class ReportPartUnreadable : public ::testing::TestWithParam<Unreadable> {};

TEST_P(ReportPartUnreadable, SaysWhatPartSaysAndLeavesItOut) {
    const Unreadable& c = GetParam();
    test::Workdir dir;
    writefaces(dir);
    dir.write("ring.csv", ring());
    dir.write("part.json", c.text);
    const test::ReportOutcome part = test::report({"part", "part.json"});
    ASSERT_EQ(part.err, "formreport: " + c.reason + "\n");
    const test::ReportOutcome with = test::report(
        {"report", "ring.csv", "--part-file", "part.json", "--feature", "circle", "-o", "r.html"});
    EXPECT_EQ(with.status, exitinput);
    EXPECT_EQ(with.err, part.err);
    EXPECT_EQ(with.out, "r.html: 1 part reported\n");
    const std::string html = test::readfile(dir.path() / "r.html");
    EXPECT_NE(html.find("<tr><th>Inputs left out</th><td class=\"text\">1</td></tr>\n<tr><th>"
                        "part.json</th><td class=\"text\">" +
                        xmltext(c.reason) + "</td></tr>"),
              std::string::npos)
        << html.substr(0, 3000);
    EXPECT_NE(html.find("<tr><th>Part files</th><td class=\"text\">0</td></tr>"),
              std::string::npos);
    EXPECT_TRUE(sections(html, "partfile").empty());
    dir.write("r.html", "the report of yesterday\n");
    const test::ReportOutcome alone =
        test::report({"report", "--part-file", "part.json", "-o", "r.html"});
    EXPECT_EQ(alone.status, exitinput);
    EXPECT_EQ(alone.err, part.err + "formreport: no part was evaluated, so no report is "
                                    "written; r.html stays as it was\n");
    EXPECT_EQ(test::readfile(dir.path() / "r.html"), "the report of yesterday\n");
}

INSTANTIATE_TEST_SUITE_P(
    Files, ReportPartUnreadable,
    ::testing::Values(
        Unreadable{"NotJson", "{\n  \"features\": x\n}",
                   "part.json:2:15: not valid JSON: invalid literal; last read: '\"features\": x'"},
        Unreadable{"UnknownKey", R"({"features": {}, "tolerances": [], "datum": {}})",
                   "part.json: unknown key \"datum\": a part file has \"unit\", \"features\", "
                   "\"datums\" and \"tolerances\""},
        Unreadable{"PointFileMissing",
                   R"({"features": {"gone": {"file": "gone.csv", "type": "plane"}},
                       "tolerances": [{"characteristic": "flatness", "feature": "gone", "tolerance": 1}]})",
                   "cannot read gone.csv: No such file or directory"}),
    test::namedby([](const Unreadable& c) { return std::string(c.name); }));

// The report never replaces a point file a part file names: a measurement
// would be lost.
TEST(ReportPart, APointFileOfAPartIsNoOutput) {
    test::Workdir dir;
    writefaces(dir);
    dir.write("part.json", partfile(parallel));
    const test::ReportOutcome o =
        test::report({"report", "--part-file", "part.json", "-o", "top.csv"});
    EXPECT_EQ(o.status, exitusage);
    EXPECT_EQ(o.err, "formreport: top.csv: is one of the inputs (top.csv); writing it would "
                     "destroy it\n");
    EXPECT_EQ(test::readfile(dir.path() / "top.csv"), face(20, 1e-4));
}

} // namespace
} // namespace formeval::report
