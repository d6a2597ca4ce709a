// A straightness or flatness record as the charts take it: formeval's own
// least-squares and minimum-zone fits of its line or plane, found as
// `formreport results` finds them (programfits), silently.
#include "report/evaluation/evaluation.h"

#include <cmath>

namespace formeval::report {

namespace {

FormFit formfit(const Measured& m) {
    FormFit fit;
    const Fit& f = m.reference;
    fit.parameters = {f.intercept, f.slopex, std::isnan(f.slopey) ? 0.0 : f.slopey};
    fit.error = f.error;
    fit.deviation = m.deviations;
    return fit;
}

} // namespace

FormEvaluation evaluateform(const FormRecord& record) {
    JobRecord r;
    r.ordinal = record.ordinal;
    r.job = record.job;
    r.line = record.line;
    r.numpt = static_cast<long>(record.c[0].size());
    r.cri = record.cri;
    r.c = record.c;
    const bool plane = record.job == 3000;
    const FitSet set = programfits(r, plane ? Shape::plane : Shape::line);
    FormEvaluation e;
    e.failure = set.failure;
    for (const Measured& m : set.fits) {
        e.said += m.reference.said;
        if (!m.reference.fitted && e.failure.empty())
            e.failure = "the fits met a singular system; their parameters are not fitted to "
                        "these points";
        (m.reference.method == Method::leastsquares ? e.leastsquares : e.minimumzone) = formfit(m);
    }
    if (set.fits.size() != 2 && e.failure.empty()) e.failure = "formeval fitted no line or plane";
    return e;
}

} // namespace formeval::report
