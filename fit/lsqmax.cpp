// Ranks the points by |deviation| to give the minimum-zone exchange its
// starting reference set. A zero deviation is never selected. One pass keeps
// the n + 1 largest squares in order, the earlier point first among equal
// ones: what n + 1 scans for the next largest would pick, one by one.
#include "fit/fit.h"

namespace formeval {

void lsqmax(const double* err, int* ne, double* em, int n, int numpt) {
    const int want = n + 1;
    double top[6];
    int at[6];
    int kept = 0;
    for (int i = 0; i < numpt; ++i) {
        const double e2 = err[i] * err[i];
        if (!(e2 > 0)) continue;
        if (kept == want && !(e2 > top[want - 1])) continue;
        int k = kept < want ? kept++ : want - 1;
        for (; k > 0 && e2 > top[k - 1]; --k) {
            top[k] = top[k - 1];
            at[k] = at[k - 1];
        }
        top[k] = e2;
        at[k] = i;
    }
    for (int k = 0; k < want; ++k) {
        em[k] = 0;
        if (k >= kept) continue;
        const double e = err[at[k]];
        em[k] = e < 0 ? -e : e;
        ne[k] = at[k];
    }
}

} // namespace formeval
