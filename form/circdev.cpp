// The circularity error about a circle: the spread of the exact radial
// deviations, both extremes starting at 0, so never negative.
#include "form/form.h"

namespace formeval {

double circdev(const double* u, const double* v, int numpt, double x0, double y0, double r0,
               bool listing) {
    double err[nsz];
    radialdevs(u, v, numpt, x0, y0, r0, err);
    double p = 0;
    double q = 0;
    for (int i = 0; i < numpt; ++i) {
        if (listing) both("\n", u[i], "    ", v[i], "    ", err[i]);
        if (err[i] > p) p = err[i];
        if (err[i] < q) q = err[i];
    }
    return p - q;
}

} // namespace formeval
