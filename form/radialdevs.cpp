// Radial deviations of the points from a circle, on the input coordinates:
// each point's distance from the centre minus the radius, positive outside.
#include "form/form.h"

#include <cmath>

namespace formeval {

void radialdevs(const double* u, const double* v, int numpt, double x0, double y0, double r0,
                double* err) {
    for (int i = 0; i < numpt; ++i)
        err[i] = std::sqrt((u[i] - x0) * (u[i] - x0) + (v[i] - y0) * (v[i] - y0)) - r0;
}

} // namespace formeval
