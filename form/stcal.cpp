// Both fits of job 1000's line.
#include "form/form.h"

namespace formeval {

void stcal(const double* x, const double* y, int numpt, fitpair& fits) {
    Row5 a[nsz];
    strows(x, numpt, a);
    fitboth(a, y, 2, numpt, fits);
}

} // namespace formeval
