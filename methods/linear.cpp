// Jobs 1000 and 3000 as functions: the line's and the plane's fits.
#include "form/form.h"
#include "methods/quiet.h"

namespace formeval::methods {

namespace {

Result linear(const Points& points, Method method, double tolerance, bool plane) {
    const int job = plane ? 3000 : 1000;
    if (method != Method::leastsquares && method != Method::minimumzone)
        return outcome(job, method,
                       std::string(plane ? "a plane" : "a line") +
                           " is fitted by least squares or minimum zone only");
    const feature shape = plane ? feature::plane : feature::line;
    const char* undetermined = whyundetermined(shape, plane ? pointform::xyz : pointform::xy);
    const Columns cols = columns(points, plane ? 3 : 2, plane ? minplane : minline);
    if (!cols.failure.empty()) return outcome(job, method, cols.failure);
    const double* x = cols.c[0].data();
    const double* y = cols.c[1].data();
    const double* z = cols.c[2].data();
    const int numpt = cols.numpt;

    Quiet quiet(tolerance);
    const double* const plan[2] = {x, y};
    if (plane ? !determined(job, plan, 2, numpt, undetermined) : !linedetermined(job, x, y, numpt))
        return outcome(job, method, undetermined);
    fitpair fits;
    if (plane)
        fltcal(x, y, z, numpt, fits);
    else
        stcal(x, y, numpt, fits);

    const bool ls = method == Method::leastsquares;
    const std::array<double, 5>& p = ls ? fits.lsparams : fits.mzparams;
    Result r = outcome(job, method);
    r.evaluated = true;
    r.intercept = p[0];
    r.slopex = p[1];
    if (plane) r.slopey = p[2];
    r.error = ls ? fits.lserror : fits.mzerror;
    r.fitted = ls ? fits.lsfitted : fits.mzfitted;
    r.notes = quiet.said();
    // Observation minus the model, term by term as formreport takes it.
    const double* f = plane ? z : y;
    for (int i = 0; i < numpt; ++i) {
        double d = f[i];
        d -= p[0];
        d -= x[i] * p[1];
        if (plane) d -= y[i] * p[2];
        r.deviations.push_back(d);
    }
    measure(r);
    return r;
}

} // namespace

Result straightness(const Points& points, Method method, double tolerance) {
    return linear(points, method, tolerance, false);
}

Result flatness(const Points& points, Method method, double tolerance) {
    return linear(points, method, tolerance, true);
}

} // namespace formeval::methods
