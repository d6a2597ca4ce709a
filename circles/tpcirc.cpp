// The circle through three measured points: u^2 + v^2 + A u + B v + C = 0,
// solved for A, B, C in the input coordinates. A triple on one line or with a
// repeated point has no circle; the solver would leave stale coefficients (or
// divide by its untested last pivot), so such a triple is told apart first.
#include "circles/circles.h"
#include "linalg/linalg.h"

#include <cmath>

namespace formeval {

tpfit tpcirc(const double* u, const double* v, const int* tri, double& x0, double& y0, double& r0) {
    Row7 g[3] = {};
    for (int k = 0; k < 3; ++k) {
        const int j = tri[k];
        g[k][0] = u[j];
        g[k][1] = v[j];
        g[k][2] = 1;
        g[k][3] = -u[j] * u[j] - v[j] * v[j];
    }
    const bool singular = zeropivot(g, 3);
    double gs[3] = {};
    gauss(g, 3, gs); // reports a zero pivot it meets on the console itself
    if (singular) return tpfit::singular;
    const double x = -gs[0] / 2;
    const double y = -gs[1] / 2;
    const double r = std::sqrt((gs[0] * gs[0] + gs[1] * gs[1] - 4 * gs[2]) / 4);
    if (!std::isfinite(x) || !std::isfinite(y) || !std::isfinite(r)) return tpfit::nonfinite;
    x0 = x;
    y0 = y;
    r0 = r;
    return tpfit::circle;
}

} // namespace formeval
