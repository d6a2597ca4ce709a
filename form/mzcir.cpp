// Job 2000: circularity of points given in polar coordinates about a fixed
// origin, by the least-squares and the minimum-zone circle of the linearised
// model, fitted once without moving the origin. Every item is written
// whatever the trace level.
#include "base/record.h"
#include "form/form.h"

#include <iostream>

namespace formeval {

namespace {

void parameters(const double* gs) {
    both("\n", "r0=", gs[0], "   x0=", gs[1], "   y0=", gs[2]);
}

} // namespace

void mzcir(const jobinfo& job) {
    constexpr int n = 3;
    std::cout << "\n"
              << "Started circularity error calculation";
    int numpt = 0;
    double r[nsz];
    double theta[nsz];
    if (!readrecord(job, numpt, r, theta)) return;

    double x[nsz];
    double y[nsz];
    Row5 a[nsz];
    cirrows(theta, numpt, x, y, a);
    const double* const directions[2] = {x, y};
    if (!determined(job.code, directions, 2, numpt, whyundetermined(job.shape, job.points))) return;

    double gs[5] = {};
    double err[nsz];
    const double erlsq = lsfit(a, r, gs, err, n, numpt);
    lsnote();
    for (int i = 0; i < numpt; ++i)
        both("\n", r[i], "    ", theta[i], "    ", x[i], "    ", y[i], "   ", err[i]);
    parameters(gs);
    both("\n", "Least square circularity error=", erlsq);

    double emz = mzfit(a, r, gs, err, n, numpt);
    mznote(emz);
    emz = fullzone(emz, a, r, gs, err, n, numpt);
    for (int i = 0; i < numpt; ++i)
        both("\n", r[i], "    ", theta[i], "    ", x[i], " ", y[i], "  ", err[i]);
    parameters(gs);
    both("\n", "Minimum zone circularity error=", emz);
}

} // namespace formeval
