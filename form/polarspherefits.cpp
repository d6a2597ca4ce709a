// Both fits of job 4000's sphere about the polar origin.
#include "form/form.h"

namespace formeval {

void polarspherefits(const double* r, const double* theta, const double* beta, int numpt,
                     fitpair& fits) {
    double x[nsz];
    double y[nsz];
    double z[nsz];
    Row5 a[nsz];
    polarsphererows(theta, beta, numpt, x, y, z, a);
    fitboth(a, r, 4, numpt, fits);
}

} // namespace formeval
