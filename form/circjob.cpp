// The body of the Cartesian circle jobs: the start message, the record, the
// determinacy test, then the computation, which writes the job's items.
#include "driver/record.h"
#include "form/form.h"

#include <iostream>

namespace formeval {

void circjob(int job, const char* start, circcal cal, nocirclesaid nocircle) {
    std::cout << start;
    int numpt = 0;
    double u[nsz];
    double v[nsz];
    if (!readrecord(job, numpt, u, v) || !circledetermined(job, u, v, numpt)) return;
    Circlefit ans;
    cal(u, v, numpt, ans);
    if (nocircle == nocirclesaid::byjob && !circlefound(ans)) nocirclejob(job);
}

} // namespace formeval
