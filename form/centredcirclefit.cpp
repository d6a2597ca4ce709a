// One linearised circle fit about the origin of centred coordinates: the
// least-squares fit, then, for the minimum zone, the exchange from the four
// points of largest least-squares deviation. The exchange's own result is
// not used: an evaluation the operator abandons goes on with whatever gs then
// holds.
#include "form/form.h"

namespace formeval {

void centredcirclefit(const double* x, const double* y, double* gs, int numpt, bool minimumzone) {
    constexpr int n = 3;
    double z[nsz];
    Row5 a[nsz];
    double err[nsz];
    centredcirclerows(x, y, numpt, a, z);
    lsstart(a, z, gs, err, n, numpt, minimumzone);
    if (minimumzone) mzfit(a, z, gs, err, n, numpt);
}

} // namespace formeval
