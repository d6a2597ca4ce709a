// One linearised minimum-zone circle fit about the origin of the given
// coordinates.
#include "form/form.h"

namespace formeval {

void circ(const double* x, const double* y, double* gs, int numpt) {
    centredcirclefit(x, y, gs, numpt, true);
}

} // namespace formeval
