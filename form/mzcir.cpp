// Job 2000: circularity of points given in polar coordinates about a fixed
// origin, by the least-squares and the minimum-zone circle of the linearised
// model, fitted once without moving the origin. Every item is written
// whatever the trace level.
#include "base/record.h"
#include "form/jobs.h"

#include <iostream>

namespace formeval {

void mzcir(const jobinfo& job) {
    std::cout << "\n"
              << "Started circularity error calculation";
    int numpt = 0;
    double r[nsz];
    double theta[nsz];
    if (!readrecord(job, numpt, r, theta)) return;
    double x[nsz];
    double y[nsz];
    Row5 a[nsz];
    polarcirclerows(theta, numpt, x, y, a);
    const double* const directions[2] = {x, y};
    if (!determined(job.code, directions, 2, numpt, whyundetermined(job.shape, job.points))) return;
    fitpair fits;
    fitboth(
        a, r, 3, numpt, fits, [&](fithalf half, const double* gs, const double* err, double error) {
            const bool ls = half == fithalf::leastsquares;
            for (int i = 0; i < numpt; ++i)
                both("\n", r[i], "    ", theta[i], "    ", x[i], ls ? "    " : " ", y[i],
                     ls ? "   " : "  ", err[i]);
            both("\n", "r0=", gs[0], "   x0=", gs[1], "   y0=", gs[2]);
            both("\n",
                 ls ? "Least square circularity error=" : "Minimum zone circularity error=", error);
        });
}

} // namespace formeval
