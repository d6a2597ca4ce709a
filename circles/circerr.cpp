// The final pass of the peak and valley circles: every point's radial
// deviation from the chosen circle and their range.
#include "circles/circles.h"

#include <cmath>

namespace formeval {

double circerr(const double* u, const double* v, int numpt, double x0, double y0, double r0) {
    double pe = 0;
    double qe = 0;
    for (int i = 0; i < numpt; ++i) {
        const double err = std::sqrt((u[i] - x0) * (u[i] - x0) + (v[i] - y0) * (v[i] - y0)) - r0;
        if (oqt > 2) both("\n", u[i], "    ", v[i], "    ", err);
        if (err > pe) pe = err;
        if (err < qe) qe = err;
    }
    return pe - qe;
}

} // namespace formeval
