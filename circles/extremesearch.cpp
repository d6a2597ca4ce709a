// The three-point search of a side. The first two extreme points stay; the
// third is replaced by the point farthest beyond the circle through the
// triple (the first of equal deviations) until none lies more than cri beyond
// it, for as long as the side lets it go on.
#include "circles/circles.h"

namespace formeval {

bool extremesearch(const circleside& side, const double* u, const double* v, int numpt, double* p,
                   int* np, double& x0, double& y0, double& r0) {
    double err[nsz];
    int cycle = 0;
    for (;;) {
        ++cycle;
        if (!side.goon(cycle, numpt)) return false;
        const tpfit fit = tpcirc(u, v, np, x0, y0, r0);
        if (fit != tpfit::circle) {
            notpcirc(side.kind, np, fit);
            return false;
        }
        if (oqt > 1)
            ofile << "\n"
                  << side.cyclecircle[0] << r0 << side.cyclecircle[1] << x0 << side.cyclecircle[2]
                  << y0;
        radialdevs(u, v, numpt, x0, y0, r0, err);
        double farthest = 0;
        int at = 0;
        for (int i = 0; i < numpt; ++i) {
            if (oqt > 2) ofile << "\nerr[" << i + side.firstlisted << "]=" << err[i];
            if (side.beyond(err[i], farthest)) {
                farthest = err[i];
                at = i;
            }
        }
        if (!side.beyond(farthest, side.outside ? cri : -cri)) return true;
        p[2] = farthest;
        if (side.traceexchange && oqt > 2)
            ofile << "\nMaximum error=" << p[2] << "  greater than zero";
        np[2] = at;
        if (side.traceexchange && oqt > 2) ofile << "\nMaximum error point=" << np[2];
    }
}

} // namespace formeval
