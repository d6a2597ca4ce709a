// One stage of a staged circle fit: the points relative to the centre
// estimate, one linearised fit, and the estimate moved by the fitted shift.
#include "form/stages.h"

namespace formeval {

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

} // namespace formeval
