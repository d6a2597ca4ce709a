// One scan for a peak point: the largest deviation among the points not yet
// taken, the last of equal largest deviations winning.
#include "circles/circles.h"

#include <limits>

namespace formeval {

void pkpoint(const double* err, int numpt, int k, double* p, int* np) {
    p[k] = -std::numeric_limits<double>::infinity();
    np[k] = 0;
    for (int i = 0; i < numpt; ++i) {
        bool taken = false;
        for (int j = 0; j < k; ++j) taken = taken || np[j] == i;
        if (taken || !(err[i] >= p[k])) continue;
        p[k] = err[i];
        np[k] = i;
        if (oqt > 2) ofile << "\np[" << k << "]=" << p[k];
    }
}

} // namespace formeval
