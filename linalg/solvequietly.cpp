// Elimination with partial pivoting and back substitution that neither
// tests its pivots against cri nor says anything: for the checks that look
// over a result (how far rounding reaches, a fit on centred coordinates),
// which must not change what the computation itself does or writes.
#include "linalg/linalg.h"

#include <cmath>

namespace formeval {

bool solvequietly(Row7* a, int n, double* x) {
    for (int k = 0; k < n; ++k) {
        const int j = find(a, n, k);
        if (a[j][k] == 0) return false;
        change(a, n, k, j);
        for (int i = k + 1; i < n; ++i) rowmul(a, n, k, i, -a[i][k] / a[k][k]);
    }
    bksub(a, n, x);
    for (int i = 0; i < n; ++i)
        if (!std::isfinite(x[i])) return false;
    return true;
}

} // namespace formeval
