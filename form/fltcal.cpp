// Both fits of job 3000's plane.
#include "form/form.h"

namespace formeval {

void fltcal(const double* x, const double* y, const double* z, int numpt, fitpair& fits) {
    Row5 a[nsz];
    fltrows(x, y, numpt, a);
    fitboth(a, z, 3, numpt, fits);
}

} // namespace formeval
