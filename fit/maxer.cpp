// The worst deviation of a fit, with its sign: that of the point maxerp
// picks, or 0 when no deviation is non-zero.
#include "fit/fit.h"

#include <iostream>

namespace formeval {

double maxat(const double* err, int worst) {
    double hmax = 0;
    const double e = err[worst];
    if (e * e > 0) hmax = e;
    if (oqt > 2) std::cout << "\nin maxer, hmax=  " << hmax;
    return hmax;
}

double maxer(const double* err, int numpt) {
    if (numpt > 0) return maxat(err, maxerp(err, numpt));
    if (oqt > 2) std::cout << "\nin maxer, hmax=  " << 0.0;
    return 0;
}

} // namespace formeval
