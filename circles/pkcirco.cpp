// Job 2700: circularity against the peak (minimum circumscribing) circle.
#include "circles/circles.h"

namespace formeval {

void pkcirco() {
    circjob(2700, "Started Peak circle circulatity calculation", pkcircocal,
            nocirclesaid::bycomputation);
}

} // namespace formeval
