// Coefficient rows of the linearised circle about the origin of the given
// coordinates: (1, x/r, y/r) with observation r, the point's distance. A
// point at the origin has no direction; it gets (1, 0, 0) so that it counts
// only towards the radius.
#include "form/form.h"

#include <cmath>

namespace formeval {

void centredcirclerows(const double* x, const double* y, int numpt, Row5* a, double* z) {
    for (int i = 0; i < numpt; ++i) {
        z[i] = std::sqrt(x[i] * x[i] + y[i] * y[i]);
        const bool centred = z[i] == 0;
        a[i] = {1.0, centred ? 0.0 : x[i] / z[i], centred ? 0.0 : y[i] / z[i], 0.0, 0.0};
    }
}

} // namespace formeval
