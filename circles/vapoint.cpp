// One scan for a valley point: the smallest deviation among the points not
// yet taken, the last of equal smallest deviations winning. The scan starts at
// 1000000, above any deviation of a measured circle.
#include "circles/circles.h"

namespace formeval {

void vapoint(const double* err, int numpt, int k, double* vp, int* nv) {
    vp[k] = 1000000;
    nv[k] = 0;
    for (int i = 0; i < numpt; ++i) {
        bool taken = false;
        for (int j = 0; j < k; ++j) taken = taken || nv[j] == i;
        if (taken || !(err[i] <= vp[k])) continue;
        vp[k] = err[i];
        nv[k] = i;
    }
}

} // namespace formeval
