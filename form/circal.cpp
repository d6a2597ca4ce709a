// Both fits of job 2000's circle about the polar origin.
#include "form/form.h"

namespace formeval {

void circal(const double* r, const double* theta, int numpt, fitpair& fits) {
    double x[nsz];
    double y[nsz];
    Row5 a[nsz];
    cirrows(theta, numpt, x, y, a);
    fitboth(a, r, 3, numpt, fits);
}

} // namespace formeval
