// The least-squares start of the fits whose least-squares error nobody reads
// (the stages of the staged circles and spheres): the fit and, when the
// minimum-zone exchange follows, its deviations. The error itself is
// computed only for its trace, at trace level 3.
#include "fit/fit.h"

namespace formeval {

void lsstart(const Row5* a, const double* f, double* gs, double* err, int n, int numpt,
             bool deviations) {
    Row7 g[6] = {};
    lsgen(a, f, gs, g, n, numpt);
    if (!deviations && oqt <= 2) return;
    error(a, f, gs, err, n, numpt);
    if (oqt > 2) lsqerr(err, n, numpt);
}

} // namespace formeval
