// Index of the worst point of a fit. Starts at point 0, so that a fit with
// every deviation 0 still names a valid point.
#include "fit/fit.h"

namespace formeval {

int maxerp(const double* err, int numpt) {
    double hmax = 0;
    int knt = 0;
    for (int i = 0; i < numpt; ++i)
        if (err[i] * err[i] > hmax * hmax) {
            hmax = err[i];
            knt = i;
        }
    return knt;
}

} // namespace formeval
