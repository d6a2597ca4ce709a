// Job 2700: circularity against the peak (minimum circumscribing) circle.
#include "circles/circles.h"
#include "form/jobs.h"

namespace formeval {

void pkcirco(const jobinfo& job) {
    circjob(job, "Started Peak circle circulatity calculation", nocirclesaid::bycomputation);
}

} // namespace formeval
