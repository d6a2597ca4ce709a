// Least-squares circle of Cartesian points by stages; the per-point listing is
// a progress item.
#include "form/form.h"

namespace formeval {

void lscircocal(const double* u, const double* v, int numpt, Circlefit& ans) {
    stagedcircle(lscirc, "Least square circularity error= ", 1, u, v, numpt, ans);
}

} // namespace formeval
