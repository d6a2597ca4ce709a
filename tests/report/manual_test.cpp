// The manual, docs/formreport.md: the help texts read from its marked blocks,
// and the CSV headers and JSON row it documents against what formreport
// writes, so that a new column fails here until the manual names it.
#include "report/commands/commands.h"
#include "tests/harness/harness.h"
#include "tests/report/support.h"

#include <cmath>
#include <gtest/gtest.h>
#include <nlohmann/json.hpp>
#include <regex>
#include <sstream>
#include <stdexcept>

namespace formeval::report {

extern const char* const manualtext;

namespace {

const std::string& manual() {
    static const std::string text = test::readfile(FORMEVAL_SOURCE_DIR "/docs/formreport.md");
    return text;
}

// The first line of the fenced block of `language` whose first line starts
// with `start`.
std::string fencedline(const std::string& language, const std::string& start) {
    const std::string fence = "```" + language + "\n" + start;
    const std::size_t at = manual().find(fence);
    if (at == std::string::npos) return "";
    const std::size_t from = at + fence.size() - start.size();
    return manual().substr(from, manual().find('\n', from) - from);
}

std::string firstline(const std::string& text) {
    return text.substr(0, text.find('\n'));
}

const char* const sample = "intro\n"
                           "<!-- help one -->\n"
                           "A first `paragraph`\n"
                           "  on two lines.\n"
                           "\n"
                           "\n"
                           "A second.\n"
                           "<!-- end -->\n"
                           "<!-- options cmd -->\n"
                           "| Argument or option | What it does |\n"
                           "|---|---|\n"
                           "| `--a` | The a |\n"
                           "| `-o,--out` | Where `<k>.svg` goes | \n"
                           "<!-- end -->\n";

struct HelpCase {
    const char* name;
    const char* key;   // a help block, or "" for an option of `cmd`
    const char* names; // the option
    const char* text;  // what is read; nullptr: refused
};

void PrintTo(const HelpCase& c, std::ostream* out) {
    *out << c.name;
}

class ManualTest : public ::testing::TestWithParam<HelpCase> {};

TEST_P(ManualTest, ReadsMarkedBlocks) {
    const HelpCase& c = GetParam();
    const auto read = [&] {
        return *c.key ? helptext(sample, c.key) : optionhelp(sample, "cmd", c.names);
    };
    if (c.text)
        EXPECT_EQ(read(), c.text);
    else
        EXPECT_THROW(read(), std::logic_error);
}

INSTANTIATE_TEST_SUITE_P(
    Blocks, ManualTest,
    ::testing::Values(HelpCase{"Paragraphs", "one", "",
                               "A first paragraph on two lines.\n\nA second."},
                      HelpCase{"MissingBlock", "two", "", nullptr},
                      HelpCase{"Option", "", "--a", "The a"},
                      HelpCase{"OptionWithShortName", "", "-o,--out", "Where <k>.svg goes"},
                      HelpCase{"OptionPrefixIsNoMatch", "", "-o", nullptr},
                      HelpCase{"MissingOption", "", "--b", nullptr}),
    [](const ::testing::TestParamInfo<HelpCase>& info) { return info.param.name; });

// The manual built into formreport is the one in the tree.
TEST(Manual, BuiltInIsTheDocument) {
    EXPECT_EQ(std::string(manualtext), manual());
}

TEST(Manual, DocumentsTheResultsCsvHeader) {
    const test::ReportOutcome r =
        test::report({"results", "--csv", FORMEVAL_SOURCE_DIR "/examples/demo/cir1.txt"});
    ASSERT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(fencedline("csv", "file,"), firstline(r.out));
}

TEST(Manual, DocumentsTheUncertaintyCsvHeader) {
    const test::ReportOutcome r =
        test::report({"uncertainty", "--csv", "--sigma", "0.001", "--trials", "100", "--no-gum",
                      FORMEVAL_SOURCE_DIR "/examples/demo/cir1.txt"});
    ASSERT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(fencedline("csv", "file,record,"), firstline(r.out));
}

TEST(Manual, DocumentsTheSummaryCsvHeader) {
    std::ostringstream out;
    printcsv(out, {});
    EXPECT_EQ(fencedline("csv", "block,"), firstline(out.str()));
}

// The names of the documented JSON, in order: the top level's (the lines
// indented by two blanks) or, from the object shown under "rows", a row's.
std::vector<std::string> documentednames(bool row, int block = 0) {
    std::size_t at = manual().find("```json\n");
    for (int k = 0; k < block && at != std::string::npos; ++k)
        at = manual().find("```json\n", at + 1);
    if (at == std::string::npos) return {};
    const std::string example = manual().substr(at, manual().find("```\n", at + 8) - at);
    const std::size_t object = example.find('{', example.find("\"rows\""));
    const std::string part =
        row ? example.substr(object, example.find('}', object) - object) : example;
    const std::regex name(row ? R"re("(\w+)": )re" : R"re(\n  "(\w+)": )re");
    std::vector<std::string> names;
    for (auto it = std::sregex_iterator(part.begin(), part.end(), name);
         it != std::sregex_iterator(); ++it)
        names.push_back((*it)[1]);
    return names;
}

TEST(Manual, DocumentsTheJsonNames) {
    const test::ReportOutcome r =
        test::report({"results", "--json", FORMEVAL_SOURCE_DIR "/examples/demo/cir1.txt"});
    ASSERT_EQ(r.status, 0) << r.err;
    const nlohmann::ordered_json j = nlohmann::ordered_json::parse(r.out);
    std::vector<std::string> top, row;
    for (const auto& [key, value] : j.items()) top.push_back(key);
    ASSERT_FALSE(j.at("rows").empty());
    for (const auto& [key, value] : j.at("rows").front().items()) row.push_back(key);
    EXPECT_EQ(documentednames(false), top);
    EXPECT_EQ(documentednames(true), row);
}

// Point files: the CSV header and the JSON's names, the feature's own last.
TEST(Manual, DocumentsThePointFileOutput) {
    test::Workdir dir;
    dir.write("ring.csv", "x,y\n1,0\n0,1\n-1,0\n0,-1.001\n");
    const test::ReportOutcome csv =
        test::report({"results", "--csv", "ring.csv", "--feature", "circle"});
    ASSERT_EQ(csv.status, 0) << csv.err;
    EXPECT_NE(manual().find("```csv\n" + firstline(csv.out) + "\n"), std::string::npos)
        << firstline(csv.out);
    const test::ReportOutcome json =
        test::report({"results", "--json", "ring.csv", "--feature", "circle"});
    ASSERT_EQ(json.status, 0) << json.err;
    const nlohmann::ordered_json j = nlohmann::ordered_json::parse(json.out);
    std::vector<std::string> top, row;
    for (const auto& [key, value] : j.items()) top.push_back(key);
    for (const auto& [key, value] : j.at("rows").front().items()) row.push_back(key);
    EXPECT_EQ(documentednames(false, 1), top);
    EXPECT_EQ(documentednames(true, 1), row);
    for (const char* name :
         {"feature", "point_x", "point_y", "point_z", "direction_x", "direction_y", "direction_z",
          "radius", "certified", "lower_bound", "upper_bound", "apex_angle_degrees"})
        EXPECT_NE(manual().find(std::string("`") + name + "`"), std::string::npos) << name;
    // A cone's header, with its apex angle.
    std::ostringstream cone;
    for (int k = 0; k < 3; ++k)
        for (int i = 0; i < 8; ++i)
            cone << (10 + k) * std::cos(i * 0.785398) << "," << (10 + k) * std::sin(i * 0.785398)
                 << "," << 2 * k << "\n";
    dir.write("cone.csv", cone.str());
    const test::ReportOutcome cones =
        test::report({"results", "--csv", "cone.csv", "--feature", "cone"});
    ASSERT_EQ(cones.status, 0) << cones.err;
    EXPECT_NE(manual().find("```csv\n" + firstline(cones.out) + "\n"), std::string::npos)
        << firstline(cones.out);
}

// The part command: its CSV header, every JSON key of a frame and of a
// datum named, and the example part file the same as the one
// examples/part/generate.sh writes.
TEST(Manual, DocumentsThePartOutput) {
    test::Workdir dir;
    dir.write("face.csv", "x,y,z\n0,0,0\n10,0,0\n0,10,0\n10,10,0.001\n");
    dir.write("base.csv", "x,y,z\n0,0,-5\n10,0,-5\n0,10,-5\n10,10,-5\n");
    dir.write("part.json", R"({"features": {"face": {"file": "face.csv", "type": "plane",
                                               "outward": [0, 0, 1]},
                                      "base": {"file": "base.csv", "type": "plane",
                                               "outward": [0, 0, -1]}},
        "datums": {"A": "base"},
        "tolerances": [{"characteristic": "flatness", "feature": "face", "tolerance": 0.01},
                       {"characteristic": "parallelism", "feature": "face", "datums": ["A"],
                        "tolerance": 0.01}]})");
    const test::ReportOutcome csv = test::report({"part", "part.json", "--csv"});
    ASSERT_EQ(csv.status, 0) << csv.err;
    EXPECT_EQ(fencedline("csv", "characteristic,"), firstline(csv.out));
    const test::ReportOutcome json = test::report({"part", "part.json", "--json"});
    ASSERT_EQ(json.status, 0) << json.err;
    const nlohmann::ordered_json j = nlohmann::ordered_json::parse(json.out);
    ASSERT_FALSE(j.at("datums").empty());
    for (const auto* list : {&j, &j.at("tolerances").front(), &j.at("datums").front()})
        for (const auto& [key, value] : list->items())
            EXPECT_NE(manual().find("`" + key + "`"), std::string::npos) << key;
    const std::string script = test::readfile(FORMEVAL_SOURCE_DIR "/examples/part/generate.sh");
    const std::string heredoc = "<<'JSON'\n";
    const std::size_t from = script.find(heredoc) + heredoc.size();
    const std::string example = script.substr(from, script.find("JSON\n", from) - from);
    EXPECT_NE(manual().find("```json\n" + example + "```\n"), std::string::npos) << example;
}

} // namespace
} // namespace formeval::report
