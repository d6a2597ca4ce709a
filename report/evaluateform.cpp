// Evaluates a straightness or flatness record with formeval's own fits, as
// its jobs 1000 and 3000 do: the least-squares fit, then the minimum-zone
// exchange from it and the zone that holds every point; silently.
#include "report/results.h"

#include "driver/dispatch.h"
#include "driver/driver.h"
#include "form/form.h"

#include <algorithm>

namespace formeval::report {

namespace {

void fitted(FormFit& fit, const std::array<double, 5>& parameters, double error,
            const FormRecord& r, bool plane) {
    std::copy(parameters.begin(), parameters.begin() + 3, fit.parameters.begin());
    if (!plane) fit.parameters[2] = 0;
    fit.error = error;
    const std::vector<double>& f = r.c[plane ? 2 : 1];
    for (std::size_t i = 0; i < f.size(); ++i)
        fit.deviation.push_back(f[i] - fit.parameters[0] - fit.parameters[1] * r.c[0][i] -
                                fit.parameters[2] * (plane ? r.c[1][i] : 0.0));
}

} // namespace

FormEvaluation evaluateform(const FormRecord& record) {
    FormEvaluation e;
    const bool plane = record.job == 3000;
    const int numpt = static_cast<int>(record.c[0].size());
    if (numpt > nsz || numpt < (plane ? minplane : minline)) {
        e.failure = "the record holds " + std::to_string(numpt) + " points";
        return e;
    }
    SilentConsole silent;
    oqt = 0;
    cri = record.cri;
    problem = false;
    const double* const plan[2] = {record.c[0].data(), record.c[1].data()};
    const bool determinate =
        plane ? determined(record.job, plan, 2, numpt,
                           "the points lie on one line in the x-y plane; they determine no plane")
              : linedetermined(record.job, record.c[0].data(), record.c[1].data(), numpt);
    if (!determinate) {
        e.failure = plane ? "the points lie on one line in the x-y plane; they determine no plane"
                          : "the points lie at one x; they determine no line along x";
        problem = false;
        return e;
    }
    fitpair fits;
    if (plane)
        fltcal(record.c[0].data(), record.c[1].data(), record.c[2].data(), numpt, fits);
    else
        stcal(record.c[0].data(), record.c[1].data(), numpt, fits);
    fitted(e.leastsquares, fits.lsparams, fits.lserror, record, plane);
    fitted(e.minimumzone, fits.mzparams, fits.mzerror, record, plane);
    if (!fits.lsfitted || !fits.mzfitted)
        e.failure = "the fits met a singular system; their parameters are not fitted to these "
                    "points";
    e.said = silent.said();
    problem = false;
    e.ok = e.failure.empty();
    return e;
}

} // namespace formeval::report
