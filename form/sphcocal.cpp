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
    const double* const c[3] = {u, v, w};
    const double centre[3] = {x0, y0, z0};
    const Sighting s = sight(c, 3, numpt, centre, r0, claim::zone, err);
    if (s.unsure) widenote("sphere", s.error, yardsticks(c, 3, numpt, false));
    if (oqt > 2)
        for (int i = 0; i < numpt; ++i)
            both("\n", u[i], "    ", v[i], "    ", w[i], "    ", err[i]);
    if (oqt > 2) {
        both("\n", "Sphericity error= ", s.error);
        both("\n", "r0=", r0, "xo=", x0, "y0=", y0, "z0=", z0);
    }
    ans = {x0, y0, z0, r0, s.error};
}

} // namespace formeval
