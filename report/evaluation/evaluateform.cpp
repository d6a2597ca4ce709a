// A straightness or flatness record as the charts take it: formeval's own
// least-squares and minimum-zone fits of its line or plane, found as
// `formreport results` finds them (programfits), silently.
#include "report/evaluation/evaluation.h"

namespace formeval::report {

Evaluated evaluateform(const FormRecord& record) {
    JobRecord r;
    r.ordinal = record.ordinal;
    r.job = record.job;
    r.line = record.line;
    r.numpt = static_cast<long>(record.c[0].size());
    r.cri = record.cri;
    r.c = record.c;
    Evaluated e;
    e.shape = record.job == 3000 ? Shape::plane : Shape::line;
    const FitSet set = programfits(r, e.shape);
    e.record = std::move(r);
    e.failure = set.failure;
    // What the fits said is with the first of them.
    const std::string said = set.fits.empty() ? "" : set.fits.front().reference.said;
    const bool singular = said.find("singular system") != std::string::npos;
    for (const Measured& m : set.fits) {
        if (!m.reference.fitted && e.failure.empty())
            e.failure = singular ? "the fits met a singular system; their parameters are not "
                                   "fitted to these points"
                                 : "formeval's least-squares fit lost its digits to the size of "
                                   "the coordinates";
        e.fits.push_back(m.reference);
    }
    if (set.fits.size() != 2 && e.failure.empty()) e.failure = "formeval fitted no line or plane";
    return e;
}

} // namespace formeval::report
