// Job 3000: flatness of points on a nominal plane, by the least-squares plane
// and the minimum-zone plane, deviations measured in z. Each error line comes
// before its parameter line; every item is written whatever the trace level.
#include "base/record.h"
#include "form/form.h"

#include <iostream>

namespace formeval {

namespace {

void listing(const double* x, const double* y, const double* z, const double* err, int numpt) {
    for (int i = 0; i < numpt; ++i) both("\n", x[i], "   ", y[i], "   ", z[i], "   ", err[i]);
}

void parameters(const double* gs) {
    both("\n", "z0=", gs[0], "   l0=", gs[1], "   m0=", gs[2]);
}

} // namespace

void mzflt(const jobinfo& job) {
    constexpr int n = 3;
    std::cout << "\n"
              << "Started flatness error calculation";
    int numpt = 0;
    double x[nsz];
    double y[nsz];
    double z[nsz];
    if (!readrecord(job, numpt, x, y, z)) return;
    const double* const plan[2] = {x, y};
    if (!determined(job.code, plan, 2, numpt, whyundetermined(job.shape, job.points))) return;
    Row5 a[nsz];
    fltrows(x, y, numpt, a);

    double gs[5] = {};
    double err[nsz];
    const double erlsq = lsfit(a, z, gs, err, n, numpt);
    lsnote();
    listing(x, y, z, err, numpt);
    both("\n", "Least square flatness error=", erlsq);
    parameters(gs);

    double emz = mzfit(a, z, gs, err, n, numpt);
    mznote(emz);
    emz = fullzone(emz, a, z, gs, err, n, numpt);
    listing(x, y, z, err, numpt);
    both("\n", "Minimum zone  flatness error=", emz);
    parameters(gs);
}

} // namespace formeval
