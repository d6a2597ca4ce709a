// The circle fit result of points that no circle fits: NaN throughout, which
// circlefound tells from any circle.
#include "form/form.h"

#include <limits>

namespace formeval {

void nocircle(Circlefit& ans) {
    ans.fill(std::numeric_limits<double>::quiet_NaN());
}

} // namespace formeval
