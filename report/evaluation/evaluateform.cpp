// A straightness or flatness record as the charts take it: formeval's own
// least-squares and minimum-zone fits of its line or plane, found as
// `formreport results` finds them (programfits), silently.
#include "report/evaluation/evaluation.h"

namespace formeval::report {

Evaluated evaluateform(const JobRecord& record) {
    Evaluated e;
    e.record = record;
    e.feature = methods::recordholds(record.job)->feature;
    const FitSet set = programfits(record, e.feature, Form::cartesian);
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
