// The decision rule of the verdicts: guarded acceptance by hand-made y, U and
// limits, for the parts of results and for the decisions of uncertainty;
// the rule's exact words in the tables, CSV, JSON and the filed report; and
// a ring that simple acceptance passes but U leaves undecided, its y and U
// checked against the uncertainty command's own.
#include "report/commands/commands.h"
#include "tests/harness/harness.h"
#include "tests/report/support.h"

#include <algorithm>
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

// A part's y +- U against its tolerance (10), its measured value (1e-3)
// well within every one, so that only y and U decide.
struct GuardCase {
    const char* name;
    double y, U, tolerance;
    const char* word;
};

class GuardedVerdict : public ::testing::TestWithParam<GuardCase> {};

TEST_P(GuardedVerdict, DecidesOnYAndU) {
    const GuardCase& c = GetParam();
    Evaluated e;
    e.pointfile = true;
    Fit f;
    f.criterion = Criterion::minimumzone;
    f.source = Source::pointset;
    f.error = f.iso.t = 1e-3;
    f.certificate = Certificate{true, 1e-3, 1e-3, ""};
    e.fits.push_back(f);
    e.uncertain = Evaluated::Uncertain{c.y, c.U, ""};
    ResultsOptions o;
    o.tolerance = c.tolerance;
    o.modelfile = "model.txt";
    const std::optional<Verdict> v = verdictof("p.csv", e, o);
    ASSERT_TRUE(v);
    EXPECT_EQ(verdictword(*v), c.word);
    EXPECT_EQ(verdictline(*v, 3), "verdict: " + std::string(c.word) +
                                      " (minimum zone RONt 0.001, pointset, certified; y " +
                                      formatnumber(c.y, 3) + " +- U " + formatnumber(c.U, 3) +
                                      "; tolerance " + formatnumber(c.tolerance, 3) + ")");
    // Without the model the same part is judged on its measured value.
    o.modelfile.clear();
    EXPECT_EQ(verdictword(*verdictof("p.csv", e, o)), c.tolerance >= 1e-3 ? "pass" : "fail");
    // With it, but without a U, it is undecided and says why.
    o.modelfile = "model.txt";
    e.uncertain->failure = "every trial failed";
    const std::optional<Verdict> failed = verdictof("p.csv", e, o);
    EXPECT_EQ(failed->judgement, Judgement::undecided);
    EXPECT_EQ(failed->why, "no uncertainty: every trial failed");
}

INSTANTIATE_TEST_SUITE_P(
    Limits, GuardedVerdict,
    ::testing::Values(GuardCase{"Within", 7, 2, 10, "conformance proven"},
                      GuardCase{"TopOnTheLimit", 8, 2, 10, "conformance proven"},
                      GuardCase{"Straddling", 9, 2, 10, "undecided"},
                      GuardCase{"ValueOnTheLimit", 10, 2, 10, "undecided"},
                      GuardCase{"BottomOnTheLimit", 12, 2, 10, "undecided"},
                      GuardCase{"Beyond", 12.5, 2, 10, "non-conformance proven"},
                      GuardCase{"NoUncertaintyOnTheLimit", 10, 0, 10, "conformance proven"},
                      GuardCase{"SmallTolerance", 0.5, 0.1, 0.0005, "non-conformance proven"}),
    test::namedby([](const GuardCase& c) { return std::string(c.name); }));

// uncertainty's decisions against both limits take y and U from the
// estimate a statement quotes, not from the Monte Carlo's own average.
struct LimitsCase {
    const char* name;
    double y, U, low, high;
    uncertainty::Rule rule;
    uncertainty::Verdict verdict;
    const char* quantity = "radius";
};

class QuotedDecision : public ::testing::TestWithParam<LimitsCase> {};

TEST_P(QuotedDecision, TakesTheQuotedEstimate) {
    const LimitsCase& c = GetParam();
    Statement s;
    uncertainty::Quantity q;
    q.name = c.quantity;
    q.mc.mean = 1000; // far beyond every limit: a decision on it would differ
    q.U = 1e-9;
    q.quoted.y = c.y;
    q.quoted.U = c.U;
    s.result.quantities = {q};
    UncertaintyOptions o;
    o.rule = c.rule;
    o.tolerances = {ToleranceLimits{c.quantity, {c.low, c.high}}};
    decide(s, o);
    ASSERT_EQ(s.decisions.size(), 1u);
    EXPECT_EQ(s.decisions[0].verdict, c.verdict)
        << uncertainty::verdictname(s.decisions[0].verdict);
}

