// Minimum-zone sphere of Cartesian points by stages: start at the centroid,
// re-fit about the moved centre until the shift is small, then take every
// point's exact radial deviation from the final centre with the radius of the
// last stage. Everything it writes is a detail item, but for the notes of a
// result that is not a fit or not the minimum zone.
#include "form/form.h"

#include <cmath>

namespace formeval {

void sphcocal(const double* u, const double* v, const double* w, int numpt, Spherefit& ans) {
    double x0 = 0;
    double y0 = 0;
    double z0 = 0;
    double r0 = 0;
    sphstages(u, v, w, numpt, x0, y0, z0, r0);

    double err[nsz];
    double p = 0;
    double q = 0;
    for (int i = 0; i < numpt; ++i) {
        err[i] = std::sqrt((u[i] - x0) * (u[i] - x0) + (v[i] - y0) * (v[i] - y0) +
                           (w[i] - z0) * (w[i] - z0)) -
                 r0;
        if (err[i] > p) p = err[i];
        if (err[i] < q) q = err[i];
    }
    const double* const c[3] = {u, v, w};
    widenote("sphere", p - q, yardsticks(c, 3, numpt, false));
    if (oqt > 2)
        for (int i = 0; i < numpt; ++i)
            both("\n", u[i], "    ", v[i], "    ", w[i], "    ", err[i]);
    if (oqt > 2) {
        both("\n", "Sphericity error= ", p - q);
        both("\n", "r0=", r0, "xo=", x0, "y0=", y0, "z0=", z0);
    }
    ans = {x0, y0, z0, r0, p - q};
}

} // namespace formeval
