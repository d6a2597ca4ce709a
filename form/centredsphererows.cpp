// Coefficient rows of the linearised sphere about the origin of the given
// coordinates: (1, x/r, y/r, z/r) with observation r, the point's distance.
// A point at the origin has no direction; it gets (1, 0, 0, 0) so that it
// counts only towards the radius.
#include "form/form.h"

#include <cmath>

namespace formeval {

void centredsphererows(const double* x, const double* y, const double* z, int numpt, Row5* a,
                       double* r) {
    for (int i = 0; i < numpt; ++i) {
        r[i] = std::sqrt(x[i] * x[i] + y[i] * y[i] + z[i] * z[i]);
        if (r[i] == 0)
            a[i] = {1.0, 0.0, 0.0, 0.0, 0.0};
        else
            a[i] = {1.0, x[i] / r[i], y[i] / r[i], z[i] / r[i], 0.0};
    }
}

} // namespace formeval
