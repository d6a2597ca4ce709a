// Least-squares circle of Cartesian points by stages: start at the centroid,
// re-fit about the moved centre until the squared shift is at most 0.0001
// times the radius (a squared length against a length, as the method has
// always compared them), then take every point's exact radial deviation.
#include "form/form.h"

#include <cmath>

namespace formeval {

void lscircocal(const double* u, const double* v, int numpt, double* ans) {
    double gs[5] = {};
    double x0 = 0;
    double y0 = 0;
    double r0 = 0;
    centroid(u, v, numpt, x0, y0);

    int stageno = 0;
    double cd = 0;
    do {
        ++stageno;
        if (oqt > 2) both("\n", "Stage Number = ", stageno);
        cd = circstage(lscirc, u, v, numpt, gs, x0, y0, r0);
        if (!finitecircle(x0, y0, r0)) {
            nocircle(ans);
            return;
        }
        if (oqt > 2) both("\n", "Current distance to centre=", cd);
    } while (cd > 0.0001 * r0 && stageno < maxstages);
    if (cd > 0.0001 * r0) stagelimit();

    double p = 0;
    double q = 0;
    for (int i = 0; i < numpt; ++i) {
        const double err = std::sqrt((u[i] - x0) * (u[i] - x0) + (v[i] - y0) * (v[i] - y0)) - r0;
        if (oqt > 1) both("\n", u[i], "    ", v[i], "    ", err);
        if (err > p) p = err;
        if (err < q) q = err;
    }
    if (oqt > 2) {
        both("\n", "Least square circularity error= ", p - q);
        both("\n", "r0=", r0, "xo=", x0, "y0=", y0);
    }
    ans[0] = x0;
    ans[1] = y0;
    ans[2] = r0;
    ans[3] = p - q;
}

} // namespace formeval
