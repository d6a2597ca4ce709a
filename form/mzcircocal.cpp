// Minimum-zone circle of Cartesian points by stages; the per-point listing is
// a detail item. Called by the uncertainty studies many times over: no state,
// no output when oqt <= 1.
#include "form/form.h"

namespace formeval {

void mzcircocal(const double* u, const double* v, int numpt, Circlefit& ans) {
    stagedcircle(circ, "Circularity error= ", 2, u, v, numpt, ans, true);
}

} // namespace formeval
