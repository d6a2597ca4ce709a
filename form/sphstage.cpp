// One stage of the staged sphere fit: the points relative to the centre
// estimate, one linearised fit, and the estimate moved by the fitted shift.
#include "form/form.h"
#include "form/stages.h"

#include <cmath>

namespace formeval {

double sphstage(const double* u, const double* v, const double* w, int numpt, double* gs,
                double& x0, double& y0, double& z0, double& r0) {
    double x[nsz];
    double y[nsz];
    double z[nsz];
    for (int i = 0; i < numpt; ++i) {
        x[i] = u[i] - x0;
        y[i] = v[i] - y0;
        z[i] = w[i] - z0;
    }
    sph(x, y, z, gs, numpt);
    r0 = gs[0];
    x0 = x0 + gs[1];
    y0 = y0 + gs[2];
    z0 = z0 + gs[3];
    return std::sqrt(gs[1] * gs[1] + gs[2] * gs[2] + gs[3] * gs[3]);
}

} // namespace formeval
