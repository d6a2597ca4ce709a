// Job 3000: flatness of points on a nominal plane, by the least-squares plane
// and the minimum-zone plane, deviations measured in z. Each error line comes
// before its parameter line; every item is written whatever the trace level.
#include "base/record.h"
#include "form/jobs.h"

#include <iostream>

namespace formeval {

void mzflt(const jobinfo& job) {
    recordpoints p;
    if (!startjob(job, "\nStarted flatness error calculation", p)) return;
    const auto& [x, y, z, numpt] = p;
    const double* const c[3] = {x, y, z};
    if (!jobdetermined(job, c, numpt)) return;
    Row5 a[nsz];
    fltrows(x, y, numpt, a);
    fitpair fits;
    fitboth(a, z, 3, numpt, fits,
            [&p](fithalf half, const double* gs, const double* err, double error) {
                for (int i = 0; i < p.numpt; ++i)
                    both("\n", p.c0[i], "   ", p.c1[i], "   ", p.c2[i], "   ", err[i]);
                both("\n",
                     half == fithalf::leastsquares ? "Least square flatness error="
                                                   : "Minimum zone  flatness error=",
                     error);
                both("\n", "z0=", gs[0], "   l0=", gs[1], "   m0=", gs[2]);
            });
}

} // namespace formeval
