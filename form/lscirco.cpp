// Job 2600: least-squares circularity of Cartesian points.
#include "form/jobs.h"

namespace formeval {

void lscirco(const jobinfo& job) {
    circjob(job, "Started least square circularity error calculation", nocirclesaid::byjob);
}

} // namespace formeval
