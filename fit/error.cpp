// Deviations of every point from the model: model value minus observation.
#include "fit/fit.h"

namespace formeval {

void error(const Row5* x, const double* r, const double* gs, double* err, int n, int numpt) {
    for (int p = 0; p < numpt; ++p) {
        double rc = 0;
        for (int j = 0; j < n; ++j) rc += gs[j] * x[p][j];
        err[p] = rc - r[p];
    }
}

} // namespace formeval
