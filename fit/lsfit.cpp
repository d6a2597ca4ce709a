// The least-squares half of every evaluation.
#include "fit/fit.h"

namespace formeval {

double lsfit(const Row5* a, const double* f, double* gs, double* err, int n, int numpt) {
    Row7 g[6] = {};
    lsgen(a, f, gs, g, n, numpt);
    error(a, f, gs, err, n, numpt);
    return lsqerr(err, n, numpt);
}

} // namespace formeval
