// Whether a circle fit result holds a circle rather than nocircle's NaN.
#include "form/form.h"

#include <cmath>

namespace formeval {

bool circlefound(const Circlefit& ans) {
    return finitecircle(ans[0], ans[1], ans[2]) && std::isfinite(ans[3]);
}

} // namespace formeval
