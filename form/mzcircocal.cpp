// Minimum-zone circle of Cartesian points by stages: start at the centroid,
// re-fit about the moved centre until the shift is small, then take every
// point's exact radial deviation (listed as a detail item). The reported
// error comes from these exact distances, not from the exchange. Called by
// the uncertainty studies many times over: no state, no output when oqt <= 1.
#include "form/form.h"

namespace formeval {

void mzcircocal(const double* u, const double* v, int numpt, double* ans) {
    double x0 = 0;
    double y0 = 0;
    double r0 = 0;
    circstages(circ, u, v, numpt, x0, y0, r0);
    if (!finitecircle(x0, y0, r0)) {
        nocircle(ans);
        return;
    }
    const double error = circdev(u, v, numpt, x0, y0, r0, oqt > 2);
    if (oqt > 2) {
        both("\n", "Circularity error= ", error);
        both("\n", "r0=", r0, "xo=", x0, "y0=", y0);
    }
    ans[0] = x0;
    ans[1] = y0;
    ans[2] = r0;
    ans[3] = error;
}

} // namespace formeval
