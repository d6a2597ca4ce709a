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

// A 720-point ring of 3 lobes of `lobes` mm and chatter at 120 UPR.
std::string ring(double lobes) {
    const double pi = std::acos(-1.0);
    std::ostringstream s;
    s.precision(17);
    s << "x,y\n";
    for (int i = 0; i < 720; ++i) {
        const double t = 2 * pi * i / 720;
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

} // namespace
} // namespace formeval::report
