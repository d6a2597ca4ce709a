// Job 4500: minimum-zone sphericity of Cartesian points, by stages from the
// centroid.
#include "base/record.h"
#include "form/jobs.h"

#include <iostream>

namespace formeval {

void mzsphco(const jobinfo& job) {
    std::cout << "Started sphericity error calculation";
    int numpt = 0;
    double u[nsz];
    double v[nsz];
    double w[nsz];
    if (!readrecord(job, numpt, u, v, w)) return;
    const double* const points[3] = {u, v, w};
    if (!determined(job.code, points, 3, numpt, whyundetermined(job.shape, job.points))) return;
    Spherefit ans;
    sphcocal(u, v, w, numpt, ans);
}

} // namespace formeval
