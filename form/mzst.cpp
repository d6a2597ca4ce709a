// Job 1000: straightness of points along a line in the plane, by the
// least-squares line and the minimum-zone line, deviations measured in y.
// Every item is written whatever the trace level.
#include "base/record.h"
#include "form/jobs.h"

#include <iostream>

namespace formeval {

void mzst(const jobinfo& job) {
    recordpoints p;
    if (!startjob(job, "Started straightness error calculation", p)) return;
    const auto& [x, y, unused, numpt] = p;
    const double* const c[2] = {x, y};
    if (!jobdetermined(job, c, numpt)) return;
    Row5 a[nsz];
    strows(x, numpt, a);
    std::cout << " Started calculating straightness error.";
    fitpair fits;
    fitboth(a, y, 2, numpt, fits,
            [&p](fithalf half, const double* gs, const double* err, double error) {
                for (int i = 0; i < p.numpt; ++i) both("\n", p.c0[i], " ", p.c1[i], "  ", err[i]);
                both("\n", "y0=", gs[0], "   l0=", gs[1]);
                both("\n",
                     half == fithalf::leastsquares ? "Least squares straightness error="
                                                   : "Minimum zone straightness error=",
                     error);
            });
}

} // namespace formeval
