// Job 2500: minimum-zone circularity of Cartesian points.
#include "form/form.h"

namespace formeval {

void mzcirco() {
    circjob(2500, "Started circularity error calculation", mzcircocal, nocirclesaid::byjob);
}

} // namespace formeval
