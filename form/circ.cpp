// One linearised minimum-zone circle fit about the origin of the given
// coordinates: a least-squares start, then the exchange from the four points
// of largest least-squares deviation. The exchange's own result is not used:
// an evaluation the operator abandons goes on with whatever gs then holds.
#include "fit/fit.h"
#include "form/form.h"

namespace formeval {

void circ(const double* x, const double* y, double* gs, int numpt) {
    constexpr int n = 3;
    double z[nsz];
    Row5 a[nsz];
    double err[nsz];
    double em[5] = {};
    int ne[5] = {0, 1, 2, 3, 4};
    Row7 g[6] = {};
    Row7 sm[6] = {};
    double xm[5] = {};
    circrows(x, y, numpt, a, z);
    lsgen(a, z, gs, g, n, numpt);
    error(a, z, gs, err, n, numpt);
    lsqerr(err, n, numpt);
    lsqmax(err, ne, em, n, numpt);
    mzgen(a, z, ne, gs, err, sm, xm, g, n, numpt);
}

} // namespace formeval
