// Job 2600: least-squares circularity of Cartesian points.
#include "form/form.h"

namespace formeval {

void lscirco() {
    circjob(2600, "Started least square circularity error calculation", lscircocal,
            nocirclesaid::byjob);
}

} // namespace formeval
