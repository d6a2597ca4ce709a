// The decision rule of the verdicts: guarded acceptance by hand-made y, U and
// limits, for the parts of results and for the decisions of uncertainty;
// the rule's exact words in the tables, CSV, JSON and the filed report; and
// a ring that simple acceptance passes but U leaves undecided, its y and U
// checked against the uncertainty command's own.
#include "report/commands/commands.h"
#include "tests/harness/harness.h"
#include "tests/report/support.h"

#include <cmath>
#include <gtest/gtest.h>
#include <limits>
#include <nlohmann/json.hpp>
#include <sstream>

namespace formeval::report {
namespace {

const std::string guardedwords =
    "ISO 14253-1: U as guard band; conformance proven when y - U and y + U lie within the "
    "limits, non-conformance proven when both lie beyond one of them, undecided otherwise";
const std::string simplewords =
    "simple acceptance: accepted when y lies within the limits, rejected otherwise, whatever U";

constexpr double none = std::numeric_limits<double>::infinity();

// A part's verdict under the guarded rule: its y +- U against the tolerance.
struct GuardCase {
    const char* name;
    double y, U, tolerance;
    Judgement judgement;
    const char* word;
};

class GuardedVerdict : public ::testing::TestWithParam<GuardCase> {};

TEST_P(GuardedVerdict, DecidesOnYAndU) {
    const GuardCase& c = GetParam();
    Evaluated e;
    e.feature = pointset::Feature::circle;
    e.pointfile = true;
    Fit f;
    f.criterion = Criterion::minimumzone;
    f.source = Source::pointset;
    // The measured value is well within every tolerance: only y +- U decides.
    f.error = f.iso.t = 1e-3;
    f.certificate = Certificate{true, 1e-3, 1e-3, ""};
    e.fits.push_back(f);
    e.uncertain = Evaluated::Uncertain{c.y, c.U, ""};
    ResultsOptions o;
    o.tolerance = c.tolerance;
    o.model = {uncertainty::Contribution{"sigma", uncertainty::Acts::coordinates,
                                         uncertainty::Distribution::gaussian, 1e-4}};
    const std::optional<Verdict> v = verdictof("p.csv", e, o);
    ASSERT_TRUE(v);
    EXPECT_EQ(v->rule, uncertainty::Rule::guarded);
    EXPECT_EQ(v->judgement, c.judgement) << verdictline(*v, 6);
    EXPECT_EQ(verdictword(*v), c.word);
    EXPECT_EQ(v->y, c.y);
    EXPECT_EQ(v->U, c.U);
    EXPECT_TRUE(v->why.empty()) << v->why;

    // Without the model the same part is judged on its measured value.
    o.model.clear();
    const std::optional<Verdict> simple = verdictof("p.csv", e, o);
    ASSERT_TRUE(simple);
    EXPECT_EQ(simple->rule, uncertainty::Rule::simple);
    EXPECT_EQ(simple->judgement, c.tolerance >= 1e-3 ? Judgement::pass : Judgement::fail);
    EXPECT_TRUE(std::isnan(simple->U));
}

INSTANTIATE_TEST_SUITE_P(
    Limits, GuardedVerdict,
    ::testing::Values(
        GuardCase{"Within", 7, 2, 10, Judgement::pass, "conformance proven"},
        GuardCase{"TopOnTheLimit", 8, 2, 10, Judgement::pass, "conformance proven"},
        GuardCase{"Straddling", 9, 2, 10, Judgement::undecided, "undecided"},
        GuardCase{"ValueOnTheLimit", 10, 2, 10, Judgement::undecided, "undecided"},
        GuardCase{"BottomOnTheLimit", 12, 2, 10, Judgement::undecided, "undecided"},
        GuardCase{"Beyond", 12.5, 2, 10, Judgement::fail, "non-conformance proven"},
        GuardCase{"NoUncertaintyWithin", 10, 0, 10, Judgement::pass, "conformance proven"},
        GuardCase{"NoUncertaintyBeyond", 10.5, 0, 10, Judgement::fail, "non-conformance proven"}),
    test::namedby([](const GuardCase& c) { return std::string(c.name); }));

// A part whose uncertainty could not be propagated, or was not, is undecided
// under the guarded rule, and says why.
TEST(GuardedVerdict, WithoutUIsUndecidedAndSaysWhy) {
    Evaluated e;
    e.feature = pointset::Feature::circle;
    e.pointfile = true;
    Fit f;
    f.criterion = Criterion::minimumzone;
    f.source = Source::pointset;
    f.error = f.iso.t = 1e-3;
    f.certificate = Certificate{true, 1e-3, 1e-3, ""};
    e.fits.push_back(f);
    ResultsOptions o;
    o.tolerance = 1.0;
    o.modelfile = "model.txt";
    for (const auto& [uncertain, why] :
         {std::pair{std::optional<Evaluated::Uncertain>{}, "no uncertainty propagated"},
          {Evaluated::Uncertain{notapplicable, notapplicable, "every trial failed"},
           "no uncertainty: every trial failed"}}) {
        e.uncertain = uncertain;
        const std::optional<Verdict> v = verdictof("p.csv", e, o);
        ASSERT_TRUE(v);
        EXPECT_EQ(v->judgement, Judgement::undecided);
        EXPECT_EQ(v->why, why);
        EXPECT_EQ(verdictline(*v, 3), "verdict: undecided (minimum zone RONt 0.001, pointset, "
                                      "certified; tolerance 1; " +
                                          std::string(why) + ")");
    }
}

// uncertainty's decisions against both limits take y and U from the
// estimate a statement quotes, not from the Monte Carlo's own average.
struct LimitsCase {
    const char* name;
    double y, U, low, high;
    uncertainty::Rule rule;
    uncertainty::Verdict verdict;
};

class QuotedDecision : public ::testing::TestWithParam<LimitsCase> {};

TEST_P(QuotedDecision, TakesTheQuotedEstimate) {
    const LimitsCase& c = GetParam();
    Statement s;
    uncertainty::Quantity q;
    q.name = "radius";
    q.mc.mean = 1000; // far beyond every limit: a decision on it would differ
    q.U = 1e-9;
    q.quoted.y = c.y;
    q.quoted.U = c.U;
    s.result.quantities = {q};
    UncertaintyOptions o;
    o.rule = c.rule;
    ToleranceLimits t;
    t.quantity = "radius";
    t.limits = {c.low, c.high};
    o.tolerances = {t};
    decide(s, o);
    ASSERT_EQ(s.decisions.size(), 1u);
    ASSERT_TRUE(s.decisions[0].quantity);
    EXPECT_EQ(s.decisions[0].verdict, c.verdict)
        << uncertainty::verdictname(s.decisions[0].verdict);
    EXPECT_EQ(guarded(q).y, c.y);
    EXPECT_EQ(guarded(q).U, c.U);
}

using uncertainty::Rule;
using uncertainty::Verdict;
INSTANTIATE_TEST_SUITE_P(
    Limits, QuotedDecision,
    ::testing::Values(
        LimitsCase{"Within", 5, 1, 2, 8, Rule::guarded, Verdict::conformance},
        LimitsCase{"LowOnTheLowLimit", 3, 1, 2, 8, Rule::guarded, Verdict::conformance},
        LimitsCase{"StraddlingTheLowLimit", 2.5, 1, 2, 8, Rule::guarded, Verdict::undecided},
        LimitsCase{"HighOnTheLowLimit", 1, 1, 2, 8, Rule::guarded, Verdict::undecided},
        LimitsCase{"BelowTheLowLimit", 0.5, 1, 2, 8, Rule::guarded, Verdict::nonconformance},
        LimitsCase{"HighOnTheHighLimit", 7, 1, 2, 8, Rule::guarded, Verdict::conformance},
        LimitsCase{"StraddlingTheHighLimit", 7.5, 1, 2, 8, Rule::guarded, Verdict::undecided},
        LimitsCase{"LowOnTheHighLimit", 9, 1, 2, 8, Rule::guarded, Verdict::undecided},
        LimitsCase{"AboveTheHighLimit", 9.5, 1, 2, 8, Rule::guarded, Verdict::nonconformance},
        LimitsCase{"OnlyAnUpperLimit", -50, 1, -none, 8, Rule::guarded, Verdict::conformance},
        LimitsCase{"SimpleStraddling", 7.5, 1, 2, 8, Rule::simple, Verdict::accepted},
        LimitsCase{"SimpleBeyond", 8.5, 1, 2, 8, Rule::simple, Verdict::rejected}),
    test::namedby([](const LimitsCase& c) { return std::string(c.name); }));

// A ring of 36 points with a three-lobed form of 0.002 (its minimum-zone
// RONt, exactly).
std::string ring() {
    std::ostringstream out;
    out.precision(17);
    out << "x,y\n";
    for (int k = 0; k < 36; ++k) {
        const double a = 2 * std::acos(-1.0) * k / 36;
        const double r = 10 + 0.001 * std::cos(3 * a);
        out << r * std::cos(a) << "," << r * std::sin(a) << "\n";
    }
    return out.str();
}

const std::vector<std::string> model = {"--sigma", "0.0002", "--trials", "2000"};

std::vector<std::string> resultsof(const std::string& tolerance, bool withmodel,
                                   const std::string& format) {
    std::vector<std::string> args = {"results", "ring.csv", "--feature", "circle"};
    if (!tolerance.empty()) args.insert(args.end(), {"--tolerance", tolerance});
    if (withmodel) args.insert(args.end(), model.begin(), model.end());
    if (!format.empty()) args.push_back(format);
    return args;
}

// The CSV's rows as name -> value, fields read with quotes.
std::vector<std::map<std::string, std::string>> readcsv(const std::string& text) {
    std::vector<std::vector<std::string>> lines;
    std::vector<std::string> fields(1);
    bool quoted = false;
    for (std::size_t k = 0; k < text.size(); ++k) {
        const char c = text[k];
        if (quoted && c == '"' && k + 1 < text.size() && text[k + 1] == '"') {
            fields.back() += '"';
            ++k;
        } else if (c == '"') {
            quoted = !quoted;
        } else if (!quoted && c == ',') {
            fields.emplace_back();
        } else if (!quoted && c == '\n') {
            lines.push_back(fields);
            fields.assign(1, "");
        } else {
            fields.back() += c;
        }
    }
    std::vector<std::map<std::string, std::string>> rows;
    for (std::size_t k = 1; k < lines.size(); ++k) {
        std::map<std::string, std::string> row;
        for (std::size_t c = 0; c < lines[0].size() && c < lines[k].size(); ++c)
            row[lines[0][c]] = lines[k][c];
        rows.push_back(row);
    }
    return rows;
}

// The ring at 0.0021: simple acceptance passes it (0.002 is within), the
// model's U (about 0.0003) does not clear it; 0.01 and 0.001 are decided
// either way.
struct RingCase {
    std::string tolerance;
    std::string simple;
    std::string guarded;
};

class RingVerdict : public ::testing::TestWithParam<RingCase> {};

TEST_P(RingVerdict, CsvCarriesTheVerdictAndItsRule) {
    const RingCase& c = GetParam();
    test::Workdir dir;
    dir.write("ring.csv", ring());
    for (const bool withmodel : {false, true}) {
        const test::ReportOutcome r = test::report(resultsof(c.tolerance, withmodel, "--csv"));
        ASSERT_EQ(r.status, exitok) << r.err;
        EXPECT_EQ(r.err, "");
        const std::string header = r.out.substr(0, r.out.find('\n'));
        const std::string last = ",direction_z,verdict,decision_rule";
        EXPECT_EQ(header.substr(header.size() - last.size()), last);
        const auto rows = readcsv(r.out);
        ASSERT_EQ(rows.size(), 4u); // the four criteria, one part
        for (const auto& row : rows) {
            EXPECT_EQ(row.at("verdict"), withmodel ? c.guarded : c.simple);
            EXPECT_EQ(row.at("decision_rule"), withmodel ? guardedwords : simplewords);
            // A reference's own pass column keeps judging its measured value.
            EXPECT_EQ(row.at("pass"), c.simple == "pass" ? "true" : "false");
        }
    }
}

INSTANTIATE_TEST_SUITE_P(Tolerances, RingVerdict,
                         ::testing::Values(RingCase{"0.0021", "pass", "undecided"},
                                           RingCase{"0.01", "pass", "conformance proven"},
                                           RingCase{"0.001", "fail", "non-conformance proven"}),
                         test::namedby([](const RingCase& c) {
                             return test::testname(c.tolerance);
                         }));

// The y and U a guarded verdict decides on are those uncertainty states of
// the same points under the same model, and they straddle the tolerance.
TEST(RingVerdict, DecidesOnTheStatementsYAndU) {
    test::Workdir dir;
    dir.write("ring.csv", ring());
    const test::ReportOutcome r = test::report(resultsof("0.0021", true, "--json"));
    ASSERT_EQ(r.status, exitok) << r.err;
    const nlohmann::json doc = nlohmann::json::parse(r.out);
    ASSERT_EQ(doc["verdicts"].size(), 1u);
    const nlohmann::json& v = doc["verdicts"][0];
    std::vector<std::string> args = {"uncertainty", "ring.csv", "--feature", "circle",
                                     "--tolerance", "0.0021",   "--no-gum",  "--json"};
    args.insert(args.end(), model.begin(), model.end());
    const test::ReportOutcome u = test::report(args);
    ASSERT_EQ(u.status, exitok) << u.err;
    const nlohmann::json statement = nlohmann::json::parse(u.out);
    const nlohmann::json& d = statement["evaluations"][0]["decisions"][0];
    EXPECT_EQ(d["verdict"], "undecided");
    EXPECT_EQ(d["decision_rule"], guardedwords);
    EXPECT_EQ(statement["decision_rule"], guardedwords);
    EXPECT_EQ(v["y"].get<double>(), d["value"].get<double>());
    EXPECT_EQ(v["U"].get<double>(), d["U"].get<double>());
    const double y = v["y"], U = v["U"];
    EXPECT_LE(y - U, 0.0021);
    EXPECT_GT(y + U, 0.0021);
    EXPECT_GT(U, 0.0001);
    EXPECT_EQ(v["verdict"], "undecided");
    EXPECT_EQ(v["decision_rule"], guardedwords);
    EXPECT_EQ(v["value"].get<double>(), doc["rows"][1]["t"].get<double>());
    EXPECT_EQ(doc["summary"]["decision_rule"], guardedwords);
    EXPECT_EQ(doc["summary"]["undecided"], 1);
    for (const nlohmann::json& row : doc["rows"]) {
        EXPECT_EQ(row["verdict"], "undecided");
        EXPECT_EQ(row["decision_rule"], guardedwords);
    }
}

// The rule in every output that carries verdicts, word for word; none where
// nothing is judged.
TEST(DecisionRule, NamedInEveryOutput) {
    test::Workdir dir;
    dir.write("ring.csv", ring());
    for (const bool withmodel : {false, true}) {
        const std::string words = withmodel ? guardedwords : simplewords;
        const test::ReportOutcome table = test::report(resultsof("0.0021", withmodel, ""));
        ASSERT_EQ(table.status, exitok) << table.err;
        EXPECT_NE(table.out.find("\nFilter: none.\nDecision rule: " + words + ".\n\n"),
                  std::string::npos)
            << table.out;
        const test::ReportOutcome json = test::report(resultsof("0.0021", withmodel, "--json"));
        const nlohmann::json doc = nlohmann::json::parse(json.out);
        EXPECT_EQ(doc["verdicts"][0]["decision_rule"], words);
        EXPECT_EQ(doc["summary"]["decision_rule"], words);
        if (!withmodel) {
            EXPECT_TRUE(doc["verdicts"][0]["y"].is_null());
            EXPECT_TRUE(doc["verdicts"][0]["U"].is_null());
        }
        std::vector<std::string> args = {"report",      "ring.csv", "--feature", "circle",
                                         "--tolerance", "0.0021",   "-o",        "r.html"};
        if (withmodel) args.insert(args.end(), model.begin(), model.end());
        const test::ReportOutcome html = test::report(args);
        ASSERT_EQ(html.status, exitok) << html.err;
        const std::string page = test::readfile(dir.path() / "r.html");
        const std::string rule = "<p class=\"rule\">Decision rule: " + words + "</p>\n";
        // Beside the part's verdict and on the summary.
        std::size_t count = 0;
        for (std::size_t at = page.find(rule); at != std::string::npos;
             at = page.find(rule, at + 1))
            ++count;
        EXPECT_EQ(count, 2u);
        EXPECT_NE(page.find(withmodel ? "<th>conformance proven</th><th>non-conformance "
                                        "proven</th><th>undecided</th>"
                                      : "<th>pass</th><th>fail</th><th>undecided</th>"),
                  std::string::npos);
    }
    // Without a tolerance: no verdict, no rule.
    const test::ReportOutcome table = test::report(resultsof("", false, ""));
    EXPECT_EQ(table.out.find("Decision rule"), std::string::npos);
    const test::ReportOutcome csv = test::report(resultsof("", false, "--csv"));
    for (const auto& row : readcsv(csv.out)) {
        EXPECT_EQ(row.at("verdict"), "");
        EXPECT_EQ(row.at("decision_rule"), "");
    }
    const nlohmann::json doc =
        nlohmann::json::parse(test::report(resultsof("", false, "--json")).out);
    EXPECT_TRUE(doc["summary"]["decision_rule"].is_null());
    EXPECT_TRUE(doc["rows"][0]["verdict"].is_null());
}

// A model with nothing to decide against says so and runs no trials; one
// that cannot be propagated leaves the part undecided with the reason; a
// unit left behind by --sigma is refused as uncertainty refuses it.
TEST(DecisionRule, SaysWhatAModelCannotDecide) {
    test::Workdir dir;
    dir.write("ring.csv", ring());
    const test::ReportOutcome nothing = test::report(resultsof("", true, ""));
    EXPECT_EQ(nothing.status, exitok);
    EXPECT_EQ(nothing.err, "formreport: the uncertainty model guard-bands verdicts against a "
                           "tolerance, and no --tolerance is given: nothing to decide, so no "
                           "trials are run\n");
    EXPECT_EQ(nothing.out.find("verdict"), std::string::npos);

    // 10 trials hold no 95 % interval.
    const test::ReportOutcome few =
        test::report({"results", "ring.csv", "--feature", "circle", "--tolerance", "0.01",
                      "--sigma", "0.0002", "--trials", "10", "--json"});
    ASSERT_EQ(few.status, exitok) << few.err;
    const nlohmann::json v = nlohmann::json::parse(few.out)["verdicts"][0];
    EXPECT_EQ(v["verdict"], "undecided");
    EXPECT_EQ(v["reason"].get<std::string>().rfind("no uncertainty: ", 0), 0u) << v["reason"];
    EXPECT_TRUE(v["U"].is_null());

    const test::ReportOutcome unit = test::report({"results", "ring.csv", "--feature", "circle",
                                                   "--tolerance", "0.01", "--sigma", "1", "um"});
    EXPECT_EQ(unit.status, exitusage);
    EXPECT_NE(unit.err.find("'um' is a unit, not an input"), std::string::npos) << unit.err;
    const test::ReportOutcome bad = test::report({"report", "ring.csv", "--feature", "circle", "-o",
                                                  "r.html", "--contribution", "sideways 1"});
    EXPECT_EQ(bad.status, exitusage);
    EXPECT_NE(bad.err.find("--contribution"), std::string::npos) << bad.err;
}

// The batch's line counts the guarded verdicts in their words, the
// undecided apart from the failing.
TEST(DecisionRule, TheBatchCountsInTheRulesWords) {
    test::Workdir dir;
    dir.write("ring.csv", ring());
    std::string flat = "x,y\n";
    for (int k = 0; k < 36; ++k) {
        const double a = 2 * std::acos(-1.0) * k / 36;
        std::ostringstream line;
        line.precision(17);
        line << 10 * std::cos(a) << "," << 10 * std::sin(a) << "\n";
        flat += line.str();
    }
    dir.write("round.csv", flat);
    std::vector<std::string> args = {"results", "ring.csv",    "round.csv", "--feature",
                                     "circle",  "--tolerance", "0.0021"};
    args.insert(args.end(), model.begin(), model.end());
    const test::ReportOutcome r = test::report(args);
    ASSERT_EQ(r.status, exitok) << r.err;
    EXPECT_NE(r.out.find("\nbatch: 2 parts, 2 judged by minimum zone with U as guard band: 1 "
                         "conformance proven, 0 non-conformance proven, 1 undecided (neither "
                         "proven; not counted as failing)\n"),
              std::string::npos)
        << r.out;
}

} // namespace
} // namespace formeval::report
