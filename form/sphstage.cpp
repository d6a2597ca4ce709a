// The parts of the staged sphere evaluation: the centroid start and one
// re-centring stage.
#include "form/form.h"

#include <cmath>

namespace formeval {

void centroid(const double* u, const double* v, const double* w, int numpt, double& x0, double& y0,
              double& z0) {
    double sumw = 0;
    for (int i = 0; i < numpt; ++i) sumw += w[i];
    centroid(u, v, numpt, x0, y0);
    z0 = sumw / numpt;
}

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
