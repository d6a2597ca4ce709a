// Job 2800: circularity against the valley (maximum inscribing) circle.
#include "circles/circles.h"
#include "form/jobs.h"

namespace formeval {

void vacirco(const jobinfo& job) {
    circjob(job, "Started Valley circle calculation", nocirclesaid::bycomputation);
}

} // namespace formeval
