// The body of the Cartesian circle jobs: the start message, the record, the
// determinacy test, then the computation, which writes the job's items.
#include "base/record.h"
#include "form/jobs.h"

#include <iostream>

namespace formeval {

void circjob(const jobinfo& job, const char* start, nocirclesaid nocircle) {
    recordpoints p;
    if (!startjob(job, start, p)) return;
    const auto& [u, v, unused, numpt] = p;
    const double* const c[2] = {u, v};
    if (!jobdetermined(job, c, numpt)) return;
    Circlefit ans;
    job.circle->function(u, v, numpt, ans);
    if (nocircle == nocirclesaid::byjob && !circlefound(ans)) nocirclejob(job.code);
}

} // namespace formeval