using uncertainty::Rule;
using uncertainty::Verdict;
constexpr double none = std::numeric_limits<double>::infinity();
INSTANTIATE_TEST_SUITE_P(
    Limits, QuotedDecision,
    ::testing::Values(
        LimitsCase{"Within", 5, 1, 2, 8, Rule::guarded, Verdict::conformance},
        // A form error or a size held at 0 by its statement, y - U below
        // 0: a lower limit at or below 0 is met whatever it says (t=0:8
        // was undecided where t=:8 was conformance proven); a centre has no
        // such bound.
        LimitsCase{"FormErrorFromZero", 0.5, 1, 0, 8, Rule::guarded, Verdict::conformance, "t"},
        LimitsCase{"FormErrorFromBelowZero", 0.2, 1.5, -1, 8, Rule::guarded, Verdict::conformance,
                   "t"},
        LimitsCase{"DiameterFromZero", 0.5, 1, 0, 8, Rule::guarded, Verdict::conformance,
                   "diameter"},
        LimitsCase{"FormErrorAboveZero", 0.5, 1, 0.1, 8, Rule::guarded, Verdict::undecided, "t"},
        LimitsCase{"CentreFromZero", 0.5, 1, 0, 8, Rule::guarded, Verdict::undecided, "centre_x"},
        LimitsCase{"FormErrorOverTheTop", 7.5, 1, 0, 8, Rule::guarded, Verdict::undecided, "t"},
        LimitsCase{"LowOnTheLowLimit", 3, 1, 2, 8, Rule::guarded, Verdict::conformance},
        LimitsCase{"StraddlingTheLowLimit", 2.5, 1, 2, 8, Rule::guarded, Verdict::undecided},
        LimitsCase{"HighOnTheLowLimit", 1, 1, 2, 8, Rule::guarded, Verdict::undecided},
        LimitsCase{"BelowTheLowLimit", 0.5, 1, 2, 8, Rule::guarded, Verdict::nonconformance},
        LimitsCase{"HighOnTheHighLimit", 7, 1, 2, 8, Rule::guarded, Verdict::conformance},
        LimitsCase{"StraddlingTheHighLimit", 7.5, 1, 2, 8, Rule::guarded, Verdict::undecided},
        LimitsCase{"LowOnTheHighLimit", 9, 1, 2, 8, Rule::guarded, Verdict::undecided},
        LimitsCase{"AboveTheHighLimit", 9.5, 1, 2, 8, Rule::guarded, Verdict::nonconformance},
        LimitsCase{"OnlyAnUpperLimit", -50, 1, -none, 8, Rule::guarded, Verdict::conformance},
        LimitsCase{"SimpleStraddling", 7.5, 1, 2, 8, Rule::simple, Verdict::accepted}),
    test::namedby([](const LimitsCase& c) { return std::string(c.name); }));

// A ring of 36 points with a three-lobed form: minimum-zone RONt 0.002.
std::string ring(double lobes = 0.001) {
    std::ostringstream out;
    out.precision(17);
    out << "x,y\n";
    for (int k = 0; k < 36; ++k) {
        const double a = 2 * std::acos(-1.0) * k / 36;
        const double r = 10 + lobes * std::cos(3 * a);
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

// The ring (t = 0.002) at 0.00201: simple acceptance passes it; the model's
// bias-corrected y +- U (about 0.00165 +- 0.00042) straddles it; 0.01 and
// 0.001 are decided either way.
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
        std::istringstream lines(r.out);
        std::string line;
        std::getline(lines, line);
        EXPECT_EQ(line.substr(line.rfind(",direction_z,")), ",direction_z,verdict,decision_rule");
        // Every row of the part, one a criterion, ends with its verdict and
        // the rule, quoted for its commas.
        const std::string end = "," + (withmodel ? c.guarded : c.simple) + ",\"" +
                                (withmodel ? guardedwords : simplewords) + "\"";
        int rows = 0;
        for (; std::getline(lines, line); ++rows)
            EXPECT_EQ(line.substr(line.size() - std::min(line.size(), end.size())), end) << line;
        EXPECT_EQ(rows, 4);
    }
}

