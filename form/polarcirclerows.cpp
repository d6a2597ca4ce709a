// Directions and coefficient rows (1, cos, sin) of the linearised circle
// about the polar origin, from angles in degrees.
#include "form/form.h"

#include <cmath>

namespace formeval {

void polarcirclerows(const double* theta, int numpt, double* x, double* y, Row5* a) {
    const double pid = std::atan(1.0) / 45.0;
    for (int i = 0; i < numpt; ++i) {
        x[i] = std::cos(theta[i] * pid);
        y[i] = std::sin(theta[i] * pid);
        a[i] = {1.0, x[i], y[i], 0.0, 0.0};
    }
}

} // namespace formeval
