// The filed report: one self-contained page with a section, a chart and a
// verdict a part, every value of the results searchable in its text, the
// header block escaped, print styles of a page a part, and refusals.
#include "report/commands/commands.h"
#include "tests/harness/harness.h"
#include "tests/report/support.h"

#include <cmath>
#include <gtest/gtest.h>
#include <map>
#include <nlohmann/json.hpp>
#include <regex>
#include <sstream>

namespace formeval::report {
namespace {

std::size_t count(const std::string& text, const std::string& what) {
    std::size_t n = 0;
    for (std::size_t at = text.find(what); at != std::string::npos; at = text.find(what, at + 1))
        ++n;
    return n;
}

// A ring of n points, 3 lobes of `lobes` mm and chatter at 120 UPR.
std::string ring(double lobes, int n = 720) {
    const double pi = std::acos(-1.0);
    std::ostringstream s;
    s.precision(17);
    s << "x,y\n";
    for (int i = 0; i < n; ++i) {
        const double t = 2 * pi * i / n;
        const double r = 25 + lobes * std::cos(3 * t) + 0.0004 * std::cos(120 * t);
        s << r * std::cos(t) << "," << r * std::sin(t) << "\n";
    }
    return s.str();
}

struct Batch {
    std::vector<std::string> files;
    std::vector<std::string> options;
    double factor; // of the coordinates to the unit the page shows deviations in
};

class HtmlReportTest : public ::testing::TestWithParam<Batch> {};

TEST_P(HtmlReportTest, EveryPartAndValueOnItsOwnPage) {
    const Batch b = GetParam();
    test::Workdir dir;
    dir.write("a.csv", ring(0.001));
    dir.write("b.csv", ring(0.002));
    dir.write("c.csv", ring(0.003));
    dir.write("cir1.txt",
              "2500 " + test::alternating(12, 0.001) + "2500 " + test::alternating(12, 0.004));
    std::vector<std::string> args = {"report"};
    args.insert(args.end(), b.files.begin(), b.files.end());
    args.insert(args.end(), b.options.begin(), b.options.end());
    args.insert(args.end(), {"--tolerance", "0.005", "--digits", "12", "-o", "r.html", "--operator",
                             "A. <Lab> & Co"});
    const test::ReportOutcome o = test::report(args);
    ASSERT_EQ(o.status, exitok) << o.err;
    // The same batch as results sees it.
    std::vector<std::string> same = {"results"};
    same.insert(same.end(), b.files.begin(), b.files.end());
    same.insert(same.end(), b.options.begin(), b.options.end());
    same.insert(same.end(), {"--tolerance", "0.005", "--json"});
    const nlohmann::json doc = nlohmann::json::parse(test::report(same).out);
    const std::size_t parts = doc["verdicts"].size();
    ASSERT_GT(parts, 1u);
    EXPECT_EQ(o.out, "r.html: " + std::to_string(parts) + " parts reported\n");
    const std::string html = test::readfile(dir.path() / "r.html");
    EXPECT_EQ(html.rfind("<!DOCTYPE html>", 0), 0u);
    EXPECT_EQ(count(html, "<section class=\"part\" id=\"part-"), parts);
    EXPECT_EQ(count(html, "<section class=\"summary\">"), 1u);
    EXPECT_EQ(count(html, "<svg "), parts + 1) << "a chart a part and the trend";
    EXPECT_EQ(count(html, "<?xml"), 0u);
    EXPECT_NE(html.find("section.part, section.summary { break-before: page;"), std::string::npos);
    EXPECT_NE(html.find("A. &lt;Lab&gt; &amp; Co"), std::string::npos);
    EXPECT_EQ(html.find("<Lab>"), std::string::npos);
    // Nothing to fetch: no script, no source, no address but SVG's namespace.
    EXPECT_EQ(html.find("<script"), std::string::npos);
    EXPECT_EQ(html.find("src="), std::string::npos);
    EXPECT_EQ(count(html, "http"), count(html, "http://www.w3.org/2000/svg"));
    for (const auto& row : doc["rows"])
        for (const char* p : {"t", "p", "v", "q"})
            EXPECT_NE(html.find("<td>" + formatfixed(row[p].get<double>() * b.factor, 3) + "</td>"),
                      std::string::npos)
                << row["file"] << " " << row["method"] << " " << p;
    for (const auto& v : doc["verdicts"])
        EXPECT_NE(html.find("<p class=\"verdict " + v["verdict"].get<std::string>() + "\">"),
                  std::string::npos);
    EXPECT_NE(html.find("<td>" + std::to_string(doc["summary"]["fail"].get<long>()) + "</td>"),
              std::string::npos);
}

INSTANTIATE_TEST_SUITE_P(
    Batches, HtmlReportTest,
    // mm shown in micrometres; the job stream's errors of 0.002 and 0.008
    // coordinate units in thousandths of them.
    ::testing::Values(
        Batch{{"a.csv", "b.csv", "c.csv"}, {"--feature", "circle", "--unit", "mm"}, 1e3},
        Batch{{"a.csv", "b.csv", "c.csv"},
              {"--feature", "circle", "--unit", "mm", "--filter", "50"},
              1e3},
        Batch{{"cir1.txt"}, {"--criterion", "circumscribed"}, 1e3}),
    test::namedby([](const Batch& b) {
        std::string name = b.files.front();
        for (const std::string& o : b.options) name += " " + o;
        return name;
    }));

TEST(HtmlReport, TheHeaderFileFollowsTheOptions) {
    test::Workdir dir;
    dir.write("a.csv", ring(0.001));
    dir.write("head.txt", "# the lab's header\nInstrument : RT-1\r\n\nProbe: ruby 2 mm\n");
    const test::ReportOutcome o =
        test::report({"report", "a.csv", "--feature", "circle", "-o", "r.html", "--part",
                      "Ring 6204", "--header", "head.txt"});
    ASSERT_EQ(o.status, exitok) << o.err;
    const std::string html = test::readfile(dir.path() / "r.html");
    const std::size_t part = html.find("<tr><th>Part</th><td class=\"text\">Ring 6204</td></tr>");
    const std::size_t instrument =
        html.find("<tr><th>Instrument</th><td class=\"text\">RT-1</td></tr>");
    const std::size_t probe = html.find("<tr><th>Probe</th><td class=\"text\">ruby 2 mm</td></tr>");
    ASSERT_NE(part, std::string::npos) << html.substr(0, 2000);
    ASSERT_NE(instrument, std::string::npos);
    ASSERT_NE(probe, std::string::npos);
    EXPECT_LT(part, instrument);
    EXPECT_LT(instrument, probe);
    EXPECT_NE(html.find("<tr><th>Filter</th><td class=\"text\">none</td></tr>"), std::string::npos);
    dir.write("bad.txt", "Instrument RT-1\n");
    const test::ReportOutcome bad = test::report(
        {"report", "a.csv", "--feature", "circle", "-o", "r.html", "--header", "bad.txt"});
    EXPECT_EQ(bad.status, exitusage);
    EXPECT_NE(bad.err.find("bad.txt:1: a line is 'label: value'"), std::string::npos) << bad.err;
    const test::ReportOutcome unwritable =
        test::report({"report", "a.csv", "--feature", "circle", "-o", "no/such/dir/r.html"});
    EXPECT_EQ(unwritable.status, exitinput);
    EXPECT_NE(unwritable.err.find("no/such/dir/r.html: the report could not be written"),
              std::string::npos)
        << unwritable.err;
}

// The numbers of every path's data, as written.
std::vector<std::string> pathnumbers(const std::string& html) {
    std::vector<std::string> out;
    for (std::size_t at = html.find(" d=\""); at != std::string::npos;
         at = html.find(" d=\"", at + 1)) {
        const std::size_t end = html.find('"', at + 4);
        std::string number;
        for (std::size_t i = at + 4; i <= end; ++i) {
            const char c = html[i];
            if (std::isdigit(static_cast<unsigned char>(c)) || c == '.' || c == '-') {
                number += c;
            } else if (!number.empty()) {
                out.push_back(number);
                number.clear();
            }
        }
    }
    return out;
}

// Each part's chart names the part and the filter and shows the filtered
// profile over the measured one, both drawn as the extremes of 600 steps;
// the paths' numbers to tenths of a drawing unit keep 500 pages small.
TEST(HtmlReport, ChartsNameThePartShowTheFilteredProfileAndStaySmall) {
    test::Workdir dir;
    for (const char* name : {"a.csv", "b.csv"}) dir.write(name, ring(0.001, 3600));
    const test::ReportOutcome o =
        test::report({"report", "a.csv", "b.csv", "--feature", "circle", "--filter", "50", "--part",
                      "Ring 6204", "-o", "r.html"});
    ASSERT_EQ(o.status, exitok) << o.err;
    const std::string html = test::readfile(dir.path() / "r.html");
    EXPECT_EQ(count(html, ">Part: Ring 6204  \u00b7  Filter: Gaussian, cut-off 50 UPR</text>"), 2u);
    EXPECT_EQ(count(html, ">before filtering</text>"), 2u);
    EXPECT_EQ(count(html, ">profile drawn as 1200 of its 3600 points"), 2u);
    const std::vector<std::string> numbers = pathnumbers(html);
    ASSERT_GT(numbers.size(), 4 * 1200u);
    for (const std::string& n : numbers) {
        const std::size_t point = n.find('.');
        ASSERT_TRUE(point == std::string::npos || point + 2 == n.size()) << n;
        ASSERT_NE(n, "-0");
    }
    EXPECT_LT(html.size(), 2 * 60000u + 20000u) << "at most 60 kB a part";
}

// Points the outlier rule removed are named on their part's page, so that
// the filed report says what the verdict was computed without; a part
// without the rule asked says nothing of it.
TEST(HtmlReport, APartSaysWhichPointsTheOutlierRuleRemoved) {
    test::Workdir dir;
    std::string spiked = ring(0.001);
    const std::size_t line = spiked.find('\n', spiked.find('\n') + 1) + 1; // the second point
    spiked.replace(line, spiked.find(',', line) - line, "25.5");
    dir.write("a.csv", spiked);
    dir.write("b.csv", ring(0.001));
    for (const bool rule : {true, false}) {
        std::vector<std::string> args = {"report", "a.csv", "b.csv", "--feature",
                                         "circle", "-o",    "r.html"};
        if (rule) args.insert(args.end(), {"--outliers", "4"});
        const test::ReportOutcome o = test::report(args);
        ASSERT_EQ(o.status, exitok) << o.err;
        const std::string html = test::readfile(dir.path() / "r.html");
        EXPECT_EQ(count(html, "<p class=\"outliers\">1 of 720 points removed as outliers"),
                  rule ? 1u : 0u);
        EXPECT_EQ(count(html, "<p class=\"outliers\">0 of 720 points removed"), rule ? 1u : 0u);
        EXPECT_EQ(count(html, "): point 2 ("), rule ? 1u : 0u);
    }
}

// A report that cannot be written whole leaves the one that was there, and
// no piece of the new one.
// Three inputs, one missing and one of no circle: the first page counts the
// parts and names each input left out with its reason.
TEST(HtmlReport, TheFirstPageNamesEveryInputLeftOut) {
    test::Workdir dir;
    dir.write("a.csv", ring(0.001));
    dir.write("line.csv", "0,0\n1,1\n2,2\n3,3\n");
    const test::ReportOutcome o = test::report(
        {"report", "a.csv", "missing.csv", "line.csv", "--feature", "circle", "-o", "r.html"});
    EXPECT_EQ(o.status, exitinput) << o.err;
    const std::string html = test::readfile(dir.path() / "r.html");
    EXPECT_NE(html.find("<tr><th>Parts</th><td class=\"text\">1</td></tr>"), std::string::npos);
    EXPECT_NE(html.find("<tr><th>Inputs left out</th><td class=\"text\">2</td></tr>"),
              std::string::npos)
        << html.substr(0, 3000);
    EXPECT_NE(html.find("<tr><th>missing.csv</th><td class=\"text\">cannot read missing.csv: "),
              std::string::npos)
        << html.substr(0, 3000);
    EXPECT_NE(html.find("<tr><th>line.csv</th><td class=\"text\">line.csv: "), std::string::npos)
        << html.substr(0, 3000);
    EXPECT_EQ(html.find("<tr><th>a.csv</th>"), std::string::npos);
}

TEST(HtmlReport, AReportNotWrittenWholeLeavesThePreviousOne) {
    test::Workdir dir;
    for (const char* name : {"a.csv", "b.csv", "c.csv"}) dir.write(name, ring(0.001));
    dir.write("r.html", "the report of yesterday\n");
    const test::ReportOutcome o = test::runreport(
        {"report", "a.csv", "b.csv", "c.csv", "--feature", "circle", "-o", "r.html", "-q"},
        dir.path(), "", 65536);
    EXPECT_EQ(o.signal, 0);
    EXPECT_EQ(o.status, exitinput);
    EXPECT_NE(o.err.find("r.html: the report could not be written"), std::string::npos) << o.err;
    EXPECT_EQ(test::readfile(dir.path() / "r.html"), "the report of yesterday\n");
    for (const auto& entry : std::filesystem::directory_iterator(dir.path()))
        EXPECT_EQ(entry.path().filename().string().find(".part-"), std::string::npos);
}

// The filed report's first page, its units and numbers, its page furniture
// and what it says on standard error.

// A ring as ring() draws it, its points at angles a little off equal steps,
// so that a filter resamples them.
std::string unevenring(double lobes, int n = 720) {
    const double pi = std::acos(-1.0);
    std::ostringstream s;
    s.precision(17);
    s << "x,y\n";
    for (int i = 0; i < n; ++i) {
        const double t = 2 * pi * (i + 0.25 * (i % 3)) / n;
        const double r = 25 + lobes * std::cos(3 * t) + 0.0004 * std::cos(120 * t);
        s << r * std::cos(t) << "," << r * std::sin(t) << "\n";
    }
    return s.str();
}

// The page's text as a reader sees it: no style, no tags, entities read.
std::string pagetext(std::string html) {
    const std::size_t a = html.find("<style>");
    const std::size_t b = html.find("</style>");
    if (a != std::string::npos && b != std::string::npos) html.erase(a, b - a);
    std::string text;
    bool tag = false;
    for (const char c : html) {
        if (c == '<') tag = true;
        if (!tag) text += c;
        if (c == '>') {
            tag = false;
            text += ' ';
        }
    }
    for (const auto& [entity, c] : std::vector<std::pair<std::string, std::string>>{
             {"&lt;", "<"}, {"&gt;", ">"}, {"&quot;", "\""}, {"&amp;", "&"}})
        for (std::size_t at = text.find(entity); at != std::string::npos;
             at = text.find(entity, at))
            text.replace(at, entity.size(), c);
    return text;
}

// The attribute's value in a tag, or "".
std::string attribute(const std::string& tag, const std::string& name) {
    const std::size_t at = tag.find(" " + name + "=\"");
    if (at == std::string::npos) return "";
    const std::size_t from = at + name.size() + 3;
    return tag.substr(from, tag.find('"', from) - from);
}

// The tables of a class, each as its text between <table and </table>.
std::vector<std::string> tables(const std::string& html, const std::string& kind) {
    std::vector<std::string> out;
    const std::string open = "<table class=\"" + kind + "\">";
    for (std::size_t at = html.find(open); at != std::string::npos; at = html.find(open, at + 1))
        out.push_back(html.substr(at, html.find("</table>", at) - at));
    return out;
}

// The files a table's links name, with the anchors they lead to.
std::vector<std::pair<std::string, std::string>> links(const std::string& table) {
    std::vector<std::pair<std::string, std::string>> out;
    for (std::size_t at = table.find("<a "); at != std::string::npos;
         at = table.find("<a ", at + 1)) {
        const std::string tag = table.substr(at, table.find('>', at) - at + 1);
        const std::size_t text = at + tag.size();
        const std::string name = table.substr(text, table.find("</a>", text) - text);
        out.push_back({name.substr(name.find(": ") + 2), attribute(tag, "href")});
    }
    return out;
}

struct Overview {
    const char* name;
    std::vector<double> lobes; // a ring a part
    std::vector<std::string> options;
    std::vector<std::string> listed; // the lists the case is made to fill
};

class HtmlReportOverview : public ::testing::TestWithParam<Overview> {};

// The overview lists exactly the parts results judges failing and undecided,
// each linked to its own page, in the batch's order.
TEST_P(HtmlReportOverview, ListsTheFailingAndUndecidedPartsLinkedToTheirPages) {
    const Overview& c = GetParam();
    test::Workdir dir;
    std::vector<std::string> files;
    for (std::size_t k = 0; k < c.lobes.size(); ++k) {
        files.push_back("r" + std::to_string(k) + ".csv");
        dir.write(files.back(), ring(c.lobes[k]));
    }
    std::vector<std::string> args = {"report"};
    args.insert(args.end(), files.begin(), files.end());
    args.insert(args.end(), c.options.begin(), c.options.end());
    args.insert(args.end(), {"--feature", "circle", "--unit", "mm", "-o", "r.html"});
    const test::ReportOutcome o = test::report(args);
    ASSERT_EQ(o.status, exitok) << o.err;
    args.front() = "results";
    args.resize(args.size() - 2);
    args.push_back("--json");
    const nlohmann::json doc = nlohmann::json::parse(test::report(args).out);
    std::map<std::string, std::vector<std::string>> judged;
    for (const auto& v : doc["verdicts"]) {
        const std::string word = v["verdict"];
        const std::string kind = word == "fail" || word == "non-conformance proven" ? "failing"
                                 : word == "undecided"                              ? "undecided"
                                                                                    : "";
        if (!kind.empty()) judged[kind].push_back(v["part"]);
    }
    for (const std::string& kind : c.listed) ASSERT_FALSE(judged[kind].empty()) << kind;
    const std::string html = test::readfile(dir.path() / "r.html");
    const std::size_t overview = html.find("<section class=\"overview\">");
    ASSERT_NE(overview, std::string::npos);
    EXPECT_LT(overview, html.find("<section class=\"part\""));
    for (const std::string kind : {"failing", "undecided"}) {
        const std::vector<std::string> found = tables(html, kind);
        const std::vector<std::string>& want = judged[kind];
        ASSERT_EQ(found.size(), want.empty() ? 0u : 1u) << kind;
        const std::string heading = (kind == "failing" ? "Failing parts: " : "Undecided parts: ") +
                                    std::to_string(want.size()) + "</h3>";
        EXPECT_NE(html.find(heading, overview), std::string::npos) << heading;
        if (want.empty()) continue;
        std::vector<std::string> names;
        for (const auto& [name, href] : links(found.front())) {
            names.push_back(name);
            // The anchor is the page of that part, and of no other.
            ASSERT_EQ(href.rfind("#part-", 0), 0u) << href;
            const std::string id = "id=\"" + href.substr(1) + "\"";
            ASSERT_EQ(count(html, id), 1u) << id;
            const std::size_t page = html.find(id);
            const std::string h2 = html.substr(html.find("<h2>", page),
                                               html.find("</h2>", page) - html.find("<h2>", page));
            EXPECT_EQ(h2, "<h2>Part " + href.substr(6) + ": " + name) << href;
        }
        EXPECT_EQ(names, want) << kind;
    }
}

INSTANTIATE_TEST_SUITE_P(Batches, HtmlReportOverview,
                         ::testing::Values(Overview{"simple acceptance",
                                                    {0.001, 0.003, 0.0005, 0.004, 0.001},
                                                    {"--tolerance", "0.005"},
                                                    {"failing"}},
                                           // U of about 0.6 micrometres leaves the rings whose form
                                           // error lies near the tolerance undecided.
                                           Overview{"guarded acceptance",
                                                    {0.001, 0.0028, 0.004, 0.0026},
                                                    {"--tolerance", "0.005", "--sigma", "0.0003",
                                                     "--trials", "2000"},
                                                    {"failing", "undecided"}}),
                         test::namedby([](const Overview& c) { return std::string(c.name); }));

struct Notation {
    const char* name;
    std::vector<std::string> args;
    const char* unit; // of every deviation's heading
};

class HtmlReportNumbers : public ::testing::TestWithParam<Notation> {};

// No number of the page in exponent notation, and every table of lengths
// names their unit in each heading that holds one.
TEST_P(HtmlReportNumbers, FixedNotationAndTheUnitInEveryHeading) {
    const Notation& c = GetParam();
    test::Workdir dir;
    dir.write("a.csv", ring(0.001));
    dir.write("b.csv", unevenring(0.004));
    dir.write("cir1.txt",
              "2500 " + test::alternating(12, 0.001) + "2500 " + test::alternating(12, 0.004));
    std::vector<std::string> args = c.args;
    args.insert(args.end(), {"-o", "r.html"});
    const test::ReportOutcome o = test::report(args);
    ASSERT_EQ(o.status, exitok) << o.err;
    const std::string html = test::readfile(dir.path() / "r.html");
    const std::string text = pagetext(html);
    const std::regex exponent("[0-9]\\.?[0-9]*[eE][-+]?[0-9]");
    std::smatch m;
    EXPECT_FALSE(std::regex_search(text, m, exponent))
        << text.substr(std::max<std::ptrdiff_t>(m.position() - 60, 0), 120);
    std::size_t headings = 0;
    for (const char* kind : {"parameters", "spread", "failing", "undecided"})
        for (const std::string& table : tables(html, kind)) {
            const std::string head = table.substr(0, table.find("</tr>"));
            for (std::size_t at = head.find("<th>"); at != std::string::npos;
                 at = head.find("<th>", at + 1)) {
                const std::string th = head.substr(at + 4, head.find("</th>", at) - at - 4);
                if (th == "parts") continue;
                ++headings;
                EXPECT_EQ(th.substr(th.rfind(" (")), std::string(" (") + c.unit + ")") << th;
            }
        }
    EXPECT_GE(headings, 8u);
    for (std::size_t at = html.find("<p class=\"verdict"); at != std::string::npos;
         at = html.find("<p class=\"verdict", at + 1)) {
        const std::string line = html.substr(at, html.find("</p>", at) - at);
        EXPECT_NE(line.find("; tolerance 5.000 " + std::string(c.unit)), std::string::npos) << line;
        EXPECT_EQ(line.find("pointset"), std::string::npos) << line;
    }
}

INSTANTIATE_TEST_SUITE_P(Batches, HtmlReportNumbers,
                         ::testing::Values(Notation{"point files in mm",
                                                    {"report", "a.csv", "b.csv", "--feature",
                                                     "circle", "--unit", "mm", "--tolerance",
                                                     "0.005", "--filter", "50"},
                                                    "\u00b5m"},
                                           Notation{"job records",
                                                    {"report", "cir1.txt", "--tolerance", "0.005",
                                                     "--criterion", "inscribed"},
                                                    "10^-3 coordinate units"}),
                         test::namedby([](const Notation& c) { return std::string(c.name); }));

// A part's verdict as a metrologist reads it: the feature, the form error in
// micrometres to the nanometre, how it was computed, the tolerance.
TEST(HtmlReport, TheVerdictNamesTheFeatureInMicrometres) {
    test::Workdir dir;
    dir.write("a.csv", ring(0.003));
    const test::ReportOutcome o = test::report({"report", "a.csv", "--feature", "circle", "--unit",
                                                "mm", "--tolerance", "0.004", "-o", "r.html"});
    ASSERT_EQ(o.status, exitok) << o.err;
    const nlohmann::json doc =
        nlohmann::json::parse(test::report({"results", "a.csv", "--feature", "circle", "--unit",
                                            "mm", "--tolerance", "0.004", "--json"})
                                  .out);
    const nlohmann::json& v = doc["verdicts"][0];
    const std::string word = v["verdict"];
    const std::string expected = "<p class=\"verdict " + word + "\">Circle: " + word +
                                 "; minimum zone RONt " +
                                 formatfixed(v["value"].get<double>() * 1000, 3) +
                                 " \u00b5m (numerical, certified); tolerance 4.000 \u00b5m</p>";
    ASSERT_EQ(v["computed_by"], "pointset") << "the reference the page calls numerical";
    EXPECT_NE(test::readfile(dir.path() / "r.html").find(expected), std::string::npos) << expected;
}

struct Furniture {
    const char* name;
    std::vector<std::string> options;
    std::string header; // the --header file's lines; none when empty
    std::vector<std::string> expected;
};

class HtmlReportFurniture : public ::testing::TestWithParam<Furniture> {};

// Page numbers and the report's number on every printed page; who prepared
// and approved the report, from the options or the header file.
TEST_P(HtmlReportFurniture, PageNumbersReportNumberAndSignOff) {
    const Furniture& c = GetParam();
    test::Workdir dir;
    dir.write("a.csv", ring(0.001));
    std::vector<std::string> args = {"report", "a.csv", "--feature", "circle", "-o", "r.html"};
    args.insert(args.end(), c.options.begin(), c.options.end());
    if (!c.header.empty()) {
        dir.write("head.txt", c.header);
        args.insert(args.end(), {"--header", "head.txt"});
    }
    const test::ReportOutcome o = test::report(args);
    ASSERT_EQ(o.status, exitok) << o.err;
    const std::string html = test::readfile(dir.path() / "r.html");
    EXPECT_NE(html.find("@bottom-right { content: \"page \" counter(page) \" of \" counter(pages)"),
              std::string::npos);
    EXPECT_NE(html.find("section.part, section.summary { break-before: page;"), std::string::npos);
    EXPECT_EQ(count(html, "</style>"), 1u);
    for (const std::string& e : c.expected) EXPECT_NE(html.find(e), std::string::npos) << e;
}

INSTANTIATE_TEST_SUITE_P(
    Reports, HtmlReportFurniture,
    ::testing::Values(
        Furniture{
            "options",
            {"--report-number", "R-118", "--approved-by", "Q. Manager", "--operator", "A. Lab",
             "--date", "2026-12-08", "--part", "Ring 6204"},
            "",
            {"<tr><th>Report number</th><td class=\"text\">R-118</td></tr>\n<tr><th>Part</th>",
             "@bottom-left { content: \"Form inspection report R-118 \u00b7 Ring 6204\";",
             "<tr><th class=\"text\">Prepared by</th><td class=\"text\">A. Lab</td><td "
             "class=\"text\">2026-12-08</td><td class=\"text\"></td></tr>",
             "<tr><th class=\"text\">Approved by</th><td class=\"text\">Q. Manager</td><td "
             "class=\"text\"></td><td class=\"text\"></td></tr>"}},
        Furniture{"header file",
                  {},
                  "Report number: QA-7\nApproved by: B. Chief\nPrepared by: C. Tech\n",
                  {"@bottom-left { content: \"Form inspection report QA-7\";",
                   "<tr><th class=\"text\">Prepared by</th><td class=\"text\">C. Tech</td>",
                   "<tr><th class=\"text\">Approved by</th><td class=\"text\">B. Chief</td>"}},
        // A number that would end the style element or its string is escaped.
        Furniture{"escaped",
                  {"--report-number", "R\"1\\</style>"},
                  "",
                  {"content: \"Form inspection report R\\\"1\\\\\\3C /style>\";",
                   "<td class=\"text\">R&quot;1\\&lt;/style&gt;</td>"}},
        Furniture{"none",
                  {},
                  "",
                  {"@bottom-left { content: \"Form inspection report\";",
                   "<tr><th class=\"text\">Approved by</th><td class=\"text\"></td>"}}),
    test::namedby([](const Furniture& c) { return std::string(c.name); }));

struct Quiet {
    const char* name;
    int parts;
    bool missing; // an input that cannot be read, besides
    std::string err;
};

class HtmlReportQuiet : public ::testing::TestWithParam<Quiet> {};

// A filtered batch says how its profiles were filtered on each part's page
// and once, folded, on standard error; what went wrong is still said there.
TEST_P(HtmlReportQuiet, RoutineNotesOnThePagesOneLineOnStandardError) {
    const Quiet& c = GetParam();
    test::Workdir dir;
    std::vector<std::string> args = {"report"};
    for (int k = 0; k < c.parts; ++k) {
        args.push_back("p" + std::to_string(k) + ".csv");
        dir.write(args.back(), unevenring(0.001 + 0.0001 * k));
    }
    if (c.missing) args.push_back("missing.csv");
    args.insert(args.end(), {"--feature", "circle", "--unit", "mm", "--filter", "50", "--tolerance",
                             "0.005", "-o", "r.html"});
    const test::ReportOutcome o = test::report(args);
    EXPECT_EQ(o.status, c.missing ? exitinput : exitok);
    EXPECT_EQ(o.err, c.err);
    const std::string html = test::readfile(dir.path() / "r.html");
    EXPECT_EQ(count(html, "<p class=\"note\">filtered: resampled at 720 equal angles</p>"),
              static_cast<std::size_t>(c.parts));
}

INSTANTIATE_TEST_SUITE_P(
    Batches, HtmlReportQuiet,
    ::testing::Values(
        Quiet{"twenty parts", 20, false,
              "formreport: said on the parts' pages: filtered: resampled at 720 equal angles "
              "(20 times)\n"},
        Quiet{"one part", 1, false,
              "formreport: said on the parts' pages: filtered: resampled at 720 equal angles\n"},
        Quiet{"a missing input", 2, true,
              "formreport: cannot read missing.csv: No such file or directory\n"
              "formreport: said on the parts' pages: filtered: resampled at 720 equal angles "
              "(2 times)\n"}),
    test::namedby([](const Quiet& c) { return std::string(c.name); }));

// A job record's filter note, which follows the record's name, is folded
// alike and said on the record's page.
TEST(HtmlReport, JobRecordsFilterNotesOnTheirPages) {
    const double pi = std::acos(-1.0);
    std::ostringstream jobs;
    jobs.precision(12);
    for (int k = 1; k <= 3; ++k) {
        jobs << "2500 40 0.01";
        for (int i = 0; i < 40; ++i) {
            const double t = 2 * pi * (i + 0.25 * (i % 3)) / 40;
            const double r = 10 + 0.001 * k * std::cos(3 * t);
            jobs << " " << 100 + r * std::cos(t) << " " << 20 + r * std::sin(t);
        }
        jobs << "\n";
    }
    test::Workdir dir;
    dir.write("jobs.txt", jobs.str());
    const test::ReportOutcome o = test::report(
        {"report", "jobs.txt", "--filter", "15", "--tolerance", "0.005", "-o", "r.html"});
    ASSERT_EQ(o.status, exitok) << o.err;
    EXPECT_EQ(count(o.err, "filtered"), 1u) << o.err;
    EXPECT_EQ(count(o.err, "formreport: said on the parts' pages: filtered: resampled at 40 equal "
                           "angles (3 times)\n"),
              1u)
        << o.err;
    const std::string html = test::readfile(dir.path() / "r.html");
    EXPECT_EQ(count(html, "<p class=\"note\">filtered: resampled at 40 equal angles</p>"), 3u);
}

// The trend chart's key whole within the picture, and the valley's line,
// which for a minimum zone lies on the peak's, dashed and drawn over it.
TEST(HtmlReport, TheTrendKeyIsWholeAndTheValleyDashed) {
    test::Workdir dir;
    for (const char* name : {"a.csv", "b.csv", "c.csv"}) dir.write(name, ring(0.002));
    const test::ReportOutcome o =
        test::report({"results", "a.csv", "b.csv", "c.csv", "--feature", "circle", "--unit", "mm",
                      "--tolerance", "0.005", "--trend", "t.svg"});
    ASSERT_EQ(o.status, exitok) << o.err;
    const test::Svg svg = test::parsesvg(dir.path() / "t.svg");
    ASSERT_TRUE(svg.wellformed) << svg.error;
    std::size_t keys = 0;
    for (const test::Element* t : svg.all("text")) {
        const std::string size = test::style(*t, "font-size");
        const double x = std::stod(t->attributes.at("x"));
        const double width = textwidth(t->text, std::stod(size));
        if (t->text.find(" (") == std::string::npos || t->text.rfind(")") + 1 != t->text.size())
            continue;
        for (const char* key : {"t (form error)", "p (peak)", "v (valley)", "q (root mean square)"})
            if (t->text == key) {
                ++keys;
                EXPECT_LE(x + width, 900.0) << key;
            }
    }
    EXPECT_EQ(keys, 4u);
    const Rgb green = {0.17, 0.63, 0.17};
    const std::vector<const test::Element*> valley = test::strokes(svg, green, 1);
    ASSERT_EQ(valley.size(), 2u) << "the line and its key";
    for (const test::Element* e : valley)
        EXPECT_NE(test::style(*e, "stroke-dasharray"), "") << e->attributes.at("d");
    // Drawn after the peak's line, which it would otherwise lie under.
    const std::vector<const test::Element*> peak = test::strokes(svg, Rgb{0.84, 0.15, 0.16}, 1);
    ASSERT_FALSE(peak.empty());
    EXPECT_TRUE(std::less<const test::Element*>()(peak.front(), valley.front()));
    for (const Rgb& solid : {Rgb{0.84, 0.15, 0.16}, Rgb{0.5, 0.5, 0.5}})
        for (const test::Element* e : test::strokes(svg, solid, 1))
            EXPECT_EQ(test::style(*e, "stroke-dasharray"), "");
}

} // namespace
} // namespace formeval::report
