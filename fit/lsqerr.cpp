// Least-squares form error: the spread of the deviations with 0 included,
// because both running extremes start at 0.
#include "fit/fit.h"

#include <iostream>

namespace formeval {

double lsqerr(const double* err, int /*n*/, int numpt) {
    double p = 0;
    double q = 0;
    for (int i = 0; i < numpt; ++i) {
        if (err[i] < p) p = err[i];
        if (err[i] > q) q = err[i];
    }
    const double erlsq = q - p;
    if (oqt > 2)
        std::cout << "\n"
                  << "erlsq=" << erlsq;
    return erlsq;
}

} // namespace formeval
