// The three-point search of the peak circle. The first two peak points stay;
// the third is replaced by the point farthest outside the circle through the
// triple (the first of equal deviations) until none lies more than cri
// outside. After 10 cycles the operator's whole number replaces the cycle
// counter and the full trace is switched on.
#include "circles/circles.h"
#include "form/form.h"

namespace formeval {

namespace {

constexpr int cycleask = 10;

} // namespace

bool pksearch(const double* u, const double* v, int numpt, double* p, int* np, double& x0,
              double& y0, double& r0) {
    double err[nsz];
    int nfindcirc = 0;
    for (;;) {
        ++nfindcirc;
        if (nfindcirc > cycleask) {
            if (!askcount("\nnfindcirc>10. Do you want to continue?",
                          ": the search ends with the minimum zone peak circle, which holds every "
                          "point",
                          nfindcirc))
                return false;
            oqt = 3;
        }
        const tpfit fit = tpcirc(u, v, np, x0, y0, r0);
        if (fit != tpfit::circle) {
            notpcirc("peak", np, fit);
            return false;
        }
        if (oqt > 1) ofile << "\nPeakcr0=" << r0 << "Peakcrx0=" << x0 << "Peakcry0=" << y0;
        radialdevs(u, v, numpt, x0, y0, r0, err);
        double qe = 0;
        int nqe = 0;
        for (int i = 0; i < numpt; ++i) {
            if (oqt > 2) ofile << "\nerr[" << i << "]=" << err[i];
            if (err[i] > qe) {
                qe = err[i];
                nqe = i;
            }
        }
        if (!(qe > cri)) return true;
        p[2] = qe;
        if (oqt > 2) ofile << "\nMaximum error=" << p[2] << "  greater than zero";
        np[2] = nqe;
        if (oqt > 2) ofile << "\nMaximum error point=" << np[2];
    }
}

} // namespace formeval
