// The centroid of the points: the first centre estimate of the staged fits.
#include "form/stages.h"

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

void centroid(const double* u, const double* v, const double* w, int numpt, double& x0, double& y0,
              double& z0) {
    double sumw = 0;
    for (int i = 0; i < numpt; ++i) sumw += w[i];
    centroid(u, v, numpt, x0, y0);
    z0 = sumw / numpt;
}

} // namespace formeval
