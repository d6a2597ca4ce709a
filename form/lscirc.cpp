// One linearised least-squares circle fit about the origin of the given
// coordinates.
#include "fit/fit.h"
#include "form/form.h"

namespace formeval {

void lscirc(const double* x, const double* y, double* gs, int numpt) {
    constexpr int n = 3;
    double z[nsz];
    Row5 a[nsz];
    double err[nsz];
    Row7 g[6];
    circrows(x, y, numpt, a, z);
    lsgen(a, z, gs, g, n, numpt);
    error(a, z, gs, err, n, numpt);
    lsqerr(err, n, numpt);
}

} // namespace formeval
