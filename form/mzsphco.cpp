// Job 4500: minimum-zone sphericity of Cartesian points, by stages from the
// centroid.
#include "base/record.h"
#include "form/jobs.h"

#include <iostream>

namespace formeval {

void mzsphco(const jobinfo& job) {
    recordpoints p;
    if (!startjob(job, "Started sphericity error calculation", p)) return;
    const auto& [u, v, w, numpt] = p;
    const double* const points[3] = {u, v, w};
    if (!jobdetermined(job, points, numpt)) return;
    Spherefit ans;
    sphcocal(u, v, w, numpt, ans);
}

} // namespace formeval
