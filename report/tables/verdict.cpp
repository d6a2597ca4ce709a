// One verdict a part: the form error of one criterion's reference, with the
// bracket its certificate proves, against the part's tolerance; and the
// batch's counts and distributions.
#include "report/tables/tables.h"

#include <algorithm>
#include <cmath>
#include <ostream>

namespace formeval::report {

namespace {

bool filterable(const Evaluated& e) {
    if (e.pointfile) return true; // a point file with a filter is refused unless filterable
    return e.feature == Feature::line || e.feature == Feature::circle;
}

std::string parametername(const Evaluated& e) {
    return isonames(e.feature)[0];
}

// The bracket of a reference's form error (see Verdict).
void bracket(const Fit& r, Verdict& v) {
    v.value = r.error;
    v.lower = v.upper = r.error;
    const Certificate& c = r.certificate;
    if (r.source == Source::program || r.criterion == Criterion::leastsquares || c.certified ||
        !std::isfinite(c.lower) || !std::isfinite(c.upper))
        return;
    if (r.criterion == Criterion::minimumzone) {
        v.lower = std::min(c.lower, r.error);
        v.upper = std::max(c.upper, r.error);
        return;
    }
    const double width = std::fabs(c.upper - c.lower);
    v.lower = std::max(0.0, r.error - width);
    v.upper = r.error + width;
}

// Guarded acceptance of a part with a tolerance: its y +- U by the model
// against [-inf, tolerance], by the one decision of the uncertainty library.
void guard(const Evaluated& e, Verdict& v) {
    if (!e.uncertain) {
        v.judgement = Judgement::undecided;
        v.why = "no uncertainty propagated";
        return;
    }
    if (!e.uncertain->failure.empty()) {
        v.judgement = Judgement::undecided;
        v.why = "no uncertainty: " + e.uncertain->failure;
        return;
    }
    v.y = e.uncertain->y;
    v.U = e.uncertain->U;
    uncertainty::Limits limits;
    limits.high = v.tolerance;
    switch (uncertainty::decide(v.y, v.U, limits, uncertainty::Rule::guarded)) {
    case uncertainty::Verdict::conformance:
        v.judgement = Judgement::pass;
        break;
    case uncertainty::Verdict::nonconformance:
        v.judgement = Judgement::fail;
        break;
    default:
        v.judgement = Judgement::undecided;
        break;
    }
}

} // namespace

uncertainty::Rule decisionrule(const ResultsOptions& o) {
    return o.model.empty() && o.modelfile.empty() ? uncertainty::Rule::simple
                                                  : uncertainty::Rule::guarded;
}

const char* rulename(uncertainty::Rule rule) {
    return rule == uncertainty::Rule::guarded
               ? "ISO 14253-1: U as guard band; conformance proven when y - U and y + U lie "
                 "within the limits, non-conformance proven when both lie beyond one of them, "
                 "undecided otherwise"
               : "simple acceptance: accepted when y lies within the limits, rejected otherwise, "
                 "whatever U";
}

const char* judgementname(Judgement j) {
    switch (j) {
    case Judgement::pass:
        return "pass";
    case Judgement::fail:
        return "fail";
    case Judgement::undecided:
        break;
    }
    return "undecided";
}

const Fit* criterionreference(const Evaluated& e, const ResultsOptions& o, std::string& why) {
    const Criterion m = o.criterion;
    why.clear();
    if (o.filter.any() && filterable(e)) {
        if (e.filter.empty()) {
            why = "the profile could not be filtered";
            return nullptr;
        }
        if (const Fit* f = e.find(m, Source::pointset)) return f;
    } else {
        for (const Source s : {Source::exact, Source::pointset})
            if (const Fit* f = e.find(m, s)) return f;
        if (m == Criterion::leastsquares)
            if (const Fit* f = e.find(m, Source::program)) return f;
    }
    why = std::string("no ") + referencename(m) + " reference";
    return nullptr;
}

std::optional<Verdict> verdictof(const std::string& file, const Evaluated& e,
                                 const ResultsOptions& o) {
    const std::optional<double> tolerance = tolerancefor(o, e);
    if (!tolerance) return std::nullopt;
    Verdict v;
    v.part = !e.pointfile    ? file + ": " + recordname(e.record)
             : e.section > 0 ? file + ": section " + std::to_string(e.section)
                             : file;
    v.criterion = o.criterion;
    v.rule = decisionrule(o);
    v.parameter = parametername(e);
    v.tolerance = *tolerance;
    v.filter = e.filter.empty() ? "none" : e.filter;
    v.reference = criterionreference(e, o, v.why);
    if (!v.reference) return v;
    bracket(*v.reference, v);
    if (v.reference->arc) {
        // Points that do not go all round hold no circumscribed or inscribed
        // circle: the circle found spans their chord, not the part.
        v.why = std::string("the points form an arc, which holds no ") +
                referencename(v.criterion) + " circle";
        return v;
    }
    if (v.reference->cap) {
        // Likewise points on one side of a plane through the part's centre
        // hold no circumscribed or inscribed sphere of the part.
        v.why = std::string("the points form a cap, which holds no ") + referencename(v.criterion) +
                " sphere";
        return v;
    }
    if (v.rule == uncertainty::Rule::guarded) {
        guard(e, v);
        return v;
    }
    v.judgement = v.upper <= v.tolerance  ? Judgement::pass
                  : v.lower > v.tolerance ? Judgement::fail
                                          : Judgement::undecided;
    return v;
}

std::string verdictword(const Verdict& v) {
    if (v.rule == uncertainty::Rule::simple) return judgementname(v.judgement);
    return uncertainty::verdictname(
        v.judgement == Judgement::pass   ? uncertainty::Verdict::conformance
        : v.judgement == Judgement::fail ? uncertainty::Verdict::nonconformance
                                         : uncertainty::Verdict::undecided);
}

std::string verdictline(const Verdict& v, int digits) {
    std::string text = "verdict: " + verdictword(v) + " (" + referencename(v.criterion) + " ";
    if (!v.reference) return text + v.parameter + ": " + v.why + ")";
    const Fit& r = *v.reference;
    text += v.parameter + " ";
    if (v.lower < v.upper)
        text +=
            "between " + formatnumber(v.lower, digits) + " and " + formatnumber(v.upper, digits);
    else
        text += formatnumber(v.value, digits);
    text += ", " + std::string(sourcename(r.source));
    if (r.source != Source::program && r.criterion != Criterion::leastsquares)
        text += r.certificate.certified ? ", certified" : ", not certified";
    if (v.filter != "none") text += ", filtered";
    if (!std::isnan(v.U))
        text += "; y " + formatnumber(v.y, digits) + " +- U " + formatnumber(v.U, digits);
    text += "; tolerance " + formatnumber(v.tolerance, digits);
    return text + (v.why.empty() ? "" : "; " + v.why) + ")";
}

BatchSummary batchsummary(const std::vector<FileResults>& files, const ResultsOptions& o) {
    BatchSummary s;
    s.rule = decisionrule(o);
    std::array<std::vector<double>, 4> values;
    for (const FileResults& file : files)
        for (const Evaluated& e : file.records) {
            ++s.parts;
            std::string why;
            if (const Fit* r = criterionreference(e, o, why)) {
                const std::array<double, 4> iso = {r->iso.t, r->iso.p, r->iso.v, r->iso.q};
                for (std::size_t k = 0; k < 4; ++k) values[k].push_back(iso[k]);
            }
            const std::optional<Verdict> v = verdictof(file.file, e, o);
            if (!v) continue;
            ++s.judged;
            ++(v->judgement == Judgement::pass   ? s.pass
               : v->judgement == Judgement::fail ? s.fail
                                                 : s.undecided);
        }
    for (std::size_t k = 0; k < 4; ++k) {
        const std::vector<double>& x = values[k];
        ParameterSpread& d = s.parameters[k];
        d.count = static_cast<long>(x.size());
        if (x.empty()) continue;
        d.minimum = *std::min_element(x.begin(), x.end());
        d.maximum = *std::max_element(x.begin(), x.end());
        double sum = 0;
        for (const double a : x) sum += a;
        d.mean = sum / static_cast<double>(x.size());
        if (x.size() < 2) continue;
        double squares = 0;
        for (const double a : x) squares += (a - d.mean) * (a - d.mean);
        d.deviation = std::sqrt(squares / static_cast<double>(x.size() - 1));
    }
    return s;
}

void printbatchsummary(std::ostream& out, const BatchSummary& s, const ResultsOptions& o) {
    out << "\nbatch: " << s.parts << (s.parts == 1 ? " part" : " parts") << ", " << s.judged
        << " judged by " << referencename(o.criterion);
    if (s.rule == uncertainty::Rule::guarded)
        out << " with U as guard band: " << s.pass << " conformance proven, " << s.fail
            << " non-conformance proven, " << s.undecided
            << " undecided (neither proven; not counted as failing)\n";
    else
        out << ": " << s.pass << " pass, " << s.fail << " fail, " << s.undecided << " undecided\n";
    printspread(out, s, o);
}

void printspread(std::ostream& out, const BatchSummary& s, const ResultsOptions& o) {
    const auto num = [&o](double v) { return std::isnan(v) ? "" : formatnumber(v, o.digits); };
    std::vector<std::vector<std::string>> rows;
    constexpr std::array<const char*, 4> names = {"t", "p", "v", "q"};
    for (std::size_t k = 0; k < 4; ++k) {
        const ParameterSpread& d = s.parameters[k];
        rows.push_back({names[k], std::to_string(d.count), num(d.minimum), num(d.mean),
                        num(d.maximum), num(d.deviation)});
    }
    printaligned(out, {"parameter", "parts", "minimum", "mean", "maximum", "standard deviation"},
                 {false, true, true, true, true, true}, rows);
}

void printverdict(std::ostream& out, const std::string& file, const Evaluated& e,
                  const ResultsOptions& o) {
    if (const std::optional<Verdict> v = verdictof(file, e, o))
        out << "   " << verdictline(*v, o.digits) << "\n";
}

void printfilter(std::ostream& out, const ResultsOptions& o) {
    out << "Filter: " << filtername(o.filter, o.unit);
    if (o.filter.any() && !o.feature)
        out << " (the pointset rows of line and circle records, of the filtered profile)";
    out << ".\n";
}

bool anyjudged(const std::vector<FileResults>& files, const ResultsOptions& o) {
    for (const FileResults& file : files)
        for (const Evaluated& e : file.records)
            if (tolerancefor(o, e)) return true;
    return false;
}

void printrule(std::ostream& out, const std::vector<FileResults>& files, const ResultsOptions& o) {
    if (anyjudged(files, o)) out << "Decision rule: " << rulename(decisionrule(o)) << ".\n";
}

std::vector<Field> verdictfields(const std::string& file, const Evaluated& e,
                                 const ResultsOptions& o) {
    const std::optional<Verdict> v = verdictof(file, e, o);
    if (!v) return noverdictfields();
    return {textfield("verdict", verdictword(*v)), textfield("decision_rule", rulename(v->rule))};
}

std::vector<Field> noverdictfields() {
    return {textfield("verdict", ""), textfield("decision_rule", "")};
}

void printbatch(std::ostream& out, const std::vector<FileResults>& files, const ResultsOptions& o) {
    const BatchSummary s = batchsummary(files, o);
    if (s.parts > 1) printbatchsummary(out, s, o);
}

} // namespace formeval::report
