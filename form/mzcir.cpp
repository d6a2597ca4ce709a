// Job 2000: circularity of points given in polar coordinates about a fixed
// origin, by the least-squares and the minimum-zone circle of the linearised
// model, fitted once without moving the origin. Every item is written
// whatever the trace level.
#include "driver/record.h"
#include "form/form.h"

#include <cmath>
#include <iostream>

namespace formeval {

namespace {

void parameters(const double* gs) {
    both("\n", "r0=", gs[0], "   x0=", gs[1], "   y0=", gs[2]);
}

} // namespace

void mzcir() {
    constexpr int job = 2000;
    constexpr int n = 3;
    std::cout << "\n"
              << "Started circularity error calculation";
    int numpt = 0;
    double r[nsz];
    double theta[nsz];
    if (!readrecord(job, numpt, r, theta)) return;

    const double pid = std::atan(1.0) / 45.0;
    double x[nsz];
    double y[nsz];
    Row5 a[nsz];
    for (int i = 0; i < numpt; ++i) {
        x[i] = std::cos(theta[i] * pid);
        y[i] = std::sin(theta[i] * pid);
        a[i] = {1.0, x[i], y[i], 0.0, 0.0};
    }
    if (!determined(job, a, n, numpt,
                    "the points lie in fewer than three directions from the origin; they "
                    "determine no circle"))
        return;

    double gs[5] = {};
    double err[nsz];
    const double erlsq = lsfit(a, r, gs, err, n, numpt);
    for (int i = 0; i < numpt; ++i)
        both("\n", r[i], "    ", theta[i], "    ", x[i], "    ", y[i], "   ", err[i]);
    parameters(gs);
    both("\n", "Least square circularity error=", erlsq);

    const double emz = mzfit(a, r, gs, err, n, numpt);
    for (int i = 0; i < numpt; ++i)
        both("\n", r[i], "    ", theta[i], "    ", x[i], " ", y[i], "  ", err[i]);
    parameters(gs);
    both("\n", "Minimum zone circularity error=", emz);
}

} // namespace formeval
