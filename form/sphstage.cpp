// The parts of the staged sphere evaluation: the centroid start, one
// re-centring stage and the stage loop.
#include "form/form.h"
#include "linalg/linalg.h"

#include <cmath>
#include <iostream>

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

// Unlike the circle, the stop test uses the length of the shift, and that
// length goes to the console only. As for the circle, a stage whose exchange
// the operator stopped is the last.
void sphstages(const double* u, const double* v, const double* w, int numpt, double& x0, double& y0,
               double& z0, double& r0) {
    double gs[5] = {};
    centroid(u, v, w, numpt, x0, y0, z0);
    r0 = 0;
    const bool raised = problem;
    problem = false;
    int stageno = 0;
    double cd = 0;
    bool fitted = true;
    do {
        ++stageno;
        if (oqt > 2) both("\n", "Stage Number = ", stageno);
        cd = sphstage(u, v, w, numpt, gs, x0, y0, z0, r0);
        fitted = solved();
        if (oqt > 2) {
            both("\n", "r0=", r0, "xo=", x0, "y0=", y0, "z0=", z0);
            std::cout << "\n"
                      << "distance to centre= " << cd;
        }
    } while (!problem && cd > 0.0001 * r0 && stageno < maxstages);
    endstages(stageno, cd > 0.0001 * r0, fitted, raised);
}

} // namespace formeval
