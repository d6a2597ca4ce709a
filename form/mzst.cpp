// Job 1000: straightness of points along a line in the plane, by the
// least-squares line and the minimum-zone line, deviations measured in y.
// Every item is written whatever the trace level.
#include "base/record.h"
#include "form/form.h"

#include <iostream>

namespace formeval {

namespace {

void listing(const double* x, const double* y, const double* err, const double* gs, int numpt) {
    for (int i = 0; i < numpt; ++i) both("\n", x[i], " ", y[i], "  ", err[i]);
    both("\n", "y0=", gs[0], "   l0=", gs[1]);
}

} // namespace

void mzst(const jobinfo& job) {
    constexpr int n = 2;
    std::cout << "Started straightness error calculation";
    int numpt = 0;
    double x[nsz];
    double y[nsz];
    if (!readrecord(job, numpt, x, y)) return;
    if (!linedetermined(job.code, x, y, numpt)) return;
    Row5 a[nsz];
    strows(x, numpt, a);
    std::cout << " Started calculating straightness error.";

    double gs[5] = {};
    double err[nsz];
    const double erlsq = lsfit(a, y, gs, err, n, numpt);
    lsnote();
    listing(x, y, err, gs, numpt);
    both("\n", "Least squares straightness error=", erlsq);

    double emz = mzfit(a, y, gs, err, n, numpt);
    mznote(emz);
    emz = fullzone(emz, a, y, gs, err, n, numpt);
    listing(x, y, err, gs, numpt);
    both("\n", "Minimum zone straightness error=", emz);
}

} // namespace formeval
