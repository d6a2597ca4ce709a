// Whether a circle is made of finite numbers. Collinear or coincident points
// make the linearised fits singular; a solve whose last pivot vanishes then
// yields infinite or NaN parameters.
#include "form/stages.h"

#include <cmath>

namespace formeval {

bool finitecircle(double x0, double y0, double r0) {
    return std::isfinite(x0) && std::isfinite(y0) && std::isfinite(r0);
}

} // namespace formeval
