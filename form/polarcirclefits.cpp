// Both fits of job 2000's circle about the polar origin.
#include "form/form.h"

namespace formeval {

void polarcirclefits(const double* r, const double* theta, int numpt, fitpair& fits) {
    double x[nsz];
    double y[nsz];
    Row5 a[nsz];
    polarcirclerows(theta, numpt, x, y, a);
    fitboth(a, r, 3, numpt, fits);
}

} // namespace formeval
