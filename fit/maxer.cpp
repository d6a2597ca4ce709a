// The worst deviation of a fit, with its sign.
#include "fit/fit.h"

#include <iostream>

namespace formeval {

double maxer(const double* err, int numpt) {
    double hmax = 0;
    for (int i = 0; i < numpt; ++i)
        if (err[i] * err[i] > hmax * hmax) hmax = err[i];
    if (oqt > 2) std::cout << "\nin maxer, hmax=  " << hmax;
    return hmax;
}

} // namespace formeval
