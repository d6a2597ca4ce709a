// Job 2000: circularity of points given in polar coordinates about a fixed
// origin, by the least-squares and the minimum-zone circle of the linearised
// model, fitted once without moving the origin. Every item is written
// whatever the trace level.
#include "form/jobs.h"

namespace formeval {

namespace {

// Each point (radius, angle, direction) with its deviation, the parameters,
// the error; the spacing of the listing differs between the halves.
void listing(const polarhalf& h) {
    const bool ls = h.half == fithalf::leastsquares;
    const auto& [r, theta, unused, numpt] = h.points;
    const double* x = h.directions[0];
    const double* y = h.directions[1];
    for (int i = 0; i < numpt; ++i)
        both("\n", r[i], "    ", theta[i], "    ", x[i], ls ? "    " : " ", y[i], ls ? "   " : "  ",
             h.err[i]);
    both("\n", "r0=", h.gs[0], "   x0=", h.gs[1], "   y0=", h.gs[2]);
    both("\n", ls ? "Least square circularity error=" : "Minimum zone circularity error=", h.error);
}

} // namespace

void mzcir(const jobinfo& job) {
    polarjob(job, "\nStarted circularity error calculation", listing);
}

} // namespace formeval