INSTANTIATE_TEST_SUITE_P(Tolerances, RingVerdict,
                         ::testing::Values(RingCase{"0.00201", "pass", "undecided"},
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
    const nlohmann::json doc =
        nlohmann::json::parse(test::report(resultsof("0.00201", true, "--json")).out);
    ASSERT_EQ(doc["verdicts"].size(), 1u);
    const nlohmann::json& v = doc["verdicts"][0];
    std::vector<std::string> args = {"uncertainty", "ring.csv", "--feature", "circle",
                                     "--tolerance", "0.00201",  "--no-gum",  "--json"};
    args.insert(args.end(), model.begin(), model.end());
    const test::ReportOutcome u = test::report(args);
    ASSERT_EQ(u.status, exitok) << u.err;
    const nlohmann::json d = nlohmann::json::parse(u.out)["evaluations"][0]["decisions"][0];
    EXPECT_EQ(d["verdict"], "undecided");
    EXPECT_EQ(d["decision_rule"], guardedwords);
    EXPECT_EQ(v["y"].get<double>(), d["value"].get<double>());
    EXPECT_EQ(v["U"].get<double>(), d["U"].get<double>());
    const double y = v["y"], U = v["U"];
    EXPECT_LE(y - U, 0.00201);
    EXPECT_GT(y + U, 0.00201);
    EXPECT_EQ(v["verdict"], "undecided");
    EXPECT_EQ(v["value"].get<double>(), doc["rows"][1]["t"].get<double>());
    EXPECT_EQ(doc["summary"]["undecided"], 1);
}

// The rule in every output that carries verdicts, word for word; none where
// nothing is judged.
TEST(DecisionRule, NamedInEveryOutput) {
    test::Workdir dir;
    dir.write("ring.csv", ring());
    for (const bool withmodel : {false, true}) {
        const std::string words = withmodel ? guardedwords : simplewords;
        const test::ReportOutcome table = test::report(resultsof("0.00201", withmodel, ""));
        EXPECT_NE(table.out.find("\nFilter: none.\nDecision rule: " + words + ".\n\n"),
                  std::string::npos)
            << table.out;
        const nlohmann::json doc =
            nlohmann::json::parse(test::report(resultsof("0.00201", withmodel, "--json")).out);
        EXPECT_EQ(doc["verdicts"][0]["decision_rule"], words);
        EXPECT_EQ(doc["summary"]["decision_rule"], words);
        for (const nlohmann::json& row : doc["rows"]) EXPECT_EQ(row["decision_rule"], words);
        std::vector<std::string> args = {"report",      "ring.csv", "--feature", "circle",
                                         "--tolerance", "0.00201",  "-o",        "r.html"};
        if (withmodel) args.insert(args.end(), model.begin(), model.end());
        ASSERT_EQ(test::report(args).status, exitok);
        const std::string page = test::readfile(dir.path() / "r.html");
        // Beside the part's verdict and on the summary.
        const std::string rule = "<p class=\"rule\">Decision rule: " + words + "</p>\n";
        const std::size_t first = page.find(rule);
        ASSERT_NE(first, std::string::npos);
        EXPECT_NE(page.find(rule, first + 1), std::string::npos);
        EXPECT_NE(page.find(withmodel ? "<th>conformance proven</th><th>non-conformance "
                                        "proven</th><th>undecided</th>"
                                      : "<th>pass</th><th>fail</th><th>undecided</th>"),
                  std::string::npos);
    }
    EXPECT_EQ(test::report(resultsof("", false, "")).out.find("Decision rule"), std::string::npos);
    const test::ReportOutcome csv = test::report(resultsof("", false, "--csv"));
    // Each row as many fields as the header, the last two empty.
    std::istringstream lines(csv.out);
    std::string header, line;
    std::getline(lines, header);
    const auto fields = [](const std::string& l) { return std::count(l.begin(), l.end(), ','); };
    while (std::getline(lines, line)) {
        EXPECT_EQ(fields(line), fields(header));
        EXPECT_EQ(line.substr(line.size() - 2), ",,") << line;
    }
    const nlohmann::json doc =
        nlohmann::json::parse(test::report(resultsof("", false, "--json")).out);
    EXPECT_TRUE(doc["summary"]["decision_rule"].is_null());
    EXPECT_TRUE(doc["rows"][0]["verdict"].is_null());
}

// A model with nothing to decide against says so; one that cannot be
// propagated leaves the part undecided with the reason; a unit left behind
// by --sigma is refused as uncertainty refuses it.
TEST(DecisionRule, SaysWhatAModelCannotDecide) {
    test::Workdir dir;
    dir.write("ring.csv", ring());
    const test::ReportOutcome nothing = test::report(resultsof("", true, ""));
    EXPECT_EQ(nothing.status, exitok);
    EXPECT_EQ(nothing.err, "formreport: the uncertainty model guard-bands verdicts against a "
                           "tolerance, and no --tolerance is given: nothing to decide, so no "
                           "trials are run\n");
    // 10 trials hold no 95 % interval.
    const test::ReportOutcome few =
        test::report({"results", "ring.csv", "--feature", "circle", "--tolerance", "0.01",
                      "--sigma", "0.0002", "--trials", "10", "--json"});
    ASSERT_EQ(few.status, exitok) << few.err;
    const nlohmann::json v = nlohmann::json::parse(few.out)["verdicts"][0];
    EXPECT_EQ(v["verdict"], "undecided");
    EXPECT_EQ(v["reason"].get<std::string>().rfind("no uncertainty: ", 0), 0u) << v["reason"];
    const test::ReportOutcome unit = test::report({"results", "ring.csv", "--feature", "circle",
                                                   "--tolerance", "0.01", "--sigma", "1", "um"});
    EXPECT_EQ(unit.status, exitusage);
    EXPECT_NE(unit.err.find("'um' is a unit, not an input"), std::string::npos) << unit.err;
}

// The batch's line counts the guarded verdicts in their words, the
// undecided apart from the failing.
TEST(DecisionRule, TheBatchCountsInTheRulesWords) {
    test::Workdir dir;
    dir.write("ring.csv", ring());
    dir.write("round.csv", ring(0));
    std::vector<std::string> args = {"results", "ring.csv",    "round.csv", "--feature",
                                     "circle",  "--tolerance", "0.00201"};
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
