// The parts shared by the staged circle evaluations: the centroid start, one
// re-centring stage, the stage loop with its reports when it does not settle
// or the operator stops it, the spread of the exact radial deviations, and
// the result of points that no circle fits.
#include "form/form.h"
#include "linalg/linalg.h"

#include <cmath>
#include <iostream>
#include <limits>

namespace formeval {

void centroid(const double* u, const double* v, int numpt, double& x0, double& y0) {
    double sumu = 0;
    double sumv = 0;
    for (int i = 0; i < numpt; ++i) {
        sumu += u[i];
        sumv += v[i];
    }
    x0 = sumu / numpt;
    y0 = sumv / numpt;
}

double circstage(stagefit fit, const double* u, const double* v, int numpt, double* gs, double& x0,
                 double& y0, double& r0) {
    double x[nsz];
    double y[nsz];
    for (int i = 0; i < numpt; ++i) {
        x[i] = u[i] - x0;
        y[i] = v[i] - y0;
    }
    fit(x, y, gs, numpt);
    r0 = gs[0];
    x0 = x0 + gs[1];
    y0 = y0 + gs[2];
    return gs[1] * gs[1] + gs[2] * gs[2];
}

bool finitecircle(double x0, double y0, double r0) {
    return std::isfinite(x0) && std::isfinite(y0) && std::isfinite(r0);
}

void nocircle(Circlefit& ans) {
    for (int k = 0; k < 4; ++k) ans[k] = std::numeric_limits<double>::quiet_NaN();
}

bool circlefound(const Circlefit& ans) {
    return finitecircle(ans[0], ans[1], ans[2]) && std::isfinite(ans[3]);
}

void nocirclejob(int job) {
    both("\n", "Job ", job,
         ": no circle fits these points (the fit is not finite: are they collinear or all at "
         "one place?)");
}

void endstages(int stageno, bool unsettled, bool fitted, bool raised) {
    if (problem)
        note("The minimum-zone fit was stopped in stage ", stageno,
             "; the centre is not refined further");
    else if (unsettled)
        note("The centre did not settle within ", maxstages,
             " stages; the evaluation goes on from the last stage");
    if (!fitted)
        note("The fit of stage ", stageno,
             " met a singular system; its centre and radius are not fitted to these points");
    problem = problem || raised;
}

// The squared shift is compared with the radius, a squared length against a
// length, as the method has always compared them. A NaN ends the loop. A
// stage whose exchange the operator stopped ends it too: later stages would
// start from that abandoned fit and ask again.
void circstages(stagefit fit, const double* u, const double* v, int numpt, double& x0, double& y0,
                double& r0, int stagelevel, bool ask) {
    constexpr int stageask = 5;
    double gs[5] = {};
    centroid(u, v, numpt, x0, y0);
    r0 = 0;
    const bool raised = problem;
    problem = false;
    int stageno = 0;
    double cd = 0;
    bool fitted = true;
    do {
        ++stageno;
        if (ask && stageno > stageask &&
            !askcount("\nStage number>5. Do you want to continue?",
                      ": the stage loop ends with the current centre", stageno))
            break;
        if (oqt > stagelevel) both("\n", "Stage Number = ", stageno);
        cd = circstage(fit, u, v, numpt, gs, x0, y0, r0);
        fitted = solved();
        if (!finitecircle(x0, y0, r0)) break;
        if (oqt > 2) both("\n", "Current distance to centre=", cd);
    } while (!problem && cd > 0.0001 * r0 && (ask || stageno < maxstages));
    endstages(stageno, !ask && cd > 0.0001 * r0 && finitecircle(x0, y0, r0), fitted, raised);
}

double circdev(const double* u, const double* v, int numpt, double x0, double y0, double r0,
               bool listing) {
    double p = 0;
    double q = 0;
    for (int i = 0; i < numpt; ++i) {
        const double err = std::sqrt((u[i] - x0) * (u[i] - x0) + (v[i] - y0) * (v[i] - y0)) - r0;
        if (listing) both("\n", u[i], "    ", v[i], "    ", err);
        if (err > p) p = err;
        if (err < q) q = err;
    }
    return p - q;
}

} // namespace formeval
