// Job 2800: circularity against the valley (maximum inscribing) circle.
#include "circles/circles.h"

namespace formeval {

void vacirco() {
    circjob(2800, "Started Valley circle calculation", vacircocal, nocirclesaid::bycomputation);
}

} // namespace formeval
