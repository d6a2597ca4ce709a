// The minimum-zone half of every evaluation. lsqmax writes only as many
// starting indices as there are non-zero deviations, and the exchange may
// read its work arrays before writing them, so all of them start defined: the
// set at 0..n (the exchange replaces an invalid set), the rest at zeros.
#include "fit/fit.h"

namespace formeval {

double mzfit(const Row5* a, const double* f, double* gs, double* err, int n, int numpt) {
    int ne[6] = {0, 1, 2, 3, 4, 5};
    double em[6] = {};
    Row7 g[6] = {};
    Row7 sm[6] = {};
    double xm[5] = {};
    lsqmax(err, ne, em, n, numpt);
    return mzgen(a, f, ne, gs, err, sm, xm, g, n, numpt);
}

} // namespace formeval
