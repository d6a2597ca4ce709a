// One linearised minimum-zone sphere fit about the origin of the given
// coordinates: a least-squares start, then the exchange from the five points
// of largest least-squares deviation. As in circ, the exchange's own result is
// not used.
#include "form/form.h"

namespace formeval {

void sph(const double* x, const double* y, const double* z, double* gs, int numpt) {
    constexpr int n = 4;
    double r[nsz];
    Row5 a[nsz];
    double err[nsz];
    centredsphererows(x, y, z, numpt, a, r);
    lsstart(a, r, gs, err, n, numpt, true);
    mzfit(a, r, gs, err, n, numpt);
}

} // namespace formeval
