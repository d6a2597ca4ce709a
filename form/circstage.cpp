// The parts shared by the staged circle evaluations: the centroid start, one
// re-centring stage, the report of a stage loop that did not settle, and the
// result of points that no circle fits.
#include "form/form.h"

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

double circstage(circfit fit, const double* u, const double* v, int numpt, double* gs, double& x0,
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

void nocircle(double* ans) {
    for (int k = 0; k < 4; ++k) ans[k] = std::numeric_limits<double>::quiet_NaN();
}

bool circlefound(const double* ans) {
    return finitecircle(ans[0], ans[1], ans[2]) && std::isfinite(ans[3]);
}

void nocirclejob(int job) {
    both("\n", "Job ", job,
         ": no circle fits these points (the fit is not finite: are they collinear or all at "
         "one place?)");
}

void stagelimit() {
    std::cout << "\nThe centre did not settle within " << maxstages
              << " stages; the evaluation goes on from the last stage";
}

} // namespace formeval
