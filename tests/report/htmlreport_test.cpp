// The filed report: one self-contained page with a section, a chart and a
// verdict a part, every value of the results searchable in its text, the
// header block escaped, print styles of a page a part, and refusals.
#include "report/commands/commands.h"
#include "tests/harness/harness.h"
#include "tests/report/support.h"

#include <cmath>
#include <gtest/gtest.h>
#include <nlohmann/json.hpp>
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
    EXPECT_EQ(count(html, "<section class=\"part\">"), parts);
    EXPECT_EQ(count(html, "<section class=\"summary\">"), 1u);
    EXPECT_EQ(count(html, "<svg "), parts + 1) << "a chart a part and the trend";
    EXPECT_EQ(count(html, "<?xml"), 0u);
    EXPECT_NE(html.find("break-after: page"), std::string::npos);
    EXPECT_NE(html.find("A. &lt;Lab&gt; &amp; Co"), std::string::npos);
    EXPECT_EQ(html.find("<Lab>"), std::string::npos);
    // Nothing to fetch: no script, no source, no address but SVG's namespace.
    EXPECT_EQ(html.find("<script"), std::string::npos);
    EXPECT_EQ(html.find("src="), std::string::npos);
    EXPECT_EQ(count(html, "http"), count(html, "http://www.w3.org/2000/svg"));
    for (const auto& row : doc["rows"])
        for (const char* p : {"t", "p", "v", "q"})
            EXPECT_NE(html.find("<td>" + formatnumber(row[p].get<double>(), 12) + "</td>"),
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
    ::testing::Values(Batch{{"a.csv", "b.csv", "c.csv"}, {"--feature", "circle", "--unit", "mm"}},
                      Batch{{"a.csv", "b.csv", "c.csv"},
                            {"--feature", "circle", "--unit", "mm", "--filter", "50"}},
                      Batch{{"cir1.txt"}, {"--criterion", "circumscribed"}}),
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

} // namespace
} // namespace formeval::report
