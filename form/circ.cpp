// One linearised minimum-zone circle fit about the origin of the given
// coordinates: a least-squares start, then the exchange from the four points
// of largest least-squares deviation. The exchange's own result is not used:
// an evaluation the operator abandons goes on with whatever gs then holds.
#include "form/form.h"

namespace formeval {

void circ(const double* x, const double* y, double* gs, int numpt) {
    constexpr int n = 3;
    double z[nsz];
    Row5 a[nsz];
    double err[nsz];
    centredcirclerows(x, y, numpt, a, z);
    lsstart(a, z, gs, err, n, numpt, true);
    mzfit(a, z, gs, err, n, numpt);
}

} // namespace formeval
