// The pivot test of the solver, run ahead of it on a copy of the system and
// extended to the last pivot, which the solver itself divides by untested.
#include "linalg/linalg.h"

namespace formeval {

bool zeropivot(const Row7* a, int n) {
    Row7 t[6];
    for (int i = 0; i < n; ++i) t[i] = a[i];
    int swaps = 0;
    return eliminate(t, n, n, swaps) >= 0;
}

} // namespace formeval
