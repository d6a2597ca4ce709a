// Ranks the points by |deviation| to give the minimum-zone exchange its
// starting reference set. A zero deviation is never selected.
#include "fit/fit.h"

#include <algorithm>

namespace formeval {

void lsqmax(const double* err, int* ne, double* em, int n, int numpt) {
    for (int k = 0; k <= n; ++k) {
        em[k] = 0;
        for (int i = 0; i < numpt; ++i) {
            const double e2 = err[i] * err[i];
            if (!(e2 > em[k] * em[k])) continue;
            if (k > 0) {
                if (e2 > em[k - 1] * em[k - 1]) continue;
                if (std::find(ne, ne + k, i) != ne + k) continue;
            }
            em[k] = err[i] < 0 ? -err[i] : err[i];
            ne[k] = i;
        }
    }
}

} // namespace formeval
