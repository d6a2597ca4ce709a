// The peak (minimum circumscribing) circle of measured points.
#include "circles/circles.h"

namespace formeval {

void pkcircocal(const double* u, const double* v, int numpt, Circlefit& ans) {
    extremecircle(peakside, u, v, numpt, ans);
}

} // namespace formeval
