// `formreport uncertainty`: each point set's statement as text, for a
// certificate to quote, with the results of both methods, the budget and the
// decisions.
#include "report/statement/statement.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <ostream>

namespace formeval::report {

namespace {

using uncertainty::Quantity;
using uncertainty::Result;

// Characters of UTF-8 text: its bytes less the continuation bytes.
std::size_t utf8length(const std::string& text) {
    std::size_t n = 0;
    for (const char c : text) n += (static_cast<unsigned char>(c) & 0xC0) != 0x80;
    return n;
}

// Rows of cells printed in columns two blanks apart, the first `left`
// columns aligned left and the others right; each row indented.
void columns(std::ostream& out, const std::vector<std::vector<std::string>>& rows,
             std::size_t left) {
    std::vector<std::size_t> width;
    for (const auto& row : rows)
        for (std::size_t k = 0; k < row.size(); ++k) {
            if (width.size() <= k) width.push_back(0);
            width[k] = std::max(width[k], utf8length(row[k]));
        }
    for (const auto& row : rows) {
        std::string line = " ";
        for (std::size_t k = 0; k < row.size(); ++k) {
            const std::string pad(width[k] - utf8length(row[k]), ' ');
            line += "  " + (k < left ? row[k] + pad : pad + row[k]);
        }
        while (!line.empty() && line.back() == ' ') line.pop_back();
        out << line << "\n";
    }
}

std::string unitof(const Quantity& q, const UncertaintyOptions& o) {
    if (q.angle) return " rad";
    return q.length && o.unit != defaultunit ? " " + o.unit : "";
}

std::string valueunit(const uncertainty::Contribution& c, double v, const UncertaintyOptions& o) {
    const std::string text = formatnumber(v, o.digits);
    switch (kindof(c.acts)) {
    case ValueKind::length:
        return o.unit == defaultunit ? text : text + " " + o.unit;
    case ValueKind::angle:
        return text + " rad";
    case ValueKind::relative:
        break;
    }
    return text;
}

void header(std::ostream& out, const Statement& s, const UncertaintyOptions& o) {
    const Result& r = s.result;
    out << printable(s.points.file);
    if (!s.points.record.empty()) out << ", " << s.points.record;
    out << ": " << pointset::featurename(s.points.feature) << " by "
        << pointset::criterionname(o.criterion) << ", " << s.count << " points";
    if (o.unit != defaultunit) out << ", unit " << o.unit;
    out << "\n";
    const pointset::Certificate& c = r.measured.certificate;
    if (o.criterion != pointset::Criterion::leastsquares)
        out << "Reference of the points as given: "
            << (c.certified ? "certified" : "not certified: " + c.why) << "\n";
    out << "Input model:\n";
    std::vector<std::vector<std::string>> rows = {
        {"contribution", "acts on", "distribution", "value", "u(x)"}};
    for (std::size_t k = 0; k < o.model.size(); ++k) {
        const uncertainty::Contribution& m = o.model[k];
        rows.push_back({m.name, uncertainty::actsname(m.acts),
                        uncertainty::distributionname(m.distribution), valueunit(m, m.width, o),
                        valueunit(m, r.inputu[k], o)});
    }
    columns(out, rows, 3);
}

void methods(std::ostream& out, const Statement& s, const UncertaintyOptions& o) {
    const Result& r = s.result;
    out << "Monte Carlo (JCGM 101): " << r.trials << " trials, seed " << o.engine.seed;
    if (r.adaptive)
        out << ", adaptive to " << r.digits
            << (r.digits == 1 ? " significant digit" : " significant digits")
            << " of u(y) in batches of " << r.batch
            << " (JCGM 101 7.9): " << (r.converged ? "converged after " : "not converged after ")
            << r.batches << (r.batches == 1 ? " batch" : " batches");
    out << "\n";
    if (!r.adaptive) {
        out << "  Convergence (JCGM 101 7.9 over 10 batches, " << r.digits
            << " significant digits of u(y)): ";
        std::string list;
        for (const Quantity* q : s.shown)
            if (!q->converged)
                list += (list.empty() ? "" : ", ") + q->name +
                        (q->needed > 0 ? " needs about " + std::to_string(q->needed) + " trials"
                                       : " not judged (fewer than 1000 trials)");
        out << (list.empty() ? "converged: every quantity stable" : "not converged: " + list);
        out << "\n";
    }
    if (r.failed > 0) out << "  " << r.failed << " trials gave no feature and are left out\n";
    if (o.criterion != pointset::Criterion::leastsquares) {
        if (!o.engine.certifytrials)
            out << "  The trials' results are not certified (--no-certify)\n";
        else if (r.uncertified > 0)
            out << "  " << r.uncertified
                << " trials' results are not certified (the best their search found)\n";
        else
            out << "  Every trial's result certified\n";
    }
    if (!o.engine.gum)
        out << "GUM (JCGM 100): not asked for\n";
    else if (!r.gumfailure.empty())
        out << "GUM (JCGM 100): none: " << r.gumfailure << "\n";
    else
        out << "GUM (JCGM 100): sensitivities by central differences, each input moved by its "
               "own standard uncertainty ("
            << r.gumevaluations << " evaluations); k = "
            << formatnumber(uncertainty::gaussianfactor(o.engine.coverage), 3)
            << ", of a Gaussian for " << coveragetext(o.engine.coverage) << "\n";
    out << "Coverage probability " << coveragetext(o.engine.coverage) << "\n";
}

// A value of a statement at the place of its U; where U is 0 (the model
// does not move the quantity: a line's point_x under noise in y) there is no
// such place, and the value keeps the significant digits of --digits, where
// it was rounded to a whole number (5.1234 printed as 5).
std::string atplace(double v, const uncertainty::Rounded& r, const UncertaintyOptions& o) {
    return r.U > 0 ? formatfixed(v, r.decimals) : formatnumber(v, o.digits);
}

// The EA-4/02 sentence of a quantity's statement, with which estimate y is.
std::string sentence(const Quantity& q, const uncertainty::Rounded& r, const std::string& unit,
                     const UncertaintyOptions& o) {
    const Quantity::Estimate& e = q.quoted;
    // One place below U's: the standard uncertainty and the bias in fixed notation.
    const auto fine = [&](double v) { return formatfixed(v, std::max(r.decimals + 1, 0)) + unit; };
    std::string text = "the reported expanded uncertainty U = " + formatfixed(r.U, r.decimals) +
                       unit + " is the standard uncertainty u(y) = " + fine(e.u) +
                       " multiplied by the coverage factor k = " + formatnumber(e.k, 3) +
                       ", which for the distribution of the Monte Carlo trials (JCGM 101) "
                       "corresponds to a coverage probability of approximately " +
                       coveragetext(o.engine.coverage) + "; ";
    if (!e.corrected)
        return text + "y is the Monte Carlo average (its bias of " + fine(q.bias) +
               " is below a tenth of u(y))";
    text += "y is the measured value less the bias of " + fine(e.correction);
    text += e.denoised ? " the noise gives a denoised copy of the points"
                       : " the noise gives the points as measured (too sparse to denoise)";
    return text +
           " (parametric bootstrap), the interval reflected about y and widened by the standard "
           "uncertainty of that correction, " +
           fine(e.correctionu);
}

void statement(std::ostream& out, const Statement& s, const UncertaintyOptions& o) {
    out << "\nStatement (EA-4/02): y the estimate, U its expanded uncertainty, k = U/u(y); U to "
           "two significant digits, y and the interval to the same place\n";
    std::vector<std::vector<std::string>> rows = {
        {"quantity", "estimate", "measured", "y", "U", "k",
         coveragetext(o.engine.coverage) + " coverage interval"}};
    std::vector<std::string> sentences;
    for (const Quantity* q : s.shown) {
        if (!q->mc.hasinterval) continue;
        const Quantity::Estimate& e = q->quoted;
        const uncertainty::Rounded r = uncertainty::roundstatement(e.y, e.U, e.low, e.high);
        const std::string unit = unitof(*q, o);
        rows.push_back({q->name, e.corrected ? "bias-corrected" : "Monte Carlo average",
                        atplace(uncertainty::roundstatement(q->measured, e.U, 0, 0).y, r, o) + unit,
                        atplace(r.y, r, o) + unit, "\u00b1 " + formatfixed(r.U, r.decimals) + unit,
                        formatnumber(e.k, 3),
                        "[" + atplace(r.low, r, o) + ", " + atplace(r.high, r, o) + "]" + unit});
        sentences.push_back(q->name + ": " + sentence(*q, r, unit, o));
    }
    columns(out, rows, 2);
    for (const std::string& line : sentences) out << "  " << line << "\n";
}

void results(std::ostream& out, const Statement& s, const UncertaintyOptions& o) {
    const Result& r = s.result;
    out << "\nResults (" << o.digits << " significant digits; measured: the points as given; "
        << "delta: the numerical tolerance of u(y), JCGM 101 7.9.2; GUM validated when both "
           "interval ends agree within delta, JCGM 101 8)\n";
    const auto n = [&](double v) { return formatnumber(v, o.digits); };
    std::vector<std::vector<std::string>> rows = {{"quantity", "method", "measured", "value",
                                                   "u(y)", "k", "U", "low", "high", "shortest low",
                                                   "shortest high", "delta", "converged"}};
    for (const Quantity* q : s.shown) {
        const bool interval = q->mc.hasinterval;
        rows.push_back({q->name, "monte carlo", n(q->measured), n(q->mc.mean), n(q->mc.sd), n(q->k),
                        n(q->U), interval ? n(q->mc.low) : "", interval ? n(q->mc.high) : "",
                        interval ? n(q->mc.shortlow) : "", interval ? n(q->mc.shorthigh) : "",
                        n(q->tolerance), q->converged ? "yes" : "no"});
        if (!q->hasgum) continue;
        rows.push_back({"", "gum", "", n(q->measured), n(q->gumu), n(q->gumk), n(q->gumU),
                        n(q->measured - q->gumU), n(q->measured + q->gumU), "", "", "",
                        q->validated ? "validated" : "not validated"});
    }
    columns(out, rows, 2);
    bool any = false;
    for (const Quantity* q : s.shown) any = any || q->hasgum;
    if (!any || r.quantities.empty()) return;
    out << "\nBudget (GUM: each contribution's part u_i(y) = |c_i| u(x_i) of u_c(y), and its "
           "share of u_c(y)^2)\n";
    std::vector<std::vector<std::string>> budget = {
        {"quantity", "contribution", "c_i", "u_i(y)", "share"}};
    for (const Quantity* q : s.shown)
        for (std::size_t k = 0; k < q->budget.size(); ++k) {
            const double share =
                q->gumu > 0 ? 100 * q->budget[k] * q->budget[k] / (q->gumu * q->gumu) : 0;
            budget.push_back({k == 0 ? q->name : "", o.model[k].name, n(q->sensitivity[k]),
                              n(q->budget[k]), formatfixed(share, 1) + " %"});
        }
    columns(out, budget, 2);
}

std::string limitstext(const ToleranceLimits& given, const std::string& unit) {
    const bool low = std::isfinite(given.limits.low), high = std::isfinite(given.limits.high);
    if (low && high)
        return formatnumber(given.limits.low, 12) + " to " + formatnumber(given.limits.high, 12) +
               unit;
    return (high ? "at most " + formatnumber(given.limits.high, 12)
                 : "at least " + formatnumber(given.limits.low, 12)) +
           unit;
}

void decisions(std::ostream& out, const Statement& s, const UncertaintyOptions& o) {
    if (s.decisions.empty()) return;
    out << "\nDecisions (" << rulename(o.rule) << ")\n";
    std::vector<std::vector<std::string>> rows;
    for (const Decision& d : s.decisions) {
        const std::string unit =
            d.quantity ? unitof(*d.quantity, o) : (o.unit == defaultunit ? "" : " " + o.unit);
        if (!d.quantity) {
            // A quantity of the feature without a value for these points (a
            // vertical line's slope) is not one the feature lacks.
            const std::vector<std::string> has =
                uncertainty::quantitynames(s.points.feature, o.criterion);
            rows.push_back({d.tolerance.quantity, limitstext(d.tolerance, unit),
                            std::find(has.begin(), has.end(), d.tolerance.quantity) != has.end()
                                ? "no finite value for these points"
                                : "no such quantity of a " +
                                      std::string(pointset::featurename(s.points.feature))});
            continue;
        }
        const uncertainty::Quantity& q = *d.quantity;
        const Decided on = guarded(q);
        const uncertainty::Rounded r = uncertainty::roundstatement(on.y, on.U, 0, 0);
        rows.push_back({q.name, limitstext(d.tolerance, unit),
                        atplace(r.y, r, o) + " \u00b1 " + formatfixed(r.U, r.decimals) + unit,
                        uncertainty::verdictname(d.verdict)});
    }
    columns(out, rows, 4);
}

} // namespace

void printstatements(std::ostream& out, const std::vector<Statement>& all,
                     const UncertaintyOptions& o) {
    for (std::size_t k = 0; k < all.size(); ++k) {
        if (k > 0) out << "\n";
        header(out, all[k], o);
        methods(out, all[k], o);
        statement(out, all[k], o);
        results(out, all[k], o);
        decisions(out, all[k], o);
    }
}

} // namespace formeval::report
