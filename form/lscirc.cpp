// One linearised least-squares circle fit about the origin of the given
// coordinates.
#include "form/form.h"

namespace formeval {

void lscirc(const double* x, const double* y, double* gs, int numpt) {
    constexpr int n = 3;
    double z[nsz];
    Row5 a[nsz];
    double err[nsz];
    centredcirclerows(x, y, numpt, a, z);
    lsstart(a, z, gs, err, n, numpt, false);
}

} // namespace formeval
