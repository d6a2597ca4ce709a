// One scan for an extreme point of a side: the deviation farthest on it among
// the points not yet taken, the last of equal deviations winning.
#include "circles/circles.h"

namespace formeval {

void extremepoint(const circleside& side, const double* err, int numpt, int k, double* p, int* np) {
    p[k] = side.scanstart;
    np[k] = 0;
    for (int i = 0; i < numpt; ++i) {
        bool taken = false;
        for (int j = 0; j < k; ++j) taken = taken || np[j] == i;
        if (taken || !side.atleast(err[i], p[k])) continue;
        p[k] = err[i];
        np[k] = i;
        if (side.tracepoints && oqt > 2) ofile << "\np[" << k << "]=" << p[k];
    }
}

} // namespace formeval
