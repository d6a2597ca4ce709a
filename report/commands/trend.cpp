// The trend chart of a batch of results: each part's parameters of the
// judged criterion in the batch's order, with its verdict.
#include "report/commands/commands.h"

#include <algorithm>
#include <ostream>

namespace formeval::report {

bool drawbatchtrend(const std::vector<FileResults>& files, const ResultsOptions& o,
                    std::ostream& err) {
    std::vector<TrendPart> parts;
    TrendLabels labels;
    std::string stem;
    bool onestem = true, onetolerance = true;
    double largest = 0;
    for (const FileResults& file : files)
        for (const Evaluated& e : file.records) {
            std::string why;
            TrendPart part{{notapplicable, notapplicable, notapplicable, notapplicable}, ""};
            if (const Fit* r = criterionreference(e, o, why)) {
                part.values = {r->iso.t, r->iso.p, r->iso.v, r->iso.q};
                largest = std::max(largest, r->iso.t);
            }
            if (const std::optional<Verdict> v = verdictof(file.file, e, o)) {
                part.verdict = judgementname(v->judgement);
                if (parts.empty() || labels.tolerance == v->tolerance)
                    labels.tolerance = v->tolerance;
                else
                    onetolerance = false;
            } else {
                onetolerance = false;
            }
            const std::string s = pointset::isostem(e.feature);
            onestem = onestem && (stem.empty() || stem == s);
            stem = s;
            parts.push_back(part);
        }
    if (!onetolerance) labels.tolerance = 0;
    const BatchSummary s = batchsummary(files, o);
    labels.title = "Trend of " + std::to_string(parts.size()) +
                   (parts.size() == 1 ? " part" : " parts") + ", " + referencename(o.criterion);
    labels.note = "Filter: " + filtername(o.filter, o.unit) + "; ";
    if (s.rule == uncertainty::Rule::guarded)
        labels.note += "U as guard band (ISO 14253-1): " + std::to_string(s.pass) +
                       " conformance proven, " + std::to_string(s.fail) +
                       " non-conformance proven, " + std::to_string(s.undecided) + " undecided";
    else
        labels.note += std::to_string(s.pass) + " pass, " + std::to_string(s.fail) + " fail, " +
                       std::to_string(s.undecided) + " undecided";
    labels.parameter = onestem && !stem.empty()
                           ? stem + "t, " + stem + "p, " + stem + "v, " + stem + "q"
                           : "t, p, v, q";
    labels.unit = subunit(o.unit, largest);
    try {
        const bool png = o.trend.size() >= 4 && o.trend.compare(o.trend.size() - 4, 4, ".png") == 0;
        drawtrend(o.trend, png ? Format::png : Format::svg, parts, labels);
    } catch (const FileError& e) {
        complain(err, e);
        return false;
    }
    return true;
}

} // namespace formeval::report
