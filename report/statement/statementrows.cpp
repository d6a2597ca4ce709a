// `formreport uncertainty --csv` and `--json`: one row per point set,
// quantity and method, with the same names in both; the JSON adds each point
// set's settings, budget and decisions.
#include "report/json/json.h"
#include "report/statement/statement.h"

#include <cmath>
#include <ostream>

namespace formeval::report {

namespace {

using uncertainty::Quantity;

constexpr double none = notapplicable;

std::string unitof(const Quantity& q, const UncertaintyOptions& o) {
    if (q.angle) return "rad";
    return q.length ? o.unit : "";
}

nlohmann::ordered_json finite(double v) {
    return std::isfinite(v) ? nlohmann::ordered_json(v) : nlohmann::ordered_json();
}

nlohmann::ordered_json evaluation(const Statement& s, const UncertaintyOptions& o) {
    const uncertainty::Result& r = s.result;
    nlohmann::ordered_json contributions = nlohmann::ordered_json::array();
    for (std::size_t k = 0; k < o.model.size(); ++k) {
        const uncertainty::Contribution& c = o.model[k];
        const ValueKind kind = kindof(c.acts);
        contributions.push_back({{"name", c.name},
                                 {"acts", uncertainty::actsname(c.acts)},
                                 {"distribution", uncertainty::distributionname(c.distribution)},
                                 {"value", c.width},
                                 {"u", r.inputu[k]},
                                 {"unit", kind == ValueKind::length ? nlohmann::ordered_json(o.unit)
                                          : kind == ValueKind::angle ? nlohmann::ordered_json("rad")
                                                                     : nlohmann::ordered_json()}});
    }
    nlohmann::ordered_json budget = nlohmann::ordered_json::array();
    for (const Quantity* q : s.shown)
        for (std::size_t k = 0; k < q->budget.size(); ++k)
            budget.push_back(
                {{"quantity", q->name},
                 {"contribution", o.model[k].name},
                 {"sensitivity", q->sensitivity[k]},
                 {"u_i", q->budget[k]},
                 {"share", q->gumu > 0 ? q->budget[k] * q->budget[k] / (q->gumu * q->gumu) : 0.0}});
    nlohmann::ordered_json decisions = nlohmann::ordered_json::array();
    for (const Decision& d : s.decisions)
        decisions.push_back(
            {{"quantity", d.tolerance.quantity},
             {"low", finite(d.tolerance.limits.low)},
             {"high", finite(d.tolerance.limits.high)},
             {"value", d.quantity ? finite(guarded(*d.quantity).y) : nlohmann::ordered_json()},
             {"U", d.quantity ? finite(guarded(*d.quantity).U) : nlohmann::ordered_json()},
             {"verdict", d.quantity ? nlohmann::ordered_json(uncertainty::verdictname(d.verdict))
                                    : nlohmann::ordered_json()},
             {"decision_rule", rulename(o.rule)}});
    const bool certifiable = o.criterion != pointset::Criterion::leastsquares;
    nlohmann::ordered_json e = {
        {"file", s.points.file},
        {"record", s.points.record.empty() ? nlohmann::ordered_json()
                                           : nlohmann::ordered_json(s.points.record)},
        {"feature", pointset::featurename(s.points.feature)},
        {"criterion", pointset::criterionname(o.criterion)},
        {"points", s.count},
        {"reference_certified", certifiable
                                    ? nlohmann::ordered_json(r.measured.certificate.certified)
                                    : nlohmann::ordered_json()},
        {"trials", r.trials},
        {"adaptive", r.adaptive},
        {"digits", r.digits},
        {"batch", r.adaptive ? nlohmann::ordered_json(r.batch) : nlohmann::ordered_json()},
        {"batches", r.adaptive ? nlohmann::ordered_json(r.batches) : nlohmann::ordered_json()},
        {"converged", r.converged},
        {"failed_trials", r.failed},
        {"uncertified_trials", certifiable && o.engine.certifytrials
                                   ? nlohmann::ordered_json(r.uncertified)
                                   : nlohmann::ordered_json()},
        {"gum_evaluations", r.gumevaluations},
        {"gum_failure",
         r.gumfailure.empty() ? nlohmann::ordered_json() : nlohmann::ordered_json(r.gumfailure)},
        {"contributions", std::move(contributions)},
        {"budget", std::move(budget)},
        {"decisions", std::move(decisions)}};
    if (o.sections) {
        e["section"] = s.points.section;
        e["z"] = finite(s.points.z);
    }
    return e;
}

} // namespace

std::vector<Field> statementfields(const Statement& s, const Quantity& q, bool gum,
                                   const UncertaintyOptions& o) {
    const bool interval = q.mc.hasinterval;
    std::vector<Field> f = {textfield("file", s.points.file),
                            textfield("record", s.points.record),
                            textfield("feature", pointset::featurename(s.points.feature)),
                            textfield("criterion", pointset::criterionname(o.criterion)),
                            wholefield("points", static_cast<long>(s.count)),
                            textfield("quantity", q.name),
                            textfield("method", gum ? "gum" : "monte carlo")};
    if (gum) {
        f.insert(f.end(),
                 {numberfield("value", q.measured), numberfield("u", q.gumu),
                  numberfield("k", q.gumk), numberfield("U", q.gumU),
                  numberfield("low", q.measured - q.gumU), numberfield("high", q.measured + q.gumU),
                  numberfield("shortest_low", none), numberfield("shortest_high", none),
                  numberfield("trials", none), textfield("converged", ""),
                  numberfield("gum_u", q.gumu)});
    } else {
        f.insert(f.end(), {numberfield("value", q.quoted.y), numberfield("u", q.quoted.u),
                           numberfield("k", q.quoted.k), numberfield("U", q.quoted.U),
                           numberfield("low", interval ? q.quoted.low : none),
                           numberfield("high", interval ? q.quoted.high : none),
                           numberfield("shortest_low", interval ? q.mc.shortlow : none),
                           numberfield("shortest_high", interval ? q.mc.shorthigh : none),
                           wholefield("trials", q.mc.count), truthfield("converged", q.converged),
                           numberfield("gum_u", q.hasgum ? q.gumu : none)});
    }
    f.insert(f.end(), {numberfield("measured", q.measured), numberfield("delta", q.tolerance)});
    if (gum)
        f.insert(f.end(), {truthfield("validated", q.validated), numberfield("d_low", q.dlow),
                           numberfield("d_high", q.dhigh)});
    else
        f.insert(f.end(), {textfield("validated", ""), numberfield("d_low", none),
                           numberfield("d_high", none)});
    f.push_back(textfield("unit", unitof(q, o)));
    // The Monte Carlo's bias, and which estimate `value` is.
    f.insert(f.end(), {numberfield("bias", gum ? none : q.bias),
                       textfield("estimate", gum                  ? "measured"
                                             : q.quoted.corrected ? "bias-corrected"
                                                                  : "monte carlo average"),
                       numberfield("correction", gum ? none : q.quoted.correction),
                       numberfield("correction_u", gum ? none : q.quoted.correctionu),
                       numberfield("mc_low", gum || !q.mc.hasinterval ? none : q.mc.low),
                       numberfield("mc_high", gum || !q.mc.hasinterval ? none : q.mc.high)});
    // A stack's sections, and the whole stack as section 0.
    if (o.sections)
        f.insert(f.end(), {wholefield("section", s.points.section), numberfield("z", s.points.z)});
    return f;
}

void printstatementscsv(std::ostream& out, const std::vector<Statement>& all,
                        const UncertaintyOptions& o) {
    const Statement empty;
    const Quantity nothing;
    const std::vector<Field> heads = statementfields(empty, nothing, false, o);
    for (std::size_t k = 0; k < heads.size(); ++k) out << (k ? "," : "") << heads[k].name;
    out << "\n";
    for (const Statement& s : all)
        for (const Quantity* q : s.shown)
            for (const bool gum : {false, true}) {
                if (gum && !q->hasgum) continue;
                const std::vector<Field> fields = statementfields(s, *q, gum, o);
                for (std::size_t k = 0; k < fields.size(); ++k)
                    out << (k ? "," : "") << csvfield(fields[k]);
                out << "\n";
            }
}

void printstatementsjson(std::ostream& out, const std::vector<Statement>& all,
                         const UncertaintyOptions& o) {
    nlohmann::ordered_json evaluations = nlohmann::ordered_json::array();
    nlohmann::ordered_json rows = nlohmann::ordered_json::array();
    for (const Statement& s : all) {
        evaluations.push_back(evaluation(s, o));
        for (const Quantity* q : s.shown)
            for (const bool gum : {false, true}) {
                if (gum && !q->hasgum) continue;
                nlohmann::ordered_json row = nlohmann::ordered_json::object();
                for (const Field& f : statementfields(s, *q, gum, o)) row[f.name] = jsonvalue(f);
                rows.push_back(std::move(row));
            }
    }
    nlohmann::ordered_json document = {
        {"unit", o.unit},
        {"coverage_probability", o.engine.coverage / 10000.0},
        {"seed", o.engine.seed},
        {"decision_rule", o.tolerances.empty() ? nlohmann::ordered_json()
                                               : nlohmann::ordered_json(rulename(o.rule))},
        {"evaluations", std::move(evaluations)},
        {"rows", std::move(rows)}};
    out << document.dump(2) << "\n";
}

} // namespace formeval::report
