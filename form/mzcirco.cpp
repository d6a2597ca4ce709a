// Job 2500: minimum-zone circularity of Cartesian points.
#include "form/jobs.h"

namespace formeval {

void mzcirco(const jobinfo& job) {
    circjob(job, "Started circularity error calculation", nocirclesaid::byjob);
}

} // namespace formeval
