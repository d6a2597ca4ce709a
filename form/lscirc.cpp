// One linearised least-squares circle fit about the origin of the given
// coordinates. A point at the origin has no direction; it gets the row
// (1, 0, 0) so that it counts only towards the radius.
#include "fit/fit.h"
#include "form/form.h"

#include <cmath>

namespace formeval {

void lscirc(const double* x, const double* y, double* gs, int numpt) {
    constexpr int n = 3;
    double z[nsz];
    Row5 a[nsz];
    double err[nsz];
    Row7 g[6];
    for (int i = 0; i < numpt; ++i) {
        z[i] = std::sqrt(x[i] * x[i] + y[i] * y[i]);
        const bool centred = z[i] == 0;
        a[i] = {1.0, centred ? 0.0 : x[i] / z[i], centred ? 0.0 : y[i] / z[i], 0.0, 0.0};
    }
    lsgen(a, z, gs, g, n, numpt);
    error(a, z, gs, err, n, numpt);
    lsqerr(err, n, numpt);
}

} // namespace formeval
