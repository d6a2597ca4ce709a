// The pivot test of the solver, run ahead of it on a copy of the system and
// extended to the last pivot, which the solver itself divides by untested.
#include "circles/circles.h"
#include "linalg/linalg.h"

namespace formeval {

bool zeropivot(const Row7* a, int n) {
    Row7 t[6];
    for (int i = 0; i < n; ++i) t[i] = a[i];
    for (int k = 0; k < n; ++k) {
        const int j = find(t, n, k);
        if (negligible(t[j][k])) return true;
        change(t, n, k, j);
        for (int i = k + 1; i < n; ++i) rowmul(t, n, k, i, -t[i][k] / t[k][k]);
    }
    return false;
}

} // namespace formeval
