// Coefficient rows (1, x, y) of the plane z = z0 + l0 x + m0 y.
#include "form/form.h"

namespace formeval {

void fltrows(const double* x, const double* y, int numpt, Row5* a) {
    for (int i = 0; i < numpt; ++i) a[i] = {1.0, x[i], y[i], 0.0, 0.0};
}

} // namespace formeval
