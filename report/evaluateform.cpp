// Evaluates a straightness or flatness record with formeval's own fits, as
// its jobs 1000 and 3000 do: the least-squares fit, then the minimum-zone
// exchange from it and the zone that holds every point; silently.
#include "report/report.h"

#include "driver/dispatch.h"
#include "driver/driver.h"
#include "form/form.h"

#include <algorithm>

namespace formeval::report {

namespace {

void fitted(FormFit& fit, const double* gs, const double* err, double error, int n, int numpt) {
    std::copy(gs, gs + n, fit.parameters.begin());
    fit.error = error;
    fit.deviation.assign(err, err + numpt);
}

} // namespace

FormEvaluation evaluateform(const FormRecord& record) {
    FormEvaluation e;
    const bool plane = record.job == 3000;
    const int n = plane ? 3 : 2;
    const int numpt = static_cast<int>(record.c[0].size());
    if (numpt > nsz || numpt < n + 1) {
        e.failure = "the record holds " + std::to_string(numpt) + " points";
        return e;
    }
    static Row5 a[nsz];
    static double err[nsz];
    const std::vector<double>& f = record.c[plane ? 2 : 1];
    for (int i = 0; i < numpt; ++i)
        a[i] = {1.0, record.c[0][i], plane ? record.c[1][i] : 0.0, 0.0, 0.0};
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
    double gs[5] = {};
    const double erlsq = lsfit(a, f.data(), gs, err, n, numpt);
    fitted(e.leastsquares, gs, err, erlsq, n, numpt);
    double emz = mzfit(a, f.data(), gs, err, n, numpt);
    emz = fullzone(emz, a, f.data(), gs, err, n, numpt);
    fitted(e.minimumzone, gs, err, emz, n, numpt);
    e.said = silent.said();
    problem = false;
    e.ok = true;
    return e;
}

} // namespace formeval::report
