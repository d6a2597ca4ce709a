// The valley (maximum inscribing) circle of measured points.
#include "circles/circles.h"

namespace formeval {

void vacircocal(const double* u, const double* v, int numpt, Circlefit& ans) {
    extremecircle(valleyside, u, v, numpt, ans);
}

} // namespace formeval
