// Unit directions and coefficient rows (1, x, y, z) of the linearised sphere
// about the polar origin, from azimuths and elevations in degrees.
#include "form/form.h"

#include <cmath>

namespace formeval {

void polarsphererows(const double* theta, const double* beta, int numpt, double* x, double* y,
                     double* z, Row5* a) {
    const double pid = std::atan(1.0) / 45.0;
    for (int i = 0; i < numpt; ++i) {
        x[i] = std::cos(theta[i] * pid) * std::cos(beta[i] * pid);
        y[i] = std::sin(theta[i] * pid) * std::cos(beta[i] * pid);
        z[i] = std::sin(beta[i] * pid);
        a[i] = {1.0, x[i], y[i], z[i], 0.0};
    }
}

} // namespace formeval
