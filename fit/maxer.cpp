// The worst deviation of a fit, with its sign: that of the point maxerp
// picks, or 0 when no deviation is non-zero.
#include "fit/fit.h"

#include <iostream>

namespace formeval {

double maxer(const double* err, int numpt) {
    double hmax = 0;
    if (numpt > 0) {
        const double e = err[maxerp(err, numpt)];
        if (e * e > 0) hmax = e;
    }
    if (oqt > 2) std::cout << "\nin maxer, hmax=  " << hmax;
    return hmax;
}

} // namespace formeval
