// One linearised least-squares circle fit about the origin of the given
// coordinates.
#include "form/form.h"

namespace formeval {

void lscirc(const double* x, const double* y, double* gs, int numpt) {
    centredcirclefit(x, y, gs, numpt, false);
}

} // namespace formeval
