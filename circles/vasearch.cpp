// The three-point search of the valley circle. The first two valley points
// stay; the third is replaced by the point farthest inside the circle through
// the triple (the first of equal deviations) until none lies more than cri
// inside. Only the third point changes, so the search has at most numpt
// states: one that has run more cycles than there are points has met a
// triple again and would go round for ever. It is stopped there, and never
// before the cycle at which the peak circle's search would ask the operator.
#include "circles/circles.h"

#include <algorithm>
#include <iostream>

namespace formeval {

namespace {

constexpr int mincycles = 10;

} // namespace

bool vasearch(const double* u, const double* v, int numpt, double* vp, int* nv, double& x0,
              double& y0, double& r0) {
    double err[nsz];
    const int limit = std::max(numpt, mincycles);
    for (int cycle = 1;; ++cycle) {
        if (cycle > limit) {
            std::cout << "\nThe valley circle search did not end within " << limit
                      << " cycles; the minimum zone valley circle is used";
            return false;
        }
        const tpfit fit = tpcirc(u, v, nv, x0, y0, r0);
        if (fit != tpfit::circle) {
            notpcirc("valley", nv, fit);
            return false;
        }
        if (oqt > 1) ofile << "\nmicr0=" << r0 << "micx0=" << x0 << "micy0=" << y0;
        radialdevs(u, v, numpt, x0, y0, r0, err);
        double pe = 0;
        int npe = 0;
        for (int i = 0; i < numpt; ++i) {
            if (oqt > 2) ofile << "\nerr[" << i + 1 << "]=" << err[i];
            if (err[i] < pe) {
                pe = err[i];
                npe = i;
            }
        }
        if (!(pe < -cri)) return true;
        vp[2] = pe;
        nv[2] = npe;
    }
}

} // namespace formeval
